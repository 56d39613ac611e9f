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

#include <csignal>
#include <sys/stat.h>
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
    QByteArray listBytes(int count) const
    {
        QString line = script ? QString::number(count - 1) + u","_s : QString();
        for (int i = 0; i < count; ++i)
            line += u"N%1,D%2"_s.arg(i).arg(i + 1 < count ? u","_s : u"\r\n"_s);
        return Sjis(line);
    }
    // Entries N0..N(count-1), each file holding its own text.
    void fill(int count) const
    {
        QDir().mkpath(folder());
        for (int i = 0; i < count; ++i)
            PutBytes(numbered().filePath(i), Text(u"N%1"_s.arg(i)));
        if (count > 0)
            PutBytes(numbered().listPath(), listBytes(count));
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
    // Adds "新" (k = -1) or deletes entry k.
    bool run(int k, QString *error = nullptr) const
    {
        if (k >= 0)
            return script ? DelWizDate(folder(), qint16(k), error) : DelHinagata(true, k, error);
        return script ? NewWizDate(folder(), u"新"_s, u"説明"_s, false, error)
                      : AddHinagata(true, u"新"_s, u"説明"_s, u"<p>新</p>"_s, error);
    }
    bool rebuild(QString *kept) const { return script ? RebuildWizList(folder(), kept) : RebuildTempList(true, kept); }

    // Empty when every listed name opens its own text and the folder holds
    // nothing but the list, the listed files and kept old lists.
    QString mismatch(QStringList *listed) const
    {
        *listed = names();
        QStringList want;
        for (int i = 0; i < listed->size(); ++i) {
            want << QFileInfo(numbered().filePath(i)).fileName();
            const QByteArray text = script && listed->at(i) == u"新" ? NewBasicWizDate.toLatin1() + "\r\n"
                                                                      : Text(listed->at(i));
            if (ReadBytes(numbered().filePath(i)) != text)
                return u"entry %1 (%2) opens another text"_s.arg(i).arg(listed->at(i));
        }
        if (!listed->isEmpty())
            want << numbered().listName;
        QStringList have = AllEntries(folder());
        have.removeIf([](const QString &n) { return n.contains(u"_old"_s) || n.endsWith(u".backup"_s); });
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

private Q_SLOTS:
    void init() { freshAppDir(m_dir.path() + u"/app"_s); }

    void damagedLists_data()
    {
        QTest::addColumn<bool>("script");
        QTest::addColumn<QByteArray>("list"); // or "<folder>", "<fifo>", "<note>", "<mode 200>"
        QTest::addColumn<QList<int>>("files");
        QTest::addColumn<QStringList>("rebuilt"); // empty: the list is sound
        const QList<int> two{0, 1}, four{0, 1, 2, 3};
        const QStringList n01{u"N0"_s, u"N1"_s}, unnamed01{u"名前なし 0"_s, u"名前なし 1"_s};
        QTest::newRow("template list with a byte-order mark") << false << QByteArray("\xEF\xBB\xBFN0,D,N1,D") << two << QStringList();
        QTest::newRow("script list with a byte-order mark") << true << QByteArray("\xEF\xBB\xBF" "1,N0,D,N1,D") << two << QStringList();
        QTest::newRow("cut template list") << false << QByteArray("N0,D,N1,D\r\n") << four << (QStringList(n01) << u"N2"_s << u"N3"_s);
        QTest::newRow("cut script list") << true << QByteArray("3,N0,D,N1,") << four << (QStringList(n01) << u"名前なし 2"_s << u"名前なし 3"_s);
        QTest::newRow("empty template list") << false << QByteArray() << two << n01;
        QTest::newRow("script list without its count") << true << QByteArray("N0,D,N1,D") << two << unnamed01;
        QTest::newRow("unlisted file far behind") << false << QByteArray("N0,D") << QList<int>{0, 5} << QStringList{u"N0"_s, u"N5"_s};
        QTest::newRow("folder in place of the template list") << false << QByteArray("<folder>") << two << n01;
        QTest::newRow("FIFO in place of the script list") << true << QByteArray("<fifo>") << two << unnamed01;
        QTest::newRow("unreadable note of a change") << false << QByteArray("<note>") << two << n01;
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
        const QByteArray path = QFile::encodeName(f.listPath());
        const bool mode200 = list == "<mode 200>";
        QVERIFY(QDir().mkpath(s.folder()));
        for (int n : files)
            QVERIFY(PutBytes(f.filePath(n), Text(u"N%1"_s.arg(n))));
        if (list == "<folder>")
            QVERIFY(QDir().mkpath(f.listPath()));
        else if (list == "<fifo>")
            QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        else
            QVERIFY(PutBytes(f.listPath(), list.startsWith('<') ? s.listBytes(2) : list));
        if (list == "<note>")
            QVERIFY(PutBytes(f.pendingPath(), "garbage"));
        const auto snapshot = [&] {
            QStringList out = AllEntries(s.folder());
            for (int n : files)
                out << QString::fromLatin1(ReadBytes(f.filePath(n)).toBase64());
            return out;
        };
        const QStringList before = snapshot();

        QString error;
        bool added = !mode200 && s.run(-1, &error);
        if (mode200) {
            // The list may be written by its owner, who cannot read it.
            QCOMPARE(::chmod(path.constData(), 0200), 0);
            if (::geteuid() == 0) {
                ::chmod(QFile::encodeName(m_dir.path()).constData(), 0755);
                const QStringList owned = AllEntries(s.folder()) << QString();
                for (const QString &p : owned)
                    QCOMPARE(::chown(QFile::encodeName(s.folder() + u'/' + p).constData(), 65534, 65534), 0);
            }
            const int status = ::geteuid() == 0 ? InChild([&] { return s.run(-1); }, true) : !s.run(-1);
            if (status == 77)
                QSKIP("this process cannot become the user nobody");
            added = status == 0;
        }
        QStringList names;
        if (!mode200 && rebuilt.isEmpty()) {
            QVERIFY2(added, qPrintable(error));
            QCOMPARE(s.names(), (QStringList{u"N0"_s, u"N1"_s, u"新"_s}));
            QVERIFY(s.mismatch(&names).isEmpty());
            return;
        }
        // Refused, nothing written; then rebuilt on request, the old list kept.
        QVERIFY(!added);
        QCOMPARE(snapshot(), before);
        if (mode200)
            return;
        QVERIFY(!s.problem().isEmpty() && error.contains(s.problem()));
        QString kept;
        QVERIFY(s.rebuild(&kept));
        QCOMPARE(kept, QFileInfo(f.keptListPath(1)).fileName());
        QCOMPARE(s.names(), rebuilt);
        QVERIFY(s.problem().isEmpty() && s.run(-1));
        const QString why = s.mismatch(&names);
        QVERIFY2(why.isEmpty() && names.size() == rebuilt.size() + 1, qPrintable(why));
    }

    void interrupted_data()
    {
        QTest::addColumn<bool>("kill"); // else a full disk
        QTest::addColumn<bool>("script");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("k"); // -1: add
        QTest::addColumn<QStringList>("after");
        for (bool kill : {true, false}) {
            const char *how = kill ? "killed, " : "full disk, ";
            QTest::addRow("%stemplate: delete the middle of five", how)
                << kill << false << 5 << 2 << QStringList{u"N0"_s, u"N1"_s, u"N3"_s, u"N4"_s};
            QTest::addRow("%stemplate: delete the only one", how) << kill << false << 1 << 0 << QStringList();
            QTest::addRow("%stemplate: register", how) << kill << false << 2 << -1 << QStringList{u"N0"_s, u"N1"_s, u"新"_s};
            QTest::addRow("%sscript: delete the first of four", how)
                << kill << true << 4 << 0 << QStringList{u"N1"_s, u"N2"_s, u"N3"_s};
            QTest::addRow("%sscript: new", how) << kill << true << 2 << -1 << QStringList{u"N0"_s, u"N1"_s, u"新"_s};
        }
    }

    // Stops the change at every step (killed) or with every amount of room
    // left (a full disk), until it goes through. After each stop the next
    // reading of the folder finds every listed name with its own text, the
    // change either whole or not made, and no leftovers.
    void interrupted()
    {
        QFETCH(bool, kill);
        QFETCH(bool, script);
        QFETCH(int, count);
        QFETCH(int, k);
        QFETCH(QStringList, after);
        SmallDisk disk(256);
        if (!kill && !disk.mounted())
            QSKIP(qPrintable(disk.reason()));
        const Store s{script};
        for (int level = 0;; ++level) {
            QVERIFY(level < 40);
            freshAppDir(kill ? AppDir() : disk.filePath(u"app"_s));
            s.fill(count);
            const QStringList before = s.names();
            // What writes killed earlier left behind.
            PutBytes(s.numbered().listPath() + u".qvtmpk3jq9a7"_s, "x");
            PutBytes(s.numbered().filePath(0) + u".qvtmpzz0x12ab"_s, "x");
            PutBytes(s.numbered().listPath() + u".backup"_s, "the user's own"); // stays
            g_killAt = level;
            QString error;
            QVERIFY(kill || disk.fill(level * 4096));
            const int status = kill ? InChild([&] {
                SetNumberedFolderStepHook(KillAtStep);
                return s.run(k);
            })
                                    : (s.run(k, &error) ? 0 : 1);
            QVERIFY(status != 1 || !error.isEmpty());
            QStringList names;
            const QString why = s.mismatch(&names);
            QVERIFY2(why.isEmpty(), qPrintable(u"stopped at %1: "_s.arg(level) + why));
            QVERIFY(QFileInfo::exists(s.numbered().listPath() + u".backup"_s));
            QVERIFY2(names == after || (status != 0 && names == before), qPrintable(names.join(u' ')));
            QFile::remove(disk.filePath(u".filler"_s));
            if (status == 0) {
                QVERIFY(level > 3 || !kill);
                break;
            }
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
        const QString at = QDir(s.folder()).filePath(link);
        QFile::remove(victim);
        QVERIFY(QFileInfo::exists(at) ? QFile::rename(at, victim) : PutBytes(victim, "secret"));
        QVERIFY(QFile::link(victim, at));
        const QByteArray kept = ReadBytes(victim);
        QCOMPARE(k == -2 ? SetWizList(s.folder(), 0, u"改名"_s, u"説明"_s) : s.run(k), done);
        QCOMPARE(ReadBytes(victim), kept);
        QCOMPARE(QFileInfo(at).isSymLink(), !done);
    }
};

QTEST_GUILESS_MAIN(TestStoreSafety)
#include "tst_storesafety.moc"
