#include "PublishDialogs.h"

#include "AccessibleNames.h"
#include "ButtonRow.h"
#include "PublishSettingsFile.h"
#include "UiService.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QLabel *noteLabel(const QString &name, QWidget *parent)
{
    auto *l = new QLabel(parent);
    l->setObjectName(name);
    l->setWordWrap(true);
    return l;
}

// "OK" and "キャンセル" (or the given captions) at the right, the first the default.
QHBoxLayout *buttonRow(QDialog *dialog, QPushButton *accept, QPushButton *cancel)
{
    accept->setDefault(true);
    QObject::connect(accept, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    SameButtonSize({accept, cancel});
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(accept);
    row->addWidget(cancel);
    return row;
}

} // namespace

QString PublishBytesText(qint64 bytes)
{
    if (bytes < 1024)
        return QString::number(bytes) + u" バイト"_s;
    if (bytes < 1024 * 1024)
        return QString::number(bytes / 1024.0, 'f', 1) + u" KB"_s;
    return QString::number(bytes / (1024.0 * 1024.0), 'f', 1) + u" MB"_s;
}

// --- settings ---

PublishSettingsDialog::PublishSettingsDialog(const PublishSettings &s, const QString &password,
                                             const QString &keyringProblem, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(u"PublishSettings"_s);
    setWindowTitle(u"サーバーへ転送 - 設定"_s);

    m_protocol = new QComboBox(this);
    m_protocol->setObjectName(u"Protocol"_s);
    m_protocol->addItem(u"SFTP（SSH で暗号化）"_s, int(PublishProtocol::Sftp));
    m_protocol->addItem(u"FTPS（明示的 TLS で暗号化）"_s, int(PublishProtocol::Ftps));
    m_protocol->addItem(u"FTP（暗号化なし）"_s, int(PublishProtocol::Ftp));
    m_ftpWarning = noteLabel(u"FtpWarning"_s, this);
    m_ftpWarning->setText(u"注意: FTP ではパスワードもファイルも暗号化されずに送られます。途中の誰にでも読まれる"
                          u"おそれがあります。サーバーが対応していれば SFTP か FTPS を選んでください。"_s);
    m_ftpWarning->setStyleSheet(u"color: #b00000;"_s);
    m_host = new QLineEdit(s.host, this);
    m_host->setObjectName(u"Host"_s);
    m_host->setPlaceholderText(u"example.jp"_s);
    m_port = new QSpinBox(this);
    m_port->setObjectName(u"Port"_s);
    m_port->setRange(1, 65535);
    m_user = new QLineEdit(s.user, this);
    m_user->setObjectName(u"User"_s);
    m_folder = new QLineEdit(s.remoteFolder, this);
    m_folder->setObjectName(u"RemoteFolder"_s);
    m_folder->setPlaceholderText(u"/public_html"_s);
    m_passive = new QCheckBox(u"パッシブモードを使う(&M)"_s, this);
    m_passive->setObjectName(u"Passive"_s);
    m_passive->setChecked(s.passive);

    m_authRow = new QWidget(this);
    m_byPassword = new QRadioButton(u"パスワード(&A)"_s, m_authRow);
    m_byPassword->setObjectName(u"AuthPassword"_s);
    m_byKey = new QRadioButton(u"秘密鍵ファイル(&K)"_s, m_authRow);
    m_byKey->setObjectName(u"AuthKey"_s);
    auto *authLayout = new QHBoxLayout(m_authRow);
    authLayout->setContentsMargins(0, 0, 0, 0);
    authLayout->addWidget(m_byPassword);
    authLayout->addWidget(m_byKey);
    authLayout->addStretch();
    m_keyRow = new QWidget(this);
    m_keyFile = new QLineEdit(s.privateKeyFile, m_keyRow);
    m_keyFile->setObjectName(u"KeyFile"_s);
    NameControl(m_keyFile, u"秘密鍵ファイル"_s);
    m_browse = new QPushButton(u"参照...(&B)"_s, m_keyRow);
    m_browse->setObjectName(u"KeyBrowse"_s);
    auto *keyLayout = new QHBoxLayout(m_keyRow);
    keyLayout->setContentsMargins(0, 0, 0, 0);
    keyLayout->addWidget(m_keyFile);
    keyLayout->addWidget(m_browse);
    (s.privateKeyFile.isEmpty() ? m_byPassword : m_byKey)->setChecked(true);
    m_agentRuns = qEnvironmentVariableIsSet("SSH_AUTH_SOCK");
    m_agent = new QCheckBox(m_agentRuns ? u"ssh-agent の鍵を先に試す(&G)"_s
                                        : u"ssh-agent の鍵を先に試す（ssh-agent は動いていません）(&G)"_s,
                            this);
    m_agent->setObjectName(u"UseAgent"_s);
    m_agent->setChecked(s.useAgent && m_agentRuns);
    m_agent->setEnabled(m_agentRuns);

    m_password = new QLineEdit(password, this);
    m_password->setObjectName(u"Password"_s);
    m_password->setEchoMode(QLineEdit::Password);
    auto *passwordNote = noteLabel(u"PasswordNote"_s, this);
    passwordNote->setText(keyringProblem.isEmpty()
                              ? u"パスワードはデスクトップの鍵束（キーリング）に保存します。ファイルには書きません。"_s
                              : u"鍵束（キーリング）が使えないため、パスワードは保存しません。転送のたびに"
                                u"入力してください。（"_s + keyringProblem + u"）"_s);

    m_form = new QFormLayout;
    const auto addRow = [this](const QString &caption, QWidget *field) {
        auto *label = new QLabel(caption, this);
        NameByLabel(label, field);
        m_form->addRow(label, field);
        return label;
    };
    addRow(u"プロトコル(&P):"_s, m_protocol);
    m_form->addRow(m_ftpWarning);
    addRow(u"サーバー(&H):"_s, m_host);
    addRow(u"ポート(&O):"_s, m_port);
    addRow(u"ユーザー名(&U):"_s, m_user);
    addRow(u"転送先フォルダ(&F):"_s, m_folder);
    m_form->addRow(QString(), m_passive);
    m_form->addRow(u"認証:"_s, m_authRow);
    m_form->addRow(QString(), m_keyRow);
    m_form->addRow(QString(), m_agent);
    m_passwordLabel = addRow(u"パスワード(&W):"_s, m_password);
    m_form->addRow(passwordNote);

    m_ok = new QPushButton(u"OK"_s, this);
    m_ok->setObjectName(u"OK"_s);
    auto *cancel = new QPushButton(u"キャンセル"_s, this);
    cancel->setObjectName(u"Cancel"_s);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(m_form);
    layout->addStretch();
    layout->addLayout(buttonRow(this, m_ok, cancel));

    m_protocol->setCurrentIndex(m_protocol->findData(int(s.protocol)));
    m_portEdited = s.port != 0 && s.port != DefaultPublishPort(s.protocol);
    m_port->setValue(s.port != 0 ? s.port : DefaultPublishPort(s.protocol));

    connect(m_protocol, &QComboBox::currentIndexChanged, this, &PublishSettingsDialog::onProtocol);
    connect(m_port, &QSpinBox::valueChanged, this, [this] {
        if (!m_settingPort)
            m_portEdited = true;
    });
    connect(m_host, &QLineEdit::textChanged, this, &PublishSettingsDialog::update);
    connect(m_byKey, &QRadioButton::toggled, this, &PublishSettingsDialog::update);
    connect(m_browse, &QPushButton::clicked, this, [this] {
        const QString file = Ui().openFileName(u"秘密鍵ファイル|*|全てのファイル|*.*"_s, m_keyFile->text());
        if (!file.isEmpty())
            m_keyFile->setText(file);
    });
    update();
    setMinimumWidth(480);
    // The first empty box gets the focus: the host of new settings, the
    // password where it is asked for at each transfer.
    if (!s.host.isEmpty() && password.isEmpty())
        m_password->setFocus();
    else
        m_host->setFocus();
}

PublishProtocol PublishSettingsDialog::protocol() const
{
    return PublishProtocol(m_protocol->currentData().toInt());
}

void PublishSettingsDialog::onProtocol()
{
    // The port goes with the protocol until the user sets one of their own.
    if (!m_portEdited) {
        m_settingPort = true;
        m_port->setValue(DefaultPublishPort(protocol()));
        m_settingPort = false;
    }
    update();
}

void PublishSettingsDialog::update()
{
    const bool sftp = protocol() == PublishProtocol::Sftp;
    m_ftpWarning->setVisible(protocol() == PublishProtocol::Ftp);
    m_form->setRowVisible(m_passive, !sftp);
    m_form->setRowVisible(m_authRow, sftp);
    m_form->setRowVisible(m_keyRow, sftp);
    m_form->setRowVisible(m_agent, sftp);
    m_keyRow->setEnabled(m_byKey->isChecked());
    m_passwordLabel->setText(sftp && m_byKey->isChecked() ? u"鍵のパスフレーズ(&W):"_s : u"パスワード(&W):"_s);
    m_ok->setEnabled(!m_host->text().trimmed().isEmpty());
    // Once the layout has taken the shown and hidden rows into account.
    QTimer::singleShot(0, this, [this] { adjustSize(); });
}

PublishSettings PublishSettingsDialog::settings() const
{
    PublishSettings s;
    s.protocol = protocol();
    s.host = m_host->text().trimmed();
    s.port = m_port->value() == DefaultPublishPort(s.protocol) ? 0 : m_port->value();
    s.user = m_user->text().trimmed();
    s.remoteFolder = m_folder->text().trimmed();
    s.passive = m_passive->isChecked();
    s.privateKeyFile = s.protocol == PublishProtocol::Sftp && m_byKey->isChecked() ? m_keyFile->text().trimmed()
                                                                                   : QString();
    s.useAgent = m_agent->isChecked();
    return s;
}

QString PublishSettingsDialog::password() const
{
    return m_password->text();
}

// --- plan ---

PublishPlanDialog::PublishPlanDialog(const PublishPlan &plan, const QString &server, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(u"PublishPlan"_s);
    setWindowTitle(u"サーバーへ転送 - 確認"_s);

    auto *where = noteLabel(u"Server"_s, this);
    where->setText(u"転送先: "_s + server);
    auto *send = noteLabel(u"SendCount"_s, this);
    send->setText(u"送るファイル: %1 個（%2）"_s.arg(plan.toSend.size()).arg(PublishBytesText(plan.bytesToSend)));
    auto *same = noteLabel(u"UnchangedCount"_s, this);
    same->setText(u"前回から変わっていないファイル: %1 個（送りません）"_s.arg(plan.unchanged.size()));
    auto *foreign = noteLabel(u"NotWrittenCount"_s, this);
    foreign->setText(u"サーバーにあって、今回の出力にないファイル: %1 個"_s.arg(plan.notWritten.size()));

    auto *list = new QListWidget(this);
    list->setObjectName(u"FileList"_s);
    NameControl(list, u"ファイルの一覧"_s);
    for (const StagedFile &f : plan.toSend)
        list->addItem(u"送る: "_s + f.name + u"（"_s + PublishBytesText(f.size) + u"）"_s);
    for (const QString &name : plan.notWritten)
        list->addItem((plan.notWrittenSentEarlier.contains(name) ? u"以前送った: "_s : u"出力にない: "_s) + name);

    auto *ok = new QPushButton(u"転送"_s, this);
    ok->setObjectName(u"Send"_s);
    auto *cancel = new QPushButton(u"キャンセル"_s, this);
    cancel->setObjectName(u"Cancel"_s);
    auto *layout = new QVBoxLayout(this);
    for (QLabel *l : {where, send, same, foreign})
        layout->addWidget(l);
    layout->addWidget(list, 1);
    layout->addLayout(buttonRow(this, ok, cancel));
    ok->setEnabled(!plan.toSend.isEmpty() || !plan.notWritten.isEmpty());
    (ok->isEnabled() ? ok : cancel)->setFocus();
    resize(520, 400);
}

QString PublishRemoveQuestion(const PublishPlan &plan, const QString &server)
{
    constexpr int Shown = 10;
    QStringList names = plan.notWritten.mid(0, Shown);
    if (plan.notWritten.size() > Shown)
        names.append(u"ほか %1 個"_s.arg(plan.notWritten.size() - Shown));
    return u"サーバー %1 の転送先フォルダに、今回の出力にないファイルが %2 個あります。\r\n\r\n"_s.arg(server).arg(
               plan.notWritten.size())
           + names.join(u"\r\n"_s)
           + u"\r\n\r\nこれらのファイルをサーバーから削除しますか？\r\n"
             u"（「いいえ」を選ぶと、サーバーにそのまま残します）"_s;
}

// --- progress ---

PublishProgressWindow::PublishProgressWindow(const QString &server, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(u"PublishProgress"_s);
    setWindowTitle(u"サーバーへ転送中 - "_s + server);
    setModal(false);
    m_state = noteLabel(u"State"_s, this);
    m_file = noteLabel(u"CurrentFile"_s, this);
    m_bytes = noteLabel(u"Bytes"_s, this);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(u"Overall"_s);
    NameControl(m_bar, u"全体の進み具合"_s);
    m_timeLeft = noteLabel(u"TimeLeft"_s, this);
    m_abort = new QPushButton(u"中止"_s, this);
    m_abort->setObjectName(u"Abort"_s);
    connect(m_abort, &QPushButton::clicked, this, &PublishProgressWindow::requestAbort);

    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(m_abort);
    auto *layout = new QVBoxLayout(this);
    for (QWidget *w : {static_cast<QWidget *>(m_state), static_cast<QWidget *>(m_file),
                       static_cast<QWidget *>(m_bytes), static_cast<QWidget *>(m_bar),
                       static_cast<QWidget *>(m_timeLeft)})
        layout->addWidget(w);
    layout->addLayout(row);
    setMinimumWidth(440);
    m_abort->setFocus();
    showPreparing();
}

void PublishProgressWindow::showPreparing()
{
    m_state->setText(u"サイトを出力して、サーバーに接続しています..."_s);
    m_bar->setRange(0, 0);
    m_clock.invalidate();
}

void PublishProgressWindow::showProgress(const PublishProgress &p)
{
    if (!m_clock.isValid())
        m_clock.start();
    if (!m_aborting)
        m_state->setText(u"ファイルを送っています: %1 / %2 個"_s.arg(qMin(p.fileIndex + 1, p.fileCount)).arg(p.fileCount));
    m_file->setText(u"ファイル: "_s + p.currentFile);
    m_bytes->setText(PublishBytesText(p.bytesDone) + u" / "_s + PublishBytesText(p.bytesTotal));
    m_bar->setRange(0, 1000);
    m_bar->setValue(p.bytesTotal > 0 ? int(1000 * double(p.bytesDone) / double(p.bytesTotal)) : 0);
    m_timeLeft->setText(TimeLeftText(p.bytesDone, p.bytesTotal, m_clock.elapsed()));
}

QString PublishProgressWindow::TimeLeftText(qint64 done, qint64 total, qint64 elapsedMs)
{
    // A rate from less than a second or a few bytes says little.
    if (done <= 0 || elapsedMs < 1000 || total < done)
        return QString();
    const double seconds = double(total - done) * double(elapsedMs) / double(done) / 1000.0;
    if (seconds < 60)
        return u"残り 約 %1 秒"_s.arg(qMax(1, int(seconds + 0.5)));
    if (seconds < 3600)
        return u"残り 約 %1 分"_s.arg(int(seconds / 60 + 0.5));
    return u"残り 約 %1 時間 %2 分"_s.arg(int(seconds / 3600)).arg(int(seconds / 60) % 60);
}

void PublishProgressWindow::requestAbort()
{
    if (m_aborting)
        return;
    m_aborting = true;
    m_abort->setEnabled(false);
    m_state->setText(u"転送を中止しています。送りかけのファイルを片付けるまでお待ちください..."_s);
    Q_EMIT abortRequested();
}

void PublishProgressWindow::finish()
{
    m_finished = true;
    close();
}

void PublishProgressWindow::reject()
{
    if (m_finished)
        QDialog::reject();
    else
        requestAbort();
}

void PublishProgressWindow::closeEvent(QCloseEvent *event)
{
    if (m_finished) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    requestAbort();
}
