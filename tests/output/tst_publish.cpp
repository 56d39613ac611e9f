// Publishing against real servers started here on 127.0.0.1: OpenSSH's sshd
// for SFTP, pyftpdlib for FTP and FTPS (ftpserver.py).

#include "FileSystemLimits.h"
#include "Publish.h"
#include "SyuturyokuMod.h"
#include "TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDeadlineTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString BigFile = u"big2.bin"_s; // the file during which a transfer is interrupted


// Standard output of a program; empty when it failed.
QString Run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(20000) || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// Kills a process and every process below it (sshd serves each connection
// in a child of its own session).
void KillTree(qint64 pid)
{
    const QStringList entries = QDir(u"/proc"_s).entryList(QDir::Dirs);
    for (const QString &e : entries) {
        const QByteArray stat = ReadBytes(u"/proc/"_s + e + u"/stat"_s);
        const QList<QByteArray> f = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        if (f.size() > 1 && f.at(1).toLongLong() == pid)
            KillTree(e.toLongLong());
    }
    ::kill(pid_t(pid), SIGKILL);
}

// One server for one test: a folder it serves, its keys or certificate, its port.
class TestServer
{
public:
    explicit TestServer(PublishProtocol protocol) : m_protocol(protocol), m_work(m_dir.path())
    {
        m_port = LoopbackPort(0);
        root = m_work + u"/root"_s;
        QDir().mkpath(root);
        if (protocol == PublishProtocol::Sftp) {
            keygen(u"/id"_s), keygen(u"/other"_s);
            QFile::copy(m_work + u"/id.pub"_s, m_work + u"/authorized_keys"_s);
        }
        newIdentity();
    }
    ~TestServer() { stop(); }

    // A new host key or certificate: the server is another one, or an impostor.
    void newIdentity()
    {
        QFile::remove(m_work + u"/hostkey"_s);
        QFile::remove(m_work + u"/hostkey.pub"_s);
        if (m_protocol == PublishProtocol::Sftp) {
            keygen(u"/hostkey"_s);
            fingerprint = Run(u"ssh-keygen"_s, {u"-l"_s, u"-E"_s, u"sha256"_s, u"-f"_s, m_work + u"/hostkey.pub"_s})
                              .section(u' ', 1, 1);
        } else if (m_protocol == PublishProtocol::Ftps) {
            Run(u"openssl"_s, {u"req"_s, u"-x509"_s, u"-newkey"_s, u"ec"_s, u"-pkeyopt"_s, u"ec_paramgen_curve:prime256v1"_s,
                               u"-nodes"_s, u"-days"_s, u"2"_s, u"-subj"_s, u"/CN=127.0.0.1"_s, u"-keyout"_s,
                               m_work + u"/hostkey"_s, u"-out"_s, m_work + u"/cert.pem"_s});
            fingerprint = u"SHA256:"_s + Run(u"openssl"_s, {u"x509"_s, u"-noout"_s, u"-fingerprint"_s, u"-sha256"_s, u"-in"_s,
                                                             m_work + u"/cert.pem"_s}).section(u'=', 1);
        }
    }

    // ftpPerm: pyftpdlib's permission letters, or "short" for a server that
    // keeps only half of each file yet reports success.
    bool start(const QString &ftpPerm = u"elradfmw"_s)
    {
        stop();
        m_process = std::make_unique<QProcess>();
        // The server ends with the test, also when the test itself is killed.
        m_process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        if (m_protocol == PublishProtocol::Sftp) {
            if (::getuid() == 0)
                QDir().mkpath(u"/run/sshd"_s);
            const QString config = m_work + u"/sshd_config"_s;
            PutBytes(config, QStringLiteral("ListenAddress 127.0.0.1:%1\nHostKey %2/hostkey\nPidFile %2/sshd.pid\n"
                                            "AuthorizedKeysFile %2/authorized_keys\nUsePAM no\nStrictModes no\n"
                                            "PasswordAuthentication no\nKbdInteractiveAuthentication no\n"
                                            "PermitRootLogin prohibit-password\nSubsystem sftp internal-sftp\nLogLevel ERROR\n")
                                 .arg(m_port).arg(m_work).toUtf8());
            m_process->start(u"/usr/sbin/sshd"_s, {u"-D"_s, u"-e"_s, u"-f"_s, config});
        } else {
            QStringList args{QFINDTESTDATA("ftpserver.py"), QString::number(m_port), root, ftpPerm};
            if (m_protocol == PublishProtocol::Ftps)
                args << m_work + u"/cert.pem"_s << m_work + u"/hostkey"_s;
            m_process->start(QStandardPaths::findExecutable(u"python3"_s, {u"/usr/bin"_s}), args);
        }
        for (QDeadlineTimer t(10000); !LoopbackPort(m_port) && !t.hasExpired() && m_process->state() != QProcess::NotRunning;)
            m_process->waitForFinished(20);
        error = QString::fromUtf8(m_process->readAllStandardError());
        return LoopbackPort(m_port);
    }

    void stop()
    {
        if (m_process && m_process->state() != QProcess::NotRunning) {
            KillTree(m_process->processId());
            m_process->waitForFinished(5000);
        }
    }

    PublishSettings settings() const
    {
        PublishSettings s;
        s.protocol = m_protocol;
        s.host = u"127.0.0.1"_s;
        s.port = m_port;
        s.useAgent = false;
        if (m_protocol == PublishProtocol::Sftp) {
            s.user = QString::fromLocal8Bit(::getpwuid(::getuid())->pw_name);
            s.remoteFolder = root + u"/site"_s;
            s.privateKeyFile = m_work + u"/id"_s;
        } else {
            s.user = u"site"_s;
            s.remoteFolder = u"/site"_s;
        }
        return s;
    }
    QString password() const { return m_protocol == PublishProtocol::Sftp ? QString() : u"secret"_s; }
    QString otherKey() const { return m_work + u"/other"_s; }

    QString root;        // the folder the server serves; the site goes into its "site"
    QString fingerprint; // of the host key or certificate, as ssh-keygen or openssl shows it
    QString error;

private:
    void keygen(const QString &name) { Run(u"ssh-keygen"_s, {u"-q"_s, u"-t"_s, u"ed25519"_s, u"-N"_s, QString(), u"-f"_s, m_work + name}); }
    QTemporaryDir m_dir;
    PublishProtocol m_protocol;
    QString m_work;
    int m_port = 0;
    std::unique_ptr<QProcess> m_process;
};

// Differences between the output folder and the server's folder: a file whose
// bytes differ, one that is missing (when complete), one nobody wrote (other
// than the foreign ones expected).
QString TreeProblem(const QString &expected, const QString &server, bool complete, const QStringList &foreign = {})
{
    const QStringList want = AllEntries(expected);
    for (const QString &name : AllEntries(server)) {
        if (want.contains(name)) {
            if (ReadBytes(expected + u'/' + name) != ReadBytes(server + u'/' + name))
                return u"differs: "_s + name;
        } else if (!foreign.contains(name) && (complete || !name.endsWith(u".qvpart"_s))) {
            return u"not written: "_s + name;
        }
    }
    for (const QString &name : want)
        if (complete && !QFile::exists(server + u'/' + name))
            return u"missing: "_s + name;
    return QString();
}

} // namespace

class TestPublish : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    ProjectDates m_site;
    QString m_expected; // the output of m_site, as the server should hold it

    // Six pages and two larger files (600 KB each, during which transfers are
    // interrupted; with them the site outgrows a 1 MB quota).
    void makeSite()
    {
        ResetDates(m_site);
        for (int i = 1; i <= 6; ++i)
            AddHtmlDat(m_site, u"ページ%1"_s.arg(i), u"page%1"_s.arg(i), u"<p>ページ %1 です</p>"_s.arg(i), u".htm"_s);
        for (int i = 1; i <= 2; ++i) {
            QByteArray bytes(600 * 1024, Qt::Uninitialized);
            QRandomGenerator(i).fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
            const QString path = m_dir.filePath(u"big%1.src"_s.arg(i));
            PutBytes(path, bytes);
            AddElseFileDat(m_site, u"資料%1"_s.arg(i), u"big%1"_s.arg(i), path, u".bin"_s);
        }
        output();
    }
    void output()
    {
        m_expected = m_dir.filePath(u"expected"_s);
        QDir(m_expected).removeRecursively();
        QDir().mkpath(m_expected);
        QVERIFY(SyuturyokuAllInto(m_site, m_expected).ok());
    }
    QString data() const { return m_dir.filePath(u"data"_s); }

    // Why the server of protocol cannot run here; empty when it can.
    static QString missing(PublishProtocol protocol)
    {
        if (protocol == PublishProtocol::Sftp)
            return QFile::exists(u"/usr/sbin/sshd"_s) ? QString() : u"sshd is not installed (openssh-server)"_s;
        return Run(QStandardPaths::findExecutable(u"python3"_s, {u"/usr/bin"_s}), {u"-c"_s, u"import pyftpdlib, OpenSSL; print(1)"_s}) != u"1"
                   ? u"pyftpdlib or pyOpenSSL is not installed (python3-pyftpdlib, python3-openssl)"_s : QString();
    }

    // Prepares, answering a trust question with yes (it must be the server's own key).
    PublishOutcome prepareTrusting(PublishRun &run, const TestServer &server)
    {
        PublishOutcome o = run.prepare(m_site);
        if (o.trustAsked && o.question.fingerprint == server.fingerprint && run.acceptTrust(o.question))
            o = run.prepare(m_site);
        return o;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(UseHomeInside(m_dir.filePath(u"home"_s)));
        qunsetenv("SSH_AUTH_SOCK");
        makeSite();
    }
    void init() { QDir(data()).removeRecursively(); }

    void roundTrip_data()
    {
        QTest::addColumn<PublishProtocol>("protocol");
        QTest::addColumn<int>("question");
        QTest::newRow("sftp") << PublishProtocol::Sftp << int(TrustQuestion::NewHostKey);
        QTest::newRow("ftps") << PublishProtocol::Ftps << int(TrustQuestion::UnverifiedCertificate);
        QTest::newRow("ftp") << PublishProtocol::Ftp << -1;
    }
    // First publish, an edit, a deleted page, a foreign file; trust asked once.
    void roundTrip()
    {
        QFETCH(PublishProtocol, protocol);
        QFETCH(int, question);
        if (const QString why = missing(protocol); !why.isEmpty())
            QSKIP(qPrintable(why));
        TestServer server(protocol);
        QVERIFY2(server.start(), qPrintable(server.error));
        const QString site = server.root + u"/site"_s;
        QVERIFY(QDir().mkpath(site) && PutBytes(site + u"/foreign.txt"_s, "not ours"));

        PublishRun first(server.settings(), server.password(), data());
        PublishOutcome o = first.prepare(m_site);
        QCOMPARE(o.trustAsked ? int(o.question.kind) : -1, question);
        if (o.trustAsked) {
            QCOMPARE(o.question.fingerprint, server.fingerprint);
            QVERIFY(first.acceptTrust(o.question));
            o = first.prepare(m_site);
        }
        QVERIFY2(o.ok, qPrintable(o.message));
        QCOMPARE(first.plan().toSend.size(), AllEntries(m_expected).size());
        QCOMPARE(first.plan().notWritten, QStringList{u"foreign.txt"_s});
        // The manifest's hashes are SHA-256 of the bytes sent, as earlier manifests hold them.
        for (const StagedFile &f : first.plan().toSend)
            QCOMPARE(f.sha256, QCryptographicHash::hash(ReadBytes(m_expected + u'/' + f.name), QCryptographicHash::Sha256));
        o = first.send(false);
        QVERIFY2(o.ok, qPrintable(o.message));
        QCOMPARE(TreeProblem(m_expected, site, true, {u"foreign.txt"_s}), QString());

        // One page edited: one file goes, and nothing is asked again.
        m_site.Html[0].HtmlStr += u"<p>追記</p>"_s;
        output();
        PublishRun second(server.settings(), server.password(), data());
        o = second.prepare(m_site);
        QVERIFY2(o.ok && !o.trustAsked, qPrintable(o.message));
        QCOMPARE(second.plan().toSend.size(), 1);
        QCOMPARE(second.send(false).filesSent, 1);
        QCOMPARE(TreeProblem(m_expected, site, true, {u"foreign.txt"_s}), QString());

        // A page deleted: its file stays on the server unless the user says yes.
        const HtmlDat removed = m_site.Html.takeLast();
        output();
        for (const bool remove : {false, true}) {
            PublishRun run(server.settings(), server.password(), data());
            QVERIFY(run.prepare(m_site).ok);
            QCOMPARE(run.plan().notWritten, (QStringList{u"foreign.txt"_s, u"page6.htm"_s}));
            QCOMPARE(run.plan().notWrittenSentEarlier, QStringList{u"page6.htm"_s});
            QVERIFY(run.send(remove).ok);
            QCOMPARE(QFile::exists(site + u"/page6.htm"_s), !remove);
            QCOMPARE(TreeProblem(m_expected, site, true, remove ? QStringList() : run.plan().notWritten), QString());
        }
        m_site.Html.append(removed);
        output();
    }

    void faults_data()
    {
        QTest::addColumn<PublishProtocol>("protocol");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        const QString login = u"ログインできませんでした。ユーザー名とパスワード"_s;
        const QString perm = u"の転送先フォルダーに書き込む権限がありません。"_s;
        const QString quota = u"の容量がいっぱいで、ファイルを書き込めませんでした。"_s;
        QTest::newRow("ftp host not found") << PublishProtocol::Ftp << u"host"_s << u"が見つかりませんでした。ホスト名が正しいか"_s;
        QTest::newRow("sftp connection refused") << PublishProtocol::Sftp << u"port"_s << u"に接続できませんでした（接続を拒否されました）。"_s;
        QTest::newRow("sftp wrong key") << PublishProtocol::Sftp << u"secret"_s << login;
        QTest::newRow("ftp wrong password") << PublishProtocol::Ftp << u"secret"_s << login;
        QTest::newRow("sftp changed host key") << PublishProtocol::Sftp << u"identity"_s << u"のホスト鍵が、前回接続したときと違います。"_s;
        QTest::newRow("ftps changed certificate") << PublishProtocol::Ftps << u"identity"_s << QString();
        QTest::newRow("sftp read-only folder") << PublishProtocol::Sftp << u"read-only"_s << perm;
        QTest::newRow("ftp read-only folder") << PublishProtocol::Ftp << u"read-only"_s << perm;
        QTest::newRow("sftp quota") << PublishProtocol::Sftp << u"quota"_s << quota;
        QTest::newRow("ftp server keeps a short file") << PublishProtocol::Ftp << u"short"_s << u"との接続が切れました。"_s;
    }
    // Each fault ends the run with the message naming the server and what to
    // do, and leaves no half file under a real name.
    void faults()
    {
        QFETCH(PublishProtocol, protocol);
        QFETCH(QString, fault);
        QFETCH(QString, message);
        if (const QString why = missing(protocol); !why.isEmpty())
            QSKIP(qPrintable(why));
        std::unique_ptr<SmallDisk> disk; // outlives the server that serves it
        TestServer server(protocol);
        if (fault == u"quota" || (fault == u"read-only" && protocol == PublishProtocol::Sftp && ::getuid() == 0)) {
            disk = std::make_unique<SmallDisk>(fault == u"quota" ? 1024 : 64);
            if (!disk->mounted())
                QSKIP(qPrintable(disk->reason()));
            server.root = disk->path();
        }
        if (fault == u"read-only") {
            QVERIFY(QDir().mkpath(server.root + u"/site"_s));
            QVERIFY(disk ? disk->makeReadOnly() : QFile::setPermissions(server.root + u"/site"_s, QFile::ReadOwner | QFile::ExeOwner));
        }
        QVERIFY2(server.start(fault == u"read-only" ? u"elr"_s : fault == u"short" ? fault : u"elradfmw"_s),
                 qPrintable(server.error));
        PublishSettings settings = server.settings();
        QString password = server.password();
        if (fault == u"secret" && protocol == PublishProtocol::Sftp)
            settings.privateKeyFile = server.otherKey();
        else if (fault == u"secret")
            password = u"wrong"_s;
        settings.host = fault == u"host" ? u"nowhere.invalid"_s : settings.host;
        settings.port = fault == u"port" ? LoopbackPort(0) : settings.port;
        if (fault == u"identity") {
            PublishRun before(settings, password, data());
            QVERIFY(prepareTrusting(before, server).ok);
            server.stop();
            server.newIdentity();
            QVERIFY2(server.start(), qPrintable(server.error));
        }

        PublishRun run(settings, password, data());
        PublishOutcome o = fault == u"identity" ? run.prepare(m_site) : prepareTrusting(run, server);
        if (o.ok)
            o = run.send(false);
        QVERIFY(!o.ok);
        if (message.isEmpty()) { // another certificate: asked about again
            QVERIFY(o.trustAsked);
            QCOMPARE(o.question.kind, TrustQuestion::UnverifiedCertificate);
            QCOMPARE(o.question.fingerprint, server.fingerprint);
            return;
        }
        QVERIFY2(o.message.contains(PublishServerName(settings)) && o.message.contains(message), qPrintable(o.message));
        if (o.trustAsked) // a changed key is refused, also when the caller says yes
            QVERIFY(!run.acceptTrust(o.question) && !run.prepare(m_site).ok);
        QCOMPARE(TreeProblem(m_expected, server.root + u"/site"_s, false), QString());
        if (fault == u"quota")
            QVERIFY(o.filesSent > 0);
    }

    void interrupted_data()
    {
        QTest::addColumn<PublishProtocol>("protocol");
        QTest::addColumn<bool>("kill");
        QTest::newRow("sftp server killed") << PublishProtocol::Sftp << true;
        QTest::newRow("ftp server killed") << PublishProtocol::Ftp << true;
        QTest::newRow("sftp cancelled") << PublishProtocol::Sftp << false;
        QTest::newRow("ftps cancelled") << PublishProtocol::Ftps << false;
    }
    // A transfer stopped in the middle of a file leaves no half file under a
    // real name, and the next run sends only the rest.
    void interrupted()
    {
        QFETCH(PublishProtocol, protocol);
        QFETCH(bool, kill);
        if (const QString why = missing(protocol); !why.isEmpty())
            QSKIP(qPrintable(why));
        TestServer server(protocol);
        QVERIFY2(server.start(), qPrintable(server.error));
        PublishRun run(server.settings(), server.password(), data());
        QVERIFY(prepareTrusting(run, server).ok);
        qint64 startOfFile = -1;
        const PublishOutcome o = run.send(false, [&](const PublishProgress &p) {
            if (p.currentFile != BigFile || startOfFile > p.bytesDone)
                return;
            if (startOfFile < 0)
                startOfFile = p.bytesDone;
            else if (p.bytesDone == startOfFile)
                return;
            else if (kill)
                server.stop();
            else
                run.cancel();
        });
        QVERIFY(!o.ok);
        QCOMPARE(o.cancelled, !kill);
        QVERIFY2(o.message.contains(kill ? u"との接続が切れました。"_s : u"への転送を中止しました。"_s), qPrintable(o.message));
        QCOMPARE(o.filesSent, 1);
        QCOMPARE(TreeProblem(m_expected, server.root + u"/site"_s, false), QString());

        if (kill)
            QVERIFY2(server.start(), qPrintable(server.error));
        PublishRun again(server.settings(), server.password(), data());
        QVERIFY(again.prepare(m_site).ok);
        const PublishOutcome rest = again.send(false);
        QVERIFY2(rest.ok, qPrintable(rest.message));
        QCOMPARE(rest.filesSent, AllEntries(m_expected).size() - 1);
        QCOMPARE(TreeProblem(m_expected, server.root + u"/site"_s, true), QString());
    }
};

QTEST_GUILESS_MAIN(TestPublish)
#include "tst_publish.moc"
