#include "AppPaths.h"
#include "FileSystemLimits.h"
#include "TestSupport.h"
#include "Icons.h"
#include "Cp932.h"
#include "DialogFolders.h"
#include "MainForm.h"
#include "PageEditor.h"
#include "ProjectFile.h"
#include "RecordingUi.h"
#include "SettingsFiles.h"
#include "WindowFit.h"
#include "TempC.h"
#include "Twips.h"
#include "WindowSettingsIO.h"
#include "WidgetTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString ProjectFilter = u"HTMLプロジェクトファイル|*.hpf|全てのファイル|*.*"_s;
const QString HtmlFilter = u"HTMLファイル|*.htm;*.html|全てのファイル|*.*"_s;

QString Title(const QString &path, const QString &page)
{
    return u"HTMLプロジェクトエディタ 『ミルト』 - ["_s + path + u"] - ["_s + page + u"]"_s;
}

QString ChangedQuestion(const QString &path)
{
    return u"ファイル\""_s + path + u"\"の内容が変更されています、変更を保存しますか？"_s;
}

bool SameProjectData(const ProjectDates &a, const ProjectDates &b)
{
    return a.Html == b.Html && a.Pict == b.Pict && a.ElseFile == b.ElseFile && a.SioriList == b.SioriList
           && a.SyuturyokuFolder == b.SyuturyokuFolder;
}

} // namespace

class TestProjectCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    // Start-up
    void firstStartWithoutFiles();
    void settingsFilesApplied();
    void sizeDateOfFourNumbers();
    void hostileSizeDateStillStarts_data();
    void hostileSizeDateStillStarts();
    void settingsWrittenAtExitAndRestored();
    void hiddenPreviewKeepsEditorHeightToRestore();
    void shownWindowKeepsItsSizeAcrossRuns();

    // New
    void newAfterNoDropsChanges();
    void newAfterYesSaves();
    void newStopsWhenSaveDialogCancelled();
    void newStopsWhenSaveFails();
    void newUnchangedAsksNothing();

    // Open
    void openLoadsProject();
    void openWithAndWithoutOutputFolder();
    void openNoThenCancelKeepsProject();
    void openStopsWhenYesButNotSaved();
    void openFailures_data();
    void openFailures();
    void openFailureAsksAgainWhenStillChanged();
    void openFailureThenSaveCancelledKeepsProject();

    // Save
    void saveNeverSavedActsAsSaveAs();
    void saveNeverSavedCancelKeepsHenkou();
    void saveWritesProjectFile();
    void saveFailureKeepsHenkouAndOldFile();
    void saveRefusesFieldsTheFormatCannotCarry();
    void fullDiskNeverCountsAsSaved_data();
    void fullDiskNeverCountsAsSaved();
    void saveAsSetsPathAndTitle();
    void saveAsFromToolbar();
    void nameTypedWithoutExtensionGetsOne_data();
    void nameTypedWithoutExtensionGetsOne();

    // Save page as HTML
    void saveHtmlWritesEditorText();
    void saveHtmlEmptyPage();
    void saveHtmlUtf8Page();
    void savesTellWhatBecameOfCharacters_data();
    void savesTellWhatBecameOfCharacters();
    void fileDialogsStartOutsideTheProgram();
    void saveHtmlFailureReported();
    void saveHtmlCancelled();

    // Exit
    void exitUnchangedCloses();
    void exitAfterNoCloses();
    void exitAfterYesSavesAndCloses();
    void exitCancelledWhenSaveDialogCancelled();
    void exitCancelledWhenSaveFails();
    void exitEndsProgramWithOtherWindowsOpen();

    // A dismissed unsaved-changes question stops the command
    void cancelledQuestionKeepsWork_data();
    void cancelledQuestionKeepsWork();
    void escapeOnTheRealQuestionKeepsWork_data();
    void escapeOnTheRealQuestionKeepsWork();

    // Work in progress
    void workBackupOfSavedProject();
    void workBackupOfNeverSavedProject();
    void workBackupFailureDoesNotClose();
    void damagedBackupAtStartUp();

private:
    MainForm &form() { return *m_form; }
    ProjectDates &project() { return m_form->project(); }
    QAction *act(const char16_t *name) { return m_form->action(QString::fromUtf16(name)); }
    // Types into the editor; characters beyond ASCII arrive as an input method
    // would deliver them.
    void type(const QString &text)
    {
        PageEditor *editor = m_form->ui().MainText;
        for (const QChar c : text) {
            if (c.unicode() < 0x80)
                QTest::keyClick(editor, char(c.unicode()));
            else
                editor->insertPlainText(QString(c));
        }
    }
    // A project file in the test folder, written as the program writes it.
    QString writeProject(const QString &name, const ProjectDates &p);
    ProjectDates sampleProject(const QString &outputFolder = QString());
    void restart();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RecordingUi> m_rec;
    std::unique_ptr<MainForm> m_form;
};

void TestProjectCommands::initTestCase()
{
    SetTwipsDpiForTesting(96);
    qApp->setQuitOnLastWindowClosed(false);
}

void TestProjectCommands::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    SetAppDir(m_dir->path());
    QVERIFY(QDir(m_dir->path()).mkpath(u"temp"_s));
    m_rec = std::make_unique<RecordingUi>();
    m_form = std::make_unique<MainForm>();
    m_form->startUp();
}

void TestProjectCommands::cleanup()
{
    m_form.reset();
    m_rec.reset();
    m_dir.reset();
}

void TestProjectCommands::restart()
{
    m_form.reset();
    m_rec->clear();
    m_form = std::make_unique<MainForm>();
    m_form->startUp();
}

QString TestProjectCommands::writeProject(const QString &name, const ProjectDates &p)
{
    const QString path = m_dir->filePath(name);
    if (!PutBytes(path, EncodeProjectFile(p)))
        return QString();
    return path;
}

ProjectDates TestProjectCommands::sampleProject(const QString &outputFolder)
{
    ProjectDates p;
    NewStartProject(p);
    p.Html[0].DatName = u"表紙"_s;
    p.Html[0].HtmlStr = u"<html>\r\n<body>表紙のページ</body>\r\n</html>"_s;
    AddHtmlDat(p, u"二ページ目"_s, u"page2"_s, u"<p>二</p>"_s, u".htm"_s);
    AddPictDat(p, u"写真"_s, u"photo"_s, m_dir->filePath(u"missing.gif"_s), u".gif"_s);
    p.SioriList = {u"目次"_s};
    p.SyuturyokuFolder = outputFolder;
    return p;
}

// --- Start-up ---

void TestProjectCommands::firstStartWithoutFiles()
{
    QVERIFY(form().PrvVisible && form().FilesVisible && form().TagsVisible);
    QVERIFY(form().ToolbarVisible && form().StatusVisible);
    for (const char16_t *name : {u"minmnyPrv", u"minmnyShowFiles", u"minmnyShowTags", u"minmnyTru", u"minmnyStats",
                                 u"minmnyAt"})
        QVERIFY2(act(name)->isChecked(), qPrintable(QString::fromUtf16(name)));
    QVERIFY(form().toolButton(u"AtKosin"_s)->isChecked());
    QCOMPARE(form().windowTitle(), Title(NewProjectPath, u"インデックス"_s));
    QVERIFY(!project().Henkou);
    QVERIFY(m_rec->shown.isEmpty());
    // The built-in editor font stays.
    QCOMPARE(form().ui().MainText->font().family(), QFont().family());
    // The built-in size is never larger than the screen (the test screen is
    // narrower than the built-in width).
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(screen.width() < TwipsToPx(16500));
    QVERIFY(form().width() <= screen.width());
    QVERIFY(form().height() <= screen.height());
    QVERIFY(form().width() >= MinimumWindowSize.width());
}

void TestProjectCommands::settingsFilesApplied()
{
    QVERIFY(PutBytes(SizeDatePath(), "7500.5,10500,300,450,2400.75,2250.2,2999.6,True,False,True,False,True,False,False\r\n"));
    QVERIFY(PutBytes(FontDatePath(), Sjis(u"Courier New,13.5,True,True,12632256,255\r\n"_s)));
    restart();
    const MainFormControls &ui = form().ui();
    QCOMPARE(form().width(), TwipsToPx(10500 - (form().formWidthTwips() - PxToTwips(form().width()))));
    QCOMPARE(form().pos(), QPoint(TwipsToPx(450), TwipsToPx(300)));
    for (QWidget *w : {static_cast<QWidget *>(ui.InSelectList), static_cast<QWidget *>(ui.TagTypeCombo),
                       static_cast<QWidget *>(ui.InTagList), static_cast<QWidget *>(ui.Image1)})
        QCOMPARE(w->width(), TwipsToPx(2400.75));
    QCOMPARE(ui.MinDatList->width(), TwipsToPx(2250.2));
    QCOMPARE(ui.DatList->width(), TwipsToPx(2250.2));
    QCOMPARE(ui.MainText->height(), TwipsToPx(2999.6));
    QVERIFY(form().PrvVisible);
    QVERIFY(!form().FilesVisible);
    QVERIFY(!act(u"minmnyShowFiles")->isChecked());
    QVERIFY(form().TagsVisible);
    QVERIFY(!form().ToolbarVisible);
    QVERIFY(!act(u"minmnyTru")->isChecked());
    QVERIFY(form().StatusVisible);
    QVERIFY(act(u"minmnyStats")->isChecked());
    QVERIFY(!act(u"minmnyAt")->isChecked());
    QVERIFY(!form().toolButton(u"AtKosin"_s)->isChecked());

    const QFont f = ui.MainText->font();
    QCOMPARE(f.family(), u"Courier New"_s);
    QCOMPARE(f.pointSizeF(), 13.5);
    QVERIFY(f.bold());
    QVERIFY(f.italic());
    QCOMPARE(EditorBackColor(form()), QColor(0xC0, 0xC0, 0xC0));
    QCOMPARE(EditorTextColor(form()), QColor(0xFF, 0, 0));
    QVERIFY(!project().Henkou);
}

void TestProjectCommands::sizeDateOfFourNumbers()
{
    const MainFormControls &builtIn = form().ui();
    const int catalogue = builtIn.InSelectList->width();
    const int files = builtIn.MinDatList->width();
    QVERIFY(PutBytes(SizeDatePath(), "8000,11000,150,300\r\n"));
    restart();
    const MainFormControls &ui = form().ui();
    QCOMPARE(form().pos(), QPoint(TwipsToPx(300), TwipsToPx(150)));
    QCOMPARE(form().width(), TwipsToPx(11000 - (form().formWidthTwips() - PxToTwips(form().width()))));
    QCOMPARE(ui.InSelectList->width(), catalogue);
    QCOMPARE(ui.MinDatList->width(), files);
    QCOMPARE(form().EditHeight, qint16(0));
    QVERIFY(form().PrvVisible && form().FilesVisible && form().TagsVisible && form().ToolbarVisible
            && form().StatusVisible);
    QVERIFY(act(u"minmnyAt")->isChecked());
}

void TestProjectCommands::hostileSizeDateStillStarts_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("everything 999999")
        << QByteArray("999999,999999,999999,999999,999999,999999,999999,True,True,True,True,True,True,True");
    QTest::newRow("480000 twips") << QByteArray("480000,480000,0,0,2000,2000,3000,True,True,True,True,True,True,True");
    QTest::newRow("off every screen")
        << QByteArray("9000,12000,-90000,-90000,2000,2000,3000,True,True,True,True,True,True,True");
    QTest::newRow("file list of 999999")
        << QByteArray("9000,12000,300,300,1935,999999,3000,True,True,True,True,True,True,True");
    QTest::newRow("catalogue of 999999")
        << QByteArray("9000,12000,300,300,999999,1935,3000,True,True,True,True,True,True,True");
    QTest::newRow("editor height of 1 twip")
        << QByteArray("9000,12000,300,300,1935,1935,1,True,True,True,True,True,True,True");
    QTest::newRow("editor height of 1 twip, preview hidden")
        << QByteArray("9000,12000,300,300,1935,1935,1,False,True,True,True,True,True,True");
    QTest::newRow("zero and negative sizes")
        << QByteArray("0,-5,300,300,-1,0,-7,True,True,True,True,True,True,True");
}

// Whatever SizeDate.dat holds, the window opens on the screen, fits on it,
// every column stays on it and the editor keeps a usable size: typed text
// arrives.
void TestProjectCommands::hostileSizeDateStillStarts()
{
    QFETCH(QByteArray, line);
    QVERIFY(PutBytes(SizeDatePath(), line + "\r\n"));
    restart();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(screen.contains(QRect(form().pos(), form().size())));
    form().show();
    QVERIFY(QTest::qWaitForWindowExposed(&form()));
    QVERIFY2(screen.contains(form().frameGeometry()), qPrintable(u"%1,%2 %3x%4"_s.arg(form().x()).arg(form().y())
                                                                     .arg(form().width()).arg(form().height())));
    const MainFormControls &ui = form().ui();
    const QRect surface = ui.surface->rect();
    for (QWidget *w : {static_cast<QWidget *>(ui.InSelectList), static_cast<QWidget *>(ui.MainText),
                       static_cast<QWidget *>(ui.MinDatList), static_cast<QWidget *>(ui.DatList)})
        QVERIFY2(surface.contains(w->geometry()), qPrintable(w->objectName()));
    QVERIFY(ui.MainText->width() >= TwipsToPx(MinEditorWidthTwips) - 1);
    QVERIFY(ui.MainText->height() >= TwipsToPx(MinEditorHeightTwips) - 1);
    // The editor is not covered: a click reaches it, and typing arrives.
    QCOMPARE(ui.surface->childAt(ui.MainText->geometry().center()), ui.MainText->viewport());
    ui.MainText->setFocus();
    QTest::mouseClick(ui.MainText->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::keyClicks(ui.MainText->viewport(), u"typed"_s);
    QVERIFY2(project().Html.at(0).HtmlStr.contains(u"typed"_s), qPrintable(project().Html.at(0).HtmlStr));
    form().hide();
}

void TestProjectCommands::settingsWrittenAtExitAndRestored()
{
    const MainFormControls &ui = form().ui();
    // Within the test screen (800 by 800), so that the restored window needs no fitting.
    form().resize(760, 600);
    ui.InSelectList->resize(150, ui.InSelectList->height());
    ui.MinDatList->resize(170, ui.MinDatList->height());
    act(u"minmnyAt")->setChecked(false);
    form().FilesVisible = false;
    act(u"minmnyShowFiles")->setChecked(false);
    form().Form_Resize();
    QFont font(u"Courier New"_s);
    font.setPointSizeF(11.5);
    font.setBold(true);
    ui.MainText->setFont(font);
    SetEditorBackColor(form(), QColor(0x10, 0x20, 0x30));
    SetEditorTextColor(form(), QColor(0xF0, 0xE0, 0xD0));
    const WindowSettings before = CollectWindowSettings(form());
    const EditorFontSettings fontBefore = CollectEditorFont(form());

    act(u"minmnyEnd")->trigger();
    QVERIFY(!form().isVisible());
    const std::optional<WindowSettings> saved = ReadSizeDate(SizeDatePath());
    QVERIFY(saved);
    QCOMPARE(saved->present, WindowSettings::AllFields);
    QCOMPARE(saved->CatalogueWidth, PxToTwips(150));
    QCOMPARE(saved->FilesWidth, PxToTwips(170));
    QVERIFY(!saved->FilesVisible);
    QVERIFY(!saved->AutoPreview);
    QCOMPARE(ReadBytes(FontDatePath()),
             Sjis(u"Courier New,11.5,True,False,%1,%2\r\n"_s.arg(0x302010).arg(0xD0E0F0)));

    restart();
    const WindowSettings after = CollectWindowSettings(form());
    QCOMPARE(after.Width, before.Width);
    QCOMPARE(after.Height, before.Height);
    QCOMPARE(after.CatalogueWidth, before.CatalogueWidth);
    QCOMPARE(after.FilesWidth, before.FilesWidth);
    QCOMPARE(after.FilesVisible, false);
    QCOMPARE(after.AutoPreview, false);
    const EditorFontSettings fontAfter = CollectEditorFont(form());
    QCOMPARE(fontAfter.Name, fontBefore.Name);
    QCOMPARE(fontAfter.Size, fontBefore.Size);
    QCOMPARE(fontAfter.Bold, true);
    QCOMPARE(fontAfter.BackColorRef, fontBefore.BackColorRef);
    QCOMPARE(fontAfter.TextColorRef, fontBefore.TextColorRef);
}

void TestProjectCommands::hiddenPreviewKeepsEditorHeightToRestore()
{
    // Preview hidden: the editor fills the column, and the height written is
    // the one it gets back when the preview returns.
    form().resize(900, 700);
    form().ui().MainText->resize(form().ui().MainText->width(), TwipsToPx(2700));
    form().EditHeight = 0;
    form().PrvVisible = false;
    act(u"minmnyPrv")->setChecked(false);
    form().Form_Resize();
    QCOMPARE(form().EditHeight, qint16(2700));
    QVERIFY(form().ui().MainText->height() > TwipsToPx(2700));
    act(u"minmnyEnd")->trigger();
    const std::optional<WindowSettings> saved = ReadSizeDate(SizeDatePath());
    QVERIFY(saved);
    QCOMPARE(saved->EditorHeight, 2700.0);
    QVERIFY(!saved->PrvVisible);

    restart();
    QVERIFY(!form().PrvVisible);
    QCOMPARE(form().EditHeight, qint16(2700));
    form().PrvVisible = true;
    form().Form_Resize();
    QCOMPARE(form().ui().MainText->height(), TwipsToPx(2700));
}

void TestProjectCommands::shownWindowKeepsItsSizeAcrossRuns()
{
    // Written from a shown window, read before the next window is shown: the
    // size must not creep from run to run.
    form().show();
    QVERIFY(QTest::qWaitForWindowExposed(&form()));
    form().resize(740, 590);
    const QSize size = form().size();
    const WindowSettings first = CollectWindowSettings(form());
    QVERIFY(form().close());
    for (int run = 0; run < 3; ++run) {
        restart();
        QCOMPARE(form().size(), size);
        form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&form()));
        QCOMPARE(form().size(), size);
        const WindowSettings again = CollectWindowSettings(form());
        QCOMPARE(again.Height, first.Height);
        QCOMPARE(again.Width, first.Width);
        QVERIFY(form().close());
    }
}

// --- New ---

void TestProjectCommands::newAfterNoDropsChanges()
{
    type(u"abc"_s);
    QVERIFY(project().Henkou);
    AddPictDat(project(), u"p"_s, u"p"_s, u"/nowhere/p.gif"_s, u".gif"_s);
    project().SyuturyokuFolder = u"/out"_s;
    form().updateUwagaki();
    QVERIFY(act(u"minmnyUwagaki")->isEnabled());
    AddHtmlDat(project(), u"古い"_s, u"old"_s, u"old page"_s, u".htm"_s);
    QVERIFY(TempC::MakeHtmlTemp(project(), 1));
    QPixmap red(8, 8);
    red.fill(Qt::red);
    form().ui().Image1->setPixmap(red);

    m_rec->yesNoAnswers.enqueue(false);
    act(u"ProNewminmnyNew")->trigger();
    // The old project's preview copies are gone, the picture preview shows
    // the placeholder.
    QVERIFY(!QFileInfo::exists(TempC::TempPathFor(u"old.htm"_s)));
    QCOMPARE(form().ui().Image1->pixmap().toImage(), PlaceholderPicture().toImage());
    QCOMPARE(m_rec->messages(), QStringList{ChangedQuestion(NewProjectPath)});
    QCOMPARE(m_rec->shown.first().icon, UiService::Icon::Exclamation);
    QCOMPARE(project().Html.size(), 1);
    QCOMPARE(project().Html[0].DatName, u"インデックス"_s);
    QCOMPARE(project().Html[0].HtmlStr, NewPageSkeleton());
    QVERIFY(project().Pict.isEmpty());
    QVERIFY(project().SyuturyokuFolder.isEmpty());
    QCOMPARE(form().ui().MainText->htmlText(), NewPageSkeleton());
    QCOMPARE(form().ui().MinDatList->currentRow(), 0);
    QCOMPARE(form().ui().DatList->currentRow(), 0);
    QVERIFY(!act(u"minmnyUwagaki")->isEnabled());
    QCOMPARE(act(u"minmnyUwagaki")->text(), u"上書き(&S)"_s);
    QCOMPARE(form().windowTitle(), Title(NewProjectPath, u"インデックス"_s));
    QVERIFY(!project().Henkou);
}

void TestProjectCommands::newAfterYesSaves()
{
    const QString path = writeProject(u"a.hpf"_s, sampleProject());
    m_rec->fileAnswers.enqueue(path);
    act(u"minmnyProOpen")->trigger();
    type(u"X"_s);
    const ProjectDates edited = project();
    m_rec->clear();
    m_rec->yesNoAnswers.enqueue(true);
    form().toolButton(u"NewPro"_s)->trigger();
    QCOMPARE(m_rec->messages(), QStringList{ChangedQuestion(path)});
    QCOMPARE(ReadBytes(path), EncodeProjectFile(edited));
    QCOMPARE(project().ProjectPath, NewProjectPath);
    QVERIFY(!project().Henkou);
}

void TestProjectCommands::newStopsWhenSaveDialogCancelled()
{
    type(u"keep me"_s);
    const ProjectDates before = project();
    m_rec->yesNoAnswers.enqueue(true);
    m_rec->fileAnswers.enqueue(QString()); // save dialog cancelled
    act(u"ProNewminmnyNew")->trigger();
    QCOMPARE(m_rec->shown.size(), 2);
    QCOMPARE(m_rec->shown[1].kind, u"save"_s);
    QCOMPARE(m_rec->shown[1].text, ProjectFilter);
    QVERIFY(SameProjectData(project(), before));
    QVERIFY(project().Henkou);
    QVERIFY(form().ui().MainText->htmlText().contains(u"keep me"));
}

void TestProjectCommands::newStopsWhenSaveFails()
{
    QVERIFY(PutBytes(m_dir->filePath(u"afile"_s), "x"));
    project().ProjectPath = m_dir->filePath(u"afile/sub.hpf"_s); // a folder that cannot exist
    type(u"keep me"_s);
    const ProjectDates before = project();
    m_rec->yesNoAnswers.enqueue(true);
    act(u"ProNewminmnyNew")->trigger();
    QCOMPARE(m_rec->shown.size(), 2);
    QCOMPARE(m_rec->shown[1].icon, UiService::Icon::Critical);
    QVERIFY(m_rec->shown[1].text.contains(QDir::toNativeSeparators(before.ProjectPath)));
    QVERIFY(SameProjectData(project(), before));
    QCOMPARE(project().ProjectPath, before.ProjectPath);
    QVERIFY(project().Henkou);
}

void TestProjectCommands::newUnchangedAsksNothing()
{
    act(u"ProNewminmnyNew")->trigger();
    QVERIFY(m_rec->shown.isEmpty());
    QVERIFY(!project().Henkou);
}

// --- Open ---

void TestProjectCommands::openLoadsProject()
{
    const ProjectDates sample = sampleProject();
    const QString path = writeProject(u"作品.hpf"_s, sample);
    int refreshed = 0;
    const std::function<void()> refresh = form().onRefreshCatalogue;
    form().onRefreshCatalogue = [&] {
        ++refreshed;
        if (refresh)
            refresh();
    };
    m_rec->fileAnswers.enqueue(path);
    act(u"minmnyProOpen")->trigger();
    QCOMPARE(refreshed, 1);
    QCOMPARE(m_rec->shown.size(), 1);
    QCOMPARE(m_rec->shown[0].kind, u"open"_s);
    QCOMPARE(m_rec->shown[0].text, ProjectFilter);
    QVERIFY(SameProjectData(project(), sample));
    QCOMPARE(project().ProjectPath, path);
    QCOMPARE(project().NowHtml, qint16(0));
    QCOMPARE(form().ui().MainText->htmlText(), sample.Html[0].HtmlStr);
    QCOMPARE(form().ui().DatList->count(), 2);
    QCOMPARE(form().windowTitle(), Title(path, u"表紙"_s));
    QVERIFY(!project().Henkou);
    // The pages are in the temporary folder for the preview.
    QCOMPARE(ReadBytes(TempC::TempPathFor(u"page2.htm"_s)), QByteArray("<p>") + Sjis(u"二"_s) + "</p>\r\n");
}

void TestProjectCommands::openWithAndWithoutOutputFolder()
{
    const QString with = writeProject(u"with.hpf"_s, sampleProject(u"/srv/site"_s));
    const QString without = writeProject(u"without.hpf"_s, sampleProject());
    m_rec->fileAnswers.enqueue(with);
    form().toolButton(u"OpenPro"_s)->trigger();
    QVERIFY(act(u"minmnyUwagaki")->isEnabled());
    QCOMPARE(act(u"minmnyUwagaki")->text(), u"\"/srv/site\"に上書き(&S)"_s);
    m_rec->fileAnswers.enqueue(without);
    act(u"minmnyProOpen")->trigger();
    QVERIFY(!act(u"minmnyUwagaki")->isEnabled());
    QCOMPARE(act(u"minmnyUwagaki")->text(), u"上書き(&S)"_s);
}

void TestProjectCommands::openNoThenCancelKeepsProject()
{
    type(u"edited"_s);
    const ProjectDates before = project();
    m_rec->yesNoAnswers.enqueue(false);
    m_rec->fileAnswers.enqueue(QString());
    act(u"minmnyProOpen")->trigger();
    QCOMPARE(m_rec->shown.size(), 2);
    QCOMPARE(m_rec->shown[1].kind, u"open"_s);
    QVERIFY(SameProjectData(project(), before));
    QVERIFY(project().Henkou);
}

void TestProjectCommands::openStopsWhenYesButNotSaved()
{
    type(u"edited"_s);
    const ProjectDates before = project();
    const QString other = writeProject(u"other.hpf"_s, sampleProject());
    m_rec->yesNoAnswers.enqueue(true);
    m_rec->fileAnswers.enqueue(QString()); // save dialog cancelled
    m_rec->fileAnswers.enqueue(other);     // would be the open dialog's answer
    act(u"minmnyProOpen")->trigger();
    QCOMPARE(m_rec->shown.size(), 2);
    QCOMPARE(m_rec->shown[1].kind, u"save"_s);
    QVERIFY(SameProjectData(project(), before));
    QVERIFY(project().Henkou);
}

void TestProjectCommands::openFailures_data()
{
    QTest::addColumn<QByteArray>("content"); // "MISSING" for no file
    QTest::addColumn<QString>("ending");
    QTest::newRow("missing") << QByteArray("MISSING") << u"が見つかりません。"_s;
    QTest::newRow("empty") << QByteArray() << u"は利用可能なHTMLプロジェクトではありません"_s;
    QTest::newRow("not a project") << QByteArray("hello,world\r\n")
                                   << u"は利用可能なHTMLプロジェクトではありません"_s;
    QTest::newRow("damaged page count") << QByteArray("$HtmlProjectFile$,zwei,a,b,.htm,text\r\n")
                                        << u"は壊れています、ファイルをロードできません。"_s;
    QTest::newRow("cut inside a page") << QByteArray("$HtmlProjectFile$,0,a,b,.htm,text\r\nmore")
                                       << u"は壊れています、ファイルをロードできません。"_s;
}

void TestProjectCommands::openFailures()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, ending);
    const QString path = m_dir->filePath(u"bad.hpf"_s);
    if (content != "MISSING")
        QVERIFY(PutBytes(path, content));
    // Something to lose first: the failed open leaves a new empty project.
    const QString good = writeProject(u"good.hpf"_s, sampleProject(u"/srv/out"_s));
    m_rec->fileAnswers.enqueue(good);
    act(u"minmnyProOpen")->trigger();
    m_rec->clear();

    m_rec->fileAnswers.enqueue(path);
    act(u"minmnyProOpen")->trigger();
    QCOMPARE(m_rec->shown.size(), 2);
    QCOMPARE(m_rec->shown[1].kind, u"message"_s);
    QCOMPARE(m_rec->shown[1].icon, UiService::Icon::Critical);
    QCOMPARE(m_rec->shown[1].text, u"ファイル\""_s + QDir::toNativeSeparators(path) + ending);
    QCOMPARE(project().ProjectPath, NewProjectPath);
    QCOMPARE(project().Html.size(), 1);
    QCOMPARE(project().Html[0].DatName, u"インデックス"_s);
    QVERIFY(project().Pict.isEmpty());
    QVERIFY(project().SioriList.isEmpty());
    QVERIFY(!act(u"minmnyUwagaki")->isEnabled());
    QCOMPARE(form().windowTitle(), Title(NewProjectPath, u"インデックス"_s));
    QVERIFY(!project().Henkou);
}

void TestProjectCommands::openFailureAsksAgainWhenStillChanged()
{
    type(u"edited"_s);
    m_rec->yesNoAnswers.enqueue(false); // open: do not save
    m_rec->fileAnswers.enqueue(m_dir->filePath(u"nothing.hpf"_s));
    m_rec->yesNoAnswers.enqueue(false); // the new project asks again
    act(u"minmnyProOpen")->trigger();
    const QStringList shown = m_rec->messages();
    QCOMPARE(shown.size(), 3);
    QCOMPARE(shown[0], ChangedQuestion(NewProjectPath));
    QVERIFY(shown[1].endsWith(u"が見つかりません。"));
    QCOMPARE(shown[2], ChangedQuestion(NewProjectPath));
    QCOMPARE(project().Html[0].HtmlStr, NewPageSkeleton());
    QVERIFY(!project().Henkou);
}

void TestProjectCommands::openFailureThenSaveCancelledKeepsProject()
{
    type(u"edited"_s);
    const ProjectDates before = project();
    m_rec->yesNoAnswers.enqueue(false); // open: do not save
    m_rec->fileAnswers.enqueue(m_dir->filePath(u"nothing.hpf"_s));
    m_rec->yesNoAnswers.enqueue(true);  // the new project asks again: save
    m_rec->fileAnswers.enqueue(QString()); // ... but the save dialog is cancelled
    act(u"minmnyProOpen")->trigger();
    QVERIFY(SameProjectData(project(), before));
    QVERIFY(project().Henkou);
    QVERIFY(QFileInfo::exists(TempC::TempPathFor(u"Index.htm"_s)));
}

// --- Save ---

void TestProjectCommands::saveNeverSavedActsAsSaveAs()
{
    type(u"new text"_s);
    const QString path = m_dir->filePath(u"saved.hpf"_s);
    m_rec->fileAnswers.enqueue(path);
    act(u"minmnyProSave")->trigger();
    QCOMPARE(m_rec->shown.size(), 1);
    QCOMPARE(m_rec->shown[0].kind, u"save"_s);
    QCOMPARE(m_rec->shown[0].text, ProjectFilter);
    QCOMPARE(ReadBytes(path), EncodeProjectFile(project()));
    QCOMPARE(project().ProjectPath, path);
    QCOMPARE(form().windowTitle(), Title(path, u"インデックス"_s));
    QVERIFY(!project().Henkou);
}

void TestProjectCommands::saveNeverSavedCancelKeepsHenkou()
{
    type(u"new text"_s);
    act(u"minmnyProSave")->trigger();
    QCOMPARE(m_rec->shown.size(), 1);
    QVERIFY(project().Henkou);
    QCOMPARE(project().ProjectPath, NewProjectPath);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList());
}

void TestProjectCommands::saveWritesProjectFile()
{
    const QString path = writeProject(u"p.hpf"_s, sampleProject());
    m_rec->fileAnswers.enqueue(path);
    act(u"minmnyProOpen")->trigger();
    type(u"追加"_s);
    const QString title = form().windowTitle();
    m_rec->clear();
    QCOMPARE(act(u"minmnyProSave")->shortcut(), QKeySequence(u"Ctrl+S"_s));
    act(u"minmnyProSave")->trigger();
    QVERIFY(m_rec->shown.isEmpty());
    QCOMPARE(ReadBytes(path), EncodeProjectFile(project()));
    QVERIFY(ReadBytes(path).contains(Sjis(u"追加"_s)));
    QVERIFY(!project().Henkou);
    QCOMPARE(form().windowTitle(), title);
}

void TestProjectCommands::saveFailureKeepsHenkouAndOldFile()
{
    const QString path = writeProject(u"p.hpf"_s, sampleProject());
    const QByteArray old = ReadBytes(path);
    m_rec->fileAnswers.enqueue(path);
    act(u"minmnyProOpen")->trigger();
    type(u"edit"_s);
    // The project's folder can no longer take a file beside it: replace the
    // project file by a folder, so that the write fails.
    QVERIFY(QFile::rename(path, path + u".keep"));
    QVERIFY(QDir().mkdir(path));
    m_rec->clear();
    act(u"minmnyProSave")->trigger();
    QCOMPARE(m_rec->shown.size(), 1);
    QCOMPARE(m_rec->shown[0].icon, UiService::Icon::Critical);
    QVERIFY(m_rec->shown[0].text.contains(QDir::toNativeSeparators(path)));
    QVERIFY(project().Henkou);
    QCOMPARE(ReadBytes(path + u".keep"), old);
}

void TestProjectCommands::fullDiskNeverCountsAsSaved_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("save") << u"minmnyProSave"_s;
    QTest::newRow("exit keeping the work") << u"minmnyWrEnd"_s;
}

// A small project saved onto a full disk is reported as not saved; the old
// file stays whole and the work stays open.
void TestProjectCommands::fullDiskNeverCountsAsSaved()
{
    QFETCH(QString, command);
    SmallDisk disk(96);
    if (!disk.mounted())
        QSKIP(qPrintable(disk.reason()));
    // The project file and AppDir both on the small disk.
    m_form.reset();
    SetAppDir(disk.path());
    QVERIFY(QDir(disk.path()).mkpath(u"temp"_s));
    m_form = std::make_unique<MainForm>();
    m_form->startUp();
    const QString path = disk.filePath(u"small.hpf"_s);
    QVERIFY(PutBytes(path, EncodeProjectFile(sampleProject())));
    const QByteArray old = ReadBytes(path);
    m_rec->fileAnswers.enqueue(path);
    act(u"minmnyProOpen")->trigger();
    form().show();
    type(u"edit"_s);
    QVERIFY(disk.fill());
    m_rec->clear();
    m_form->runCommand(command);
    QVERIFY(form().isVisible());
    QCOMPARE(m_rec->shown.size(), 1);
    QCOMPARE(m_rec->shown[0].icon, UiService::Icon::Critical);
    QVERIFY2(m_rec->shown[0].text.contains(u"ディスクの空き容量が足りません"_s), qPrintable(m_rec->shown[0].text));
    QVERIFY(project().Henkou);
    QCOMPARE(ReadBytes(path), old);
    QVERIFY(!QFileInfo::exists(WrBackUpPath()));
    QVERIFY(!QFileInfo::exists(NmBackUpPath()));
    m_form.reset();
}

void TestProjectCommands::saveRefusesFieldsTheFormatCannotCarry()
{
    const QString path = writeProject(u"p.hpf"_s, sampleProject());
    const QByteArray old = ReadBytes(path);
    m_rec->fileAnswers.enqueue(path);
    act(u"minmnyProOpen")->trigger();
    project().Html[1].DatName = u"二,ページ"_s;
    project().Henkou = true;
    m_rec->clear();
    act(u"minmnyProSave")->trigger();
    QCOMPARE(m_rec->shown.size(), 1);
    QCOMPARE(m_rec->shown[0].icon, UiService::Icon::Critical);
    const QString text = m_rec->shown[0].text;
    QVERIFY(text.contains(QDir::toNativeSeparators(path)));
    QVERIFY(text.contains(u"HTMLデータ「二,ページ」"));
    QVERIFY(text.contains(u"名前"));
    QCOMPARE(ReadBytes(path), old);
    QVERIFY(project().Henkou);
}

void TestProjectCommands::saveAsSetsPathAndTitle()
{
    const QString first = writeProject(u"first.hpf"_s, sampleProject());
    m_rec->fileAnswers.enqueue(first);
    act(u"minmnyProOpen")->trigger();
    const QByteArray firstBytes = ReadBytes(first);
    type(u"z"_s);
    const QString second = m_dir->filePath(u"second.hpf"_s);
    m_rec->clear();
    m_rec->fileAnswers.enqueue(second);
    act(u"minmnyProNameSave")->trigger();
    QCOMPARE(m_rec->shown.size(), 1);
    QCOMPARE(m_rec->shown[0].text, ProjectFilter);
    QCOMPARE(ReadBytes(second), EncodeProjectFile(project()));
    QCOMPARE(ReadBytes(first), firstBytes);
    QCOMPARE(project().ProjectPath, second);
    QCOMPARE(form().windowTitle(), Title(second, u"表紙"_s));
    QVERIFY(!project().Henkou);

    // Cancelled: nothing changes.
    type(u"y"_s);
    m_rec->clear();
    act(u"minmnyProNameSave")->trigger();
    QCOMPARE(project().ProjectPath, second);
    QVERIFY(project().Henkou);
}

void TestProjectCommands::saveAsFromToolbar()
{
    type(u"t"_s);
    const QString path = m_dir->filePath(u"tb.hpf"_s);
    m_rec->fileAnswers.enqueue(path);
    form().toolButton(u"SavePro"_s)->trigger();
    QCOMPARE(ReadBytes(path), EncodeProjectFile(project()));
    QCOMPARE(project().ProjectPath, path);
}

void TestProjectCommands::nameTypedWithoutExtensionGetsOne_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("suffix"); // what the dialog itself appends
    QTest::newRow("project") << u"minmnyProNameSave"_s << u"マイサイト"_s << u"マイサイト.hpf"_s << u"hpf"_s;
    QTest::newRow("project with extension") << u"minmnyProNameSave"_s << u"site.hpf"_s << u"site.hpf"_s << u"hpf"_s;
    QTest::newRow("project, other extension kept") << u"minmnyProNameSave"_s << u"site.bak"_s << u"site.bak"_s
                                                   << u"hpf"_s;
    QTest::newRow("never saved project") << u"minmnyProSave"_s << u"新しい作品"_s << u"新しい作品.hpf"_s << u"hpf"_s;
    QTest::newRow("page") << u"minmnyHTMLNameSave"_s << u"ページ"_s << u"ページ.htm"_s << u"htm"_s;
    QTest::newRow("page as .html") << u"minmnyHTMLNameSave"_s << u"index.html"_s << u"index.html"_s << u"htm"_s;
}

void TestProjectCommands::nameTypedWithoutExtensionGetsOne()
{
    QFETCH(QString, command);
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QFETCH(QString, suffix);
    type(u"abc"_s);
    m_rec->fileAnswers.enqueue(m_dir->filePath(typed));
    form().action(command)->trigger();
    QCOMPARE(m_rec->shown.size(), 1);
    QCOMPARE(m_rec->shown[0].kind, u"save"_s);
    QCOMPARE(m_rec->saveSuffixes, QStringList{suffix});
    const QString path = m_dir->filePath(written);
    QVERIFY(QFileInfo::exists(path));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).filter(typed.section(u'.', 0, 0)), QStringList{written});
    if (command == u"minmnyHTMLNameSave") {
        QCOMPARE(ReadBytes(path), Sjis(form().ui().MainText->htmlText() + u"\r\n"));
    } else {
        QCOMPARE(ReadBytes(path), EncodeProjectFile(project()));
        QCOMPARE(project().ProjectPath, path);
        QCOMPARE(form().windowTitle(), Title(path, u"インデックス"_s));
    }
}

// --- Save page as HTML ---

void TestProjectCommands::saveHtmlWritesEditorText()
{
    const QString path = writeProject(u"p.hpf"_s, sampleProject());
    m_rec->fileAnswers.enqueue(path);
    act(u"minmnyProOpen")->trigger();
    form().ui().DatList->setCurrentRow(1);
    type(u"字"_s);
    QVERIFY(project().Henkou);
    const QString target = m_dir->filePath(u"page.htm"_s);
    m_rec->clear();
    m_rec->fileAnswers.enqueue(target);
    act(u"minmnyHTMLNameSave")->trigger();
    QCOMPARE(m_rec->shown.size(), 1);
    QCOMPARE(m_rec->shown[0].text, HtmlFilter);
    QCOMPARE(ReadBytes(target), Sjis(form().ui().MainText->htmlText() + u"\r\n"));
    QVERIFY(ReadBytes(target).contains(Sjis(u"字"_s)));
    QCOMPARE(project().Html[1].FileName, u"page2"_s);
    QCOMPARE(project().ProjectPath, path);
    QVERIFY(project().Henkou); // untouched
}

void TestProjectCommands::saveHtmlEmptyPage()
{
    form().ui().MainText->setHtmlText(QString());
    project().Henkou = false;
    const QString target = m_dir->filePath(u"empty.htm"_s);
    m_rec->fileAnswers.enqueue(target);
    act(u"minmnyHTMLNameSave")->trigger();
    QCOMPARE(ReadBytes(target), QByteArray("\r\n"));
    QVERIFY(!project().Henkou);
}

void TestProjectCommands::saveHtmlUtf8Page()
{
    const QString page = u"<html><head><meta charset=\"utf-8\"></head>\r\n<body>项目 ＆ 日本</body></html>"_s;
    form().ui().MainText->setHtmlText(page);
    const QString target = m_dir->filePath(u"utf8.htm"_s);
    m_rec->fileAnswers.enqueue(target);
    act(u"minmnyHTMLNameSave")->trigger();
    QCOMPARE(ReadBytes(target), (page + u"\r\n").toUtf8());

    // Without the declaration, a character outside code page 932 is kept as a
    // character reference, never as "?".
    form().ui().MainText->setHtmlText(u"<p>项</p>"_s);
    m_rec->fileAnswers.enqueue(target);
    act(u"minmnyHTMLNameSave")->trigger();
    QCOMPARE(ReadBytes(target), QByteArray("<p>&#39033;</p>\r\n"));
}

void TestProjectCommands::savesTellWhatBecameOfCharacters_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("target");
    QTest::newRow("save as") << u"minmnyProNameSave"_s << u"p.hpf"_s;
    QTest::newRow("page as HTML") << u"minmnyHTMLNameSave"_s << u"page.htm"_s;
}

void TestProjectCommands::savesTellWhatBecameOfCharacters()
{
    QFETCH(QString, command);
    QFETCH(QString, target);
    form().ui().MainText->setHtmlText(u"<p>😀と🍣、1〜2</p>"_s);
    m_rec->fileAnswers.enqueue(m_dir->filePath(target));
    form().action(command)->trigger();
    QCOMPARE(m_rec->statusText(), u"2文字を文字参照（&#…;）で保存しました（最初は😀）　"
                                  u"1文字を似た形の文字に置き換えて保存しました（最初は〜→～）"_s);
    QCOMPARE(form().ui().StatusPanel1->text(), m_rec->statusText());
    QVERIFY(ReadBytes(m_dir->filePath(target)).contains("&#128512;"));
}

void TestProjectCommands::fileDialogsStartOutsideTheProgram()
{
    // A project opened from inside AppDir (the test folder): its folder is
    // passed over, and the first dialog starts in Documents.
    QVERIFY(PutBytes(m_dir->filePath(u"inside.hpf"_s), EncodeProjectFile(sampleProject())));
    m_rec->fileAnswers.enqueue(m_dir->filePath(u"inside.hpf"_s));
    act(u"minmnyProOpen")->trigger();
    ForgetDialogFolders();
    QTemporaryDir user; // the user's home, where the site lives
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(user.path()));
    const auto restore = qScopeGuard([&] { qputenv("HOME", home); });
    for (const QString &folder : {u"Documents"_s, u"sites"_s, u"pages"_s})
        QVERIFY(QDir().mkpath(user.filePath(folder)));
    const QString site = user.filePath(u"sites/site.hpf"_s);
    QVERIFY(PutBytes(site, EncodeProjectFile(sampleProject())));
    // Each step: the command, the file chosen in its dialog, where the dialog started.
    const struct
    {
        const char16_t *command;
        QString chosen;
        QString startedIn;
    } steps[] = {
        {u"minmnyProOpen", site, user.filePath(u"Documents"_s)},
        {u"minmnyHTMLNameSave", user.filePath(u"pages/a.htm"_s), user.filePath(u"sites"_s)},
        {u"minmnyHTMLNameSave", QString(), user.filePath(u"pages"_s)},
        {u"AddHTMLminmnyFile", QString(), user.filePath(u"pages"_s)},
        {u"minmnyProNameSave", QString(), user.filePath(u"sites"_s)},
    };
    for (const auto &step : steps) {
        m_rec->clear();
        m_rec->fileAnswers.enqueue(step.chosen);
        form().action(QString::fromUtf16(step.command))->trigger();
        QVERIFY2(!m_rec->shown.isEmpty(), qPrintable(QString::fromUtf16(step.command)));
        QCOMPARE(m_rec->shown.first().startDir, step.startedIn);
        QVERIFY(!IsProgramFolder(m_rec->shown.first().startDir));
    }
}

void TestProjectCommands::saveHtmlFailureReported()
{
    const QString target = m_dir->filePath(u"folder.htm"_s);
    QVERIFY(QDir().mkdir(target));
    m_rec->fileAnswers.enqueue(target);
    act(u"minmnyHTMLNameSave")->trigger();
    QCOMPARE(m_rec->shown.size(), 2);
    QCOMPARE(m_rec->shown[1].kind, u"message"_s);
    QCOMPARE(m_rec->shown[1].icon, UiService::Icon::Critical);
    QVERIFY(m_rec->shown[1].text.contains(QDir::toNativeSeparators(target)));
}

void TestProjectCommands::saveHtmlCancelled()
{
    act(u"minmnyHTMLNameSave")->trigger();
    QCOMPARE(m_rec->shown.size(), 1);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList());
}

// --- Exit ---

void TestProjectCommands::exitUnchangedCloses()
{
    form().show();
    QVERIFY(QTest::qWaitForWindowExposed(&form()));
    form().showPage(0); // the preview copy of the page
    QVERIFY(TempC::MakeHtmlTemp(project(), 0));
    QVERIFY(QFileInfo::exists(TempC::TempPathFor(u"Index.htm"_s)));
    act(u"minmnyEnd")->trigger();
    QVERIFY(!form().isVisible());
    QVERIFY(m_rec->shown.isEmpty());
    QVERIFY(!QFileInfo::exists(TempC::TempPathFor(u"Index.htm"_s)));
    QVERIFY(QFileInfo::exists(SizeDatePath()));
    QVERIFY(QFileInfo::exists(FontDatePath()));
}

void TestProjectCommands::exitAfterNoCloses()
{
    form().show();
    type(u"dropped"_s);
    m_rec->yesNoAnswers.enqueue(false);
    QVERIFY(form().close());
    QCOMPARE(m_rec->messages(), QStringList{ChangedQuestion(NewProjectPath)});
    QVERIFY(!form().isVisible());
    QVERIFY(QFileInfo::exists(SizeDatePath()));
}

void TestProjectCommands::exitAfterYesSavesAndCloses()
{
    form().show();
    type(u"saved"_s);
    const QString path = m_dir->filePath(u"exit.hpf"_s);
    m_rec->yesNoAnswers.enqueue(true);
    m_rec->fileAnswers.enqueue(path);
    act(u"minmnyEnd")->trigger();
    QVERIFY(!form().isVisible());
    QCOMPARE(ReadBytes(path), EncodeProjectFile(project()));
}

void TestProjectCommands::exitCancelledWhenSaveDialogCancelled()
{
    form().show();
    type(u"keep"_s);
    m_rec->yesNoAnswers.enqueue(true);
    m_rec->fileAnswers.enqueue(QString());
    QVERIFY(!form().close());
    QVERIFY(form().isVisible());
    QVERIFY(project().Henkou);
    QVERIFY(!QFileInfo::exists(SizeDatePath()));
}

void TestProjectCommands::exitCancelledWhenSaveFails()
{
    form().show();
    QVERIFY(PutBytes(m_dir->filePath(u"afile"_s), "x"));
    project().ProjectPath = m_dir->filePath(u"afile/x.hpf"_s);
    type(u"keep"_s);
    m_rec->yesNoAnswers.enqueue(true);
    act(u"minmnyEnd")->trigger();
    QVERIFY(form().isVisible());
    QCOMPARE(m_rec->shown.size(), 2);
    QCOMPARE(m_rec->shown[1].icon, UiService::Icon::Critical);
    QVERIFY(project().Henkou);
    // Answering No afterwards closes.
    m_rec->yesNoAnswers.enqueue(false);
    QVERIFY(form().close());
}

void TestProjectCommands::exitEndsProgramWithOtherWindowsOpen()
{
    // Another window stays open (as the separate preview may): closing the
    // main window still ends the program.
    QWidget other;
    other.setWindowTitle(u"other"_s);
    other.show();
    form().show();
    QVERIFY(QTest::qWaitForWindowExposed(&form()));
    qApp->setQuitOnLastWindowClosed(true);
    bool timedOut = false;
    QTimer::singleShot(0, &form(), [this] { act(u"minmnyEnd")->trigger(); });
    QTimer::singleShot(5000, qApp, [&timedOut] {
        timedOut = true;
        QCoreApplication::quit();
    });
    QCoreApplication::exec();
    qApp->setQuitOnLastWindowClosed(false);
    QVERIFY(!form().isVisible());
    QVERIFY(!timedOut);

    // A cancelled close does not end it.
    restart();
    other.show();
    form().show();
    type(u"x"_s);
    m_rec->yesNoAnswers.enqueue(true);
    m_rec->fileAnswers.enqueue(QString());
    qApp->setQuitOnLastWindowClosed(true);
    // A quit, had one been asked for, ends this loop well before the margin.
    // (The margin ends it without asking the windows to close, as a quit does.)
    timedOut = false;
    QTimer::singleShot(0, &form(), [this] { act(u"minmnyEnd")->trigger(); });
    QTimer::singleShot(2000, qApp, [&timedOut] {
        timedOut = true;
        QCoreApplication::exit(0);
    });
    QCoreApplication::exec();
    qApp->setQuitOnLastWindowClosed(false);
    QVERIFY2(timedOut, "the program ended although the question was cancelled");
    QVERIFY(form().isVisible());
    QVERIFY(other.isVisible());
}

// --- A dismissed unsaved-changes question ---

void TestProjectCommands::cancelledQuestionKeepsWork_data()
{
    QTest::addColumn<QString>("command"); // a menu item, a toolbar key, or "close"
    QTest::newRow("new") << u"ProNewminmnyNew"_s;
    QTest::newRow("new from the toolbar") << u"toolbar:NewPro"_s;
    QTest::newRow("open") << u"minmnyProOpen"_s;
    QTest::newRow("open from the toolbar") << u"toolbar:OpenPro"_s;
    QTest::newRow("exit") << u"minmnyEnd"_s;
    QTest::newRow("window close button") << u"close"_s;
}

void TestProjectCommands::cancelledQuestionKeepsWork()
{
    QFETCH(QString, command);
    const QString path = writeProject(u"mine.hpf"_s, sampleProject());
    m_rec->fileAnswers.enqueue(path);
    act(u"minmnyProOpen")->trigger();
    form().show();
    type(u"unsaved work"_s);
    const ProjectDates before = project();
    const QByteArray fileBefore = ReadBytes(path);
    m_rec->clear();
    m_rec->yesNoCancelAnswers.enqueue(UiService::Answer::Cancel);
    // Answers a dialog that must not come.
    m_rec->fileAnswers.enqueue(m_dir->filePath(u"other.hpf"_s));

    if (command == u"close")
        QVERIFY(!form().close());
    else if (command.startsWith(u"toolbar:"))
        form().toolButton(command.mid(8))->trigger();
    else
        form().action(command)->trigger();

    // One question, nothing after it: no dialog, no save, nothing dropped.
    QCOMPARE(m_rec->messages(), QStringList{ChangedQuestion(path)});
    QCOMPARE(m_rec->shown.size(), 1);
    QVERIFY(SameProjectData(project(), before));
    QCOMPARE(project().ProjectPath, path);
    QVERIFY(project().Henkou);
    QVERIFY(form().ui().MainText->htmlText().contains(u"unsaved work"));
    QCOMPARE(ReadBytes(path), fileBefore);
    QVERIFY(form().isVisible());
    // The preview copies and the settings files are left as they were.
    QVERIFY(QFileInfo::exists(TempC::TempPathFor(u"page2.htm"_s)));
    QVERIFY(!QFileInfo::exists(SizeDatePath()));
}

void TestProjectCommands::escapeOnTheRealQuestionKeepsWork_data()
{
    QTest::addColumn<QString>("how"); // what the user does with the box
    QTest::addColumn<bool>("keeps");
    QTest::newRow("Escape") << u"escape"_s << true;
    QTest::newRow("close button") << u"close"_s << true;
    QTest::newRow("キャンセル") << u"Cancel"_s << true;
    QTest::newRow("いいえ") << u"No"_s << false;
}

void TestProjectCommands::escapeOnTheRealQuestionKeepsWork()
{
    QFETCH(QString, how);
    QFETCH(bool, keeps);
    form().show();
    QVERIFY(QTest::qWaitForWindowExposed(&form()));
    type(u"typed"_s);
    // The real message box this time.
    m_rec.reset();
    QString text;
    QStringList buttons;
    ModalAnswerer answerer({[&](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        QVERIFY(box);
        text = box->text();
        for (QAbstractButton *b : box->buttons())
            buttons.append(b->text());
        if (how == u"escape")
            QTest::keyClick(box, Qt::Key_Escape);
        else if (how == u"close")
            box->close();
        else
            box->findChild<QPushButton *>(how)->click();
    }});
    act(u"ProNewminmnyNew")->trigger();
    m_rec = std::make_unique<RecordingUi>();
    QCOMPARE(answerer.handled, 1);
    QCOMPARE(text, ChangedQuestion(NewProjectPath));
    QCOMPARE(buttons.size(), 3);
    QVERIFY(buttons.contains(u"はい(&Y)"_s));
    QVERIFY(buttons.contains(u"いいえ(&N)"_s));
    QVERIFY(buttons.contains(u"キャンセル"_s));
    QCOMPARE(form().ui().MainText->htmlText().contains(u"typed"), keeps);
    QCOMPARE(project().Henkou, keeps);
}

// --- Work in progress ---

void TestProjectCommands::workBackupOfSavedProject()
{
    const QString path = writeProject(u"wip.hpf"_s, sampleProject(u"/srv/wip"_s));
    const QByteArray onDisk = ReadBytes(path);
    m_rec->fileAnswers.enqueue(path);
    act(u"minmnyProOpen")->trigger();
    form().ui().DatList->setCurrentRow(1);
    type(u"途中"_s);
    QVERIFY(project().Henkou);
    const ProjectDates edited = project();
    form().show();
    m_rec->clear();

    act(u"minmnyWrEnd")->trigger();
    QVERIFY(!form().isVisible());
    QVERIFY(m_rec->shown.isEmpty()); // no question
    QCOMPARE(ReadBytes(WrBackUpPath()), EncodeProjectFile(edited));
    QCOMPARE(ReadBytes(NmBackUpPath()), Sjis(path + u"\r\n"));
    QCOMPARE(ReadBytes(path), onDisk); // the project file itself is untouched

    restart();
    QVERIFY(SameProjectData(project(), edited));
    QCOMPARE(project().ProjectPath, path);
    QCOMPARE(form().windowTitle(), Title(path, u"表紙"_s));
    QCOMPARE(form().ui().MainText->htmlText(), edited.Html[0].HtmlStr);
    QVERIFY(!project().Henkou);
    QVERIFY(!QFileInfo::exists(WrBackUpPath()));
    QVERIFY(!QFileInfo::exists(NmBackUpPath()));
    QVERIFY(m_rec->shown.isEmpty());
    QCOMPARE(EncodeProjectFile(project()), EncodeProjectFile(edited));
    QVERIFY(QFileInfo::exists(TempC::TempPathFor(u"page2.htm"_s)));
    QVERIFY(!act(u"minmnyUwagaki")->isEnabled());
    QCOMPARE(act(u"minmnyUwagaki")->text(), u"上書き(&S)"_s);
    // Saving writes to the resumed path.
    act(u"minmnyProSave")->trigger();
    QCOMPARE(ReadBytes(path), EncodeProjectFile(edited));
}

void TestProjectCommands::workBackupOfNeverSavedProject()
{
    type(u"unsaved work"_s);
    AddHtmlDat(project(), u"次"_s, u"next"_s, u"n"_s, u".htm"_s);
    const ProjectDates edited = project();
    act(u"minmnyWrEnd")->trigger();
    QCOMPARE(ReadBytes(WrBackUpPath()), EncodeProjectFile(edited));
    QCOMPARE(ReadBytes(NmBackUpPath()), Sjis(NewProjectPath + u"\r\n"));

    restart();
    QVERIFY(SameProjectData(project(), edited));
    QCOMPARE(project().ProjectPath, NewProjectPath);
    QCOMPARE(form().windowTitle(), Title(NewProjectPath, u"インデックス"_s));
    QVERIFY(!project().Henkou);
    QVERIFY(!QFileInfo::exists(WrBackUpPath()));
    QVERIFY(!QFileInfo::exists(NmBackUpPath()));
    // Save asks for a name.
    act(u"minmnyProSave")->trigger();
    QCOMPARE(m_rec->shown.size(), 1);
    QCOMPARE(m_rec->shown[0].kind, u"save"_s);
}

void TestProjectCommands::workBackupFailureDoesNotClose()
{
    form().show();
    type(u"precious"_s);
    QVERIFY(QDir(m_dir->path()).mkdir(u"WrBackUp.dat"_s)); // cannot be written
    act(u"minmnyWrEnd")->trigger();
    QVERIFY(form().isVisible());
    QCOMPARE(m_rec->shown.size(), 1);
    QCOMPARE(m_rec->shown[0].icon, UiService::Icon::Critical);
    QVERIFY(m_rec->shown[0].text.contains(u"WrBackUp.dat"));
    QVERIFY(project().Henkou);
    QVERIFY(!QFileInfo::exists(NmBackUpPath()));
    QVERIFY(!QFileInfo::exists(SizeDatePath())); // the exit sequence did not run
    // The later normal exit still asks.
    m_rec->yesNoAnswers.enqueue(false);
    QVERIFY(form().close());
    QCOMPARE(m_rec->messages().last(), ChangedQuestion(NewProjectPath));
}

void TestProjectCommands::damagedBackupAtStartUp()
{
    const QByteArray damaged = "$HtmlProjectFile$,1,a,b,.htm,cut off";
    QVERIFY(PutBytes(WrBackUpPath(), damaged));
    QVERIFY(PutBytes(NmBackUpPath(), Sjis(m_dir->filePath(u"real.hpf"_s) + u"\r\n")));
    restart();
    QCOMPARE(m_rec->shown.size(), 1);
    QCOMPARE(m_rec->shown[0].kind, u"message"_s);
    QVERIFY(m_rec->shown[0].text.contains(u"WrBackUp.broken.dat"));
    const QString kept = m_dir->filePath(u"WrBackUp.broken.dat"_s);
    QCOMPARE(ReadBytes(kept), damaged);
    QVERIFY(!QFileInfo::exists(WrBackUpPath()));
    QVERIFY(!QFileInfo::exists(NmBackUpPath()));
    QCOMPARE(project().Html.size(), 1);
    QCOMPARE(project().Html[0].HtmlStr, NewPageSkeleton());
    QCOMPARE(project().ProjectPath, NewProjectPath);
    QCOMPARE(form().windowTitle(), Title(NewProjectPath, u"インデックス"_s));
    QVERIFY(!project().Henkou);

    // Told once: the next start is quiet.
    restart();
    QVERIFY(m_rec->shown.isEmpty());
    QCOMPARE(ReadBytes(kept), damaged);
}

QTEST_MAIN(TestProjectCommands)
#include "tst_projectcommands.moc"
