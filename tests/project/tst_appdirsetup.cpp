// Where AppDir lives: a writable program folder as it is, an installed or
// read-only copy in a per-user folder filled from the supplied data, and no
// place at all. The supplied data is refreshed on later starts without ever
// writing into the user's own sets.
#include "AppDirSetup.h"
#include "AppPaths.h"
#include "Recovery.h"
#include "SettingsFiles.h"
#include "TempC.h"
#include "TestSupport.h"
#include "TextFiles.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

bool Put(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    return PutBytes(path, bytes);
}

void SetTime(const QString &path, const QDateTime &time)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.setFileTime(time, QFileDevice::FileModificationTime));
}

// Every file and folder below root, relative, with the bytes of each file.
QMap<QString, QByteArray> Tree(const QString &root)
{
    QMap<QString, QByteArray> tree;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString rel = QDir(root).relativeFilePath(path);
        tree.insert(rel, it.fileInfo().isDir() ? QByteArray("<dir>") : ReadBytes(path));
    }
    return tree;
}

unsigned ModeOf(const QString &path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0xFFFF;
}

// What the program writes into AppDir at start, while running and at exit.
void WriteEverything(const QString &supplied)
{
    ProjectDates p;
    NewStartProject(p);
    WriteSizeDate(SizeDatePath(), WindowSettings());
    WriteFontDate(FontDatePath(), EditorFontSettings());
    WriteWorkBackup(p, nullptr);
    TempC::CopyAllTemp(p);
    TempC::DelAllTemp(p);
    TempC::MakeHtmlTemp(p, 0);
    SupplyUserAppDir(supplied, AppDir());
    RecoveryStore store(RecoveryFolder());
    store.claimOrphans();
    store.takeFreeSlot();
    RecoveryWriter writer;
    writer.setPath(JoinPath(RecoveryFolder(), u"Recovery1.hpf"_s));
    writer.write({p, {}});
    writer.waitForDone();
}

// Supplied data as an install delivers it.
void MakeSupplied(const QString &src)
{
    Put(src + u"/Tools/WizDates/Olz/Basic/WizList.dat"_s, "0,太字,説明\r\n");
    Put(src + u"/Tools/WizDates/Olz/Basic/WizDate0.dat"_s, "$WizDate,1,0,0,0,0,-1\r\n");
    Put(src + u"/Tools/WizDates/Olz/Fonts/WizList.dat"_s, "0,赤,説明\r\n");
    QDir().mkpath(src + u"/Tools/WizDates/User/Basic"_s);
    QDir().mkpath(src + u"/Tools/WizDates/User/Font"_s);
    Put(src + u"/Tools/HTMLTemp/Olz/TempList.dat"_s, "白紙,何もないページ\r\n");
    Put(src + u"/Tools/HTMLTemp/Olz/TempFile0.dat"_s, "<html></html>\r\n");
    Put(src + u"/Tools/PrjectTemp/User/TempList.dat"_s, "見本,最初から入っている見本\r\n");
    Put(src + u"/Tools/PrjectTemp/User/TempFile0.dat"_s, "見本の中身\r\n");
    Put(src + u"/Help/Index.htm"_s, "<html>manual</html>");
    Put(src + u"/Help/img/logo.gif"_s, QByteArray("GIF89a\0\1\2", 9));
}

// Says a folder is not writable when it is one of the listed ones, asks the
// file system otherwise. Tests run as root, who may write anywhere.
WritableTest ReadOnly(QStringList folders)
{
    return [folders](const QString &dir) { return !folders.contains(dir) && FolderIsWritable(dir); };
}

class EnvGuard
{
public:
    explicit EnvGuard(std::initializer_list<const char *> names)
    {
        for (const char *n : names)
            m_saved.append({n, qgetenv(n), qEnvironmentVariableIsSet(n)});
    }
    ~EnvGuard()
    {
        for (const Saved &s : m_saved) {
            if (s.set)
                qputenv(s.name, s.value);
            else
                qunsetenv(s.name);
        }
    }

private:
    struct Saved
    {
        const char *name;
        QByteArray value;
        bool set;
    };
    QList<Saved> m_saved;
};

} // namespace

class TestAppDirSetup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void choice_data();
    void choice();
    void installedProgramNeverWritesBesideItself();
    void perUserFolderIsTheOwnersOnly();
    void realWritableProbe();
    void perUserDataDir_data();
    void perUserDataDir();
    void twoUsersHaveTheirOwnFolders();
    void foundPlacesOfAnInstall();

    void firstStartCopiesSuppliedData();
    void secondStartCopiesNothing();
    void updateKeepsTheUsersSets();
    void damagedCopyIsMadeAgain();
    void failedCopyIsReportedAndTheRestCopied();
    void noSourceMakesOnlyTemp();

    void linksAreNotWrittenThrough_data();
    void linksAreNotWrittenThrough();
    void unsafePerUserFolderRefused_data();
    void unsafePerUserFolderRefused();
    void filesInThePerUserFolderAreTheUsersOnly();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString root() const { return m_dir->path(); }
    QString path(const QString &rel) const { return m_dir->filePath(rel); }
};

void TestAppDirSetup::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestAppDirSetup::choice_data()
{
    QTest::addColumn<QString>("layout");        // "program", "installed", "bare"
    QTest::addColumn<bool>("exeWritable");
    QTest::addColumn<QString>("perUser");       // "ok", "blocked", "none"
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("dir");           // "exe", "user", ""
    QTest::addColumn<QString>("source");        // "exe", "installed", ""

    const int portable = int(AppDirKind::Portable);
    const int perUser = int(AppDirKind::PerUser);
    const int none = int(AppDirKind::Unavailable);
    QTest::newRow("writable program folder") << u"program"_s << true << u"ok"_s << portable << u"exe"_s << u""_s;
    QTest::newRow("writable program folder, no home") << u"program"_s << true << u"none"_s << portable << u"exe"_s << u""_s;
    QTest::newRow("read-only program folder") << u"program"_s << false << u"ok"_s << perUser << u"user"_s << u"exe"_s;
    QTest::newRow("read-only program folder, per-user blocked") << u"program"_s << false << u"blocked"_s << none << u""_s << u"exe"_s;
    QTest::newRow("read-only program folder, no home") << u"program"_s << false << u"none"_s << none << u""_s << u"exe"_s;
    QTest::newRow("installed") << u"installed"_s << false << u"ok"_s << perUser << u"user"_s << u"installed"_s;
    QTest::newRow("installed, executable folder writable") << u"installed"_s << true << u"ok"_s << perUser << u"user"_s << u"installed"_s;
    QTest::newRow("installed, per-user blocked") << u"installed"_s << true << u"blocked"_s << none << u""_s << u"installed"_s;
    QTest::newRow("no data anywhere") << u"bare"_s << true << u"ok"_s << perUser << u"user"_s << u""_s;
}

void TestAppDirSetup::choice()
{
    QFETCH(QString, layout);
    QFETCH(bool, exeWritable);
    QFETCH(QString, perUser);
    QFETCH(int, kind);
    QFETCH(QString, dir);
    QFETCH(QString, source);

    AppDirPlaces places;
    places.exeDir = root() + u"/usr/bin"_s;
    QDir().mkpath(places.exeDir);
    places.installedData = root() + u"/usr/share/quorvel"_s;
    if (layout == u"program")
        MakeSupplied(places.exeDir);
    else if (layout == u"installed")
        MakeSupplied(places.installedData);
    if (perUser == u"ok") {
        places.perUserDir = root() + u"/home/user/.local/share/quorvel"_s;
    } else if (perUser == u"blocked") {
        // A file where a folder of the path should be: nobody can create it.
        QVERIFY(Put(root() + u"/home/user/.local"_s, "not a folder"));
        places.perUserDir = root() + u"/home/user/.local/share/quorvel"_s;
    }

    const AppDirChoice c = ChooseAppDir(places, ReadOnly(exeWritable ? QStringList() : QStringList{places.exeDir}));
    QCOMPARE(int(c.kind), kind);
    const QString wantDir = dir == u"exe" ? places.exeDir : dir == u"user" ? places.perUserDir : QString();
    QCOMPARE(c.dir, wantDir);
    const QString wantSource = source == u"exe" ? places.exeDir
                               : source == u"installed" ? places.installedData : QString();
    QCOMPARE(c.source, wantSource);
    QCOMPARE(c.programFolder, layout == u"program");
    // The per-user folder exists exactly when it is used.
    QCOMPARE(QFileInfo(places.perUserDir).isDir(), c.kind == AppDirKind::PerUser);
}

void TestAppDirSetup::installedProgramNeverWritesBesideItself()
{
    AppDirPlaces places;
    places.exeDir = root() + u"/usr/bin"_s;
    QVERIFY(Put(places.exeDir + u"/quorvel"_s, "program"));
    places.installedData = root() + u"/usr/share/quorvel"_s;
    MakeSupplied(places.installedData);
    places.perUserDir = root() + u"/home/user/.local/share/quorvel"_s;
    const auto exeBefore = Tree(places.exeDir);
    const auto dataBefore = Tree(places.installedData);

    QStringList probed;
    const AppDirChoice c = ChooseAppDir(places, [&](const QString &d) {
        probed.append(d);
        return FolderIsWritable(d);
    });
    QCOMPARE(int(c.kind), int(AppDirKind::PerUser));
    const SupplyResult r = SupplyUserAppDir(c.source, c.dir);
    QVERIFY2(r.ok(), qPrintable(r.failures.join(u'\n')));

    QVERIFY(!probed.contains(places.exeDir));
    QCOMPARE(Tree(places.exeDir), exeBefore);
    QCOMPARE(Tree(places.installedData), dataBefore);
}

void TestAppDirSetup::perUserFolderIsTheOwnersOnly()
{
    AppDirPlaces places;
    places.exeDir = root() + u"/bin"_s;
    places.installedData = root() + u"/share/quorvel"_s;
    MakeSupplied(places.installedData);
    places.perUserDir = root() + u"/home/.local/share/quorvel"_s;
    const AppDirChoice c = ChooseAppDir(places);
    QCOMPARE(int(c.kind), int(AppDirKind::PerUser));
    const QFile::Permissions p = QFileInfo(places.perUserDir).permissions();
    QVERIFY(p.testFlag(QFile::WriteOwner));
    QVERIFY(!p.testFlag(QFile::ReadGroup) && !p.testFlag(QFile::ReadOther));
    QVERIFY(!p.testFlag(QFile::WriteGroup) && !p.testFlag(QFile::WriteOther));
}

void TestAppDirSetup::realWritableProbe()
{
    QVERIFY(FolderIsWritable(root()));
    // The probe leaves nothing behind.
    QVERIFY(Tree(root()).isEmpty());
    QVERIFY(!FolderIsWritable(root() + u"/missing"_s));
    QVERIFY(!FolderIsWritable(QString()));
    QVERIFY(Put(root() + u"/file"_s, "x"));
    QVERIFY(!FolderIsWritable(root() + u"/file"_s));

    const QString locked = root() + u"/locked"_s;
    const QString open = root() + u"/open"_s;
    QVERIFY(QDir().mkpath(locked));
    QVERIFY(QDir().mkpath(open));
    const auto all = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::WriteGroup
                     | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    const auto readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther
                          | QFile::ExeOther;
    QVERIFY(QFile::setPermissions(root(), readOnly | QFile::WriteOwner));
    QVERIFY(QFile::setPermissions(locked, readOnly));
    QVERIFY(QFile::setPermissions(open, all));
    if (geteuid() != 0) {
        QVERIFY(!FolderIsWritable(locked));
        QVERIFY(FolderIsWritable(open));
        return;
    }
    // Root may write anywhere: the probe is asked as an ordinary user.
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(3);
        _exit((FolderIsWritable(locked) ? 1 : 0) | (FolderIsWritable(open) ? 0 : 2));
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
    QVERIFY(Tree(open).isEmpty());
}

void TestAppDirSetup::perUserDataDir_data()
{
    QTest::addColumn<QString>("xdg");
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("expected");
    QTest::newRow("default") << u""_s << u"/home/taro"_s << u"/home/taro/.local/share/quorvel"_s;
    QTest::newRow("XDG_DATA_HOME") << u"/data/taro"_s << u"/home/taro"_s << u"/data/taro/quorvel"_s;
    QTest::newRow("relative XDG_DATA_HOME is ignored") << u"rel/data"_s << u"/home/taro"_s
                                                       << u"/home/taro/.local/share/quorvel"_s;
    QTest::newRow("trailing separator") << u"/data/taro/"_s << u"/home/taro"_s << u"/data/taro/quorvel"_s;
    QTest::newRow("XDG_DATA_HOME without home") << u"/data/taro"_s << u""_s << u"/data/taro/quorvel"_s;
    QTest::newRow("no home") << u""_s << u""_s << u""_s;
    QTest::newRow("relative home") << u""_s << u"taro"_s << u""_s;
}

void TestAppDirSetup::perUserDataDir()
{
    QFETCH(QString, xdg);
    QFETCH(QString, home);
    QFETCH(QString, expected);
    EnvGuard guard({"XDG_DATA_HOME", "HOME"});
    qputenv("XDG_DATA_HOME", xdg.toLocal8Bit());
    qputenv("HOME", home.toLocal8Bit());
    QCOMPARE(PerUserDataDir(), expected);
}

void TestAppDirSetup::twoUsersHaveTheirOwnFolders()
{
    EnvGuard guard({"XDG_DATA_HOME", "HOME"});
    qunsetenv("XDG_DATA_HOME");
    const QString installed = root() + u"/usr/share/quorvel"_s;
    MakeSupplied(installed);
    QStringList temps, backups;
    for (const QString &user : {u"hanako"_s, u"taro"_s}) {
        qputenv("HOME", (root() + u"/home/"_s + user).toLocal8Bit());
        const AppDirPlaces places = FindAppDirPlaces(root() + u"/usr/bin"_s, u"../share/quorvel"_s);
        const AppDirChoice c = ChooseAppDir(places);
        QCOMPARE(int(c.kind), int(AppDirKind::PerUser));
        QVERIFY(SupplyUserAppDir(c.source, c.dir).ok());
        SetAppDir(c.dir);
        QVERIFY(QFileInfo(AppPath(u"\\temp")).isDir());
        QVERIFY(AppPath(u"\\temp").startsWith(root() + u"/home/"_s + user + u'/'));
        temps.append(AppPath(u"\\temp"));
        backups.append(AppPath(u"\\WrBackUp.dat"));
    }
    QVERIFY(temps[0] != temps[1]);
    QVERIFY(backups[0] != backups[1]);
}

void TestAppDirSetup::foundPlacesOfAnInstall()
{
    EnvGuard guard({"XDG_DATA_HOME", "HOME"});
    qputenv("HOME", "/home/taro");
    qunsetenv("XDG_DATA_HOME");
    const AppDirPlaces p = FindAppDirPlaces(u"/usr/bin/"_s, u"../share/quorvel"_s);
    QCOMPARE(p.exeDir, u"/usr/bin"_s);
    QCOMPARE(p.installedData, u"/usr/share/quorvel"_s);
    QCOMPARE(p.perUserDir, u"/home/taro/.local/share/quorvel"_s);
    QCOMPARE(FindAppDirPlaces(u"/opt/q"_s, QString()).installedData, QString());
}

void TestAppDirSetup::firstStartCopiesSuppliedData()
{
    const QString src = root() + u"/src"_s;
    const QString dst = root() + u"/user"_s;
    MakeSupplied(src);
    // A read-only program folder that was used before holds settings and a
    // backup; those are not taken over as supplied data.
    QVERIFY(Put(src + u"/SizeDate.dat"_s, "1,2,3,4\r\n"));
    QVERIFY(Put(src + u"/WrBackUp.dat"_s, "old\r\n"));
    QVERIFY(Put(src + u"/temp/index.html"_s, "old copy"));
    SetTime(src + u"/Help/Index.htm"_s, QDateTime::currentDateTime().addDays(-30));
    const auto before = Tree(src);

    const SupplyResult r = SupplyUserAppDir(src, dst);
    QVERIFY2(r.ok(), qPrintable(r.failures.join(u'\n')));

    QStringList supplied;
    for (const QString &top : {u"Tools"_s, u"Help"_s}) {
        QDirIterator it(src + u'/' + top, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            supplied.append(QDir(src).relativeFilePath(it.next()));
    }
    QCOMPARE(r.copied, supplied.size());
    for (const QString &rel : supplied) {
        QCOMPARE(ReadBytes(dst + u'/' + rel), ReadBytes(src + u'/' + rel));
        QCOMPARE(QFileInfo(dst + u'/' + rel).lastModified(), QFileInfo(src + u'/' + rel).lastModified());
    }
    for (const QString &folder : {u"temp"_s, u"Tools/WizDates/User/Basic"_s, u"Tools/WizDates/User/Font"_s})
        QVERIFY2(QFileInfo(dst + u'/' + folder).isDir(), qPrintable(folder));
    QVERIFY(!QFileInfo::exists(dst + u"/SizeDate.dat"_s));
    QVERIFY(!QFileInfo::exists(dst + u"/WrBackUp.dat"_s));
    QVERIFY(!QFileInfo::exists(dst + u"/temp/index.html"_s));
    QCOMPARE(Tree(src), before);
}

void TestAppDirSetup::secondStartCopiesNothing()
{
    const QString src = root() + u"/src"_s;
    const QString dst = root() + u"/user"_s;
    MakeSupplied(src);
    QVERIFY(SupplyUserAppDir(src, dst).ok());
    const auto after = Tree(dst);
    const SupplyResult again = SupplyUserAppDir(src, dst);
    QVERIFY(again.ok());
    QCOMPARE(again.copied, 0);
    QCOMPARE(again.foldersMade, 0);
    QCOMPARE(Tree(dst), after);
}

void TestAppDirSetup::updateKeepsTheUsersSets()
{
    const QString src = root() + u"/src"_s;
    const QString dst = root() + u"/user"_s;
    MakeSupplied(src);
    const QDateTime old = QDateTime::currentDateTime().addDays(-60);
    QDirIterator all(src, QDir::Files, QDirIterator::Subdirectories);
    while (all.hasNext())
        SetTime(all.next(), old);
    QVERIFY(SupplyUserAppDir(src, dst).ok());

    // The user works: own scripts, an edited seed template, settings, a backup.
    QVERIFY(Put(dst + u"/Tools/WizDates/User/Basic/WizList.dat"_s, "0,自分の,説明\r\n"));
    QVERIFY(Put(dst + u"/Tools/WizDates/User/Basic/WizDate0.dat"_s, "$WizDate,1,0,0,0,0,-1\r\n"));
    QVERIFY(Put(dst + u"/Tools/HTMLTemp/User/TempList.dat"_s, "私の雛型,説明\r\n"));
    QVERIFY(Put(dst + u"/Tools/PrjectTemp/User/TempList.dat"_s, "見本,書き換えた\r\n"));
    QVERIFY(QFile::remove(dst + u"/Tools/PrjectTemp/User/TempFile0.dat"_s));
    QVERIFY(Put(dst + u"/SizeDate.dat"_s, "1,2,3,4\r\n"));
    QVERIFY(Put(dst + u"/WrBackUp.dat"_s, "backup\r\n"));
    const QStringList userFiles = {u"Tools/WizDates/User/Basic/WizList.dat"_s, u"Tools/WizDates/User/Basic/WizDate0.dat"_s,
                                   u"Tools/HTMLTemp/User/TempList.dat"_s, u"Tools/PrjectTemp/User/TempList.dat"_s,
                                   u"SizeDate.dat"_s, u"WrBackUp.dat"_s};
    QMap<QString, QPair<QByteArray, QDateTime>> kept;
    for (const QString &rel : userFiles)
        kept.insert(rel, {ReadBytes(dst + u'/' + rel), QFileInfo(dst + u'/' + rel).lastModified()});

    // A later release: a changed list, a new script, a new manual page, a
    // new kind of set with a supplied and a user part, seeds for the user
    // sets, and a supplied template that is gone.
    QVERIFY(Put(src + u"/Tools/WizDates/Olz/Basic/WizList.dat"_s, "1,太字,説明,斜体,新しい\r\n"));
    QVERIFY(Put(src + u"/Tools/WizDates/Olz/Basic/WizDate1.dat"_s, "$WizDate,1,0,0,0,0,-1\r\n"));
    QVERIFY(Put(src + u"/Help/new.htm"_s, "<html>new</html>"));
    QVERIFY(Put(src + u"/Tools/Extra/Olz/List.dat"_s, "supplied\r\n"));
    QVERIFY(Put(src + u"/Tools/Extra/User/Seed.dat"_s, "seed\r\n"));
    QVERIFY(Put(src + u"/Tools/WizDates/User/Basic/WizList.dat"_s, "0,付属,説明\r\n"));
    QVERIFY(Put(src + u"/Tools/PrjectTemp/User/TempFile0.dat"_s, "新しい見本\r\n"));
    QVERIFY(QFile::remove(src + u"/Tools/HTMLTemp/Olz/TempFile0.dat"_s));
    // Same size, other contents and time.
    QVERIFY(Put(src + u"/Help/Index.htm"_s, "<html>MANUAL</html>"));

    const SupplyResult r = SupplyUserAppDir(src, dst);
    QVERIFY2(r.ok(), qPrintable(r.failures.join(u'\n')));

    for (const QString &rel : {u"Tools/WizDates/Olz/Basic/WizList.dat"_s, u"Tools/WizDates/Olz/Basic/WizDate1.dat"_s,
                               u"Help/new.htm"_s, u"Help/Index.htm"_s, u"Tools/Extra/Olz/List.dat"_s,
                               u"Tools/Extra/User/Seed.dat"_s})
        QCOMPARE(ReadBytes(dst + u'/' + rel), ReadBytes(src + u'/' + rel));
    QCOMPARE(r.copied, 6);
    for (const QString &rel : userFiles) {
        QCOMPARE(ReadBytes(dst + u'/' + rel), kept.value(rel).first);
        QCOMPARE(QFileInfo(dst + u'/' + rel).lastModified(), kept.value(rel).second);
    }
    // A template the user deleted from their own set does not come back.
    QVERIFY(!QFileInfo::exists(dst + u"/Tools/PrjectTemp/User/TempFile0.dat"_s));
    // What the program no longer supplies is left alone.
    QCOMPARE(ReadBytes(dst + u"/Tools/HTMLTemp/Olz/TempFile0.dat"_s), QByteArray("<html></html>\r\n"));
}

void TestAppDirSetup::damagedCopyIsMadeAgain()
{
    const QString src = root() + u"/src"_s;
    const QString dst = root() + u"/user"_s;
    MakeSupplied(src);
    QVERIFY(SupplyUserAppDir(src, dst).ok());
    const QString rel = u"/Tools/WizDates/Olz/Basic/WizDate0.dat"_s;
    QVERIFY(Put(dst + rel, "$Wiz"));
    QVERIFY(QFile::remove(dst + u"/Help/img/logo.gif"_s));
    const SupplyResult r = SupplyUserAppDir(src, dst);
    QVERIFY(r.ok());
    QCOMPARE(r.copied, 2);
    QCOMPARE(ReadBytes(dst + rel), ReadBytes(src + rel));
    QCOMPARE(ReadBytes(dst + u"/Help/img/logo.gif"_s), ReadBytes(src + u"/Help/img/logo.gif"_s));
}

void TestAppDirSetup::failedCopyIsReportedAndTheRestCopied()
{
    const QString src = root() + u"/src"_s;
    const QString dst = root() + u"/user"_s;
    MakeSupplied(src);
    // A folder stands where a supplied file goes.
    QVERIFY(QDir().mkpath(dst + u"/Help/Index.htm/x"_s));
    const SupplyResult r = SupplyUserAppDir(src, dst);
    QCOMPARE(r.failures.size(), 1);
    QVERIFY2(r.failures.first().contains(u"Index.htm"_s), qPrintable(r.failures.first()));
    QCOMPARE(ReadBytes(dst + u"/Tools/WizDates/Olz/Basic/WizList.dat"_s),
             ReadBytes(src + u"/Tools/WizDates/Olz/Basic/WizList.dat"_s));
    QCOMPARE(ReadBytes(dst + u"/Help/img/logo.gif"_s), ReadBytes(src + u"/Help/img/logo.gif"_s));
}

void TestAppDirSetup::noSourceMakesOnlyTemp()
{
    const QString dst = root() + u"/user"_s;
    QVERIFY(QDir().mkpath(dst));
    const SupplyResult r = SupplyUserAppDir(QString(), dst);
    QVERIFY(r.ok());
    QCOMPARE(r.foldersMade, 1);
    QCOMPARE(Tree(dst).keys(), QStringList{u"temp"_s});
}

void TestAppDirSetup::linksAreNotWrittenThrough_data()
{
    // A link in AppDir to the victim's folder ("") or to a file in it.
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("target");
    const QStringList files{u"SizeDate.dat"_s, u"FontDate.dat"_s, u"WrBackUp.dat"_s, u"NmBackUp.dat"_s,
                            u"temp/Index.htm"_s, u"Help/Index.htm"_s, u"Tools/HTMLTemp/Olz/TempFile0.dat"_s,
                            u"Recovery/Recovery1.hpf"_s};
    for (const QString &f : files)
        QTest::newRow(qPrintable(f)) << f << (f.endsWith(u".htm") ? u"Index.htm"_s : u"secret.txt"_s);
    for (const QString &f : {u"temp"_s, u"Help"_s, u"Tools/HTMLTemp/Olz"_s, u"Recovery"_s})
        QTest::newRow(qPrintable(f + u" (folder)"_s)) << f << QString();
}

// Whatever link stands in the program's own folders, what it points to is
// neither written nor deleted (a preview copy and its deletion stay in temp).
void TestAppDirSetup::linksAreNotWrittenThrough()
{
    QFETCH(QString, link);
    QFETCH(QString, target);
    SetAppDir(path(u"app"_s));
    for (const QString &f : {u"supplied/Help/Index.htm"_s, u"supplied/Tools/HTMLTemp/Olz/TempFile0.dat"_s,
                             u"victim/secret.txt"_s, u"victim/Index.htm"_s, u"app/temp/x"_s})
        QVERIFY(Put(path(f), "bytes of " + f.toUtf8()));
    const QString at = path(u"app/"_s + link);
    QDir().mkpath(QFileInfo(at).path());
    if (target.isEmpty())
        QVERIFY(QDir(at).removeRecursively());
    QVERIFY(QFile::link(path(u"victim/"_s + target), at));
    const auto before = Tree(path(u"victim"_s));
    WriteEverything(path(u"supplied"_s));
    QCOMPARE(Tree(path(u"victim"_s)), before);
}

void TestAppDirSetup::unsafePerUserFolderRefused_data()
{
    QTest::addColumn<QString>("mode"); // "link " + mode: a link to a folder of that mode
    QTest::addColumn<QString>("fix");  // what the message says to do; "" when the folder is used
    QTest::newRow("the group may write") << u"770"_s << u"chmod 700"_s;
    QTest::newRow("link to a world-writable folder") << u"link 1777"_s << u"chmod 700"_s;
    QTest::newRow("owned by another user") << u"other"_s << u"削除"_s;
    QTest::newRow("others may read only") << u"755"_s << QString();
    QTest::newRow("link to the user's own folder") << u"link 700"_s << QString();
}

// Like ssh with ~/.ssh: a per-user folder that others could change is not
// used, and the message names it (the link's target too) and how to fix it.
void TestAppDirSetup::unsafePerUserFolderRefused()
{
    QFETCH(QString, mode);
    QFETCH(QString, fix);
    AppDirPlaces places;
    places.exeDir = path(u"bin"_s);
    places.installedData = path(u"supplied"_s);
    places.perUserDir = path(u"quorvel"_s);
    const QString real = mode.startsWith(u"link ") ? path(u"elsewhere"_s) : places.perUserDir;
    QVERIFY(QDir().mkpath(real));
    if (real != places.perUserDir)
        QVERIFY(QFile::link(real, places.perUserDir));
    if (mode == u"other" && ::getuid() != 0)
        QSKIP("giving a folder to another user needs root");
    if (mode == u"other")
        QCOMPARE(::chown(QFile::encodeName(real).constData(), 65534, 65534), 0);
    else
        QCOMPARE(::chmod(QFile::encodeName(real).constData(), mode.section(u' ', -1).toUInt(nullptr, 8)), 0);

    const AppDirChoice c = ChooseAppDir(places);
    QCOMPARE(c.kind, fix.isEmpty() ? AppDirKind::PerUser : AppDirKind::Unavailable);
    QVERIFY2(c.unsafe.contains(fix) && c.unsafe.contains(fix.isEmpty() ? QString() : real), qPrintable(c.unsafe));
    if (!fix.isEmpty())
        QVERIFY(QDir(real).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
}

// Every file the program writes into the per-user folder is readable by the
// user only, whatever the umask, one of an older version included; in a
// program folder files keep the usual permissions.
void TestAppDirSetup::filesInThePerUserFolderAreTheUsersOnly()
{
    const mode_t oldMask = ::umask(022);
    QVERIFY(Put(path(u"supplied/Help/Index.htm"_s), "manual"));
    const QStringList files{u"SizeDate.dat"_s, u"FontDate.dat"_s, u"WrBackUp.dat"_s, u"NmBackUp.dat"_s,
                            u"temp/Index.htm"_s, u"Help/Index.htm"_s, u"Recovery/Recovery1.hpf"_s};
    for (const bool perUser : {false, true}) {
        SetAppDir(path(perUser ? u"user"_s : u"program"_s));
        SetPrivateFolder(perUser ? AppDir() : QString());
        QVERIFY(QDir().mkpath(AppDir()) && PutBytes(FontDatePath(), "of an older version"));
        QCOMPARE(::chmod(QFile::encodeName(FontDatePath()).constData(), 0644), 0);
        WriteEverything(path(u"supplied"_s));
        for (const QString &f : files)
            QVERIFY2(ModeOf(JoinPath(AppDir(), f)) == (perUser ? 0600u : 0644u), qPrintable(f));
    }
    ::umask(oldMask);
    SetPrivateFolder(QString());
}

QTEST_GUILESS_MAIN(TestAppDirSetup)
#include "tst_appdirsetup.moc"
