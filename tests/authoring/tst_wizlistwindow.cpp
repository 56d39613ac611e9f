// The user script list window: its two tabs, new entries through the
// new-script dialog, editing in the font dialog and the script editor,
// deleting, import and export of ".tisd" files; and from the main window, a
// user script made through the dialogs that runs from the catalogue.
#include "AppPaths.h"
#include "CatalogueCommands.h"
#include "MainForm.h"
#include "PageEditor.h"
#include "ProjectDates.h"
#include "RecordingUi.h"
#include "TaguSien_ListFile.h"
#include "TaguSien_WizList.h"
#include "TestSupport.h"
#include "WidgetTestSupport.h"
#include "WizList.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString BoldScript = u"$WizDate,4,0,0,0,0,1,0,0,<b>,2,1,0,0,</b>,-1"_s;

struct Fixture
{
    QTemporaryDir dir;
    RecordingUi rec;
    ProjectDates project;
    std::unique_ptr<TaguSien_WizList> window;

    Fixture() { SetAppDir(dir.path()); }

    TaguSien_WizList &open()
    {
        window = std::make_unique<TaguSien_WizList>(project);
        window->show();
        return *window;
    }

    QListWidget *list() const { return child<QListWidget>(window.get(), u"List1"_s); }
    QPushButton *button(int n) const { return child<QPushButton>(window.get(), u"Command"_s + QString::number(n)); }
    QLabel *label() const { return child<QLabel>(window.get(), u"Label1"_s); }
    void tab(int i) const { child<QTabBar>(window.get(), u"TabStrip1"_s)->setCurrentIndex(i); }
    QString basic() const { return AppPath(WizFolderUserBasic); }
    QString font() const { return AppPath(WizFolderUserFont); }

    QStringList items() const
    {
        QStringList out;
        for (int i = 0; i < list()->count(); ++i)
            out.append(list()->item(i)->text());
        return out;
    }
};

// Fills the new-script dialog and presses "作成".
std::function<void(QWidget *)> CreateEntry(const QString &name, const QString &setumei)
{
    return [name, setumei](QWidget *dlg) {
        QCOMPARE(dlg->objectName(), u"TaguSien_NewPrg"_s);
        auto *text1 = child<QLineEdit>(dlg, u"Text1"_s);
        QCOMPARE(text1->selectedText(), u"新規入力支援スクリプト"_s);
        TypeText(text1, name);
        TypeText(child<QLineEdit>(dlg, u"Text2"_s), setumei);
        child<QPushButton>(dlg, u"Command1"_s)->click();
    };
}

} // namespace

class TestWizListWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void emptyFoldersAreCreated();
    void newEntryOnEachTab();
    void createButtonNeedsBothTexts();
    void editFontEntry();
    void editScriptAndCloseWithoutSaving();
    void deleteAsksAndRenumbers();
    void newEntryOnACutListOffersARebuild();
    void importAndExport();
    void importOfAnUnreadableFileIsRefused();
    void scriptMadeThroughTheDialogsRunsInTheCatalogue();
};

void TestWizListWindow::emptyFoldersAreCreated()
{
    Fixture fx;
    fx.open();
    QCOMPARE(fx.window->windowTitle(), u"タグ入力支援ユーザー定義リスト"_s);
    QVERIFY(QFileInfo(fx.basic()).isDir());
    QVERIFY(QFileInfo(fx.font()).isDir());
    QCOMPARE(fx.window->WizDir(), fx.font());
    QCOMPARE(fx.label()->text(), u"データが存在しません。"_s);
    QVERIFY(!fx.button(1)->isEnabled());
    QVERIFY(!fx.button(3)->isEnabled());
    QVERIFY(!fx.button(5)->isEnabled());
    QVERIFY(!fx.button(6)->isEnabled());
    fx.tab(1);
    QCOMPARE(fx.window->WizDir(), fx.basic());
    QVERIFY(fx.button(5)->isEnabled());
    QVERIFY(!fx.button(6)->isEnabled());
}

void TestWizListWindow::newEntryOnEachTab()
{
    Fixture fx;
    fx.open();
    QVERIFY(DriveModal(this, [&] { fx.button(2)->click(); }, CreateEntry(u"赤い字"_s, u"文字を赤くする"_s)));
    QCOMPARE(fx.items(), QStringList{u"赤い字"_s});
    QCOMPARE(fx.label()->text(), u"文字を赤くする"_s);
    QVERIFY(fx.button(1)->isEnabled());
    QCOMPARE(ReadBytes(WizDatePath(fx.font(), 0)), NewFontWizDate.toLatin1() + "\r\n");

    fx.tab(1);
    QVERIFY(fx.items().isEmpty());
    QVERIFY(DriveModal(this, [&] { fx.button(2)->click(); }, CreateEntry(u"太字"_s, u"太くする"_s)));
    QVERIFY(DriveModal(this, [&] { fx.button(2)->click(); }, CreateEntry(u"斜体"_s, u"斜めにする"_s)));
    QCOMPARE(fx.items(), (QStringList{u"太字"_s, u"斜体"_s}));
    QCOMPARE(fx.list()->currentRow(), 1); // the new entry is chosen
    QVERIFY(fx.button(6)->isEnabled());
    QCOMPARE(ReadBytes(WizDatePath(fx.basic(), 1)), QByteArray("$WizDate,1,0,0,0,0,-1\r\n"));
    QCOMPARE(ReadBytes(fx.basic() + u"/WizList.dat"_s), Sjis(u"1,太字,太くする,斜体,斜めにする\r\n"_s));

    // A cancelled dialog creates nothing; a refused name keeps it open.
    QVERIFY(DriveModal(this, [&] { fx.button(2)->click(); }, [](QWidget *dlg) {
        child<QPushButton>(dlg, u"Command2"_s)->click();
    }));
    QVERIFY(DriveModal(this, [&] { fx.button(2)->click(); }, [&](QWidget *dlg) {
        child<QLineEdit>(dlg, u"Text1"_s)->setText(u"a,b"_s);
        child<QLineEdit>(dlg, u"Text2"_s)->setText(u"c"_s);
        child<QPushButton>(dlg, u"Command1"_s)->click();
        QVERIFY(dlg->isVisible());
        QVERIFY(fx.rec.lastMessage().contains(u"カンマ"_s));
    }));
    QCOMPARE(fx.items().size(), 2);
}

void TestWizListWindow::createButtonNeedsBothTexts()
{
    Fixture fx;
    fx.open();
    QVERIFY(DriveModal(this, [&] { fx.button(2)->click(); }, [](QWidget *dlg) {
        QCOMPARE(dlg->windowTitle(), u"新規入力支援スクリプト"_s);
        auto *create = child<QPushButton>(dlg, u"Command1"_s);
        auto *text1 = child<QLineEdit>(dlg, u"Text1"_s);
        auto *text2 = child<QLineEdit>(dlg, u"Text2"_s);
        QVERIFY(!create->isEnabled());
        text2->setText(u"d"_s);
        QVERIFY(create->isEnabled());
        text1->clear();
        QVERIFY(!create->isEnabled());
        text1->setText(u"n"_s);
        QVERIFY(create->isEnabled());
        text2->clear();
        QVERIFY(!create->isEnabled());
        QCOMPARE(child<QLabel>(dlg, u"Label1"_s)->buddy(), text1);
        QCOMPARE(child<QLabel>(dlg, u"Label2"_s)->buddy(), text2);
    }));
}

void TestWizListWindow::editFontEntry()
{
    Fixture fx;
    QVERIFY(NewWizDate(fx.font(), u"赤"_s, u"赤い字"_s, true));
    fx.open();
    QVERIFY(DriveModal(this, [&] { fx.button(1)->click(); }, [](QWidget *dlg) {
        QCOMPARE(dlg->objectName(), u"TaguSien_MakeFont"_s);
        QCOMPARE(child<QLineEdit>(dlg, u"Text2"_s)->text(), u"3"_s);
        QCOMPARE(child<QLineEdit>(dlg, u"Text4"_s)->text(), u"赤"_s);
        child<QLineEdit>(dlg, u"Text3"_s)->setText(u"#FF0000"_s);
        child<QLineEdit>(dlg, u"Text4"_s)->setText(u"真っ赤"_s);
        child<QPushButton>(dlg, u"Command2"_s)->click();
        child<QPushButton>(dlg, u"Command3"_s)->click();
    }));
    QCOMPARE(fx.items(), QStringList{u"真っ赤"_s});
    QCOMPARE(ReadBytes(fx.font() + u"/WizList.dat"_s), Sjis(u"0,真っ赤,赤い字\r\n"_s));
    QVERIFY(ReadBytes(WizDatePath(fx.font(), 0)).contains(",3,0,0,0,0,#FF0000,"));
}

void TestWizListWindow::editScriptAndCloseWithoutSaving()
{
    Fixture fx;
    QVERIFY(NewWizDate(fx.basic(), u"名"_s, u"説"_s, false));
    const QByteArray list = ReadBytes(fx.basic() + u"/WizList.dat"_s);
    fx.open();
    fx.tab(1);
    fx.rec.yesNoCancelAnswers.enqueue(UiService::Answer::No);
    QVERIFY(DriveModal(this, [&] { fx.button(1)->click(); }, [](QWidget *dlg) {
        QCOMPARE(dlg->objectName(), u"TaguSien_Scrpt"_s);
        child<QLineEdit>(dlg, u"Text1"_s)->setText(u"変えた"_s);
        child<QPushButton>(dlg, u"Command3"_s)->click();
    }));
    QCOMPARE(ReadBytes(fx.basic() + u"/WizList.dat"_s), list);
    QCOMPARE(fx.items(), QStringList{u"名"_s});
}

void TestWizListWindow::deleteAsksAndRenumbers()
{
    Fixture fx;
    for (const QString &n : {u"a"_s, u"b"_s, u"c"_s})
        QVERIFY(NewWizDate(fx.basic(), n, n + u"の説明"_s, false));
    QVERIFY(PutBytes(WizDatePath(fx.basic(), 2), Sjis(BoldScript + u"\r\n"_s)));
    fx.open();
    fx.tab(1);
    fx.list()->setCurrentRow(1);
    // No keeps the entry.
    fx.button(3)->click();
    QCOMPARE(fx.rec.shown.last().kind, u"question"_s);
    QCOMPARE(fx.rec.shown.last().defaultAnswer, UiService::Answer::No);
    QCOMPARE(fx.items().size(), 3);
    // Yes deletes; the Delete key acts as the button.
    fx.rec.yesNoAnswers.enqueue(true);
    QTest::keyClick(fx.list(), Qt::Key_Delete);
    QCOMPARE(fx.items(), (QStringList{u"a"_s, u"c"_s}));
    QCOMPARE(ReadBytes(WizDatePath(fx.basic(), 1)), Sjis(BoldScript + u"\r\n"_s));
    QVERIFY(!QFileInfo::exists(WizDatePath(fx.basic(), 2)));
    QCOMPARE(fx.list()->currentRow(), 1);
}

void TestWizListWindow::newEntryOnACutListOffersARebuild()
{
    // The list claims two entries and holds one: the second script would be
    // written over. No keeps everything; Yes rebuilds and then creates.
    Fixture fx;
    for (const QString &n : {u"a"_s, u"b"_s})
        QVERIFY(NewWizDate(fx.basic(), n, n, false));
    QVERIFY(PutBytes(WizDatePath(fx.basic(), 1), Sjis(BoldScript + u"\r\n"_s)));
    QVERIFY(PutBytes(fx.basic() + u"/WizList.dat"_s, "1,a,a"));
    fx.open();
    fx.tab(1);
    for (bool rebuild : {false, true}) {
        fx.rec.yesNoAnswers.enqueue(rebuild);
        QVERIFY(DriveModal(this, [&] { fx.button(2)->click(); }, CreateEntry(u"新"_s, u"説明"_s)));
        QVERIFY2(fx.rec.lastMessage().contains(u"途切れています"_s), qPrintable(fx.rec.lastMessage()));
        QCOMPARE(ReadBytes(WizDatePath(fx.basic(), 1)), Sjis(BoldScript + u"\r\n"_s));
    }
    QCOMPARE(fx.rec.messages().size(), 2);
    QCOMPARE(fx.items(), (QStringList{u"a"_s, u"名前なし 1"_s, u"新"_s}));
}

void TestWizListWindow::importAndExport()
{
    Fixture fx;
    const QString source = fx.dir.path() + u"/in.tisd"_s;
    QVERIFY(PutBytes(source, Sjis(BoldScript + u"\r\n"_s)));
    fx.open();
    fx.tab(1);
    fx.rec.fileAnswers.enqueue(source);
    QVERIFY(DriveModal(this, [&] { fx.button(5)->click(); }, CreateEntry(u"取込"_s, u"取り込んだ"_s)));
    QCOMPARE(fx.rec.shown.first().kind, u"open"_s);
    QCOMPARE(fx.rec.shown.first().text, u"タグ挿入支援データファイル|*.tisd"_s);
    QCOMPARE(fx.items(), QStringList{u"取込"_s});
    QCOMPARE(ReadBytes(WizDatePath(fx.basic(), 0)), Sjis(BoldScript + u"\r\n"_s));

    // Export; a name without extension gets ".tisd".
    const QString target = fx.dir.path() + u"/out"_s;
    fx.rec.fileAnswers.enqueue(target);
    fx.button(6)->click();
    QCOMPARE(ReadBytes(target + u".tisd"_s), Sjis(BoldScript + u"\r\n"_s));
    // The dialog itself appends it, so that it asks before replacing that file.
    QCOMPARE(fx.rec.saveSuffixes, QStringList{u"tisd"_s});

    // Cancelling the file dialog or the new-script dialog changes nothing.
    fx.rec.fileAnswers.enqueue(QString());
    fx.button(5)->click();
    fx.rec.fileAnswers.enqueue(source);
    QVERIFY(DriveModal(this, [&] { fx.button(5)->click(); },
                       [](QWidget *dlg) { child<QPushButton>(dlg, u"Command2"_s)->click(); }));
    QCOMPARE(fx.items().size(), 1);
    QVERIFY(!QFileInfo::exists(WizDatePath(fx.basic(), 1)));
}

void TestWizListWindow::importOfAnUnreadableFileIsRefused()
{
    Fixture fx;
    const QString source = fx.dir.path() + u"/bad.tisd"_s;
    QVERIFY(PutBytes(source, "$WizDate,5,0,0\r\n"));
    fx.open();
    fx.tab(1);
    fx.rec.fileAnswers.enqueue(source);
    fx.button(5)->click(); // no dialog opens
    QCOMPARE(fx.rec.shown.last().kind, u"message"_s);
    QCOMPARE(fx.rec.shown.last().icon, UiService::Icon::Critical);
    QVERIFY(fx.items().isEmpty());
    QVERIFY(!QFileInfo::exists(fx.basic() + u"/WizList.dat"_s));
}

void TestWizListWindow::scriptMadeThroughTheDialogsRunsInTheCatalogue()
{
    Fixture fx;
    MainForm form;
    form.startUp();
    form.show();
    form.project().Henkou = false;

    const auto paletteAdd = [](QWidget *editor, const QString &row) {
        auto *pal = child<QListWidget>(editor, u"List2"_s);
        pal->setCurrentItem(pal->findItems(row, Qt::MatchExactly).first());
        child<QPushButton>(editor, u"Command1"_s)->click();
    };
    const auto output = [](const QString &text) {
        return [text](QWidget *dlg) {
            QCOMPARE(dlg->objectName(), u"TaguSien_AddOutPut"_s);
            child<QLineEdit>(dlg, u"Text1"_s)->setText(text);
            child<QPushButton>(dlg, u"Command1"_s)->click();
        };
    };
    // Each window opens the next one modally, so each is driven inside the
    // one that opened it.
    bool editorRan = false;
    QVERIFY(DriveModal(this, [&] { form.runCommand(u"minmnyWizList"_s); }, [&](QWidget *list) {
        QCOMPARE(list->objectName(), u"TaguSien_WizList"_s);
        child<QTabBar>(list, u"TabStrip1"_s)->setCurrentIndex(1);
        QVERIFY(DriveModal(this, [&] { child<QPushButton>(list, u"Command2"_s)->click(); },
                           CreateEntry(u"強調"_s, u"選択文字列を強調します"_s)));
        QVERIFY(DriveModal(this, [&] { child<QPushButton>(list, u"Command1"_s)->click(); }, [&](QWidget *editor) {
            QCOMPARE(editor->objectName(), u"TaguSien_Scrpt"_s);
            child<QListWidget>(editor, u"List1"_s)->setCurrentRow(0);
            QVERIFY(DriveModal(this, [&] { paletteAdd(editor, u"出力"_s); }, output(u"<strong>"_s)));
            paletteAdd(editor, u"選択文字列の出力"_s);
            QVERIFY(DriveModal(this, [&] { paletteAdd(editor, u"出力"_s); }, output(u"</strong>"_s)));
            child<QPushButton>(editor, u"Command4"_s)->click();
            child<QPushButton>(editor, u"Command3"_s)->click();
            editorRan = true;
        }));
        child<QPushButton>(list, u"Command4"_s)->click();
    }));
    QVERIFY(editorRan);
    QVERIFY(!QApplication::activeModalWidget());

    // The catalogue's user kind lists the new entry at once.
    form.ui().TagTypeCombo->setCurrentIndex(2);
    form.ui().InSelectList->setCurrentRow(2);
    QCOMPARE(form.ui().InTagList->count(), 1);
    QCOMPARE(form.ui().InTagList->item(0)->text(), u"→強調"_s);
    QCOMPARE(fx.rec.statusText(), u"選択文字列を強調します"_s);

    form.ui().MainText->setHtmlText(u"abc"_s);
    form.ui().MainText->selectHtml(0, 3);
    form.findChild<CatalogueCommands *>(u"CatalogueCommands"_s)->InTagList_DblClick();
    QCOMPARE(form.ui().MainText->htmlText(), u"<strong>abc</strong>"_s);
    QVERIFY(form.project().Henkou);
}

QTEST_MAIN(TestWizListWindow)
#include "tst_wizlistwindow.moc"
