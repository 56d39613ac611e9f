#include "HelpCommands.h"

#include "AppPaths.h"
#include "BrowserView.h"
#include "ButtonRow.h"
#include "Icons.h"
#include "MainForm.h"
#include "Twips.h"
#include "UiService.h"

#include <QClipboard>
#include <QGridLayout>
#include <QGuiApplication>
#include <QInputMethod>
#include <QLocale>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSysInfo>
#include <QtWebEngineCore/qtwebenginecoreglobal.h>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QDir>
#include <QVBoxLayout>

namespace {

// What the frame and title bar add to the client area, in twips.
constexpr double FrameWidthTwips = 120;
constexpr double FrameHeightTwips = 390;

} // namespace

HelpForm::HelpForm(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Help"));
    setWindowTitle(QStringLiteral("マニュアル"));
    setWindowIcon(ProgramIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    // Closing the main window ends the program even while the manual is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    WebBrowser1 = new BrowserView(this);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->move(TwipsToPx(120), TwipsToPx(120));
    resize(TwipsToPx(12000), TwipsToPx(9000));
    WebBrowser1->navigateToFile(manualPath());
}

QString HelpForm::manualPath()
{
    return AppPath(u"\\Help\\Index.htm");
}

double HelpForm::formWidthTwips() const
{
    return PxToTwips(width()) + FrameWidthTwips;
}

double HelpForm::formHeightTwips() const
{
    return PxToTwips(height()) + FrameHeightTwips;
}

void HelpForm::Form_Resize()
{
    // A size the window is too small for is skipped; the old one stays.
    const double h = formHeightTwips() - 650;
    const double w = formWidthTwips() - 350;
    QSize size = WebBrowser1->size();
    if (h >= 0)
        size.setHeight(TwipsToPx(h));
    if (w >= 0)
        size.setWidth(TwipsToPx(w));
    WebBrowser1->resize(size);
}

void HelpForm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(ProgramTitle() + QStringLiteral("のﾊﾞｰｼﾞｮﾝ情報"));
    setModal(true);

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(ProgramIcon().pixmap(48, 48));
    picIcon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    lblTitle = new QLabel(ProgramTitle(), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont big = lblTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    lblTitle->setFont(big);
    lblVersion = new QLabel(versionText(programVersion()), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblDisclaimer = new QLabel(
        QStringLiteral("このプログラムは、HTMLを学び始めた方がホームページを作るための編集ソフトです。"
                       "作成したページの内容と、その公開による結果については、利用者の責任でお使いください。"
                       "大切なプロジェクトは、こまめに保存してください。"),
        this);
    lblDisclaimer->setObjectName(QStringLiteral("lblDisclaimer"));
    lblDisclaimer->setWordWrap(true);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdSysInfo = new QPushButton(QStringLiteral("ｼｽﾃﾑ情報(&S)..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));

    auto *grid = new QGridLayout(this);
    grid->addWidget(picIcon, 0, 0, 2, 1);
    grid->addWidget(lblTitle, 0, 1);
    grid->addWidget(lblVersion, 1, 1);
    grid->addWidget(lblDisclaimer, 2, 0, 1, 2);
    auto *buttons = new QVBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    SameButtonSize({cmdOK, cmdSysInfo});
    grid->addLayout(buttons, 0, 2, 3, 1);
    grid->setColumnStretch(1, 1);
    setFixedWidth(TwipsToPx(7500));

    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
}

QString frmAbout::versionText(const QVersionNumber &version)
{
    return QStringLiteral("ﾊﾞｰｼﾞｮﾝ %1.%2.%3")
        .arg(version.majorVersion())
        .arg(version.minorVersion())
        .arg(version.microVersion());
}

QVersionNumber frmAbout::programVersion()
{
    return QVersionNumber::fromString(QStringLiteral(QUORVEL_VERSION));
}

void frmAbout::cmdSysInfo_Click()
{
    // The program's own window: every desktop has it, and its text can be
    // copied into a request for help.
    SysInfoForm info(this);
    info.exec();
}

namespace {

// An environment variable as "NAME=value", or empty when it is not set.
QString EnvSetting(const char *name)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? QString() : QString::fromLatin1(name) + u'=' + value;
}

QString JoinedOrNone(QStringList parts)
{
    parts.removeAll(QString());
    return parts.isEmpty() ? QStringLiteral("なし") : parts.join(QStringLiteral(", "));
}

} // namespace

SysInfoForm::SysInfoForm(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("SysInfoForm"));
    setWindowTitle(QStringLiteral("ｼｽﾃﾑ情報"));
    setModal(true);
    auto *label = new QLabel(QStringLiteral("お問い合わせの際は、「コピー」を押して次の内容を貼り付けてください。"), this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setWordWrap(true);
    Text1 = new QPlainTextEdit(infoLines().join(u'\n'), this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setAccessibleName(QStringLiteral("ｼｽﾃﾑ情報"));
    label->setBuddy(Text1);
    Command1 = new QPushButton(QStringLiteral("コピー"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(QStringLiteral("閉じる"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setDefault(true);
    SameButtonSize({Command1, Command2});

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(Text1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    layout->addLayout(buttons);
    resize(TwipsToPx(8400), TwipsToPx(4800));

    connect(Command1, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(Text1->toPlainText()); });
    connect(Command2, &QPushButton::clicked, this, &QDialog::accept);
}

QStringList SysInfoForm::infoLines()
{
    QStringList lines;
    lines << QStringLiteral("プログラム: %1 %2").arg(ProgramTitle(), frmAbout::programVersion().toString());
    lines << QStringLiteral("Qt: %1").arg(QString::fromLatin1(qVersion()));
    lines << QStringLiteral("ブラウザエンジン: Qt WebEngine %1 (Chromium %2)")
                 .arg(QString::fromLatin1(qWebEngineVersion()), QString::fromLatin1(qWebEngineChromiumVersion()));
    lines << QStringLiteral("OS: %1 (%2 %3, %4)")
                 .arg(QSysInfo::prettyProductName(), QSysInfo::kernelType(), QSysInfo::kernelVersion(),
                      QSysInfo::currentCpuArchitecture());
    lines << QStringLiteral("表示: %1").arg(QGuiApplication::platformName());
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (qsizetype i = 0; i < screens.size(); ++i) {
        const QScreen *s = screens.at(i);
        lines << QStringLiteral("画面%1: %2×%3、倍率 %4、%5 dpi")
                     .arg(i + 1)
                     .arg(s->size().width())
                     .arg(s->size().height())
                     .arg(s->devicePixelRatio())
                     .arg(qRound(s->logicalDotsPerInch()));
    }
    lines << QStringLiteral("プログラムのフォルダ: %1").arg(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
    lines << QStringLiteral("データのフォルダ: %1").arg(QDir::toNativeSeparators(AppDir()));
    lines << QStringLiteral("ロケール: %1 (%2)")
                 .arg(QLocale::system().name(), JoinedOrNone({EnvSetting("LC_ALL"), EnvSetting("LANG")}));
    lines << QStringLiteral("入力メソッド: %1 (入力言語 %2)")
                 .arg(JoinedOrNone({EnvSetting("QT_IM_MODULE"), EnvSetting("XMODIFIERS"), EnvSetting("GTK_IM_MODULE")}),
                      QGuiApplication::inputMethod()->locale().name());
    return lines;
}

HelpCommands::HelpCommands(MainForm *form, QObject *parent)
    : QObject(parent)
    , m_form(form)
{
    setObjectName(QStringLiteral("HelpCommands"));
    form->setCommand(QStringLiteral("minmnyMa"), [this] { minmnyMa(); });
    form->setCommand(QStringLiteral("minmnyAbout"), [this] { minmnyAbout(); });
}

void HelpCommands::minmnyMa()
{
    if (!m_help) {
        m_help = new HelpForm(m_form);
        m_help->show();
        return;
    }
    // A minimised manual comes back, or it could not come to the front.
    m_help->setWindowState(m_help->windowState() & ~Qt::WindowMinimized);
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void HelpCommands::minmnyAbout()
{
    frmAbout box(m_form);
    box.exec();
}
