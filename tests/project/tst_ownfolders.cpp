// The program's own folders (the program folder and the per-user folder) as
// someone else may have prepared them: links planted where the program writes
// and deletes, a per-user folder that others can change, and the permissions
// of the files the program creates there.
#include "AppDirSetup.h"
#include "AppPaths.h"
#include "ProjectDates.h"
#include "Recovery.h"
#include "SettingsFiles.h"
#include "TempC.h"
#include "TestSupport.h"
#include "TextFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

bool Put(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    return PutBytes(path, bytes);
}

bool Link(const QString &target, const QString &link)
{
    QDir().mkpath(QFileInfo(link).absolutePath());
    return QFile::link(target, link);
}

// Every entry below root with the bytes of each file (links as their target).
QMap<QString, QByteArray> Tree(const QString &root)
{
    QMap<QString, QByteArray> tree;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo fi = it.fileInfo();
        tree.insert(QDir(root).relativeFilePath(path),
                    fi.isSymLink() ? "<link>" + fi.symLinkTarget().toUtf8() : fi.isDir() ? "<dir>" : ReadBytes(path));
    }
    return tree;
}

unsigned ModeOf(const QString &path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return 0xFFFF;
    return st.st_mode & 07777;
}

ProjectDates IndexProject()
{
    ProjectDates p;
    NewStartProject(p);
    p.Html[0].HtmlStr = u"<p>preview copy</p>"_s;
    return p;
}

} // namespace

class TestOwnFolders : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void linksAreNotWrittenThrough_data();
    void linksAreNotWrittenThrough();
    void unsafePerUserFolderRefused_data();
    void unsafePerUserFolderRefused();
    void filesInThePerUserFolderAreTheUsersOnly_data();
    void filesInThePerUserFolderAreTheUsersOnly();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString app() const { return m_dir->filePath(u"app"_s); }
    QString victim() const { return m_dir->filePath(u"victim"_s); }
};

void TestOwnFolders::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir().mkpath(app()));
    SetAppDir(app());
    // Someone else's folder with a private file and a page of their own.
    QVERIFY(Put(victim() + u"/secret.txt"_s, "private"));
    QVERIFY(QFile::setPermissions(victim() + u"/secret.txt"_s, QFile::ReadOwner | QFile::WriteOwner));
    QVERIFY(Put(victim() + u"/Index.htm"_s, "their own page"));
}

void TestOwnFolders::cleanup()
{
    SetPrivateFolder(QString());
    m_dir.reset();
}

void TestOwnFolders::linksAreNotWrittenThrough_data()
{
    QTest::addColumn<QString>("link");   // relative to AppDir
    QTest::addColumn<QString>("target"); // relative to the victim's folder, "" for the folder
    QTest::addColumn<QString>("action");
    QTest::newRow("SizeDate.dat at exit") << u"SizeDate.dat"_s << u"secret.txt"_s << u"settings"_s;
    QTest::newRow("FontDate.dat at exit") << u"FontDate.dat"_s << u"secret.txt"_s << u"settings"_s;
    QTest::newRow("WrBackUp.dat") << u"WrBackUp.dat"_s << u"secret.txt"_s << u"backup"_s;
    QTest::newRow("NmBackUp.dat") << u"NmBackUp.dat"_s << u"secret.txt"_s << u"backup"_s;
    QTest::newRow("temp folder") << u"temp"_s << QString() << u"preview copy"_s;
    QTest::newRow("a copy in temp") << u"temp/Index.htm"_s << u"Index.htm"_s << u"preview copy"_s;
    QTest::newRow("Help file") << u"Help/Index.htm"_s << u"Index.htm"_s << u"supply"_s;
    QTest::newRow("Help folder") << u"Help"_s << QString() << u"supply"_s;
    QTest::newRow("supplied Olz copy") << u"Tools/HTMLTemp/Olz/TempFile0.dat"_s << u"secret.txt"_s << u"supply"_s;
    QTest::newRow("supplied Olz folder") << u"Tools/HTMLTemp/Olz"_s << QString() << u"supply"_s;
    QTest::newRow("recovery folder") << u"Recovery"_s << QString() << u"record"_s;
    QTest::newRow("recovery record") << u"Recovery/Recovery1.hpf"_s << u"secret.txt"_s << u"record"_s;
}

// Whatever link stands in the program's own folders, the file or folder it
// points to is neither written nor deleted.
void TestOwnFolders::linksAreNotWrittenThrough()
{
    QFETCH(QString, link);
    QFETCH(QString, target);
    QFETCH(QString, action);
    if (action != u"preview copy")
        QVERIFY(QDir().mkpath(app() + u"/temp"_s));
    QVERIFY(Link(target.isEmpty() ? victim() : victim() + u'/' + target, app() + u'/' + link));
    const auto before = Tree(victim());

    if (action == u"settings") {
        QVERIFY(WriteSizeDate(SizeDatePath(), WindowSettings()));
        QVERIFY(WriteFontDate(FontDatePath(), EditorFontSettings()));
    } else if (action == u"backup") {
        // A link at WrBackUp.dat is refused (the name is taken); one at
        // NmBackUp.dat is replaced.
        WriteWorkBackup(IndexProject(), nullptr);
    } else if (action == u"preview copy") {
        const ProjectDates p = IndexProject();
        QVERIFY(TempC::CopyAllTemp(p));
        QCOMPARE(ReadBytes(TempC::TempPathFor(u"Index.htm"_s)), EncodePageFile(p.Html[0].HtmlStr));
        TempC::DelAllTemp(p);
        QVERIFY(QFileInfo(app() + u"/temp"_s).isDir());
        QVERIFY(!QFileInfo(app() + u"/temp"_s).isSymLink());
    } else if (action == u"supply") {
        const QString src = m_dir->filePath(u"supplied"_s);
        QVERIFY(Put(src + u"/Help/Index.htm"_s, "manual"));
        QVERIFY(Put(src + u"/Tools/HTMLTemp/Olz/TempFile0.dat"_s, "template"));
        const SupplyResult r = SupplyUserAppDir(src, app());
        QVERIFY2(r.ok(), qPrintable(r.failures.join(u'\n')));
        QCOMPARE(ReadBytes(app() + u"/Help/Index.htm"_s), QByteArray("manual"));
        QCOMPARE(ReadBytes(app() + u"/Tools/HTMLTemp/Olz/TempFile0.dat"_s), QByteArray("template"));
    } else if (action == u"record" && link.endsWith(u".hpf")) {
        RecoveryWriter writer;
        writer.setPath(app() + u'/' + link);
        writer.write({IndexProject(), {}});
        writer.waitForDone();
        QCOMPARE(ReadRecoveryFile(app() + u'/' + link).code, qint16(LoadOk));
    } else if (action == u"record") {
        RecoveryStore store(RecoveryFolder());
        store.claimOrphans();
        QVERIFY(store.takeFreeSlot());
        RecoveryWriter writer;
        writer.setPath(store.ownPath());
        writer.write({IndexProject(), {}});
        writer.waitForDone();
        QCOMPARE(ReadRecoveryFile(store.ownPath()).code, qint16(LoadOk));
        store.close();
    }
    QCOMPARE(Tree(victim()), before);
    QCOMPARE(ModeOf(victim() + u"/secret.txt"_s), 0600u);
}

void TestOwnFolders::unsafePerUserFolderRefused_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("fix"); // what the message says to do; "" when the folder is used
    QTest::newRow("mode 0777") << u"0777"_s << u"chmod 700"_s;
    QTest::newRow("the group may write") << u"0770"_s << u"chmod 700"_s;
    QTest::newRow("link to a world-writable folder") << u"link 1777"_s << u"chmod 700"_s;
    QTest::newRow("owned by another user") << u"other owner"_s << u"chown"_s;
    QTest::newRow("others may read only") << u"0755"_s << QString();
    QTest::newRow("link to the user's own folder") << u"link 0700"_s << QString();
}

// Like ssh with ~/.ssh: a per-user folder that others could change (and so
// plant scripts or take the work) is not used, and the message says how to
// put it right.
void TestOwnFolders::unsafePerUserFolderRefused()
{
    QFETCH(QString, setup);
    QFETCH(QString, fix);
    AppDirPlaces places;
    places.exeDir = m_dir->filePath(u"usr/bin"_s);
    places.installedData = m_dir->filePath(u"usr/share/quorvel"_s);
    QVERIFY(Put(places.installedData + u"/Tools/HTMLTemp/Olz/TempList.dat"_s, "白紙,説明\r\n"));
    places.perUserDir = m_dir->filePath(u"home/.local/share/quorvel"_s);
    QString real = places.perUserDir;
    if (setup.startsWith(u"link ")) {
        real = m_dir->filePath(u"elsewhere"_s);
        QVERIFY(QFile::link(real, places.perUserDir) || (QDir().mkpath(QFileInfo(places.perUserDir).path())
                                                         && QFile::link(real, places.perUserDir)));
    }
    QVERIFY(QDir().mkpath(real));
    const QString mode = setup.startsWith(u"link ") ? setup.mid(5) : setup;
    if (setup == u"other owner") {
        if (::getuid() != 0)
            QSKIP("giving a folder to another user needs root");
        QVERIFY(::chown(QFile::encodeName(real).constData(), 65534, 65534) == 0);
        QVERIFY(::chmod(QFile::encodeName(real).constData(), 0700) == 0);
    } else {
        QVERIFY(::chmod(QFile::encodeName(real).constData(), mode.toUInt(nullptr, 8)) == 0);
    }

    const AppDirChoice c = ChooseAppDir(places);
    if (fix.isEmpty()) {
        QCOMPARE(int(c.kind), int(AppDirKind::PerUser));
        QVERIFY(c.unsafe.isEmpty());
        return;
    }
    QCOMPARE(int(c.kind), int(AppDirKind::Unavailable));
    QVERIFY2(c.unsafe.contains(fix), qPrintable(c.unsafe));
    QVERIFY2(c.unsafe.contains(QDir::toNativeSeparators(QFileInfo(real).canonicalFilePath())), qPrintable(c.unsafe));
    // Nothing was written into it.
    QVERIFY(QDir(real).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
}

void TestOwnFolders::filesInThePerUserFolderAreTheUsersOnly_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("existedAs0644");
    QTest::newRow("WrBackUp.dat") << u"WrBackUp.dat"_s << false;
    QTest::newRow("NmBackUp.dat") << u"NmBackUp.dat"_s << false;
    QTest::newRow("SizeDate.dat, new") << u"SizeDate.dat"_s << false;
    QTest::newRow("SizeDate.dat of an older version") << u"SizeDate.dat"_s << true;
    QTest::newRow("FontDate.dat of an older version") << u"FontDate.dat"_s << true;
    QTest::newRow("preview copy") << u"temp/Index.htm"_s << false;
    QTest::newRow("recovery record") << u"Recovery/Recovery1.hpf"_s << false;
    QTest::newRow("supplied copy") << u"Help/Index.htm"_s << false;
}

// Every file the program writes into the per-user folder is readable by the
// user only, whatever the umask; a program folder keeps the usual permissions.
void TestOwnFolders::filesInThePerUserFolderAreTheUsersOnly()
{
    QFETCH(QString, file);
    QFETCH(bool, existedAs0644);
    const mode_t oldMask = ::umask(022);
    for (const bool perUser : {false, true}) {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        SetAppDir(dir.path());
        SetPrivateFolder(perUser ? dir.path() : QString());
        QVERIFY(QDir().mkpath(dir.filePath(u"temp"_s)));
        const QString path = dir.filePath(file);
        if (existedAs0644) {
            QVERIFY(PutBytes(path, "old"));
            QVERIFY(::chmod(QFile::encodeName(path).constData(), 0644) == 0);
        }
        const ProjectDates p = IndexProject();
        const QString src = m_dir->filePath(u"supplied"_s);
        QVERIFY(Put(src + u"/Help/Index.htm"_s, "manual"));
        WriteSizeDate(SizeDatePath(), WindowSettings());
        WriteFontDate(FontDatePath(), EditorFontSettings());
        QVERIFY(WriteWorkBackup(p, nullptr));
        QVERIFY(TempC::MakeHtmlTemp(p, 0));
        QVERIFY(SupplyUserAppDir(src, dir.path()).ok());
        RecoveryStore store(RecoveryFolder());
        QVERIFY(store.takeFreeSlot());
        QVERIFY(WriteFileAtomically(store.ownPath(), EncodeRecoveryFile(p)));
        QCOMPARE(ModeOf(path), perUser ? 0600u : 0644u);
    }
    ::umask(oldMask);
}

QTEST_GUILESS_MAIN(TestOwnFolders)
#include "tst_ownfolders.moc"
