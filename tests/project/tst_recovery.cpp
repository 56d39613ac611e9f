// Recovery records: their file (a project file with one more line), the slots
// that keep two running copies of the program apart, and the writer thread.
#include "AppPaths.h"
#include "Cp932.h"
#include "ProjectFile.h"
#include "Recovery.h"
#include "TestSupport.h"
#include "TextFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSemaphore>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#ifdef Q_OS_UNIX
#include <csignal>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

ProjectDates SampleProject()
{
    ProjectDates p;
    NewStartProject(p);
    p.Html[0].HtmlStr = u"<html>\r\n<body>日本語のページ<!--しおり：目次--></body>\r\n</html>"_s;
    AddHtmlDat(p, u"二ページ目"_s, u"page2"_s, u"<p>二</p>\r\n"_s, u".html"_s);
    AddPictDat(p, u"写真"_s, u"photo"_s, u"/home/u/photo.gif"_s, u".gif"_s);
    AddElseFileDat(p, u"資料"_s, u"doc"_s, u"/home/u/doc.pdf"_s, u".pdf"_s);
    p.SioriList = {u"目次"_s};
    p.SyuturyokuFolder = u"/home/u/out"_s;
    p.ProjectPath = u"/home/u/サイト.hpf"_s;
    p.NowHtml = 1;
    return p;
}

bool SameTables(const ProjectDates &a, const ProjectDates &b)
{
    return a.Html == b.Html && a.Pict == b.Pict && a.ElseFile == b.ElseFile && a.SioriList == b.SioriList
           && a.SyuturyokuFolder == b.SyuturyokuFolder;
}

// The process id of a process that has ended.
qint64 deadPid()
{
    QProcess p;
    p.start(u"/bin/sleep"_s, {u"0.1"_s});
    if (!p.waitForStarted())
        return 0;
    const qint64 pid = p.processId();
    p.waitForFinished();
    return pid;
}

} // namespace

class TestRecovery : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    // The record file
    void recordOpensAsProjectFile();
    void recordKeepsPathAndPage();
    void pathOfAnyCharacters_data();
    void pathOfAnyCharacters();
    void fieldsTheFormatCannotCarry_data();
    void fieldsTheFormatCannotCarry();
    void projectFileWithoutInfoLine();
    void pageOutOfRangeShowsFirstPage();
    void damagedRecords();

    // Slots
    void twoCopiesTakeTwoSlots();
    void runningCopysRecordIsNotOffered();
    void recordOfCopyThatIsGoneIsOfferedOnce();
    void staleLockOfDeadProcess();
    void newestRecordFirst();
    void keptAsideOpensAsProject();
    void adoptedRecordIsOwnAndClosed();
    void halfWrittenCopiesRemoved();
    void otherUsersRecordsLeftAlone();
    void folderThatCannotBeMade();
    void lockThatNamesNoRunningCopy_data();
    void lockThatNamesNoRunningCopy();
    void leftoversOfKilledWritesRemoved();

    // Writer
    void writeThenRemove();
    void removeThenWrite();
    void newestWaitingWriteWins();
    void sameRecordNotWrittenAgain();
    void writeFailureReported();
    void shownPageReadOnWriterThread();

private:
    QString folder() const { return JoinPath(m_dir->path(), u"Recovery"_s); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestRecovery::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    SetAppDir(m_dir->path());
}

void TestRecovery::recordOpensAsProjectFile()
{
    const ProjectDates p = SampleProject();
    const QString path = JoinPath(m_dir->path(), u"r.hpf"_s);
    QVERIFY(PutBytes(path, EncodeRecoveryFile(p)));
    ProjectDates opened;
    NewStartProject(opened);
    QCOMPARE(LoadProjectFile(path, opened), qint16(LoadOk));
    QVERIFY(SameTables(opened, p));
    // The project part is exactly what a save writes.
    QVERIFY(ReadBytes(path).startsWith(EncodeProjectFile(p)));
}

void TestRecovery::recordKeepsPathAndPage()
{
    const ProjectDates p = SampleProject();
    const QString path = JoinPath(m_dir->path(), u"r.hpf"_s);
    QVERIFY(PutBytes(path, EncodeRecoveryFile(p)));
    const RecoveryContents r = ReadRecoveryFile(path);
    QCOMPARE(r.code, qint16(LoadOk));
    QVERIFY(SameTables(r.project, p));
    QCOMPARE(r.project.ProjectPath, p.ProjectPath);
    QCOMPARE(r.project.NowHtml, qint16(1));
    QVERIFY(r.written.isValid());
}

void TestRecovery::pathOfAnyCharacters_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("never saved") << NewProjectPath;
    QTest::newRow("Japanese") << u"/home/u/ホームページ/作品.hpf"_s;
    QTest::newRow("comma and blanks") << u"/home/u/a, b/ c .hpf"_s;
    QTest::newRow("outside code page 932") << u"/home/u/😀 🍣/한국어.hpf"_s;
    QTest::newRow("percent and quotes") << u"/home/u/100%\"'.hpf"_s;
    QTest::newRow("info marker in the path") << u"/x/$RecoveryInfo$,3,/y.hpf"_s;
}

void TestRecovery::pathOfAnyCharacters()
{
    QFETCH(QString, path);
    ProjectDates p = SampleProject();
    p.ProjectPath = path;
    const RecoveryContents r = ReadRecoveryBytes(EncodeRecoveryFile(p));
    QCOMPARE(r.code, qint16(LoadOk));
    QCOMPARE(r.project.ProjectPath, path);
    QCOMPARE(r.project.NowHtml, qint16(1));
}

void TestRecovery::fieldsTheFormatCannotCarry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("recorded");
    QTest::newRow("comma") << u"目次,上"_s << u"目次，上"_s;
    QTest::newRow("line break") << u"一\r\n二"_s << u"一 二"_s;
    QTest::newRow("leading blanks") << u"  名前"_s << u"名前"_s;
    QTest::newRow("leading quote") << u"\"引用"_s << u"＂引用"_s;
    QTest::newRow("NUL") << (u"名"_s + QChar(0) + u"前"_s) << u"名前"_s;
    QTest::newRow("plain") << u"普通の名前"_s << u"普通の名前"_s;
}

// A project that cannot be saved as it stands is still recorded whole: the
// names that would break the file are written in a form it carries, and every
// table keeps its size and order.
void TestRecovery::fieldsTheFormatCannotCarry()
{
    QFETCH(QString, name);
    QFETCH(QString, recorded);
    ProjectDates p = SampleProject();
    p.Html[0].DatName = name;
    p.Pict[0].FilePath = name;
    p.SioriList = {name, u"次"_s};
    p.SyuturyokuFolder = name;
    p.Html[1].HtmlStr = u"前\r\n"_s + PageEndMarker + u"\r\n後 "_s + PageEndMarker;
    const RecoveryContents r = ReadRecoveryBytes(EncodeRecoveryFile(p));
    QCOMPARE(r.code, qint16(LoadOk));
    QCOMPARE(r.project.Html.size(), 2);
    QCOMPARE(r.project.Html[0].DatName, recorded);
    QCOMPARE(r.project.Html[0].HtmlStr, p.Html[0].HtmlStr);
    QCOMPARE(r.project.Pict[0].FilePath, recorded);
    QCOMPARE(r.project.SioriList, QStringList({recorded, u"次"_s}));
    QCOMPARE(r.project.SyuturyokuFolder, recorded);
    // The line equal to the marker reads "/" as a browser does; the marker
    // inside a line stays.
    QCOMPARE(r.project.Html[1].HtmlStr, u"前\r\n&#47;$/End_HtmlDat_String/$/\r\n後 "_s + PageEndMarker);
    QCOMPARE(r.project.Html[1].DatName, p.Html[1].DatName);
    QCOMPARE(r.project.ProjectPath, p.ProjectPath);
}

void TestRecovery::projectFileWithoutInfoLine()
{
    ProjectDates p = SampleProject();
    const RecoveryContents r = ReadRecoveryBytes(EncodeProjectFile(p));
    QCOMPARE(r.code, qint16(LoadOk));
    QVERIFY(SameTables(r.project, p));
    QCOMPARE(r.project.ProjectPath, NewProjectPath);
    QCOMPARE(r.project.NowHtml, qint16(0));
}

void TestRecovery::pageOutOfRangeShowsFirstPage()
{
    for (const QByteArray &page : {QByteArrayLiteral("7"), QByteArrayLiteral("-1"), QByteArrayLiteral("x")}) {
        QByteArray bytes = EncodeProjectFile(SampleProject());
        bytes += "$RecoveryInfo$," + page + ",%2Fa.hpf,\r\n";
        const RecoveryContents r = ReadRecoveryBytes(bytes);
        QCOMPARE(r.code, qint16(LoadOk));
        QCOMPARE(r.project.NowHtml, qint16(0));
        QCOMPARE(r.project.ProjectPath, u"/a.hpf"_s);
    }
}

// Every cut of a record and a few thousand random changes: the reader never
// crashes and either loads a project whose shown page exists or refuses.
void TestRecovery::damagedRecords()
{
    const QByteArray whole = EncodeRecoveryFile(SampleProject());
    for (qsizetype n = 0; n < whole.size(); ++n) {
        const RecoveryContents r = ReadRecoveryBytes(whole.left(n));
        if (r.code == LoadOk)
            QVERIFY(r.project.NowHtml >= 0 && r.project.NowHtml < r.project.Html.size());
        else
            QVERIFY(r.code == LoadNotProject || r.code == LoadBroken);
    }
    QRandomGenerator rng(77);
    const QByteArray noise = QByteArrayLiteral(",\r\n$%\x82\xa0\x00\xff-1");
    for (int round = 0; round < 3000; ++round) {
        QByteArray b = whole;
        const int changes = rng.bounded(1, 6);
        for (int k = 0; k < changes; ++k) {
            const qsizetype at = rng.bounded(b.size());
            switch (rng.bounded(3)) {
            case 0:
                b[at] = noise.at(rng.bounded(noise.size()));
                break;
            case 1:
                b.remove(at, rng.bounded(1, 20));
                break;
            default:
                b.insert(at, noise.mid(rng.bounded(noise.size())));
                break;
            }
        }
        const RecoveryContents r = ReadRecoveryBytes(b);
        if (r.code == LoadOk)
            QVERIFY(r.project.NowHtml >= 0 && r.project.NowHtml < r.project.Html.size());
    }
}

void TestRecovery::twoCopiesTakeTwoSlots()
{
    RecoveryStore a(folder());
    RecoveryStore b(folder());
    QVERIFY(a.takeFreeSlot());
    QVERIFY(b.takeFreeSlot());
    QCOMPARE(a.ownSlot(), 1);
    QCOMPARE(b.ownSlot(), 2);
    QVERIFY(a.ownPath() != b.ownPath());
    QVERIFY(QFileInfo::exists(a.lockPath(1)));
    // A slot given up is taken again.
    a.close();
    RecoveryStore c(folder());
    QVERIFY(c.takeFreeSlot());
    QCOMPARE(c.ownSlot(), 1);
}

void TestRecovery::runningCopysRecordIsNotOffered()
{
    RecoveryStore running(folder());
    QVERIFY(running.takeFreeSlot());
    QVERIFY(PutBytes(running.ownPath(), EncodeRecoveryFile(SampleProject())));
    RecoveryStore starting(folder());
    QVERIFY(starting.claimOrphans().isEmpty());
    QVERIFY(starting.takeFreeSlot());
    QCOMPARE(starting.ownSlot(), 2);
    QVERIFY(QFileInfo::exists(running.ownPath()));
}

void TestRecovery::recordOfCopyThatIsGoneIsOfferedOnce()
{
    QString record;
    {
        // A copy that ends without removing its record (its lock goes with
        // it, as when the process is killed).
        RecoveryStore gone(folder());
        QVERIFY(gone.takeFreeSlot());
        record = gone.ownPath();
        QVERIFY(PutBytes(record, EncodeRecoveryFile(SampleProject())));
    }
    RecoveryStore first(folder());
    const QList<RecoveryStore::Orphan> found = first.claimOrphans();
    QCOMPARE(found.size(), 1);
    QCOMPARE(found.at(0).path, record);
    QCOMPARE(found.at(0).slot, 1);
    // While one copy holds it, another starting at the same time does not
    // see it, and takes another slot.
    RecoveryStore second(folder());
    QVERIFY(second.claimOrphans().isEmpty());
    QVERIFY(second.takeFreeSlot());
    QCOMPARE(second.ownSlot(), 2);
    // Given up, it is offered again.
    first.release(1);
    QCOMPARE(second.claimOrphans().size(), 1);
}

void TestRecovery::staleLockOfDeadProcess()
{
    QString lockText;
    {
        RecoveryStore gone(folder());
        QVERIFY(gone.takeFreeSlot());
        QVERIFY(PutBytes(gone.ownPath(), EncodeRecoveryFile(SampleProject())));
        lockText = QString::fromUtf8(ReadBytes(gone.lockPath(1)));
    }
    // The lock file a killed process leaves: its own process id, now ended.
    QStringList lines = lockText.split(u'\n');
    QVERIFY(lines.size() >= 3);
    const qint64 pid = deadPid();
    QVERIFY(pid > 0);
    lines[0] = QString::number(pid);
    RecoveryStore probe(folder());
    QVERIFY(PutBytes(probe.lockPath(1), lines.join(u'\n').toUtf8()));
    const QList<RecoveryStore::Orphan> found = probe.claimOrphans();
    QCOMPARE(found.size(), 1);
    QCOMPARE(found.at(0).slot, 1);
}

void TestRecovery::newestRecordFirst()
{
    QDir().mkpath(folder());
    RecoveryStore names(folder());
    const QDateTime now = QDateTime::currentDateTime();
    for (int slot : {1, 2, 3}) {
        QFile f(names.recordPath(slot));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(EncodeRecoveryFile(SampleProject()));
        QVERIFY(f.flush());
        // Slot 2 newest, then 3, then 1.
        const int age = slot == 2 ? 10 : slot == 3 ? 20 : 30;
        QVERIFY(f.setFileTime(now.addSecs(-age), QFileDevice::FileModificationTime));
    }
    RecoveryStore store(folder());
    const QList<RecoveryStore::Orphan> found = store.claimOrphans();
    QCOMPARE(found.size(), 3);
    QCOMPARE(found.at(0).slot, 2);
    QCOMPARE(found.at(1).slot, 3);
    QCOMPARE(found.at(2).slot, 1);
}

void TestRecovery::keptAsideOpensAsProject()
{
    QDir().mkpath(folder());
    RecoveryStore names(folder());
    const QDateTime when(QDate(2026, 3, 4), QTime(5, 6, 7));
    for (int slot : {1, 2}) {
        QFile f(names.recordPath(slot));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(EncodeRecoveryFile(SampleProject()));
        QVERIFY(f.flush());
        QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
    }
    RecoveryStore store(folder());
    QCOMPARE(store.claimOrphans().size(), 2);
    const QString expectedFirst = JoinPath(folder(), u"Recovered-20260304-050607.hpf"_s);
    QCOMPARE(store.asideName(1), expectedFirst);
    QCOMPARE(store.keepAside(1), expectedFirst);
    QCOMPARE(store.keepAside(2), JoinPath(folder(), u"Recovered-20260304-050607-2.hpf"_s));
    QVERIFY(!QFileInfo::exists(store.recordPath(1)));
    QVERIFY(!QFileInfo::exists(store.recordPath(2)));
    ProjectDates opened;
    QCOMPARE(LoadProjectFile(expectedFirst, opened), qint16(LoadOk));
    QVERIFY(SameTables(opened, SampleProject()));
    // Kept aside, a record is no longer offered; both slots are free.
    RecoveryStore later(folder());
    QVERIFY(later.claimOrphans().isEmpty());
    QVERIFY(later.takeFreeSlot());
    QCOMPARE(later.ownSlot(), 1);
}

void TestRecovery::adoptedRecordIsOwnAndClosed()
{
    {
        RecoveryStore gone(folder());
        QVERIFY(gone.takeFreeSlot());
        QVERIFY(PutBytes(gone.ownPath(), EncodeRecoveryFile(SampleProject())));
    }
    RecoveryStore store(folder());
    QCOMPARE(store.claimOrphans().size(), 1);
    QVERIFY(store.adopt(1));
    QCOMPARE(store.ownSlot(), 1);
    QVERIFY(store.takeFreeSlot()); // keeps the adopted slot
    QCOMPARE(store.ownSlot(), 1);
    QVERIFY(QFileInfo::exists(store.ownPath()));
    RecoveryStore other(folder());
    QVERIFY(other.claimOrphans().isEmpty());
    store.close();
    QVERIFY(!QFileInfo::exists(store.recordPath(1)));
    QVERIFY(!QFileInfo::exists(store.lockPath(1)));
    QVERIFY(other.claimOrphans().isEmpty());
}

void TestRecovery::halfWrittenCopiesRemoved()
{
    QDir().mkpath(folder());
    RecoveryStore store(folder());
    const QString half = store.recordPath(1) + u".qvtmpab3de9"_s;
    const QString unrelated = JoinPath(folder(), u"notes.txt"_s);
    QVERIFY(PutBytes(half, "cut off"));
    QVERIFY(PutBytes(unrelated, "mine"));
    QVERIFY(store.takeFreeSlot());
    QVERIFY(!QFileInfo::exists(half));
    QVERIFY(QFileInfo::exists(unrelated));
}

void TestRecovery::otherUsersRecordsLeftAlone()
{
#ifdef Q_OS_UNIX
    if (::getuid() != 0)
        QSKIP("giving a file to another user needs root");
    QDir().mkpath(folder());
    RecoveryStore names(folder());
    QVERIFY(PutBytes(names.recordPath(1), EncodeRecoveryFile(SampleProject())));
    QVERIFY(::chown(QFile::encodeName(names.recordPath(1)).constData(), 65534, 65534) == 0);
    RecoveryStore store(folder());
    QVERIFY(store.claimOrphans().isEmpty());
    QVERIFY(QFileInfo::exists(names.recordPath(1)));
#else
    QSKIP("file owners are a Unix matter here");
#endif
}

void TestRecovery::folderThatCannotBeMade()
{
    // A file where the folder should be.
    QVERIFY(PutBytes(folder(), "not a folder"));
    RecoveryStore store(folder());
    QVERIFY(store.claimOrphans().isEmpty());
    QVERIFY(!store.takeFreeSlot());
    QVERIFY(store.ownPath().isEmpty());
    store.close();
}

void TestRecovery::lockThatNamesNoRunningCopy_data()
{
    // %1 stands for a process id, %2 for this machine's name, %3 for this
    // program's name, %4 for the name of the process's program.
    QTest::addColumn<QByteArray>("lock");
    QTest::addColumn<QString>("process"); // "self", "other user", "" (none)
    QTest::addColumn<bool>("offered");
    QTest::newRow("empty") << QByteArray() << QString() << true;
    QTest::newRow("damaged") << QByteArray("\x01\xff garbage\n") << QString() << true;
    QTest::newRow("process id 0") << QByteArray("0\nquorvel\n%2\n") << QString() << true;
    QTest::newRow("another machine") << QByteArray("%1\nquorvel\nsome-other-machine\n") << u"self"_s << true;
    // Named with that process's own program, so that only its owner tells.
    QTest::newRow("a live process of another user") << QByteArray("%1\n%4\n%2\n") << u"other user"_s << true;
    QTest::newRow("a live process of this user") << QByteArray("%1\n%3\n%2\n") << u"self"_s << false;
}

// A lock file that no running copy of the program can have written does not
// hide the record beside it.
void TestRecovery::lockThatNamesNoRunningCopy()
{
    QFETCH(QByteArray, lock);
    QFETCH(QString, process);
    QFETCH(bool, offered);
    QProcess other;
    qint64 pid = QCoreApplication::applicationPid();
    if (process == u"other user") {
        if (::getuid() != 0) {
            pid = 1; // init belongs to root
        } else {
            // Root starts a process as nobody, when the machine has the tool.
            other.start(u"setpriv"_s, {u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s,
                                       u"sleep"_s, u"30"_s});
            if (!other.waitForStarted(5000))
                QSKIP("setpriv cannot start a process as another user here");
            pid = other.processId();
            QTRY_COMPARE(QFileInfo(u"/proc/%1"_s.arg(pid)).ownerId(), 65534u);
        }
    }
    lock.replace("%1", QByteArray::number(pid));
    lock.replace("%2", QSysInfo::machineHostName().toLocal8Bit());
    lock.replace("%3", QCoreApplication::applicationName().toLocal8Bit());
    const QString exe = QFileInfo(u"/proc/%1/exe"_s.arg(pid)).symLinkTarget();
    lock.replace("%4", (exe.isEmpty() ? u"init"_s : QFileInfo(exe).fileName()).toLocal8Bit());
    QDir().mkpath(folder());
    RecoveryStore names(folder());
    QVERIFY(PutBytes(names.recordPath(1), EncodeRecoveryFile(SampleProject())));
    QVERIFY(PutBytes(names.lockPath(1), lock));
    RecoveryStore store(folder());
    const QList<RecoveryStore::Orphan> found = store.claimOrphans();
    QCOMPARE(found.size(), offered ? 1 : 0);
    // Offered once: the claim holds a real lock now.
    QVERIFY(RecoveryStore(folder()).claimOrphans().isEmpty());
    other.kill();
    other.waitForFinished();
}

// A copy killed in the middle of writing its record leaves the writer's
// temporary file; the next copy that takes the slot removes it, and so does
// any start for a slot that no record uses any more.
void TestRecovery::leftoversOfKilledWritesRemoved()
{
    QDir().mkpath(folder());
    RecoveryStore names(folder());
    for (int i = 0; i < 40; ++i) { // killed between the writer's open and commit
        QCOMPARE(InChild([&] {
            AtomicFileWriter w(names.recordPath(i < 30 ? 1 : 7));
            return w.open() && w.write("cut off record") && ::raise(SIGKILL) == 0;
        }), -1);
    }
    QCOMPARE(QDir(folder()).entryList(QDir::Files).size(), 40);
    // Names a user or another program may have put there stay.
    const QStringList others{u"Recovery1.hpf.keep-me"_s, u"Recovery1.hpf.backup"_s, u"Recovery1.hpf.abcdefghi"_s,
                              u"notes.txt"_s};
    for (const QString &name : others)
        QVERIFY(PutBytes(JoinPath(folder(), name), "mine"));
    RecoveryStore store(folder());
    QVERIFY(store.claimOrphans().isEmpty()); // slot 7 has no record: swept
    QVERIFY(store.takeFreeSlot());
    QStringList now = QDir(folder()).entryList(QDir::Files);
    QStringList want = others + QStringList{u"Recovery1.lock"_s};
    now.sort();
    want.sort();
    QCOMPARE(now, want);
}

void TestRecovery::writeThenRemove()
{
    QDir().mkpath(folder());
    const QString path = JoinPath(folder(), u"Recovery1.hpf"_s);
    RecoveryWriter w;
    w.setPath(path);
    QSignalSpy written(&w, &RecoveryWriter::written);
    QSignalSpy removed(&w, &RecoveryWriter::removed);
    const quint64 serial = w.write({SampleProject(), {}});
    w.remove();
    w.waitForDone();
    QVERIFY(!QFileInfo::exists(path));
    QTRY_COMPARE(removed.count(), 1);
    // The write may have run before the removal or been dropped; never after.
    if (!written.isEmpty())
        QCOMPARE(written.at(0).at(0).toULongLong(), serial);
    QVERIFY(!w.busy());
}

void TestRecovery::removeThenWrite()
{
    QDir().mkpath(folder());
    const QString path = JoinPath(folder(), u"Recovery1.hpf"_s);
    RecoveryWriter w;
    w.setPath(path);
    w.write({SampleProject(), {}});
    w.waitForDone();
    QVERIFY(QFileInfo::exists(path));
    ProjectDates changed = SampleProject();
    changed.Html[0].HtmlStr += u"追記"_s;
    w.remove();
    w.write({changed, {}});
    w.waitForDone();
    QVERIFY(QFileInfo::exists(path));
    QCOMPARE(ReadRecoveryFile(path).project.Html[0].HtmlStr, changed.Html[0].HtmlStr);
}

// While a write runs, requests that come in wait; only the newest is written.
void TestRecovery::newestWaitingWriteWins()
{
    QDir().mkpath(folder());
    const QString path = JoinPath(folder(), u"Recovery1.hpf"_s);
    RecoveryWriter w;
    w.setPath(path);
    QSemaphore entered;
    QSemaphore go;
    w.beforeWrite = [&] {
        entered.release();
        go.acquire();
    };
    QSignalSpy written(&w, &RecoveryWriter::written);
    ProjectDates p = SampleProject();
    const quint64 first = w.write({p, {}});
    QVERIFY(entered.tryAcquire(1, 10000));
    p.Html[0].HtmlStr = u"二回目"_s;
    w.write({p, {}});
    p.Html[0].HtmlStr = u"三回目"_s;
    const quint64 third = w.write({p, {}});
    go.release(2);
    w.waitForDone();
    QTRY_COMPARE(written.count(), 2);
    QCOMPARE(written.at(0).at(0).toULongLong(), first);
    QCOMPARE(written.at(1).at(0).toULongLong(), third);
    QCOMPARE(ReadRecoveryFile(path).project.Html[0].HtmlStr, u"三回目"_s);
}

void TestRecovery::sameRecordNotWrittenAgain()
{
    QDir().mkpath(folder());
    const QString path = JoinPath(folder(), u"Recovery1.hpf"_s);
    RecoveryWriter w;
    w.setPath(path);
    QSignalSpy written(&w, &RecoveryWriter::written);
    int writes = 0;
    w.beforeWrite = [&] { ++writes; };
    w.write({SampleProject(), {}});
    w.waitForDone();
    w.write({SampleProject(), {}});
    w.waitForDone();
    QCOMPARE(writes, 2);
    QTRY_COMPARE(written.count(), 1);
    // Once removed, the same record is written again.
    QFile::remove(path);
    w.write({SampleProject(), {}});
    w.waitForDone();
    QVERIFY(QFileInfo::exists(path));
    QTRY_COMPARE(written.count(), 2);
}

void TestRecovery::writeFailureReported()
{
    RecoveryWriter w;
    w.setPath(JoinPath(m_dir->path(), u"missing/Recovery1.hpf"_s));
    QSignalSpy written(&w, &RecoveryWriter::written);
    w.write({SampleProject(), {}});
    w.waitForDone();
    QTRY_COMPARE(written.count(), 1);
    QCOMPARE(written.at(0).at(1).toBool(), false);
    QVERIFY(!written.at(0).at(2).toString().isEmpty());
}

void TestRecovery::shownPageReadOnWriterThread()
{
    QDir().mkpath(folder());
    const QString path = JoinPath(folder(), u"Recovery1.hpf"_s);
    RecoveryWriter w;
    w.setPath(path);
    QThread *readOn = nullptr;
    RecoverySnapshot s{SampleProject(), [&readOn] {
                           readOn = QThread::currentThread();
                           return u"<p>エディタの中身</p>"_s;
                       }};
    w.write(std::move(s));
    w.waitForDone();
    QVERIFY(readOn && readOn != QThread::currentThread());
    const RecoveryContents r = ReadRecoveryFile(path);
    QCOMPARE(r.project.Html[1].HtmlStr, u"<p>エディタの中身</p>"_s);
    QCOMPARE(r.project.Html[0].HtmlStr, SampleProject().Html[0].HtmlStr);
}

QTEST_GUILESS_MAIN(TestRecovery)
#include "tst_recovery.moc"
