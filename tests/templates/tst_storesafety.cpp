// The user's template and script stores under attack: a damaged list is never
// written over and can be rebuilt from the files; a change killed at any step
// or stopped by a full disk leaves every listed name with its own text; links
// in the folders are replaced, never written through.
#include "AppPaths.h"
#include "FileSystemLimits.h"
#include "HinagataEdit.h"
#include "NumberedFolder.h"
#include "TaguSien_ListFile.h"
#include "TestSupport.h"
#include "WizList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <csignal>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The text of entry "Nx" (and of a rebuilt "名前なし x"), longer for a higher
// x, so that moving a text down needs room; the new entry is "新".
QByteArray Text(QString name)
{
    name.replace(u"名前なし "_s, u"N"_s);
    const QByteArray padding(name.mid(1).toInt() * 2500, 'x');
    return "<p>" + Sjis(name) + "</p>\r\n" + (padding.isEmpty() ? QByteArray() : padding + "\r\n");
}

// One of the two stores, the user HTML templates or the user basic scripts.
struct Store
{
    bool script = false;

    QString folder() const { return script ? AppPath(WizFolderUserBasic) : HinagataFolder(true, true); }
    NumberedFolder numbered() const
    {
        return script ? WizStore(folder()) : NumberedFolder{folder(), u"TempList.dat"_s, u"TempFile"_s};
    }
    QByteArray listBytes(const QStringList &names) const
    {
        QString line = script ? QString::number(names.size() - 1) : QString();
        for (const QString &n : names)
            line += (line.isEmpty() ? u""_s : u","_s) + n + u",D"_s;
        return Sjis(line + u"\r\n"_s);
    }
    // Entries N0..N(count-1), each file holding its own text.
    void fill(int count) const
    {
        QStringList names;
        QDir().mkpath(folder());
        for (int i = 0; i < count; ++i) {
            names << u"N%1"_s.arg(i);
            PutBytes(numbered().filePath(i), Text(names.last()));
        }
        if (count > 0)
            PutBytes(numbered().listPath(), listBytes(names));
    }
    QStringList names() const
    {
        QStringList out;
        if (script)
            for (const WizListEntry &e : LoadWizList(folder()))
                out << e.name;
        else
            for (const HinagataEntry &e : ReadTempList(folder()))
                out << e.name;
        return out;
    }
    QString problem() const { return script ? CheckWizList(folder()).problem : CheckTempList(folder()).problem; }
    bool add(QString *error = nullptr) const
    {
        return script ? NewWizDate(folder(), u"新"_s, u"説明"_s, false, error)
                      : AddHinagata(true, u"新"_s, u"説明"_s, u"<p>新</p>"_s, error);
    }
    bool del(int k, QString *error = nullptr) const
    {
        return script ? DelWizDate(folder(), qint16(k), error) : DelHinagata(true, k, error);
    }
    bool rebuild(QString *kept) const
    {
        return script ? RebuildWizList(folder(), kept) : RebuildTempList(true, kept);
    }
    QByteArray expected(const QString &name) const
    {
        return script && name == u"新" ? NewBasicWizDate.toLatin1() + "\r\n" : Text(name);
    }

    // Empty when every listed name opens its own text and the folder holds
    // nothing but the list, the listed files and kept old lists.
    QString mismatch(QStringList *listed) const
    {
        *listed = names();
        QStringList want;
        for (int i = 0; i < listed->size(); ++i) {
            want << QFileInfo(numbered().filePath(i)).fileName();
            if (ReadBytes(numbered().filePath(i)) != expected(listed->at(i)))
                return u"entry %1 (%2) holds %3"_s.arg(i).arg(listed->at(i), QString::fromLatin1(ReadBytes(numbered().filePath(i))));
        }
        if (!listed->isEmpty())
            want << numbered().listName;
        QStringList have = AllEntries(folder());
        have.removeIf([](const QString &n) { return n.contains(u"_old"_s); });
        want.sort();
        return have == want ? QString() : u"folder holds "_s + have.join(u' ');
    }
};

int g_killAt = -1;

void KillAtStep(int step)
{
    if (step == g_killAt)
        ::raise(SIGKILL);
}

// Runs work in a child process (as the user nobody when asNobody); its exit
// status, or -1 when killed, 77 when it could not become nobody.
int InChild(const std::function<bool()> &work, bool asNobody = false)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (asNobody && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(77);
        ::_exit(work() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

class TestStoreSafety : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    void freshAppDir(const QString &dir)
    {
        SetAppDir(dir);
        QDir(dir).removeRecursively();
        QVERIFY(QDir().mkpath(dir));
    }

    // Adds (k = -1) or deletes entry k.
    static bool run(const Store &s, int k, QString *error = nullptr) { return k < 0 ? s.add(error) : s.del(k, error); }

private Q_SLOTS:
    void init() { freshAppDir(m_dir.path() + u"/app"_s); }

    void damagedLists_data()
    {
        QTest::addColumn<bool>("script");
        QTest::addColumn<QByteArray>("list"); // or "<folder>", "<fifo>", "<mode 200>"
        QTest::addColumn<QList<int>>("files");
        QTest::addColumn<QStringList>("rebuilt"); // empty: the list is sound
        const QList<int> two{0, 1}, four{0, 1, 2, 3};
        QTest::newRow("template list with a byte-order mark")
            << false << QByteArray("\xEF\xBB\xBF" "N0,D,N1,D\r\n") << two << QStringList();
        QTest::newRow("script list with a byte-order mark")
            << true << QByteArray("\xEF\xBB\xBF" "1,N0,D,N1,D\r\n") << two << QStringList();
        QTest::newRow("cut template list") << false << QByteArray("N0,D,N1,D\r\n") << four
                                           << QStringList{u"N0"_s, u"N1"_s, u"N2"_s, u"N3"_s};
        QTest::newRow("cut script list") << true << QByteArray("3,N0,D,N1,") << four
                                         << QStringList{u"N0"_s, u"N1"_s, u"名前なし 2"_s, u"名前なし 3"_s};
        QTest::newRow("empty template list") << false << QByteArray() << two << QStringList{u"N0"_s, u"N1"_s};
        QTest::newRow("script list without its count")
            << true << QByteArray("N0,D,N1,D\r\n") << two
            << QStringList{u"名前なし 0"_s, u"名前なし 1"_s};
        QTest::newRow("unlisted file far behind")
            << false << QByteArray("N0,D\r\n") << QList<int>{0, 5} << QStringList{u"N0"_s, u"N5"_s};
        QTest::newRow("folder in place of the template list")
            << false << QByteArray("<folder>") << two << QStringList{u"N0"_s, u"N1"_s};
        QTest::newRow("FIFO in place of the script list")
            << true << QByteArray("<fifo>") << two << QStringList{u"名前なし 0"_s, u"名前なし 1"_s};
        QTest::newRow("unreadable note of a change")
            << false << QByteArray("<pending>") << two << QStringList{u"N0"_s, u"N1"_s};
        QTest::newRow("template list of mode 200") << false << QByteArray("<mode 200>") << two << QStringList();
        QTest::newRow("script list of mode 200") << true << QByteArray("<mode 200>") << two << QStringList();
    }

    void damagedLists()
    {
        QFETCH(bool, script);
        QFETCH(QByteArray, list);
        QFETCH(QList<int>, files);
        QFETCH(QStringList, rebuilt);
        const Store s{script};
        const NumberedFolder f = s.numbered();
        QVERIFY(QDir().mkpath(s.folder()));
        for (int n : files)
            QVERIFY(PutBytes(f.filePath(n), Text(u"N%1"_s.arg(n))));
        const bool mode200 = list == "<mode 200>";
        if (list == "<folder>")
            QVERIFY(QDir().mkpath(f.listPath()));
        else if (list == "<fifo>")
            QCOMPARE(::mkfifo(QFile::encodeName(f.listPath()).constData(), 0600), 0);
        else if (list == "<pending>")
            QVERIFY(PutBytes(f.pendingPath(), "garbage") && PutBytes(f.listPath(), s.listBytes({u"N0"_s, u"N1"_s})));
        else
            QVERIFY(PutBytes(f.listPath(), mode200 ? s.listBytes({u"N0"_s, u"N1"_s}) : list));
        const QStringList before = AllEntries(s.folder());
        QByteArray filesBefore;
        for (int n : files)
            filesBefore += ReadBytes(f.filePath(n));

        QString error;
        bool added = false;
        if (mode200) {
            // The list is written only by its owner, who cannot read it.
            QVERIFY(::chmod(QFile::encodeName(f.listPath()).constData(), 0200) == 0);
            if (::geteuid() == 0) {
                ::chmod(QFile::encodeName(m_dir.path()).constData(), 0755);
                QStringList owned{s.folder()};
                for (const QString &name : AllEntries(s.folder()))
                    owned << QDir(s.folder()).filePath(name);
                for (const QString &p : owned)
                    QVERIFY(::chown(QFile::encodeName(p).constData(), 65534, 65534) == 0);
                const int status = InChild([&] { return s.add(); }, true);
                if (status == 77)
                    QSKIP("this process cannot become the user nobody");
                added = status == 0;
            } else {
                added = s.add(&error);
            }
        } else {
            added = s.add(&error);
        }
        QStringList names;
        if (!mode200 && rebuilt.isEmpty()) {
            QVERIFY2(added, qPrintable(error));
            QCOMPARE(s.names(), (QStringList{u"N0"_s, u"N1"_s, u"新"_s}));
            QVERIFY2(s.mismatch(&names).isEmpty(), qPrintable(s.mismatch(&names)));
            return;
        }
        // Refused, nothing written; then rebuilt on request, the old list kept.
        QVERIFY(!added);
        QCOMPARE(AllEntries(s.folder()), before);
        QByteArray filesAfter;
        for (int n : files)
            filesAfter += ReadBytes(f.filePath(n));
        QCOMPARE(filesAfter, filesBefore);
        if (mode200)
            return;
        QVERIFY(!s.problem().isEmpty());
        QVERIFY(error.contains(s.problem()));
        QString kept;
        QVERIFY(s.rebuild(&kept));
        QCOMPARE(kept, QFileInfo(f.keptListPath(1)).fileName());
        QCOMPARE(s.names(), rebuilt);
        QVERIFY(s.problem().isEmpty());
        QVERIFY(s.add());
        const QString why = s.mismatch(&names);
        QVERIFY2(why.isEmpty(), qPrintable(why));
        QCOMPARE(names.size(), rebuilt.size() + 1);
    }

    void changes_data()
    {
        QTest::addColumn<bool>("script");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("k"); // -1: add
        QTest::addColumn<QStringList>("after");
        QTest::newRow("template: delete the middle of five")
            << false << 5 << 2 << QStringList{u"N0"_s, u"N1"_s, u"N3"_s, u"N4"_s};
        QTest::newRow("template: delete the only one") << false << 1 << 0 << QStringList();
        QTest::newRow("template: register") << false << 2 << -1 << QStringList{u"N0"_s, u"N1"_s, u"新"_s};
        QTest::newRow("script: delete the first of four")
            << true << 4 << 0 << QStringList{u"N1"_s, u"N2"_s, u"N3"_s};
        QTest::newRow("script: new") << true << 2 << -1 << QStringList{u"N0"_s, u"N1"_s, u"新"_s};
    }

    void killedAtEveryStep_data() { changes_data(); }

    void killedAtEveryStep()
    {
        QFETCH(bool, script);
        QFETCH(int, count);
        QFETCH(int, k);
        QFETCH(QStringList, after);
        const Store s{script};
        for (int at = 0;; ++at) {
            QVERIFY(at < 100);
            freshAppDir(AppDir());
            s.fill(count);
            const QStringList before = s.names();
            // What writes killed earlier left behind.
            PutBytes(s.numbered().listPath() + u".k3jq9a7"_s, "x");
            PutBytes(s.numbered().filePath(0) + u".zz0x12ab"_s, "x");
            g_killAt = at;
            const int status = InChild([&] {
                SetNumberedFolderStepHook(KillAtStep);
                return run(s, k);
            });
            // The next start reads the folder: every name opens its own text.
            QStringList names;
            const QString why = s.mismatch(&names);
            QVERIFY2(why.isEmpty(), qPrintable(u"killed at step %1: "_s.arg(at) + why));
            QVERIFY2(names == before || names == after, qPrintable(names.join(u' ')));
            if (status != -1) {
                QCOMPARE(status, 0);
                QCOMPARE(names, after);
                QVERIFY(at > 3);
                break;
            }
        }
    }

    void fullDiskAtEveryLevel_data() { changes_data(); }

    void fullDiskAtEveryLevel()
    {
        QFETCH(bool, script);
        QFETCH(int, count);
        QFETCH(int, k);
        QFETCH(QStringList, after);
        SmallDisk disk(256);
        if (!disk.mounted())
            QSKIP(qPrintable(disk.reason()));
        const Store s{script};
        for (int pages = 0;; ++pages) {
            QVERIFY(pages < 40);
            freshAppDir(disk.filePath(u"app"_s));
            s.fill(count);
            const QStringList before = s.names();
            QVERIFY(disk.fill(pages * 4096));
            QString error;
            const bool ok = run(s, k, &error);
            QVERIFY(ok || !error.isEmpty());
            // On the full disk, and again once there is room.
            for (int round = 0; round < 2; ++round) {
                QStringList names;
                const QString why = s.mismatch(&names);
                QVERIFY2(why.isEmpty(), qPrintable(u"%1 pages free: "_s.arg(pages) + why));
                QVERIFY(names == (ok ? after : before) || (!ok && names == after));
                QFile::remove(disk.filePath(u".filler"_s));
            }
            if (ok)
                break;
        }
    }

    void linksAreReplaced_data()
    {
        QTest::addColumn<bool>("script");
        QTest::addColumn<QString>("link");
        QTest::addColumn<int>("k"); // -1 add, -2 rename
        QTest::addColumn<bool>("done");
        QTest::newRow("template list, register") << false << u"TempList.dat"_s << -1 << true;
        QTest::newRow("template list, delete") << false << u"TempList.dat"_s << 1 << true;
        QTest::newRow("next template file, register") << false << u"TempFile2.dat"_s << -1 << false;
        QTest::newRow("script list, new") << true << u"WizList.dat"_s << -1 << true;
        QTest::newRow("script list, rename") << true << u"WizList.dat"_s << -2 << true;
        QTest::newRow("script file, delete") << true << u"WizDate0.dat"_s << 0 << true;
    }

    void linksAreReplaced()
    {
        QFETCH(bool, script);
        QFETCH(QString, link);
        QFETCH(int, k);
        QFETCH(bool, done);
        const Store s{script};
        s.fill(2);
        // Another user's file, where the link points.
        const QString victim = m_dir.path() + u"/victim"_s;
        QFile::remove(victim);
        const QString at = QDir(s.folder()).filePath(link);
        QVERIFY(QFileInfo::exists(at) ? QFile::rename(at, victim) : PutBytes(victim, "secret"));
        QVERIFY(QFile::link(victim, at));
        const QByteArray kept = ReadBytes(victim);
        QCOMPARE(k == -2 ? SetWizList(s.folder(), 0, u"改名"_s, u"説明"_s) : run(s, k), done);
        QCOMPARE(ReadBytes(victim), kept);
        QCOMPARE(QFileInfo(at).isSymLink(), !done);
    }
};

QTEST_GUILESS_MAIN(TestStoreSafety)
#include "tst_storesafety.moc"
