// Publishing through the main window, with a scripted transfer in place of a
// server: the settings, the plan, the questions, the progress window and its
// 中止, and the main window while a transfer runs; then once to a real server.
#include "AppPaths.h"
#include "MainForm.h"
#include "MenuTable.h"
#include "PublishCommands.h"
#include "PublishKeyring.h"
#include "PublishSettingsFile.h"
#include "SyuturyokuMod.h"
#include "RecordingUi.h"
#include "TestSupport.h"
#include "WidgetTestSupport.h"

#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// The scripted transfer: what it answers, and what it was asked.
struct ScriptedJob final : PublishJob
{
    QVector<PublishOutcome> prepares; // one per prepare(); the last repeats
    PublishPlan script;
    bool sendUntilCancelled = false;
    QString password;
    std::atomic<int> prepared{0}, sends{0};
    std::atomic<bool> removed{false}, cancelled{false}, sending{false};
    QVector<TrustQuestion> accepted;

    PublishOutcome prepare(const ProjectDates &) override { return prepares.value(qMin(prepared++, 1)); }
    const PublishPlan &plan() const override { return script; }
    bool acceptTrust(const TrustQuestion &q, QString *) override { return accepted.append(q), true; }
    PublishOutcome send(bool remove, const std::function<void(const PublishProgress &)> &progress) override
    {
        ++sends;
        removed = remove;
        progress({u"Index.htm"_s, 0, 2, 300, 1000});
        sending = true;
        while (sendUntilCancelled && !cancelled)
            QThread::msleep(2);
        return {!cancelled, cancelled, false, {}, {}, 2, 1000};
    }
    void cancel() override { cancelled = true; }
};

struct ScriptedKeyring final : PasswordKeyring
{
    QString problem; // non-empty: no keyring answers
    QHash<QString, QString> stored;
    bool read(const QString &key, QString *password, QString *reason) override
    {
        *password = stored.value(key);
        return write(key, *password, reason);
    }
    bool write(const QString &key, const QString &password, QString *reason) override
    {
        stored.insert(key, password);
        *reason = problem;
        return problem.isEmpty();
    }
};

const PublishOutcome Ok{true, false, false, {}, {}, 2, 1000};

PublishOutcome Trust(TrustQuestion::Kind kind)
{
    return {false, false, true, {kind, u"sftp://u@example.jp:22/www"_s, u"ssh-ed25519"_s, u"SHA256:AbCdEf0123"_s}, {}, 0, 0};
}

using Action = std::function<void(QWidget *)>;

// Settings: the host typed when empty, then OK.
Action AcceptSettings(const QString &password = QString())
{
    return [password](QWidget *w) {
        if (auto *host = child<QLineEdit>(w, u"Host"_s); host->text().isEmpty())
            TypeText(host, u"example.jp"_s);
        TypeText(child<QLineEdit>(w, u"Password"_s), password);
        QTest::mouseClick(child<QPushButton>(w, u"OK"_s), Qt::LeftButton);
    };
}

Action Click(const QString &button)
{
    return [button](QWidget *w) { QTest::mouseClick(child<QPushButton>(w, button), Qt::LeftButton); };
}

} // namespace

Q_DECLARE_METATYPE(PublishOutcome)

class TestPublishWindows : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<RecordingUi> m_ui;
    std::unique_ptr<MainForm> m_form;
    std::shared_ptr<ScriptedJob> m_job;
    ScriptedKeyring m_keyring;

    PublishCommands *commands() { return m_form->findChild<PublishCommands *>(u"PublishCommands"_s); }
    QString settingsPath() { return PublishSettingsPath(m_form->project().ProjectPath); }

    // Runs the command with modal windows answered in turn; waits for the
    // transfer's end, or until it sends when it is left running.
    void publish(QList<Action> actions, bool waitForEnd = true)
    {
        ModalAnswerer answers(std::move(actions));
        m_form->runCommand(u"minmnyPublish"_s);
        if (waitForEnd)
            QTRY_VERIFY(!commands()->running());
        else
            QTRY_VERIFY(m_job->sending);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(UseHomeInside(m_dir.path()));
    }

    void init()
    {
        SetAppDir(m_dir.path() + u"/app"_s);
        QDir(AppDir()).removeRecursively();
        QVERIFY(QDir().mkpath(AppDir() + u"/temp"_s));
        m_ui = std::make_unique<RecordingUi>();
        m_form = std::make_unique<MainForm>();
        m_form->startUp();
        m_form->onEdPrv = [] {};
        m_form->project().ProjectPath = m_dir.filePath(u"site.hpf"_s);
        m_ui->clear();
        m_job = std::make_shared<ScriptedJob>();
        m_job->prepares = {Ok};
        m_job->script.toSend = {{u"Index.htm"_s, QString(), 600, {}}, {u"a.png"_s, QString(), 400, {}}};
        m_job->script.unchanged = {{u"b.htm"_s, QString(), 10, {}}};
        m_job->script.bytesToSend = 1000;
        m_keyring = ScriptedKeyring();
        commands()->setKeyring(&m_keyring);
        commands()->setJobFactory([this](const PublishSettings &, const QString &password, const QString &) {
            m_job->password = password;
            return m_job;
        });
    }

    void cleanup()
    {
        m_form.reset();
        m_ui.reset();
    }

    void settingsDialog()
    {
        // Saved settings of another transfer; the dialog's Escape keeps them.
        PublishSettings saved;
        saved.host = u"old.example.jp"_s;
        QString error;
        QVERIFY(WritePublishSettings(m_form->project().ProjectPath, saved, &error));
        const QByteArray before = ReadBytes(settingsPath());
        bool checked = false;
        publish({[&](QWidget *w) {
            auto *protocol = child<QComboBox>(w, u"Protocol"_s);
            auto *port = child<QSpinBox>(w, u"Port"_s);
            auto *warning = child<QLabel>(w, u"FtpWarning"_s);
            auto *host = child<QLineEdit>(w, u"Host"_s);
            auto *ok = child<QPushButton>(w, u"OK"_s);
            QCOMPARE(host->text(), u"old.example.jp"_s);
            QCOMPARE(port->value(), 22);
            QVERIFY(!warning->isVisible());
            // The port follows the protocol; the FTP warning shows with FTP only.
            for (const auto &[index, expected, warned] : {std::tuple{2, 21, true}, {1, 21, false}, {0, 22, false}}) {
                protocol->setCurrentIndex(index);
                QCOMPARE(port->value(), expected);
                QCOMPARE(warning->isVisible(), warned);
            }
            QVERIFY(warning->text().contains(u"暗号化されずに"_s));
            // Until the user sets a port of their own.
            port->setValue(2222);
            protocol->setCurrentIndex(2);
            QCOMPARE(port->value(), 2222);
            host->clear();
            QVERIFY(!ok->isEnabled());
            TypeText(host, u"new.example.jp"_s);
            QVERIFY(ok->isEnabled());
            checked = true;
            QTest::keyClick(w, Qt::Key_Escape);
        }});
        QVERIFY(checked);
        QCOMPARE(ReadBytes(settingsPath()), before);
        QCOMPARE(m_job->prepared.load(), 0);
    }

    void passwordsAndKeyring_data()
    {
        QTest::addColumn<QString>("problem");
        QTest::newRow("keyring") << QString();
        QTest::newRow("no keyring") << u"The name org.freedesktop.secrets was not provided"_s;
    }

    void passwordsAndKeyring()
    {
        QFETCH(QString, problem);
        m_keyring.problem = problem;
        for (int round = 0; round < 2; ++round) {
            QString note, shownPassword;
            publish({[&](QWidget *w) {
                         note = child<QLabel>(w, u"PasswordNote"_s)->text();
                         shownPassword = child<QLineEdit>(w, u"Password"_s)->text();
                         AcceptSettings(round == 0 ? u"秘密pw"_s : QString())(w);
                     },
                     Click(u"Send"_s)});
            // Without a keyring the password is asked at each transfer, and why.
            QCOMPARE(note.contains(problem), true);
            QCOMPARE(note.contains(u"転送のたびに"_s), !problem.isEmpty());
            QCOMPARE(shownPassword, round == 1 && problem.isEmpty() ? u"秘密pw"_s : QString());
            QCOMPARE(m_job->password, problem.isEmpty() || round == 0 ? u"秘密pw"_s : QString());
        }
        QVERIFY(!ReadBytes(settingsPath()).contains("pw"));
    }

    void desktopKeyringWithoutSession()
    {
        // Without a desktop session no keyring answers: the reason is given.
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        qunsetenv("DISPLAY");
        QString password = u"stale"_s;
        QString reason;
        QVERIFY(!DesktopKeyring().read(u"ftp://u@example.jp:21"_s, &password, &reason));
        QVERIFY(password.isEmpty() && !reason.isEmpty());
    }

    void planAndRemoveQuestion_data()
    {
        QTest::addColumn<bool>("foreign");
        QTest::addColumn<bool>("go");
        QTest::newRow("escape") << false << false;
        QTest::newRow("send") << false << true;
        QTest::newRow("send, foreign files") << true << true;
    }

    void planAndRemoveQuestion()
    {
        QFETCH(bool, foreign);
        QFETCH(bool, go);
        if (foreign)
            m_job->script.notWritten = {u"old.htm"_s, u"counter.cgi"_s};
        QStringList seen;
        publish({AcceptSettings(), [&](QWidget *w) {
                     for (const QString &name : {u"SendCount"_s, u"UnchangedCount"_s, u"NotWrittenCount"_s})
                         seen.append(child<QLabel>(w, name)->text());
                     go ? Click(u"Send"_s)(w) : QTest::keyClick(w, Qt::Key_Escape);
                 }});
        QCOMPARE(seen, (QStringList{u"送るファイル: 2 個（1000 バイト）"_s, u"前回から変わっていないファイル: 1 個（送りません）"_s,
                                    u"サーバーにあって、今回の出力にないファイル: %1 個"_s.arg(foreign ? 2 : 0)}));
        QCOMPARE(m_job->sends.load(), go ? 1 : 0);
        // The question about files the project did not write comes only when
        // there are some, with No the default; unanswered is No.
        const bool asked = !m_ui->shown.isEmpty() && m_ui->shown.first().kind == u"question"_s;
        QCOMPARE(asked, foreign);
        QVERIFY(!asked || (m_ui->lastMessage().contains(u"counter.cgi"_s) && m_ui->shown.first().defaultAnswer == UiService::Answer::No));
        QVERIFY(!m_job->removed);
        QCOMPARE(m_ui->statusText().contains(u"転送しました: 2 個のファイル"_s), go);
    }

    void questionsAndFailures_data()
    {
        QTest::addColumn<PublishOutcome>("first");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("shows");
        const QString key = u"SHA256:AbCdEf0123"_s;
        QTest::newRow("new key, no") << Trust(TrustQuestion::NewHostKey) << false << u"question"_s << key;
        QTest::newRow("new key, yes") << Trust(TrustQuestion::NewHostKey) << true << u"question"_s << key;
        QTest::newRow("certificate, yes") << Trust(TrustQuestion::UnverifiedCertificate) << true << u"question"_s << key;
        // A changed key is a message with OK only: nothing goes on from it.
        QTest::newRow("changed key") << Trust(TrustQuestion::ChangedHostKey) << true << u"message"_s << key;
        const QString failed = u"サーバー example.jp に接続できません。"_s;
        QTest::newRow("failure") << PublishOutcome{false, false, false, {}, failed, 0, 0} << true << u"message"_s << failed;
    }

    void questionsAndFailures()
    {
        QFETCH(PublishOutcome, first);
        QFETCH(bool, answer);
        QFETCH(QString, kind);
        QFETCH(QString, shows);
        m_job->prepares = {first, Ok};
        m_ui->yesNoAnswers.enqueue(answer);
        const bool sends = kind == u"question"_s && answer;
        publish(sends ? QList<Action>{AcceptSettings(), Click(u"Send"_s)} : QList<Action>{AcceptSettings()});
        const RecordingUi::Shown &shown = m_ui->shown.first();
        QVERIFY(shown.text.contains(shows));
        QCOMPARE(shown.kind, kind);
        // Questions of trust have No the default; messages are critical.
        QVERIFY(kind == u"question"_s ? shown.defaultAnswer == UiService::Answer::No
                                      : shown.icon == UiService::Icon::Critical);
        QCOMPARE(m_job->accepted.size(), sends ? 1 : 0);
        QCOMPARE(m_job->prepared.load(), sends ? 2 : 1);
        QCOMPARE(m_job->sends.load(), sends ? 1 : 0);
    }

    void abortStops()
    {
        // 中止, Escape and the close button stop the run; the window goes once it has stopped.
        const QList<std::function<void(QDialog *)>> ways{
            [](QDialog *w) { QTest::mouseClick(child<QPushButton>(w, u"Abort"_s), Qt::LeftButton); },
            [](QDialog *w) { QTest::keyClick(w, Qt::Key_Escape); }, [](QDialog *w) { w->close(); }};
        m_job->sendUntilCancelled = true;
        m_job->prepares = {Ok, Ok};
        for (const auto &stop : ways) {
            m_job->cancelled = m_job->sending = false;
            publish({AcceptSettings(), Click(u"Send"_s)}, false);
            PublishProgressWindow *window = commands()->progressWindow();
            QTRY_COMPARE(child<QLabel>(window, u"Bytes"_s)->text(), u"300 バイト / 1000 バイト"_s);
            stop(window);
            QTRY_VERIFY(!commands()->running() && !commands()->progressWindow());
            QVERIFY(m_job->cancelled && m_ui->statusText().startsWith(u"転送を中止しました"_s));
        }
    }

    void projectStaysWhileSending()
    {
        m_job->sendUntilCancelled = true;
        publish({AcceptSettings(), Click(u"Send"_s)}, false);
        const QString path = m_form->project().ProjectPath;
        for (const QString &command : {u"ProNewminmnyNew"_s, u"minmnyProOpen"_s, u"ProNewminmnyHina"_s}) {
            m_ui->clear();
            ModalCloser none;
            m_form->runCommand(command);
            QCOMPARE(none.opened, QStringList());
            QVERIFY2(m_ui->lastMessage().contains(u"転送中"_s), qPrintable(command));
            QCOMPARE(m_form->project().ProjectPath, path);
        }
        // Closing the window stops the transfer first, then closes.
        m_form->project().Henkou = false;
        QVERIFY(m_form->close());
        QVERIFY(m_job->cancelled);
        QVERIFY(!commands()->running());
    }

    void toRealFtpServer()
    {
        // The windows over the real transfer, to a local FTP server.
        const QString root = m_dir.filePath(u"ftproot"_s);
        QVERIFY(QDir().mkpath(root));
        QProcess server;
        // The system's Python, which has the Debian package's pyftpdlib.
        const int port = LoopbackPort(0);
        server.start(QStandardPaths::findExecutable(u"python3"_s, {u"/usr/bin"_s}),
                     {QStringLiteral(QV_FTPSERVER), QString::number(port), root, u"elradfmw"_s});
        for (QDeadlineTimer t(10000); !LoopbackPort(port) && !t.hasExpired() && server.state() != QProcess::NotRunning;)
            server.waitForFinished(20);
        if (!LoopbackPort(port))
            QSKIP(qPrintable(u"no FTP server (python3-pyftpdlib): "_s + QString::fromUtf8(server.readAllStandardError())));
        PublishSettings s{PublishProtocol::Ftp, u"127.0.0.1"_s, port, u"site"_s,
                          u"/site"_s, true, QString(), false};
        QString error;
        QVERIFY(WritePublishSettings(m_form->project().ProjectPath, s, &error));
        commands()->setJobFactory(MakeEnginePublishJob);
        AddHtmlDat(m_form->project(), u"二"_s, u"page2"_s, u"<p>二ページ目</p>"_s, u".htm"_s);
        m_keyring.problem = u"none here"_s;
        QString sendCount;
        publish({AcceptSettings(u"secret"_s), [&](QWidget *w) {
                     sendCount = child<QLabel>(w, u"SendCount"_s)->text();
                     Click(u"Send"_s)(w);
                 }});
        server.kill();
        server.waitForFinished();
        // The server holds the site, byte for byte as the output writes it.
        const QString output = m_dir.filePath(u"output"_s);
        QVERIFY(QDir().mkpath(output) && SyuturyokuAllInto(m_form->project(), output).ok());
        const QStringList names = QDir(output).entryList(QDir::Files);
        QVERIFY(names.size() == 2 && QDir(root + u"/site"_s).entryList(QDir::Files) == names);
        for (const QString &name : names)
            QCOMPARE(ReadBytes(root + u"/site/"_s + name), ReadBytes(output + u'/' + name));
        QVERIFY(sendCount.startsWith(u"送るファイル: %1 個"_s.arg(names.size())));
        QVERIFY2(m_ui->statusText().contains(u"転送しました: %1 個"_s.arg(names.size())), qPrintable(m_ui->lastMessage()));
    }

    void commandOfUnsavedProject()
    {
        // The command follows the output submenu.
        int count = 0;
        const MenuRow *rows = MenuRows(&count);
        const auto *at = std::find_if(rows, rows + count, [](const MenuRow &r) { return r.name == u"minmnyPrjSave"_s; });
        const auto *next = std::find_if(at + 1, rows + count, [](const MenuRow &r) { return r.depth <= 1; });
        QVERIFY(next < rows + count && next->name == u"minmnyPublish"_s);
        QCOMPARE(m_form->action(u"minmnyPublish"_s)->text(), u"サーバーへ転送...(&U)"_s);
        // A project never saved has no settings yet: it is saved first.
        m_form->project().ProjectPath = NewProjectPath;
        m_ui->yesNoAnswers.enqueue(false);
        m_form->action(u"minmnyPublish"_s)->trigger();
        QVERIFY(m_ui->lastMessage().contains(u"先にプロジェクトを保存"_s));
        QCOMPARE(m_job->prepared.load(), 0);
    }
};

QTEST_MAIN(TestPublishWindows)
#include "tst_publishwindows.moc"
