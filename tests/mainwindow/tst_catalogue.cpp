// The tag insertion catalogue of the main window: groups and kinds, entries
// and their status texts, the picture preview, link and picture insertions,
// script runs with their wizard windows answered, and scripts that fail.

#include "AppPaths.h"
#include "WidgetTestSupport.h"
#include "CatalogueCommands.h"
#include "Icons.h"
#include "MainForm.h"
#include "PageEditor.h"
#include "RecordingUi.h"
#include "TextFiles.h"
#include "WizList.h"
#include "WizRun.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QTimer>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString BasicFolder = u"\\Tools\\WizDates\\Olz\\Basic"_s;
const QString WizsFolder = u"\\Tools\\WizDates\\Olz\\Wizs"_s;
const QString UserBasicFolder = u"\\Tools\\WizDates\\User\\Basic"_s;

// "<b>", the selection, "</b>".
const QString BoldScript = u"$WizDate,4,0,0,0,0,1,0,0,<b>,2,1,0,0,</b>,-1"_s;
// Outputs "X", asks for a name in a window, then outputs the name.
const QString AskScript =
    u"$WizDate,4,0,0,0,0,1,0,0,X,12,0,-1,-1,-1,0,-1,-1,-1,1,確認,,,,,名前,,,,1,1,0,S,-1"_s;
// A loop whose exit condition (0 = 1) never holds.
const QString EndlessScript = u"$WizDate,3,0,0,0,0,8,9,1,0,0,0,0,1,,,-1"_s;

void WriteText(const QString &path, const QString &line)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QVERIFY(WriteCp932File(path, line + u"\r\n"_s));
}

// A script folder below AppDir: a list of (name, description, script line);
// a null script line leaves that entry's file out.
void WriteFolder(const QString &folder, const QVector<std::array<QString, 3>> &entries)
{
    QVector<WizListEntry> list;
    for (int i = 0; i < entries.size(); ++i) {
        list.append({entries.at(i)[0], entries.at(i)[1]});
        if (!entries.at(i)[2].isNull())
            WriteText(WizDatePath(AppPath(folder), i), entries.at(i)[2]);
    }
    QDir().mkpath(AppPath(folder));
    QVERIFY(SaveWizList(AppPath(folder), list));
}

// One started main window on a temporary AppDir.
struct Fixture
{
    QTemporaryDir dir;
    RecordingUi rec;
    std::unique_ptr<MainForm> form;

    Fixture() { SetAppDir(dir.path()); }

    MainForm &start()
    {
        form = std::make_unique<MainForm>();
        form->startUp();
        form->show();
        return *form;
    }

    const MainFormControls &ui() const { return form->ui(); }
    PageEditor *editor() const { return form->ui().MainText; }
    CatalogueCommands *catalogue() const { return form->findChild<CatalogueCommands *>(u"CatalogueCommands"_s); }

    void choose(int group, int kind)
    {
        ui().TagTypeCombo->setCurrentIndex(group);
        ui().InSelectList->setCurrentRow(kind);
    }

    QStringList entries() const
    {
        QStringList out;
        for (int i = 0; i < ui().InTagList->count(); ++i)
            out.append(ui().InTagList->item(i)->text());
        return out;
    }

    // Double-clicks entry row of InTagList with the mouse (sent as the
    // window system sends a double click: press, release, double click,
    // release).
    void doubleClick(int row)
    {
        QListWidget *list = ui().InTagList;
        list->setCurrentRow(row);
        DoubleClickAt(list->viewport(), list->visualItemRect(list->item(row)).center());
    }

    // Clicks entry row of InTagList with the mouse.
    void click(int row)
    {
        QListWidget *list = ui().InTagList;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    }

    // The page text with the selection start..start+length.
    void page(const QString &text, int start, int length)
    {
        editor()->setHtmlText(text);
        editor()->selectHtml(start, length);
        form->project().Henkou = false;
    }

    bool fileNameOnlyEnabled() const { return form->action(u"minmnyInSonyuName"_s)->isEnabled(); }
};

} // namespace

class TestCatalogue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startUpFillsTheCatalogue();
    void groupsListTheirKinds();
    void noDataStatusTexts();
    void scriptListsAndDescriptions();
    void clickingTheChosenEntryShowsItAgain();
    void fileEntriesStatusAndPreview();
    void refreshFollowsTheProject();
    void linkInsertions();
    void keyboardInsertsAndOpensThePopUp();
    void pictureAndFileInsertions();
    void nothingChosenInsertsNothing();
    void scriptRunReplacesSelection();
    void failedScriptFilesRunNothing();
    void cancelledWizardLeavesPage();
    void stoppedScriptLeavesSelection();
    void suppliedWizardFromCatalogue();
    void showTagsToggle();
    void insertionsGiveTheEditorTheKeyboard_data();
    void insertionsGiveTheEditorTheKeyboard();
    void longEntriesShowWholeInATooltip();
};

void TestCatalogue::startUpFillsTheCatalogue()
{
    Fixture fx;
    MainForm &f = fx.start();
    QCOMPARE(fx.ui().TagTypeCombo->currentIndex(), 0);
    QCOMPARE(fx.ui().InSelectList->count(), 3);
    QCOMPARE(fx.ui().InSelectList->item(0)->text(), u"○HTMLファイル"_s);
    QCOMPARE(fx.ui().InSelectList->currentRow(), 0);
    QCOMPARE(fx.entries(), QStringList{u"→インデックス"_s});
    QCOMPARE(fx.ui().InTagList->currentRow(), 0);
    QCOMPARE(fx.rec.statusText(), u"Index.htmに出力"_s);
    QVERIFY(fx.fileNameOnlyEnabled());
    QVERIFY(!f.PicShow);
    QVERIFY(!f.project().Henkou);
}

void TestCatalogue::groupsListTheirKinds()
{
    Fixture fx;
    fx.start();
    const QStringList expected[] = {
        {u"○HTMLファイル"_s, u"○画像ファイル"_s, u"○他のファイル"_s},
        {u"▽フォントの挿入"_s, u"▽ユーザー定義"_s},
        {u"△タグの挿入"_s, u"△タグウィザード"_s, u"△ユーザー定義"_s},
    };
    for (int group : {1, 2, 0}) {
        fx.ui().TagTypeCombo->setCurrentIndex(group);
        QStringList kinds;
        for (int i = 0; i < fx.ui().InSelectList->count(); ++i)
            kinds.append(fx.ui().InSelectList->item(i)->text());
        QCOMPARE(kinds, expected[group]);
        QCOMPARE(fx.ui().InSelectList->currentRow(), 0);
        QCOMPARE(fx.fileNameOnlyEnabled(), group == 0);
    }
}

void TestCatalogue::noDataStatusTexts()
{
    Fixture fx;
    MainForm &f = fx.start();
    const struct
    {
        int group, kind;
        QString status;
        bool pictures, fileNameOnly;
    } cases[] = {
        {0, 1, u"現在画像データはありません"_s, true, true},
        {0, 2, u"現在他のファイルデータはありません"_s, false, true},
        {1, 1, u"現在ユーザー定義のフォントはありません"_s, false, false},
        {2, 2, u"現在ユーザー定義の挿入支援データはありません"_s, false, false},
    };
    for (const auto &c : cases) {
        fx.choose(c.group, c.kind);
        QVERIFY(fx.entries().isEmpty());
        QCOMPARE(fx.rec.statusText(), c.status);
        QCOMPARE(f.PicShow, c.pictures);
        QCOMPARE(fx.fileNameOnlyEnabled(), c.fileNameOnly);
    }
}

void TestCatalogue::scriptListsAndDescriptions()
{
    Fixture fx;
    WriteFolder(BasicFolder, {{u"太字"_s, u"選択した文字列を太字にします。"_s, BoldScript},
                              {u"斜体"_s, u"選択した文字列を斜体にします。"_s, BoldScript}});
    WriteFolder(UserBasicFolder, {{u"自作"_s, u"自分で作ったデータです。"_s, BoldScript}});
    fx.start();

    fx.ui().TagTypeCombo->setCurrentIndex(2);
    QCOMPARE(fx.entries(), (QStringList{u"→太字"_s, u"→斜体"_s}));
    QCOMPARE(fx.ui().InTagList->currentRow(), 0);
    QCOMPARE(fx.rec.statusText(), u"選択した文字列を太字にします。"_s);
    QCOMPARE(fx.catalogue()->WizSetumei().size(), 2);
    fx.ui().InTagList->setCurrentRow(1);
    QCOMPARE(fx.rec.statusText(), u"選択した文字列を斜体にします。"_s);

    // A user folder with entries: the description replaces the no-data text.
    fx.ui().InSelectList->setCurrentRow(2);
    QCOMPARE(fx.entries(), QStringList{u"→自作"_s});
    QCOMPARE(fx.rec.statusText(), u"自分で作ったデータです。"_s);
    QVERIFY(fx.rec.statusTexts.contains(u"現在ユーザー定義の挿入支援データはありません"_s));

    // No list file: no entries.
    fx.ui().InSelectList->setCurrentRow(1);
    QVERIFY(fx.entries().isEmpty());
    QVERIFY(fx.catalogue()->WizSetumei().isEmpty());
}

void TestCatalogue::clickingTheChosenEntryShowsItAgain()
{
    Fixture fx;
    WriteFolder(BasicFolder, {{u"太字"_s, u"選択した文字列を太字にします。"_s, BoldScript},
                              {u"斜体"_s, u"選択した文字列を斜体にします。"_s, BoldScript}});
    fx.start();

    // The status bar shows something else (the editor had the focus); a
    // click on the chosen entry brings its description back.
    Ui().setStatusText(u"ここに説明を表示します"_s);
    fx.click(0);
    QCOMPARE(fx.rec.statusText(), u"Index.htmに出力"_s);

    fx.choose(2, 0);
    QCOMPARE(fx.ui().InTagList->currentRow(), 0);
    Ui().setStatusText(u"ここに説明を表示します"_s);
    qsizetype before = fx.rec.statusTexts.size();
    fx.click(0);
    QCOMPARE(fx.rec.statusTexts.mid(before), QStringList{u"選択した文字列を太字にします。"_s});

    // Choosing another entry by a click describes it once.
    before = fx.rec.statusTexts.size();
    fx.click(1);
    QCOMPARE(fx.ui().InTagList->currentRow(), 1);
    QCOMPARE(fx.rec.statusTexts.mid(before), QStringList{u"選択した文字列を斜体にします。"_s});
}

void TestCatalogue::fileEntriesStatusAndPreview()
{
    Fixture fx;
    MainForm &f = fx.start();
    const QString photo = fx.dir.filePath(u"photo.png"_s);
    QImage img(7, 5, QImage::Format_RGB32);
    img.fill(Qt::red);
    QVERIFY(img.save(photo));
    const QString gone = fx.dir.filePath(u"gone.gif"_s);
    f.project().Pict = {{u"写真"_s, u"Photo"_s, photo, u".png"_s}, {u"消えた絵"_s, u"Gone"_s, gone, u".gif"_s}};
    f.project().ElseFile = {{u"資料"_s, u"Paper"_s, u"/docs/paper.pdf"_s, u".pdf"_s}};

    fx.choose(0, 1);
    QVERIFY(f.PicShow);
    QCOMPARE(fx.entries(), (QStringList{u"→写真"_s, u"→消えた絵"_s}));
    QCOMPARE(fx.rec.statusText(), u"Photo.pngに出力　参照先ファイル名 - \""_s + photo + u'"');
    QCOMPARE(fx.ui().Image1->pixmap().size(), QSize(7, 5));
    fx.ui().InTagList->setCurrentRow(1);
    QCOMPARE(fx.rec.statusText(), u"Gone.gifに出力　参照先ファイル名 - \""_s + gone + u'"');
    QCOMPARE(fx.ui().Image1->pixmap().toImage(), PlaceholderPicture().toImage());
    QCOMPARE(fx.rec.shown.size(), 0);

    fx.choose(0, 2);
    QVERIFY(!f.PicShow);
    QCOMPARE(fx.entries(), QStringList{u"→資料"_s});
    QCOMPARE(fx.rec.statusText(), u"Paper.pdfに出力　参照先ファイル名 - \"/docs/paper.pdf\""_s);
}

void TestCatalogue::refreshFollowsTheProject()
{
    Fixture fx;
    MainForm &f = fx.start();
    f.project().Html.append({u"会社概要"_s, u"Company"_s, QString(), u".html"_s});
    f.refreshCatalogue();
    QCOMPARE(fx.entries(), (QStringList{u"→インデックス"_s, u"→会社概要"_s}));
    QCOMPARE(fx.ui().InSelectList->currentRow(), 0);
    f.project().Html.removeFirst();
    f.refreshCatalogue();
    QCOMPARE(fx.entries(), QStringList{u"→会社概要"_s});
    QCOMPARE(fx.rec.statusText(), u"Company.htmlに出力"_s);
}

void TestCatalogue::linkInsertions()
{
    Fixture fx;
    MainForm &f = fx.start();

    // The selected text becomes the link text.
    fx.page(u"xxabcyy"_s, 2, 3);
    fx.doubleClick(0);
    QCOMPARE(fx.editor()->htmlText(), u"xx<a href=\"Index.htm\">abc</a>yy"_s);
    QCOMPARE(f.project().Html.at(0).HtmlStr, fx.editor()->htmlText());
    QVERIFY(f.project().Henkou);

    // Nothing selected: an empty link at the caret, from the context menu.
    fx.page(u"xxabcyy"_s, 2, 0);
    f.action(u"minmnyInSonyu"_s)->trigger();
    QCOMPARE(fx.editor()->htmlText(), u"xx<a href=\"Index.htm\"></a>abcyy"_s);

    // A selection over a line break keeps its CR LF.
    fx.page(u"a\r\nb"_s, 0, 4);
    fx.doubleClick(0);
    QCOMPARE(fx.editor()->htmlText(), u"<a href=\"Index.htm\">a\r\nb</a>"_s);
}

void TestCatalogue::keyboardInsertsAndOpensThePopUp()
{
    Fixture fx;
    MainForm &f = fx.start();
    QListWidget *list = fx.ui().InTagList;

    // Enter on the chosen entry inserts it, as a double click does.
    fx.page(u"xxabcyy"_s, 2, 3);
    list->setCurrentRow(0);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(fx.editor()->htmlText(), u"xx<a href=\"Index.htm\">abc</a>yy"_s);
    QCOMPARE(f.project().Html.at(0).HtmlStr, fx.editor()->htmlText());

    // Shift+Enter is not the plain key: it leaves the page alone.
    fx.page(u"abc"_s, 0, 0);
    QTest::keyClick(list, Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(fx.editor()->htmlText(), u"abc"_s);

    // The menu key opens the catalogue's pop-up menu.
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(0, 0), list->mapToGlobal(QPoint(0, 0)));
    QApplication::sendEvent(list, &menuKey);
    QTRY_VERIFY(fx.ui().mnySounyuPopUp->isVisible());
    fx.ui().mnySounyuPopUp->close();
    QCOMPARE(fx.editor()->htmlText(), u"abc"_s);
}

void TestCatalogue::pictureAndFileInsertions()
{
    Fixture fx;
    MainForm &f = fx.start();
    f.project().Pict = {{u"写真"_s, u"Photo"_s, fx.dir.filePath(u"none.png"_s), u".png"_s}};
    f.project().ElseFile = {{u"資料"_s, u"Paper"_s, u"/docs/paper.pdf"_s, u".pdf"_s}};

    fx.choose(0, 1);
    fx.page(u"<p>abc</p>"_s, 3, 3);
    fx.doubleClick(0);
    QCOMPARE(fx.editor()->htmlText(), u"<p><img src=\"Photo.png\"></p>"_s);
    QVERIFY(f.project().Henkou);

    fx.choose(0, 2);
    fx.page(u"<p>abc</p>"_s, 3, 3);
    fx.doubleClick(0);
    QCOMPARE(fx.editor()->htmlText(), u"<p><a href=\"Paper.pdf\">abc</a></p>"_s);
    QCOMPARE(fx.rec.beeps, 0);
}

void TestCatalogue::nothingChosenInsertsNothing()
{
    Fixture fx;
    MainForm &f = fx.start();
    fx.choose(0, 1); // no pictures
    fx.page(u"abc"_s, 0, 3);
    f.runCommand(u"minmnyInSonyu"_s);
    QCOMPARE(fx.editor()->htmlText(), u"abc"_s);
    QCOMPARE(fx.rec.beeps, 1);
    fx.choose(2, 2); // no user scripts
    f.runCommand(u"minmnyInSonyu"_s);
    QCOMPARE(fx.editor()->htmlText(), u"abc"_s);
    QCOMPARE(fx.rec.beeps, 2);
    QVERIFY(fx.rec.shown.isEmpty());
    QVERIFY(!f.project().Henkou);
}

void TestCatalogue::scriptRunReplacesSelection()
{
    Fixture fx;
    WriteFolder(BasicFolder, {{u"太字"_s, u"太字にします。"_s, BoldScript}});
    MainForm &f = fx.start();
    fx.choose(2, 0);
    fx.page(u"xxabcyy"_s, 2, 3);
    const qsizetype before = fx.rec.statusTexts.size();
    fx.doubleClick(0);
    QCOMPARE(fx.editor()->htmlText(), u"xx<b>abc</b>yy"_s);
    QCOMPARE(f.project().Html.at(0).HtmlStr, u"xx<b>abc</b>yy"_s);
    QVERIFY(f.project().Henkou);
    // The double click begins with a click on the entry, which describes it.
    QCOMPARE(fx.rec.statusTexts.mid(before), (QStringList{u"太字にします。"_s, u"データの読み込み中..."_s,
                                                          u"作業中..."_s, u"太字にします。"_s}));
    QVERIFY(fx.rec.shown.isEmpty());
}

void TestCatalogue::failedScriptFilesRunNothing()
{
    Fixture fx;
    WriteFolder(BasicFolder, {{u"太字"_s, u"太字にします。"_s, BoldScript},
                              {u"無い"_s, u"ファイルがありません。"_s, QString()},
                              {u"壊れた"_s, u"形式が違います。"_s, u"$WizText,1,0,0,0,0,-1"_s},
                              {u"途中まで"_s, u"途中で終わります。"_s, u"$WizDate,32767,0,0,0,0,1,0,0,x"_s}});
    MainForm &f = fx.start();
    fx.choose(2, 0);
    // A good script first, so that a stale script would be there to run.
    fx.page(u"abc"_s, 0, 3);
    fx.doubleClick(0);
    QCOMPARE(fx.editor()->htmlText(), u"<b>abc</b>"_s);

    for (int i : {1, 2, 3}) {
        fx.page(u"abc"_s, 0, 3);
        fx.rec.shown.clear();
        fx.doubleClick(i);
        QCOMPARE(fx.editor()->htmlText(), u"abc"_s);
        QCOMPARE(fx.editor()->selectedHtml(), u"abc"_s);
        QVERIFY(!f.project().Henkou);
        QCOMPARE(fx.rec.shown.size(), 1);
        QCOMPARE(fx.rec.shown.at(0).icon, UiService::Icon::Critical);
        QVERIFY2(fx.rec.shown.at(0).text.contains(WizDatePath(AppPath(BasicFolder), i)),
                 qUtf8Printable(fx.rec.shown.at(0).text));
        QCOMPARE(fx.rec.statusText(), fx.catalogue()->WizSetumei().at(i));
    }
}

void TestCatalogue::cancelledWizardLeavesPage()
{
    Fixture fx;
    WriteFolder(BasicFolder, {{u"名前"_s, u"名前を入れます。"_s, AskScript}});
    MainForm &f = fx.start();
    fx.choose(2, 0);

    ModalAnswerer answer({
        [](QWidget *win) {
            TypeText(win->findChild<QLineEdit *>(u"Text1_0"_s), u"無視"_s);
            QTest::mouseClick(win->findChild<QPushButton *>(u"Command2"_s), Qt::LeftButton);
        },
        [](QWidget *win) {
            QCOMPARE(win->windowTitle(), u"確認"_s);
            QCOMPARE(win->findChild<QLabel *>(u"Label1_0"_s)->text(), u"名前"_s);
            TypeText(win->findChild<QLineEdit *>(u"Text1_0"_s), u"太郎"_s);
            QTest::mouseClick(win->findChild<QPushButton *>(u"Command1"_s), Qt::LeftButton);
        },
    });
    fx.page(u"xxabcyy"_s, 2, 3);
    fx.doubleClick(0);
    QCOMPARE(answer.handled, 1);
    QCOMPARE(fx.editor()->htmlText(), u"xxabcyy"_s);
    QCOMPARE(fx.editor()->selectedHtml(), u"abc"_s);
    QVERIFY(!f.project().Henkou);
    QCOMPARE(fx.rec.statusText(), u"名前を入れます。"_s);

    // Answered, the same script writes its output in place of the selection.
    fx.doubleClick(0);
    QCOMPARE(answer.handled, 2);
    QCOMPARE(fx.editor()->htmlText(), u"xxX太郎yy"_s);
    QVERIFY(f.project().Henkou);
}

void TestCatalogue::stoppedScriptLeavesSelection()
{
    Fixture fx;
    WriteFolder(BasicFolder, {{u"終わらない"_s, u"終わりません。"_s, EndlessScript}});
    MainForm &f = fx.start();
    QVERIFY(fx.catalogue());
    fx.catalogue()->stepLimit = 100000;
    fx.choose(2, 0);
    fx.page(u"xxabcyy"_s, 2, 3);
    fx.doubleClick(0);
    QCOMPARE(fx.editor()->htmlText(), u"xxabcyy"_s);
    QCOMPARE(fx.editor()->selectedHtml(), u"abc"_s);
    QVERIFY(!f.project().Henkou);
    QCOMPARE(fx.rec.messages(), QStringList{u"スクリプトが長時間終了しないため、実行を中止しました。"_s});
    QCOMPARE(fx.rec.statusText(), u"終わりません。"_s);
}

void TestCatalogue::suppliedWizardFromCatalogue()
{
    Fixture fx;
    // The supplied tag wizards, converted as the build converts them.
    const QString source = QStringLiteral(QV_OLZ_SOURCE_DIR) + u"/Wizs"_s;
    QDirIterator it(source, {u"*.dat"_s}, QDir::Files);
    int copied = 0;
    while (it.hasNext()) {
        const QString path = it.next();
        QFile in(path);
        QVERIFY(in.open(QIODevice::ReadOnly));
        QString text = QString::fromUtf8(in.readAll());
        text.replace(u"\r\n"_s, u"\n"_s);
        while (text.endsWith(u'\n'))
            text.chop(1);
        WriteText(JoinPath(AppPath(WizsFolder), QFileInfo(path).fileName()), text.replace(u'\n', u"\r\n"_s));
        ++copied;
    }
    QVERIFY(copied > 1);

    MainForm &f = fx.start();
    f.project().Html.append({u"会社概要"_s, u"Company"_s, QString(), u".html"_s});
    fx.choose(2, 1);
    const int row = fx.entries().indexOf(u"→プロジェクトのページへのリンク"_s);
    QVERIFY(row >= 0);

    ModalAnswerer answer({[](QWidget *win) {
        auto *pages = win->findChild<QComboBox *>(u"Combo1_0"_s);
        QCOMPARE(pages->count(), 2);
        pages->setCurrentIndex(1);
        auto *newWindow = win->findChild<QCheckBox *>(u"Check1_2"_s);
        QTest::mouseClick(newWindow, Qt::LeftButton, {}, QPoint(5, newWindow->height() / 2));
        QTest::mouseClick(win->findChild<QPushButton *>(u"Command1"_s), Qt::LeftButton);
    }});
    fx.page(u"<p>abc</p>"_s, 3, 3);
    fx.doubleClick(row);
    QCOMPARE(answer.handled, 1);
    QCOMPARE(fx.editor()->htmlText(), u"<p><a href=\"Company.html\" target=\"_blank\">abc</a></p>"_s);
    QCOMPARE(fx.rec.statusText(), fx.catalogue()->WizSetumei().at(row));
    QVERIFY(fx.rec.shown.isEmpty());
}

void TestCatalogue::insertionsGiveTheEditorTheKeyboard_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("group");
    QTest::newRow("link, double click") << u"double click"_s << 0;
    QTest::newRow("link, Enter") << u"Enter"_s << 0;
    QTest::newRow("file name only") << u"minmnyInSonyuName"_s << 0;
    QTest::newRow("script with a wizard") << u"Enter"_s << 2;
    QTest::newRow("date and time") << u"minmnyDateIn"_s << 0;
    QTest::newRow("bookmark") << u"minmnySiori"_s << 0;
}

void TestCatalogue::insertionsGiveTheEditorTheKeyboard()
{
    QFETCH(QString, how);
    QFETCH(int, group);
    Fixture fx;
    WriteFolder(BasicFolder, {{u"名前"_s, u"説明"_s, AskScript}});
    MainForm &f = fx.start();
    fx.choose(group, 0);
    fx.ui().InTagList->setFocus();
    fx.page(u"xxabcyy"_s, 2, 3);
    // The wizard and the bookmark name window get a name and Enter.
    ModalAnswerer answer({[](QWidget *win) {
        QWidget *field = win->focusWidget() ? win->focusWidget() : win->findChild<QLineEdit *>(u"Text1"_s);
        TypeText(field, u"太郎"_s);
        QTest::keyClick(field, Qt::Key_Return);
    }});
    if (how == u"double click")
        fx.doubleClick(0);
    else if (how == u"Enter")
        QTest::keyClick(fx.ui().InTagList, Qt::Key_Return);
    else
        f.runCommand(how);
    const QString text = fx.editor()->htmlText();
    QVERIFY2(text != u"xxabcyy"_s && (group == 0 || text == u"xxX太郎yy"_s), qPrintable(text));
    QCOMPARE(fx.editor()->selectionStartHtml(), text.size() - 2); // right before "yy"
    QCOMPARE(f.focusWidget(), static_cast<QWidget *>(fx.editor()));
}

void TestCatalogue::showTagsToggle()
{
    Fixture fx;
    MainForm &f = fx.start();
    QAction *show = f.action(u"minmnyShowTags"_s);
    QVERIFY(show->isChecked());
    QVERIFY(fx.ui().InTagList->isVisible());
    const int editorLeft = fx.editor()->x();

    show->trigger();
    QVERIFY(!show->isChecked());
    QVERIFY(!f.TagsVisible);
    QVERIFY(!fx.ui().InTagList->isVisible());
    QVERIFY(!fx.ui().TagTypeCombo->isVisible());
    QVERIFY(fx.editor()->x() < editorLeft);

    show->trigger();
    QVERIFY(f.TagsVisible);
    QVERIFY(fx.ui().InSelectList->isVisible());
    QCOMPARE(fx.editor()->x(), editorLeft);
    QCOMPARE(fx.rec.beeps, 0);
}

void TestCatalogue::longEntriesShowWholeInATooltip()
{
    Fixture fx;
    WriteFolder(BasicFolder, {{u"中央揃え（center）の段落を挿入"_s, u"説明"_s, BoldScript},
                              {u"番号付きリスト（ol）を挿入"_s, u"説明"_s, BoldScript}});
    fx.start();
    fx.form->resize(1024, 700);
    QVERIFY(QTest::qWaitForWindowExposed(fx.form.get()));
    QListWidget *tags = fx.ui().InTagList;
    const auto check = [&] {
        QVERIFY(tags->count() > 0);
        for (int i = 0; i < tags->count(); ++i)
            QCOMPARE(tags->item(i)->toolTip(), tags->item(i)->text());
        // Hovering an entry shows the tooltip with the whole text.
        const QRect rect = tags->visualItemRect(tags->item(tags->count() - 1));
        QHelpEvent help(QEvent::ToolTip, rect.center(), tags->viewport()->mapToGlobal(rect.center()));
        QApplication::sendEvent(tags->viewport(), &help);
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), tags->item(tags->count() - 1)->text());
        QToolTip::hideText();
    };
    fx.choose(2, 0); // scripts
    check();
    fx.form->project().Html[0].DatName = u"とても長い名前のページ、カタログの幅には収まらない"_s;
    fx.choose(0, 0); // the project's pages
    check();
}

QTEST_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
