// The start of the program: AppDir set to the writable program folder or the
// user's own folder; with neither, a message and no run.
#include "AppPaths.h"
#include "AppStart.h"
#include "RecordingUi.h"
#include "TestSupport.h"
#include "TextFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

bool Put(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    return PutBytes(path, bytes);
}

} // namespace

class TestAppStart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void portableFolderUsedAsItIs();
    void installedCopyUsesThePerUserFolder();
    void noWritablePlaceSaysSoAndDoesNotRun_data();
    void noWritablePlaceSaysSoAndDoesNotRun();
    void failedCopyIsToldAndTheProgramRuns();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    AppDirPlaces m_places;
    QString m_before;
};

void TestAppStart::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_places.exeDir = m_dir->path() + u"/usr/bin"_s;
    m_places.installedData = m_dir->path() + u"/usr/share/quorvel"_s;
    m_places.perUserDir = m_dir->path() + u"/home/taro/.local/share/quorvel"_s;
    QVERIFY(QDir().mkpath(m_places.exeDir));
    QVERIFY(Put(m_places.installedData + u"/Tools/WizDates/Olz/Basic/WizList.dat"_s, "0,太字,説明\r\n"));
    QVERIFY(QDir().mkpath(m_places.installedData + u"/Tools/WizDates/User/Basic"_s));
    QVERIFY(Put(m_places.installedData + u"/Help/Index.htm"_s, "<html></html>"));
    m_before = m_dir->path() + u"/before"_s;
    SetAppDir(m_before);
}

void TestAppStart::cleanup()
{
    SetAppDir(QString());
    SetPrivateFolder(QString());
}

void TestAppStart::portableFolderUsedAsItIs()
{
    QVERIFY(QDir().mkpath(m_places.exeDir + u"/Tools/WizDates/Olz/Basic"_s));
    RecordingUi ui;
    QVERIFY(SetUpAppDir(m_places));
    QCOMPARE(AppDir(), m_places.exeDir);
    QVERIFY(ui.shown.isEmpty());
    QVERIFY(!QFileInfo::exists(m_places.perUserDir));
    // A program folder may be shared: files keep the usual permissions.
    QVERIFY(PrivateFolder().isEmpty());
}

void TestAppStart::installedCopyUsesThePerUserFolder()
{
    RecordingUi ui;
    QVERIFY(SetUpAppDir(m_places));
    QCOMPARE(AppDir(), m_places.perUserDir);
    QVERIFY(ui.shown.isEmpty());
    // What the program writes there is the user's alone.
    QCOMPARE(PrivateFolder(), m_places.perUserDir);
    QCOMPARE(ReadBytes(AppPath(u"\\Tools\\WizDates\\Olz\\Basic\\WizList.dat")),
             ReadBytes(m_places.installedData + u"/Tools/WizDates/Olz/Basic/WizList.dat"_s));
    QVERIFY(QFileInfo::exists(AppPath(u"\\Help\\Index.htm")));
    QVERIFY(QFileInfo(AppPath(u"\\Tools\\WizDates\\User\\Basic")).isDir());
    QVERIFY(QFileInfo(AppPath(u"\\temp")).isDir());
    QCOMPARE(QDir(m_places.exeDir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
}

void TestAppStart::noWritablePlaceSaysSoAndDoesNotRun_data()
{
    QTest::addColumn<bool>("programFolder");
    QTest::addColumn<bool>("home");
    QTest::addColumn<QStringList>("named");
    QTest::addColumn<bool>("openToOthers"); // the per-user folder exists with mode 0777
    QTest::newRow("installed") << false << true << QStringList{u".local/share/quorvel"_s} << false;
    QTest::newRow("installed, no home") << false << false << QStringList{u"HOME"_s} << false;
    QTest::newRow("read-only program folder") << true << true
                                              << QStringList{u"usr/bin"_s, u".local/share/quorvel"_s} << false;
    QTest::newRow("per-user folder others can write")
        << false << true << QStringList{u".local/share/quorvel"_s, u"chmod 700"_s} << true;
}

void TestAppStart::noWritablePlaceSaysSoAndDoesNotRun()
{
    QFETCH(bool, programFolder);
    QFETCH(bool, home);
    QFETCH(QStringList, named);
    QFETCH(bool, openToOthers);
    if (programFolder)
        QVERIFY(QDir().mkpath(m_places.exeDir + u"/Tools"_s));
    if (openToOthers)
        QVERIFY(QDir().mkpath(m_places.perUserDir) && QFile::setPermissions(m_places.perUserDir, QFileDevice::Permissions(0x7777)));
    else if (home)
        QVERIFY(Put(m_dir->path() + u"/home/taro/.local"_s, "a file, not a folder"));
    else
        m_places.perUserDir.clear();

    RecordingUi ui;
    const QString exeDir = m_places.exeDir;
    QVERIFY(!SetUpAppDir(m_places, [exeDir](const QString &d) { return d != exeDir && FolderIsWritable(d); }));
    QCOMPARE(ui.shown.size(), 1);
    QCOMPARE(ui.shown[0].kind, u"message"_s);
    QCOMPARE(ui.shown[0].icon, UiService::Icon::Critical);
    QVERIFY2(ui.shown[0].text.contains(u"起動できません"_s), qPrintable(ui.shown[0].text));
    for (const QString &n : named)
        QVERIFY2(ui.shown[0].text.contains(n), qPrintable(ui.shown[0].text));
    // AppDir is left as it was, and nothing was written anywhere.
    QCOMPARE(AppDir(), m_before);
    QCOMPARE(QDir(m_places.exeDir).entryList(QDir::Files | QDir::Hidden), QStringList());
    if (openToOthers)
        QVERIFY(QDir(m_places.perUserDir).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
}

void TestAppStart::failedCopyIsToldAndTheProgramRuns()
{
    QVERIFY(QDir().mkpath(m_places.perUserDir + u"/Help/Index.htm"_s));
    RecordingUi ui;
    QVERIFY(SetUpAppDir(m_places));
    QCOMPARE(AppDir(), m_places.perUserDir);
    QCOMPARE(ui.shown.size(), 1);
    QCOMPARE(ui.shown[0].icon, UiService::Icon::Exclamation);
    QVERIFY2(ui.shown[0].text.contains(u"Index.htm"_s), qPrintable(ui.shown[0].text));
    // The rest was still copied.
    QVERIFY(QFileInfo::exists(AppPath(u"\\Tools\\WizDates\\Olz\\Basic\\WizList.dat")));
}

QTEST_MAIN(TestAppStart)
#include "tst_appstart.moc"
