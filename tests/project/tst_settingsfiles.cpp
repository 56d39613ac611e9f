#include "AppPaths.h"
#include "FileSystemLimits.h"
#include "TestSupport.h"
#include "Cp932.h"
#include "ProjectFile.h"
#include "SettingsFiles.h"
#include "TempC.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

// A project with something in every table, two pages and an output folder.
ProjectDates SampleProject(const QString &folder)
{
    ProjectDates p;
    NewStartProject(p);
    p.Html[0].HtmlStr = u"<html>\r\n<body>日本語のページ</body>\r\n</html>"_s;
    AddHtmlDat(p, u"二ページ目"_s, u"page2"_s, u"<p>二</p>\r\n"_s, u".html"_s);
    AddPictDat(p, u"写真"_s, u"photo"_s, folder + u"/photo.gif"_s, u".gif"_s);
    AddElseFileDat(p, u"資料"_s, u"doc"_s, folder + u"/doc.pdf"_s, u".pdf"_s);
    p.SioriList = {u"目次"_s, u"終わり"_s};
    p.SyuturyokuFolder = folder + u"/out"_s;
    return p;
}

bool SameProjectData(const ProjectDates &a, const ProjectDates &b)
{
    return a.Html == b.Html && a.Pict == b.Pict && a.ElseFile == b.ElseFile && a.SioriList == b.SioriList
           && a.SyuturyokuFolder == b.SyuturyokuFolder;
}

} // namespace

class TestSettingsFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    // SizeDate.dat
    void sizeDateWrittenAsOneLine();
    void sizeDateRoundTrip();
    void sizeDateOnlyFourNumbers();
    void sizeDateMissingFile();
    void sizeDateFractionalTwips();
    void sizeDateBadFieldLeavesItUnset();
    void sizeDateBooleanForms_data();
    void sizeDateBooleanForms();
    void sizeDateWriteFailureReported();

    // FontDate.dat
    void fontDateRoundTrip();
    void fontDateExactLine();
    void fontDateMissingAndShortFiles();
    void fontDateNameTheFileCannotCarry_data();
    void fontDateNameTheFileCannotCarry();
    void fontDateSignedAndSystemColours();
    void colorRefConversions();
    void settingsNumbers();

    // Work-in-progress backup
    void backupOfSavedProjectRoundTrip();
    void backupOfNeverSavedProject();
    void backupPathOutsideCodePage_data();
    void backupPathOutsideCodePage();
    void noBackupLeavesProject();
    void damagedBackupKeptBeside();
    void secondDamagedBackupGetsItsOwnName();
    void backupWithoutPathFileKeepsPath();
    void backupNotWrittenHalfway();
    void backupRefusesFieldsTheFormatCannotCarry();
    void backupOnFullDiskIsRefused();
    void nulInSettingsIsPassedOver();
    void backupResumedWithSpecialSources();

private:
    QTemporaryDir m_dir;
};

void TestSettingsFiles::init()
{
    QVERIFY(m_dir.isValid());
    SetAppDir(m_dir.path());
    QDir(m_dir.path()).mkpath(u"temp"_s);
    for (const QString &name : QDir(m_dir.path()).entryList(QDir::Files))
        QFile::remove(m_dir.filePath(name));
    QDir(m_dir.filePath(u"temp"_s)).removeRecursively();
    QDir(m_dir.path()).mkpath(u"temp"_s);
}

void TestSettingsFiles::sizeDateWrittenAsOneLine()
{
    WindowSettings s;
    s.Height = 9000;
    s.Width = 12000;
    s.Top = 600;
    s.Left = 900;
    s.CatalogueWidth = 1935;
    s.FilesWidth = 2100.5;
    s.EditorHeight = 3375;
    s.FilesVisible = false;
    s.StatusVisible = false;
    s.PicShow = false;
    QVERIFY(WriteSizeDate(SizeDatePath(), s));
    QCOMPARE(ReadBytes(m_dir.filePath(u"SizeDate.dat"_s)),
             QByteArray("9000,12000,600,900,1935,2100.5,3375,True,False,True,True,False,False,True\r\n"));
}

void TestSettingsFiles::sizeDateRoundTrip()
{
    WindowSettings s;
    s.Height = 8000;
    s.Width = 11000.25;
    s.Top = -120;
    s.Left = 45;
    s.CatalogueWidth = 2500;
    s.FilesWidth = 1800;
    s.EditorHeight = 4000;
    s.PrvVisible = false;
    s.TagsVisible = false;
    s.ToolbarVisible = false;
    s.AutoPreview = false;
    QVERIFY(WriteSizeDate(SizeDatePath(), s));
    const std::optional<WindowSettings> r = ReadSizeDate(SizeDatePath());
    QVERIFY(r);
    QCOMPARE(r->present, WindowSettings::AllFields);
    QCOMPARE(r->Height, s.Height);
    QCOMPARE(r->Width, s.Width);
    QCOMPARE(r->Top, s.Top);
    QCOMPARE(r->Left, s.Left);
    QCOMPARE(r->CatalogueWidth, s.CatalogueWidth);
    QCOMPARE(r->FilesWidth, s.FilesWidth);
    QCOMPARE(r->EditorHeight, s.EditorHeight);
    QCOMPARE(r->PrvVisible, false);
    QCOMPARE(r->FilesVisible, true);
    QCOMPARE(r->TagsVisible, false);
    QCOMPARE(r->ToolbarVisible, false);
    QCOMPARE(r->StatusVisible, true);
    QCOMPARE(r->PicShow, true);
    QCOMPARE(r->AutoPreview, false);
}

void TestSettingsFiles::sizeDateOnlyFourNumbers()
{
    QVERIFY(PutBytes(SizeDatePath(), "7000,10000,300,450\r\n"));
    const std::optional<WindowSettings> r = ReadSizeDate(SizeDatePath());
    QVERIFY(r);
    for (int f = 0; f < SizeFieldCount; ++f)
        QCOMPARE(r->has(SizeField(f)), f <= SizeLeft);
    QCOMPARE(r->Height, 7000.0);
    QCOMPARE(r->Width, 10000.0);
    QCOMPARE(r->Top, 300.0);
    QCOMPARE(r->Left, 450.0);
}

void TestSettingsFiles::sizeDateMissingFile()
{
    QVERIFY(!ReadSizeDate(SizeDatePath()));
    // An empty file is read, but holds nothing.
    QVERIFY(PutBytes(SizeDatePath(), ""));
    const std::optional<WindowSettings> r = ReadSizeDate(SizeDatePath());
    QVERIFY(r);
    QCOMPARE(r->present, 0u);
}

void TestSettingsFiles::sizeDateFractionalTwips()
{
    QVERIFY(PutBytes(SizeDatePath(), "8996.25,11994.5,15.75,-7.5,1935.125,2000,3371.9,True,True,True,True,True,True,True\r\n"));
    const std::optional<WindowSettings> r = ReadSizeDate(SizeDatePath());
    QVERIFY(r);
    QCOMPARE(r->present, WindowSettings::AllFields);
    QCOMPARE(r->Height, 8996.25);
    QCOMPARE(r->Width, 11994.5);
    QCOMPARE(r->Top, 15.75);
    QCOMPARE(r->Left, -7.5);
    QCOMPARE(r->CatalogueWidth, 1935.125);
    QCOMPARE(r->EditorHeight, 3371.9);
    // And written back as they were.
    QVERIFY(WriteSizeDate(SizeDatePath(), *r));
    QCOMPARE(ReadBytes(SizeDatePath()),
             QByteArray("8996.25,11994.5,15.75,-7.5,1935.125,2000,3371.9,True,True,True,True,True,True,True\r\n"));
}

void TestSettingsFiles::sizeDateBadFieldLeavesItUnset()
{
    QVERIFY(PutBytes(SizeDatePath(), "9000,abc,600,,1935,1935,3375,Maybe,False,True,True,True,False,False\r\n"));
    const std::optional<WindowSettings> r = ReadSizeDate(SizeDatePath());
    QVERIFY(r);
    QVERIFY(r->has(SizeHeight));
    QVERIFY(!r->has(SizeWidth));
    QVERIFY(r->has(SizeTop));
    QVERIFY(!r->has(SizeLeft));
    QVERIFY(r->has(SizeEditorHeight));
    QVERIFY(!r->has(SizePrvVisible));
    QVERIFY(r->has(SizeFilesVisible));
    QCOMPARE(r->FilesVisible, false);
    QVERIFY(r->has(SizeAutoPreview));
    QCOMPARE(r->AutoPreview, false);
    QCOMPARE(r->PicShow, false);
}

void TestSettingsFiles::sizeDateBooleanForms_data()
{
    QTest::addColumn<QByteArray>("word");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<bool>("value");
    QTest::newRow("True") << QByteArray("True") << true << true;
    QTest::newRow("False") << QByteArray("False") << true << false;
    QTest::newRow("lower true") << QByteArray("true") << true << true;
    QTest::newRow("upper FALSE") << QByteArray("FALSE") << true << false;
    QTest::newRow("Write form") << QByteArray("#TRUE#") << true << true;
    QTest::newRow("zero") << QByteArray("0") << true << false;
    QTest::newRow("minus one") << QByteArray("-1") << true << true;
    QTest::newRow("seven") << QByteArray("7") << true << true;
    QTest::newRow("word") << QByteArray("Yes") << false << false;
    QTest::newRow("empty") << QByteArray("") << false << false;
}

void TestSettingsFiles::sizeDateBooleanForms()
{
    QFETCH(QByteArray, word);
    QFETCH(bool, readable);
    QFETCH(bool, value);
    QVERIFY(PutBytes(SizeDatePath(), "1,2,3,4,5,6,7," + word + ",True\r\n"));
    const std::optional<WindowSettings> r = ReadSizeDate(SizeDatePath());
    QVERIFY(r);
    QCOMPARE(r->has(SizePrvVisible), readable);
    if (readable)
        QCOMPARE(r->PrvVisible, value);
    QVERIFY(r->has(SizeFilesVisible));
    QVERIFY(!r->has(SizeTagsVisible));
}

void TestSettingsFiles::sizeDateWriteFailureReported()
{
    QVERIFY(QDir(m_dir.path()).mkdir(u"SizeDate.dat"_s));
    QString error;
    QVERIFY(!WriteSizeDate(SizeDatePath(), WindowSettings(), &error));
    QVERIFY(error.contains(u"SizeDate.dat"));
    QVERIFY(QDir(m_dir.path()).rmdir(u"SizeDate.dat"_s));
}

void TestSettingsFiles::fontDateRoundTrip()
{
    EditorFontSettings s;
    s.Name = u"ＭＳ ゴシック"_s;
    s.Size = 10.5;
    s.Bold = true;
    s.Italic = false;
    s.BackColorRef = 0x00C0FFEE;
    s.TextColorRef = 0x00102030;
    QVERIFY(WriteFontDate(FontDatePath(), s));
    const std::optional<EditorFontSettings> r = ReadFontDate(FontDatePath());
    QVERIFY(r);
    QCOMPARE(r->present, EditorFontSettings::AllFields);
    QCOMPARE(r->Name, s.Name);
    QCOMPARE(r->Size, 10.5);
    QCOMPARE(r->Bold, true);
    QCOMPARE(r->Italic, false);
    QCOMPARE(r->BackColorRef, s.BackColorRef);
    QCOMPARE(r->TextColorRef, s.TextColorRef);
}

void TestSettingsFiles::fontDateExactLine()
{
    EditorFontSettings s;
    s.Name = u"ＭＳ 明朝"_s;
    s.Size = 9;
    s.Bold = false;
    s.Italic = true;
    s.BackColorRef = RgbToColorRef(0xFFFFFF);
    s.TextColorRef = RgbToColorRef(0xFF0000); // red: 0x000000FF in the file
    QVERIFY(WriteFontDate(FontDatePath(), s));
    QCOMPARE(ReadBytes(FontDatePath()), Sjis(u"ＭＳ 明朝,9,False,True,16777215,255\r\n"_s));
}

void TestSettingsFiles::fontDateMissingAndShortFiles()
{
    QVERIFY(!ReadFontDate(FontDatePath()));
    QVERIFY(PutBytes(FontDatePath(), Sjis(u"Courier New,12.75\r\n"_s)));
    const std::optional<EditorFontSettings> r = ReadFontDate(FontDatePath());
    QVERIFY(r);
    QCOMPARE(r->Name, u"Courier New"_s);
    QCOMPARE(r->Size, 12.75);
    QVERIFY(r->has(EditorFontSettings::FontSize));
    QVERIFY(!r->has(EditorFontSettings::FontBold));
    QVERIFY(!r->has(EditorFontSettings::BackColor));
    // A size of zero or a colour that is no number is not taken.
    QVERIFY(PutBytes(FontDatePath(), "Arial,0,True,False,blue,12345\r\n"));
    const std::optional<EditorFontSettings> z = ReadFontDate(FontDatePath());
    QVERIFY(z);
    QVERIFY(!z->has(EditorFontSettings::FontSize));
    QVERIFY(z->has(EditorFontSettings::FontBold));
    QVERIFY(!z->has(EditorFontSettings::BackColor));
    QCOMPARE(z->TextColorRef, 12345u);
}

void TestSettingsFiles::fontDateNameTheFileCannotCarry_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("comma") << u"Font, Bold"_s;
    QTest::newRow("line break") << u"Font\r\nX"_s;
    QTest::newRow("outside code page") << u"微软雅黑"_s;
    QTest::newRow("reads back as another name") << u"Font\u2212X"_s;
}

void TestSettingsFiles::fontDateNameTheFileCannotCarry()
{
    QFETCH(QString, name);
    EditorFontSettings s;
    s.Name = name;
    s.Size = 11;
    s.Bold = true;
    s.BackColorRef = 0x00ABCDEF;
    s.TextColorRef = 0;
    QVERIFY(WriteFontDate(FontDatePath(), s));
    const std::optional<EditorFontSettings> r = ReadFontDate(FontDatePath());
    QVERIFY(r);
    // The name is dropped, the other fields still arrive in their places.
    QVERIFY(!r->has(EditorFontSettings::FontName));
    QCOMPARE(r->Size, 11.0);
    QCOMPARE(r->Bold, true);
    QCOMPARE(r->BackColorRef, 0x00ABCDEFu);
    QVERIFY(r->has(EditorFontSettings::TextColor));
}

void TestSettingsFiles::fontDateSignedAndSystemColours()
{
    // A system colour written as a signed 32-bit number.
    QVERIFY(PutBytes(FontDatePath(), "Arial,10,False,False,-2147483643,-2147483640\r\n"));
    const std::optional<EditorFontSettings> r = ReadFontDate(FontDatePath());
    QVERIFY(r);
    QCOMPARE(r->BackColorRef, 0x80000005u);
    QCOMPARE(r->TextColorRef, 0x80000008u);
    QVERIFY(IsSystemColorRef(r->BackColorRef));
    QVERIFY(!IsSystemColorRef(0x00FFFFFF));
    QVERIFY(!ParseColorRef(u"4294967296"));
    QVERIFY(!ParseColorRef(u"-2147483649"));
    QCOMPARE(ParseColorRef(u"4294967295"), std::optional<quint32>(0xFFFFFFFFu));
}

void TestSettingsFiles::colorRefConversions()
{
    // 0x00BBGGRR in the files, 0x00RRGGBB in the program.
    QCOMPARE(ColorRefToRgb(0x000000FF), 0xFF0000);
    QCOMPARE(ColorRefToRgb(0x0000FF00), 0x00FF00);
    QCOMPARE(ColorRefToRgb(0x00FF0000), 0x0000FF);
    QCOMPARE(ColorRefToRgb(0x00FF8040), 0x4080FF);
    QCOMPARE(RgbToColorRef(0x4080FF), 0x00FF8040u);
    for (const int rgb : {0x000000, 0xFFFFFF, 0x123456, 0xFEDCBA})
        QCOMPARE(ColorRefToRgb(RgbToColorRef(rgb)), rgb);
}

void TestSettingsFiles::settingsNumbers()
{
    QCOMPARE(SettingsNumber(9000), u"9000"_s);
    QCOMPARE(SettingsNumber(-120), u"-120"_s);
    QCOMPARE(SettingsNumber(2100.5), u"2100.5"_s);
    QCOMPARE(SettingsNumber(0.125), u"0.125"_s);
    QCOMPARE(ParseSettingsNumber(u" 12.5 "), std::optional<double>(12.5));
    QCOMPARE(ParseSettingsNumber(u"1e3"), std::optional<double>(1000));
    QVERIFY(!ParseSettingsNumber(u"12,5"));
    QVERIFY(!ParseSettingsNumber(u"inf"));
    QVERIFY(!ParseSettingsNumber(u"nan"));
    QVERIFY(!ParseSettingsNumber(u""));
}

void TestSettingsFiles::backupOfSavedProjectRoundTrip()
{
    ProjectDates p = SampleProject(m_dir.path());
    p.ProjectPath = m_dir.filePath(u"作品.hpf"_s);
    p.Henkou = true;
    QString error;
    QVERIFY2(WriteWorkBackup(p, &error), qPrintable(error));
    QCOMPARE(ReadBytes(WrBackUpPath()), EncodeProjectFile(p));
    QCOMPARE(ReadBytes(NmBackUpPath()), Sjis(p.ProjectPath + u"\r\n"));

    ProjectDates q;
    NewStartProject(q);
    const BackupResumeResult r = OpenBackUp(q);
    QVERIFY(r.found);
    QCOMPARE(r.code, qint16(LoadOk));
    QVERIFY(SameProjectData(p, q));
    QCOMPARE(q.ProjectPath, p.ProjectPath);
    QVERIFY(!QFileInfo::exists(WrBackUpPath()));
    QVERIFY(!QFileInfo::exists(NmBackUpPath()));
    // The resumed project is in the temporary folder for the preview.
    QVERIFY(QFileInfo::exists(TempC::TempPathFor(u"Index.htm"_s)));
    QVERIFY(QFileInfo::exists(TempC::TempPathFor(u"page2.html"_s)));
    // Saved again, it gives the same bytes.
    QCOMPARE(EncodeProjectFile(q), EncodeProjectFile(p));
}

void TestSettingsFiles::backupOfNeverSavedProject()
{
    ProjectDates p = SampleProject(m_dir.path());
    QCOMPARE(p.ProjectPath, NewProjectPath);
    QVERIFY(WriteWorkBackup(p, nullptr));
    QCOMPARE(ReadBytes(NmBackUpPath()), Sjis(u"新規HTMLプロジェクト\r\n"_s));
    ProjectDates q;
    NewStartProject(q);
    q.ProjectPath = u"placeholder"_s;
    QVERIFY(OpenBackUp(q).found);
    QCOMPARE(q.ProjectPath, NewProjectPath);
    QVERIFY(SameProjectData(p, q));
}

void TestSettingsFiles::backupPathOutsideCodePage_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("no code") << u"项目.hpf"_s;
    // Has a code, but it reads back as FULLWIDTH TILDE: another file.
    QTest::newRow("wave dash") << u"作品\u301C.hpf"_s;
}

void TestSettingsFiles::backupPathOutsideCodePage()
{
    QFETCH(QString, name);
    ProjectDates p = SampleProject(m_dir.path());
    p.ProjectPath = m_dir.filePath(name);
    QVERIFY(!Cp932::canEncodeExactly(p.ProjectPath));
    QVERIFY(WriteWorkBackup(p, nullptr));
    QCOMPARE(ReadNmBackUp(NmBackUpPath()), std::optional<QString>(p.ProjectPath));
    ProjectDates q;
    NewStartProject(q);
    OpenBackUp(q);
    QCOMPARE(q.ProjectPath, p.ProjectPath);
}

void TestSettingsFiles::noBackupLeavesProject()
{
    ProjectDates q;
    NewStartProject(q);
    q.Html[0].HtmlStr = u"kept"_s;
    QVERIFY(PutBytes(NmBackUpPath(), "somewhere.hpf\r\n"));
    const BackupResumeResult r = OpenBackUp(q);
    QVERIFY(!r.found);
    QCOMPARE(q.Html[0].HtmlStr, u"kept"_s);
    QCOMPARE(q.ProjectPath, NewProjectPath);
}

void TestSettingsFiles::damagedBackupKeptBeside()
{
    const QByteArray damaged = "$HtmlProjectFile$,x,";
    QVERIFY(PutBytes(WrBackUpPath(), damaged));
    QVERIFY(PutBytes(NmBackUpPath(), Sjis(m_dir.filePath(u"大事.hpf"_s) + u"\r\n")));
    ProjectDates q = SampleProject(m_dir.path());
    int newProjectRuns = 0;
    const BackupResumeResult r = OpenBackUp(q, [&] {
        ++newProjectRuns;
        NewStartProject(q);
    });
    QVERIFY(r.found);
    QCOMPARE(r.code, qint16(LoadBroken));
    QCOMPARE(newProjectRuns, 1);
    QCOMPARE(r.keptAs, m_dir.filePath(u"WrBackUp.broken.dat"_s));
    QCOMPARE(ReadBytes(r.keptAs), damaged);
    QVERIFY(!QFileInfo::exists(WrBackUpPath()));
    QVERIFY(!QFileInfo::exists(NmBackUpPath()));
    // A new, never-saved project: saving it cannot overwrite the project the
    // backup came from.
    QCOMPARE(q.Html.size(), 1);
    QCOMPARE(q.ProjectPath, NewProjectPath);
    QCOMPARE(r.backupPath, m_dir.filePath(u"大事.hpf"_s));
    const QString message = BrokenBackupMessage(r);
    QVERIFY(message.contains(QDir::toNativeSeparators(r.keptAs)));
    QVERIFY(message.contains(QDir::toNativeSeparators(r.backupPath)));
}

void TestSettingsFiles::secondDamagedBackupGetsItsOwnName()
{
    QVERIFY(PutBytes(m_dir.filePath(u"WrBackUp.broken.dat"_s), "older"));
    QVERIFY(PutBytes(WrBackUpPath(), ""));
    ProjectDates q;
    NewStartProject(q);
    const BackupResumeResult r = OpenBackUp(q);
    QCOMPARE(r.code, qint16(LoadNotProject));
    QCOMPARE(r.keptAs, m_dir.filePath(u"WrBackUp.broken-2.dat"_s));
    QCOMPARE(ReadBytes(m_dir.filePath(u"WrBackUp.broken.dat"_s)), QByteArray("older"));
    QVERIFY(QFileInfo::exists(r.keptAs));
}

void TestSettingsFiles::backupWithoutPathFileKeepsPath()
{
    ProjectDates p = SampleProject(m_dir.path());
    QVERIFY(PutBytes(WrBackUpPath(), EncodeProjectFile(p)));
    ProjectDates q;
    NewStartProject(q);
    q.ProjectPath = u"/start/path.hpf"_s;
    QVERIFY(OpenBackUp(q).found);
    QCOMPARE(q.ProjectPath, u"/start/path.hpf"_s);
    QVERIFY(SameProjectData(p, q));
}

void TestSettingsFiles::backupNotWrittenHalfway()
{
    // NmBackUp.dat cannot be written: no backup is left behind that would be
    // resumed under the wrong path.
    QVERIFY(QDir(m_dir.path()).mkdir(u"NmBackUp.dat"_s));
    ProjectDates p = SampleProject(m_dir.path());
    QString error;
    QVERIFY(!WriteWorkBackup(p, &error));
    QVERIFY(error.contains(u"NmBackUp.dat"));
    QVERIFY(!QFileInfo::exists(WrBackUpPath()));
    QVERIFY(QDir(m_dir.path()).rmdir(u"NmBackUp.dat"_s));

    QVERIFY(QDir(m_dir.path()).mkdir(u"WrBackUp.dat"_s));
    QVERIFY(!WriteWorkBackup(p, &error));
    QVERIFY(error.contains(u"WrBackUp.dat"));
    QVERIFY(!QFileInfo::exists(NmBackUpPath()));
    QVERIFY(QDir(m_dir.path()).rmdir(u"WrBackUp.dat"_s));
}

void TestSettingsFiles::backupRefusesFieldsTheFormatCannotCarry()
{
    ProjectDates p = SampleProject(m_dir.path());
    p.Pict[0].DatName = u"写真,その2"_s;
    QString error;
    QVERIFY(!WriteWorkBackup(p, &error));
    QVERIFY(error.contains(u"WrBackUp.dat"));
    QVERIFY(error.contains(u"写真,その2"));
    QVERIFY(!QFileInfo::exists(WrBackUpPath()));
    QVERIFY(!QFileInfo::exists(NmBackUpPath()));
}

// On a full disk the backup is not written and says so; nothing half written
// is left for the next start to call damaged.
void TestSettingsFiles::backupOnFullDiskIsRefused()
{
    SmallDisk disk(64);
    if (!disk.mounted())
        QSKIP(qPrintable(disk.reason()));
    SetAppDir(disk.path());
    QVERIFY(disk.fill());
    ProjectDates p = SampleProject(m_dir.path());
    QString error;
    QVERIFY(!WriteWorkBackup(p, &error));
    QVERIFY2(error.contains(u"WrBackUp.dat"_s), qPrintable(error));
    QVERIFY2(error.contains(u"ディスクの空き容量が足りません"_s), qPrintable(error));
    QCOMPARE(AllEntries(disk.path()), QStringList{u".filler"_s});

    // With 8 KB free, the first file fits but the second may not: both or neither.
    QVERIFY(QFile::remove(disk.filePath(u".filler"_s)));
    QVERIFY(disk.fill(4096));
    p.Html[0].HtmlStr = QString(3000, u'あ');
    const bool written = WriteWorkBackup(p, &error);
    QCOMPARE(QFileInfo::exists(WrBackUpPath()), written);
    QCOMPARE(QFileInfo::exists(NmBackUpPath()), written);
    SetAppDir(m_dir.path());
}

// A picture source that is a FIFO and another file that is an endless device
// neither block nor fill the disk when a backup is resumed; the backup is
// resumed and then removed.
void TestSettingsFiles::backupResumedWithSpecialSources()
{
    const QString fifo = m_dir.filePath(u"pipe.gif"_s);
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    ProjectDates p = SampleProject(m_dir.path());
    p.Pict[0].FilePath = fifo;
    p.ElseFile[0].FilePath = u"/dev/zero"_s;
    QVERIFY(WriteWorkBackup(p, nullptr));

    ProjectDates q;
    NewStartProject(q);
    QElapsedTimer timer;
    timer.start();
    const BackupResumeResult r = OpenBackUp(q);
    QVERIFY(timer.elapsed() < 5000);
    QCOMPARE(r.code, qint16(LoadOk));
    QVERIFY(SameProjectData(p, q));
    QVERIFY(!QFileInfo::exists(WrBackUpPath()));
    QVERIFY(!QFileInfo::exists(NmBackUpPath()));
    QVERIFY(QFileInfo::exists(TempC::TempPathFor(u"Index.htm"_s)));
    QVERIFY(!QFileInfo::exists(TempC::TempPathFor(u"photo.gif"_s)));
    QVERIFY(!QFileInfo::exists(TempC::TempPathFor(u"doc.pdf"_s)));
    QFile::remove(fifo);
}

// A NUL character never becomes a path or a font name.
void TestSettingsFiles::nulInSettingsIsPassedOver()
{
    QVERIFY(PutBytes(NmBackUpPath(), QByteArray("/home/u/a") + QByteArray(1, '\0') + QByteArray("b.hpf\r\n")));
    QVERIFY(!ReadNmBackUp(NmBackUpPath()).has_value());
    const EditorFontSettings f = ParseFontDateText(u"Cour"_s + QChar(0) + u"ier,12,True,False,0,0"_s);
    QVERIFY(!f.has(EditorFontSettings::FontName));
    QVERIFY(f.has(EditorFontSettings::FontSize));
}

QTEST_GUILESS_MAIN(TestSettingsFiles)
#include "tst_settingsfiles.moc"
