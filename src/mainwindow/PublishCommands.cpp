#include "PublishCommands.h"

#include "AppPaths.h"
#include "MainForm.h"
#include "OutputCharsetCommands.h"
#include "ProjectCommands.h"
#include "PublishDialogs.h"
#include "PublishKeyring.h"
#include "PublishSettingsFile.h"
#include "PublishStore.h"
#include "UiService.h"

#include <QDir>
#include <QThread>

using namespace Qt::StringLiterals;

namespace {

// Where the transfer keeps its known hosts, certificates and manifests.
QString PublishDataFolder()
{
    return AppPath(u"\\Publish");
}

QString trustText(const TrustQuestion &q)
{
    switch (q.kind) {
    case TrustQuestion::NewHostKey:
        return u"サーバー %1 に初めて接続します。\r\nサーバーの鍵（%2）の指紋は次のとおりです。\r\n\r\n%3\r\n\r\n"
               u"この指紋がサーバーの管理者から知らされたものと同じなら「はい」を選んでください。鍵を記憶して"
               u"転送を続けます。\r\n同じかどうか分からないときは「いいえ」を選んでください。"_s.arg(q.server, q.keyType,
                                                                                              q.fingerprint);
    case TrustQuestion::ChangedHostKey:
        return u"警告: サーバー %1 の鍵が、以前に記憶した鍵と違います。\r\n今の鍵（%2）の指紋:\r\n\r\n%3\r\n\r\n"
               u"接続先が別のコンピュータにすり替えられているおそれがあるため、転送しませんでした。\r\n"
               u"サーバーの管理者に鍵を変えたかどうかを確かめてください。変えたことが確かなら、ファイル「%4」"
               u"からこのサーバーの行を削除してから、もう一度転送してください。"_s.arg(
                   q.server, q.keyType, q.fingerprint,
                   QDir::toNativeSeparators(PublishStore(PublishDataFolder()).knownHostsPath()));
    case TrustQuestion::UnverifiedCertificate:
        break;
    }
    return u"サーバー %1 の証明書は、このコンピュータが信頼する認証局で確かめられませんでした（自己署名の証明書"
           u"など）。\r\n証明書の指紋:\r\n\r\n%2\r\n\r\nこの指紋がサーバーの管理者から知らされたものと同じなら"
           u"「はい」を選んでください。証明書を記憶して転送を続けます。\r\n同じかどうか分からないときは"
           u"「いいえ」を選んでください。"_s.arg(q.server, q.fingerprint);
}

} // namespace

PublishCommands::PublishCommands(MainForm *form, QObject *parent)
    : QObject(parent)
    , m_form(form)
    , m_factory(MakeEnginePublishJob)
    , m_keyring(&DesktopKeyring())
{
    setObjectName(u"PublishCommands"_s);
    form->setCommand(u"minmnyPublish"_s, [this] { minmnyPublish(); });
    // Closing the main window first stops a transfer under way, then closes
    // as it always does.
    form->onClose = [this, closing = form->onClose] {
        stopAndWait();
        return closing ? closing() : true;
    };
}

PublishCommands::~PublishCommands()
{
    stopAndWait();
}

QString PublishCommands::PasswordKey(const PublishSettings &s)
{
    return PublishProtocolName(s.protocol).toLower() + u"://"_s + s.user + u'@' + s.host + u':'
           + QString::number(s.port ? s.port : DefaultPublishPort(s.protocol));
}

void PublishCommands::minmnyPublish()
{
    if (running()) {
        if (m_window) {
            m_window->raise();
            m_window->activateWindow();
        }
        return;
    }
    // Settings are kept by the project file's path: a project never saved
    // has none yet.
    if (m_form->project().ProjectPath == NewProjectPath) {
        if (!Ui().askYesNo(u"転送の設定はプロジェクトごとに記憶するため、先にプロジェクトを保存する必要が"
                           u"あります。\r\n今保存しますか？"_s,
                           UiService::Icon::Question))
            return;
        auto *projects = m_form->findChild<ProjectCommands *>(u"ProjectCommands"_s);
        if (!projects || !projects->minmnyProNameSave())
            return;
    }
    const QString projectPath = m_form->project().ProjectPath;
    PublishSettings settings;
    QString error;
    if (!ReadPublishSettings(projectPath, &settings, &error) && !error.isEmpty())
        Ui().message(error, UiService::Icon::Exclamation);

    QString password;
    QString keyringProblem;
    if (!m_keyring->read(PasswordKey(settings), &password, &keyringProblem) && keyringProblem.isEmpty())
        keyringProblem = u"鍵束を使えません"_s;
    {
        PublishSettingsDialog dialog(settings, password, keyringProblem, m_form);
        if (dialog.exec() != QDialog::Accepted)
            return;
        settings = dialog.settings();
        password = dialog.password();
    }
    if (!WritePublishSettings(projectPath, settings, &error))
        Ui().message(error + u"\r\n今回の転送はこのまま続けます。"_s, UiService::Icon::Exclamation);
    QString why;
    if (keyringProblem.isEmpty() && !m_keyring->write(PasswordKey(settings), password, &why))
        Ui().setStatusText(u"パスワードを鍵束に保存できませんでした（"_s + why + u"）。"_s);

    m_server = PublishServerName(settings);
    m_job = m_factory(settings, password, PublishDataFolder());
    // A published site is byte for byte what the output command would write.
    m_job->setPageCharset(OutputOptionsOf(m_form).charset);
    // The transfer works on a copy: the project may be edited meanwhile.
    m_copy = m_form->project();
    m_trustAnswers = 0;
    m_closing = false;
    m_window = new PublishProgressWindow(m_server, m_form);
    m_window->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_window, &PublishProgressWindow::abortRequested, this, [this] {
        if (m_job)
            m_job->cancel();
    });
    m_window->show();
    startPrepare();
}

void PublishCommands::runOnWorker(std::function<PublishOutcome()> work, Step then)
{
    auto outcome = std::make_shared<PublishOutcome>();
    m_thread = QThread::create([work = std::move(work), outcome] { *outcome = work(); });
    const quint64 step = ++m_step;
    connect(m_thread, &QThread::finished, this, [this, step, then, outcome] {
        // A step that stopAndWait already waited for has ended there.
        if (step != m_step || !m_thread)
            return;
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
        (this->*then)(*outcome);
    });
    m_thread->start();
}

void PublishCommands::startPrepare()
{
    if (m_window)
        m_window->showPreparing();
    PublishJob *job = m_job.get();
    const ProjectDates &copy = m_copy;
    runOnWorker([job, &copy] { return job->prepare(copy); }, &PublishCommands::prepared);
}

void PublishCommands::prepared(const PublishOutcome &o)
{
    if (o.trustAsked && !m_closing) {
        if (answerTrust(o.question) && !m_closing)
            startPrepare();
        else
            end(false);
        return;
    }
    if (!o.ok || m_closing) {
        end(false);
        if (o.cancelled || m_closing)
            Ui().setStatusText(u"転送を中止しました。"_s);
        else
            Ui().message(o.message, UiService::Icon::Critical);
        return;
    }
    const PublishPlan &plan = m_job->plan();
    {
        PublishPlanDialog dialog(plan, m_server, m_form);
        m_planDialog = &dialog;
        const bool go = dialog.exec() == QDialog::Accepted;
        m_planDialog = nullptr;
        if (!go || m_closing) {
            end(false);
            return;
        }
    }
    // A separate question, No unless the user says otherwise.
    const bool remove = !plan.notWritten.isEmpty()
                        && Ui().askYesNo(PublishRemoveQuestion(plan, m_server), UiService::Icon::Question,
                                         UiService::Answer::No);
    if (m_closing) {
        end(false);
        return;
    }
    PublishJob *job = m_job.get();
    runOnWorker([this, job, remove] { return job->send(remove, [this](const PublishProgress &p) { postProgress(p); }); },
                &PublishCommands::sent);
}

bool PublishCommands::answerTrust(const TrustQuestion &q)
{
    // The engine asks again only about another key: a loop would be a fault.
    if (++m_trustAnswers > 3)
        return false;
    switch (q.kind) {
    case TrustQuestion::ChangedHostKey:
        Ui().message(trustText(q), UiService::Icon::Critical);
        return false;
    case TrustQuestion::NewHostKey:
        if (!Ui().askYesNo(trustText(q), UiService::Icon::Question, UiService::Answer::No))
            return false;
        break;
    case TrustQuestion::UnverifiedCertificate:
        if (!Ui().askYesNo(trustText(q), UiService::Icon::Exclamation, UiService::Answer::No))
            return false;
        break;
    }
    QString error;
    if (m_job->acceptTrust(q, &error))
        return true;
    Ui().message(u"サーバー %1 の鍵または証明書を記憶できなかったため、転送しませんでした。\r\n"_s.arg(q.server) + error,
                 UiService::Icon::Critical);
    return false;
}

void PublishCommands::postProgress(const PublishProgress &p)
{
    // Called on the worker thread, maybe for every block: the window is told
    // of the newest state, one posted event at a time.
    QMutexLocker lock(&m_progressLock);
    m_latest = p;
    if (m_progressPosted)
        return;
    m_progressPosted = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            PublishProgress latest;
            {
                QMutexLocker l(&m_progressLock);
                latest = m_latest;
                m_progressPosted = false;
            }
            if (m_window)
                m_window->showProgress(latest);
        },
        Qt::QueuedConnection);
}

void PublishCommands::sent(const PublishOutcome &o)
{
    end(o.ok);
    if (o.ok)
        Ui().setStatusText(u"サーバー %1 へ転送しました: %2 個のファイル、%3。"_s.arg(m_server)
                               .arg(o.filesSent)
                               .arg(PublishBytesText(o.bytesSent)));
    else if (o.cancelled || m_closing)
        Ui().setStatusText(u"転送を中止しました（%1 個のファイルを送りました）。"_s.arg(o.filesSent));
    else
        Ui().message(o.message, UiService::Icon::Critical);
}

void PublishCommands::end(bool ok)
{
    if (m_window)
        m_window->finish();
    m_job.reset();
    m_copy = ProjectDates();
    Q_EMIT ended(ok);
}

void PublishCommands::stopAndWait()
{
    if (!running())
        return;
    m_closing = true;
    if (m_planDialog)
        m_planDialog->reject();
    if (!m_thread)
        return; // a question is open: the step ends when it is answered
    m_job->cancel();
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    ++m_step;
    end(false);
}

bool PublishCommands::refuseWhileRunning()
{
    if (!running())
        return false;
    Ui().message(u"サーバーへの転送中は、プロジェクトを新しく作ったり開いたりできません。\r\n"
                 u"転送が終わるのを待つか、転送の「中止」を押してから、もう一度選んでください。"_s,
                 UiService::Icon::Exclamation);
    return true;
}

bool RefuseWhilePublishing(MainForm *form)
{
    auto *publish = form->findChild<PublishCommands *>(u"PublishCommands"_s);
    return publish && publish->refuseWhileRunning();
}
