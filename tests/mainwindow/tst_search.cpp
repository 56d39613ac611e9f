// Search, replace and bookmarks through the main window's commands and the
// real dialogs; the recorder answers the question and takes the messages.

#include "AppPaths.h"
#include "WidgetTestSupport.h"
#include "Kensaku.h"
#include "KensakuMod.h"
#include "MainForm.h"
#include "PageEditor.h"
#include "RecordingUi.h"
#include "Siori.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

QPushButton *button(QWidget *dlg, const QString &name)
{
    return dlg->findChild<QPushButton *>(name);
}

QLineEdit *lineEdit(QWidget *dlg, const QString &name)
{
    return dlg->findChild<QLineEdit *>(name);
}

void click(QWidget *dlg, const QString &name)
{
    QPushButton *b = button(dlg, name);
    QVERIFY2(b, qPrintable(name));
    QTest::mouseClick(b, Qt::LeftButton);
}

} // namespace

class TestSearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    // Search dialog.
    void searchStepsThroughHitsThenStartsAgain();
    void searchFindsHitAtTheEnd();
    void searchIsExact();
    void searchSelectsExactTextAfterManyLineBreaks();
    void searchButtonFollowsText1AndResetsStart();
    void searchStartDoesNotFollowTheCaret();

    // Replace dialog.
    void replaceButtonRule();
    void replaceSelectionThenSearchesOn();
    void replaceAllGrowingReplacement();
    void replaceAllIsOneEdit();
    void replaceAllAnsweredNo();
    void replaceAllOverLineBreaksAndOnlyShownPage();
    void replaceAllInEditorMatchesComputedText();

    // Bookmarks.
    void insertAtCaretAtStart();
    void insertReplacesSelection();
    void insertCancelledChangesNothing();
    void nameDialogOkFollowsText();
    void insertWithoutAPageBeeps();
    void nameTheProjectFileCannotHoldIsRefused();
    void nameThatWouldEndTheCommentIsRefused_data();
    void nameThatWouldEndTheCommentIsRefused();
    void sameNameInTwoPagesActsOnHighest();
    void enterOnAnEntryActsAsADoubleClick();
    void deletedPageBookmarkReportedMissingAndRemoved();
    void renameInAnotherPageSetsHenkou();
    void renameInShownPageIsEditorEdit();
    void renameCancelledLeavesPageUnchanged();
    void deleteInAnotherPageSetsHenkou();
    void deleteWithNothingSelected();
    void jumpSelectsCommentAfterManyLineBreaks();

private:
    // Runs body on the modal dialog that command opens, then closes the
    // dialog if body left it open.
    void drive(const QString &command, const std::function<void(QWidget *)> &body);
    void driveHook(const std::function<void()> &open, const std::function<void(QWidget *)> &body);
    // Replaces the pages by these texts and shows page shown; Henkou cleared.
    void setPages(const QStringList &texts, int shown = 0);
    void selectSiori(int row);
    void doubleClickDatList();
    PageEditor *editor() const { return m_form->ui().MainText; }
    ProjectDates &project() { return m_form->project(); }

    QTemporaryDir m_dir;
    std::unique_ptr<RecordingUi> m_ui;
    std::unique_ptr<MainForm> m_form;
    int m_previews = 0;
};

void TestSearch::init()
{
    QVERIFY(m_dir.isValid());
    SetAppDir(m_dir.path());
    m_ui = std::make_unique<RecordingUi>();
    m_form = std::make_unique<MainForm>();
    m_form->startUp();
    m_previews = 0;
    m_form->onEdPrv = [this] { ++m_previews; };
}

void TestSearch::cleanup()
{
    m_form.reset();
    m_ui.reset();
}

void TestSearch::drive(const QString &command, const std::function<void(QWidget *)> &body)
{
    driveHook([this, command] { m_form->runCommand(command); }, body);
}

void TestSearch::driveHook(const std::function<void()> &open, const std::function<void(QWidget *)> &body)
{
    QVERIFY(DriveModal(m_form.get(), open, body));
}

void TestSearch::setPages(const QStringList &texts, int shown)
{
    ProjectDates &p = project();
    p.Html.clear();
    for (int i = 0; i < texts.size(); ++i)
        AddHtmlDat(p, u"ページ"_s + QString::number(i), u"page"_s + QString::number(i), texts.at(i), u".htm"_s);
    m_form->showKind(KindHtml);
    m_form->ui().DatList->setCurrentRow(shown);
    QCOMPARE(p.NowHtml, qint16(shown));
    QCOMPARE(editor()->htmlText(), texts.at(shown));
    p.Henkou = false;
    m_previews = 0;
    m_ui->clear();
}

void TestSearch::selectSiori(int row)
{
    m_form->showKind(KindSiori);
    m_form->ui().DatList->setCurrentRow(row);
    QCOMPARE(project().ListType, qint16(KindSiori));
}

void TestSearch::doubleClickDatList()
{
    QWidget *vp = m_form->ui().DatList->viewport();
    const QPointF at(5, 5);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, at, vp->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(vp, &dbl);
}

// ---- Search dialog ----

void TestSearch::searchStepsThroughHitsThenStartsAgain()
{
    setPages({u"aaa"_s});
    QList<qsizetype> starts;
    drive(u"minmnySati"_s, [&](QWidget *dlg) {
        QCOMPARE(dlg->windowTitle(), u"検索"_s);
        QTest::keyClicks(lineEdit(dlg, u"Text1"_s), u"a"_s);
        for (int i = 0; i < 5; ++i) {
            editor()->moveCursor(QTextCursor::End);
            click(dlg, u"Command1"_s);
            starts << (editor()->selectionLengthHtml() == 1 ? editor()->selectionStartHtml() : -1);
        }
    });
    QCOMPARE(starts, (QList<qsizetype>{0, 1, 2, -1, 0}));
    QCOMPARE(m_ui->shown.size(), 1);
    QCOMPARE(m_ui->shown.at(0).kind, u"message"_s);
    QCOMPARE(m_ui->shown.at(0).text, u"文字列\"a\"の検索が終わりました。"_s);
    QCOMPARE(m_ui->shown.at(0).icon, UiService::Icon::None);
}

void TestSearch::searchFindsHitAtTheEnd()
{
    setPages({u"<p>\r\nxyz"_s});
    drive(u"minmnySati"_s, [&](QWidget *dlg) {
        lineEdit(dlg, u"Text1"_s)->setText(u"yz"_s);
        click(dlg, u"Command1"_s);
    });
    QCOMPARE(editor()->selectionStartHtml(), qsizetype(6));
    QCOMPARE(editor()->selectedHtml(), u"yz"_s);
    QVERIFY(m_ui->shown.isEmpty());
}

void TestSearch::searchIsExact()
{
    setPages({u"abc ABC"_s});
    QStringList selected;
    drive(u"minmnySati"_s, [&](QWidget *dlg) {
        for (const QString &t : {u"Ａ"_s, u"b"_s, u"ｂ"_s, u"aBc"_s}) {
            editor()->moveCursor(QTextCursor::Start);
            lineEdit(dlg, u"Text1"_s)->setText(t);
            click(dlg, u"Command1"_s);
            selected << editor()->selectedHtml();
        }
    });
    QCOMPARE(selected, (QStringList{QString(), u"b"_s, QString(), QString()}));
    QCOMPARE(m_ui->messages(), (QStringList{u"文字列\"Ａ\"の検索が終わりました。"_s, u"文字列\"ｂ\"の検索が終わりました。"_s,
                                             u"文字列\"aBc\"の検索が終わりました。"_s}));
}

void TestSearch::searchSelectsExactTextAfterManyLineBreaks()
{
    QString page;
    for (int i = 0; i < 300; ++i)
        page += u"<p>行"_s + QString::number(i) + u"</p>\r\n"_s;
    page += u"\r\n\r\n探す文字列 and 探す"_s;
    setPages({page});
    QList<qsizetype> starts;
    drive(u"minmnySati"_s, [&](QWidget *dlg) {
        lineEdit(dlg, u"Text1"_s)->setText(u"探す"_s);
        click(dlg, u"Command1"_s);
        starts << editor()->selectionStartHtml();
        QCOMPARE(editor()->selectedHtml(), u"探す"_s);
        click(dlg, u"Command1"_s);
        starts << editor()->selectionStartHtml();
        QCOMPARE(editor()->selectedHtml(), u"探す"_s);
    });
    QCOMPARE(starts, (QList<qsizetype>{page.indexOf(u"探す"_s), page.lastIndexOf(u"探す"_s)}));
}

void TestSearch::searchButtonFollowsText1AndResetsStart()
{
    setPages({u"xaxa"_s});
    drive(u"minmnySati"_s, [&](QWidget *dlg) {
        QPushButton *search = button(dlg, u"Command1"_s);
        QVERIFY(!search->isEnabled());
        QVERIFY(search->isDefault());
        QLineEdit *t1 = lineEdit(dlg, u"Text1"_s);
        t1->setText(u"a"_s);
        QVERIFY(search->isEnabled());
        click(dlg, u"Command1"_s);
        QCOMPARE(editor()->selectionStartHtml(), qsizetype(1));
        t1->clear();
        QVERIFY(!search->isEnabled());
        // A new search text starts again at the top.
        t1->setText(u"a"_s);
        click(dlg, u"Command1"_s);
        QCOMPARE(editor()->selectionStartHtml(), qsizetype(1));
        click(dlg, u"Command2"_s);
        QVERIFY(!dlg->isVisible());
    });
}

void TestSearch::searchStartDoesNotFollowTheCaret()
{
    setPages({u"a_a_a"_s});
    drive(u"minmnySati"_s, [&](QWidget *dlg) {
        lineEdit(dlg, u"Text1"_s)->setText(u"a"_s);
        click(dlg, u"Command1"_s);
        QCOMPARE(editor()->selectionStartHtml(), qsizetype(0));
        editor()->selectHtml(4, 1);
        click(dlg, u"Command1"_s);
        QCOMPARE(editor()->selectionStartHtml(), qsizetype(2));
    });
}

// ---- Replace dialog ----

void TestSearch::replaceButtonRule()
{
    setPages({u"abc"_s});
    drive(u"minmnyTikan"_s, [&](QWidget *dlg) {
        QCOMPARE(dlg->windowTitle(), u"置換"_s);
        QPushButton *search = button(dlg, u"Command1"_s);
        QPushButton *one = button(dlg, u"Command3"_s);
        QPushButton *all = button(dlg, u"Command4"_s);
        QLineEdit *t1 = lineEdit(dlg, u"Text1"_s);
        QLineEdit *t2 = lineEdit(dlg, u"Text2"_s);
        QVERIFY(!search->isEnabled() && !one->isEnabled() && !all->isEnabled());
        t2->setText(u"X"_s);
        QVERIFY(!one->isEnabled() && !all->isEnabled()); // no hit yet
        t1->setText(u"b"_s);
        QVERIFY(search->isEnabled());
        click(dlg, u"Command1"_s);
        QVERIFY(one->isEnabled() && all->isEnabled());
        // Emptying the replacement after a hit disables both.
        t2->clear();
        QVERIFY(!one->isEnabled() && !all->isEnabled());
        t2->setText(u"Y"_s);
        QVERIFY(one->isEnabled() && all->isEnabled());
        // A new search text forgets the hit.
        t1->setText(u"bc"_s);
        QVERIFY(!one->isEnabled() && !all->isEnabled());
        click(dlg, u"Command1"_s);
        QVERIFY(one->isEnabled());
        // A miss disables them again.
        t1->setText(u"zz"_s);
        click(dlg, u"Command1"_s);
        QVERIFY(!one->isEnabled() && !all->isEnabled());
    });
    QCOMPARE(m_ui->messages(), (QStringList{u"文字列\"zz\"の検索が終わりました。"_s}));
    QCOMPARE(project().Html.at(0).HtmlStr, u"abc"_s);
}

void TestSearch::replaceSelectionThenSearchesOn()
{
    setPages({u"a-a-a"_s});
    drive(u"minmnyTikan"_s, [&](QWidget *dlg) {
        lineEdit(dlg, u"Text1"_s)->setText(u"a"_s);
        lineEdit(dlg, u"Text2"_s)->setText(u"bb"_s);
        click(dlg, u"Command1"_s);
        QCOMPARE(editor()->selectionStartHtml(), qsizetype(0));
        click(dlg, u"Command3"_s);
        QCOMPARE(project().Html.at(0).HtmlStr, u"bb-a-a"_s);
        // The search went on from one after the replaced hit's start.
        QCOMPARE(editor()->selectionStartHtml(), qsizetype(3));
        QCOMPARE(editor()->selectedHtml(), u"a"_s);
        click(dlg, u"Command3"_s);
        QCOMPARE(project().Html.at(0).HtmlStr, u"bb-bb-a"_s);
        QCOMPARE(editor()->selectionStartHtml(), qsizetype(6));
    });
    QVERIFY(project().Henkou);
}

void TestSearch::replaceAllGrowingReplacement()
{
    setPages({u"aXa"_s});
    m_ui->yesNoAnswers.enqueue(true);
    drive(u"minmnyTikan"_s, [&](QWidget *dlg) {
        lineEdit(dlg, u"Text1"_s)->setText(u"a"_s);
        lineEdit(dlg, u"Text2"_s)->setText(u"aa"_s);
        click(dlg, u"Command1"_s);
        click(dlg, u"Command4"_s);
        QVERIFY(!button(dlg, u"Command3"_s)->isEnabled());
        QVERIFY(!button(dlg, u"Command4"_s)->isEnabled());
        // Enabled again only by the next successful search.
        click(dlg, u"Command1"_s);
        QVERIFY(button(dlg, u"Command4"_s)->isEnabled());
        QCOMPARE(editor()->selectionStartHtml(), qsizetype(0));
    });
    QCOMPARE(project().Html.at(0).HtmlStr, u"aaXaa"_s);
    QCOMPARE(editor()->htmlText(), u"aaXaa"_s);
    QCOMPARE(m_ui->shown.size(), 2);
    QCOMPARE(m_ui->shown.at(0).kind, u"question"_s);
    QCOMPARE(m_ui->shown.at(0).text, u"文字列\"a\"を全て置換しますか？"_s);
    QCOMPARE(m_ui->shown.at(0).icon, UiService::Icon::None);
    QCOMPARE(m_ui->shown.at(1).kind, u"message"_s);
    QCOMPARE(m_ui->shown.at(1).text, u"全ての\"aa\"を置換しました。"_s);
    QCOMPARE(m_ui->shown.at(1).icon, UiService::Icon::None);
}

void TestSearch::replaceAllIsOneEdit()
{
    QString page;
    for (int i = 0; i < 200; ++i)
        page += u"<b>x</b>\r\n"_s;
    setPages({page});
    QSignalSpy stored(m_form.get(), &MainForm::editorStored);
    QSignalSpy changed(editor(), &QPlainTextEdit::textChanged);
    m_ui->yesNoAnswers.enqueue(true);
    drive(u"minmnyTikan"_s, [&](QWidget *dlg) {
        lineEdit(dlg, u"Text1"_s)->setText(u"<b>"_s);
        lineEdit(dlg, u"Text2"_s)->setText(u"<strong>"_s);
        click(dlg, u"Command1"_s);
        click(dlg, u"Command4"_s);
    });
    QString expected = page;
    expected.replace(u"<b>"_s, u"<strong>"_s);
    QCOMPARE(project().Html.at(0).HtmlStr, expected);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(stored.count(), 1);
    QCOMPARE(m_previews, 1);
    QVERIFY(project().Henkou);
    // The caret stands after the last inserted text, as hit-by-hit leaves it.
    QCOMPARE(editor()->selectionStartHtml(), expected.lastIndexOf(u"<strong>"_s) + 8);
    // One undo takes every replacement back, one redo brings them all again.
    editor()->undo();
    QCOMPARE(project().Html.at(0).HtmlStr, page);
    editor()->redo();
    QCOMPARE(project().Html.at(0).HtmlStr, expected);
}

void TestSearch::replaceAllAnsweredNo()
{
    setPages({u"aXa"_s});
    m_ui->yesNoAnswers.enqueue(false);
    drive(u"minmnyTikan"_s, [&](QWidget *dlg) {
        lineEdit(dlg, u"Text1"_s)->setText(u"a"_s);
        lineEdit(dlg, u"Text2"_s)->setText(u"b"_s);
        click(dlg, u"Command1"_s);
        click(dlg, u"Command4"_s);
        QVERIFY(button(dlg, u"Command4"_s)->isEnabled());
    });
    QCOMPARE(project().Html.at(0).HtmlStr, u"aXa"_s);
    QVERIFY(!project().Henkou);
    QCOMPARE(m_ui->messages(), (QStringList{u"文字列\"a\"を全て置換しますか？"_s}));
}

void TestSearch::replaceAllOverLineBreaksAndOnlyShownPage()
{
    const QString other = u"x x x"_s;
    const QString page = u"x\r\n\r\nax\r\nxx\r\n"_s;
    setPages({other, page, other}, 1);
    m_ui->yesNoAnswers.enqueue(true);
    drive(u"minmnyTikan"_s, [&](QWidget *dlg) {
        lineEdit(dlg, u"Text1"_s)->setText(u"x"_s);
        lineEdit(dlg, u"Text2"_s)->setText(u"<y>"_s);
        click(dlg, u"Command1"_s);
        QCOMPARE(editor()->selectionStartHtml(), qsizetype(0));
        editor()->selectHtml(7, 0); // the replacement does not start at the caret
        click(dlg, u"Command4"_s);
    });
    QCOMPARE(project().Html.at(1).HtmlStr, u"<y>\r\n\r\na<y>\r\n<y><y>\r\n"_s);
    QCOMPARE(editor()->htmlText(), project().Html.at(1).HtmlStr);
    QCOMPARE(project().Html.at(0).HtmlStr, other);
    QCOMPARE(project().Html.at(2).HtmlStr, other);
}

void TestSearch::replaceAllInEditorMatchesComputedText()
{
    // Random pages full of line breaks: the editor edit equals the one-pass
    // result and the caret ends after the last inserted text.
    QRandomGenerator rng(8122026);
    const QStringList pieces = {u"a"_s, u"b"_s, u"\r\n"_s, u"ab"_s, u"\r\n\r\n"_s, u"漢"_s};
    for (int round = 0; round < 300; ++round) {
        QString page;
        const int n = int(rng.bounded(60));
        for (int i = 0; i < n; ++i)
            page += pieces.at(int(rng.bounded(int(pieces.size()))));
        const QString find = QStringList{u"a"_s, u"ab"_s, u"ba"_s, u"b漢"_s}.at(int(rng.bounded(4)));
        const QString repl = QStringList{u"X"_s, u"aa"_s, u"<br>"_s, u"b"_s}.at(int(rng.bounded(4)));
        editor()->setHtmlText(page);
        QCOMPARE(editor()->htmlText(), page);
        const TikanAllResult r = TikanAll(page, find, repl);
        const int count = TikanAllInEditor(editor(), find, repl);
        QCOMPARE(count, r.count);
        QCOMPARE(editor()->htmlText(), r.text);
        if (count > 0)
            QCOMPARE(editor()->selectionStartHtml(), r.newEnd);
    }
}

// ---- Bookmarks ----

void TestSearch::insertAtCaretAtStart()
{
    const QString page = u"<html>\r\n</html>"_s;
    setPages({page});
    editor()->selectHtml(0, 0);
    drive(u"minmnySiori"_s, [&](QWidget *dlg) {
        QCOMPARE(dlg->windowTitle(), u"しおりの挿入"_s);
        QVERIFY(lineEdit(dlg, u"Text1"_s)->text().isEmpty());
        QTest::keyClicks(lineEdit(dlg, u"Text1"_s), u"top"_s);
        click(dlg, u"Command1"_s);
    });
    QCOMPARE(project().SioriList, (QStringList{u"top"_s}));
    QCOMPARE(project().Html.at(0).HtmlStr, u"<!--しおり：top-->"_s + page);
    QCOMPARE(m_form->ui().MinDatList->currentRow(), int(KindSiori));
    QCOMPARE(m_form->ui().DatList->currentItem()->text(), u"top"_s);
    QVERIFY(m_form->action(u"minmnyDelSiori"_s)->isEnabled());
    QVERIFY(!project().EditNew);
    QVERIFY(project().Henkou);
}

void TestSearch::insertReplacesSelection()
{
    setPages({u"abcdef"_s});
    project().SioriList = {u"old"_s};
    editor()->selectHtml(2, 2);
    // From the toolbar this time.
    driveHook([this] { m_form->toolButton(u"NewSiori"_s)->trigger(); }, [&](QWidget *dlg) {
        lineEdit(dlg, u"Text1"_s)->setText(u"しおり名"_s);
        click(dlg, u"Command1"_s);
    });
    QCOMPARE(project().Html.at(0).HtmlStr, u"ab<!--しおり：しおり名-->ef"_s);
    QCOMPARE(project().SioriList, (QStringList{u"old"_s, u"しおり名"_s}));
    QCOMPARE(m_form->ui().DatList->currentRow(), 1);
}

void TestSearch::insertCancelledChangesNothing()
{
    setPages({u"abc"_s});
    editor()->selectHtml(1, 1);
    drive(u"minmnySiori"_s, [&](QWidget *dlg) {
        lineEdit(dlg, u"Text1"_s)->setText(u"name"_s);
        click(dlg, u"Command2"_s);
    });
    QVERIFY(project().SioriList.isEmpty());
    QCOMPARE(project().Html.at(0).HtmlStr, u"abc"_s);
    QCOMPARE(m_form->ui().MinDatList->currentRow(), int(KindHtml));
    QVERIFY(!project().Henkou);
    QVERIFY(!project().EditNew);
}

void TestSearch::nameDialogOkFollowsText()
{
    setPages({u"abc"_s});
    drive(u"minmnySiori"_s, [&](QWidget *dlg) {
        QPushButton *ok = button(dlg, u"Command1"_s);
        QVERIFY(!ok->isEnabled());
        lineEdit(dlg, u"Text1"_s)->setText(u"n"_s);
        QVERIFY(ok->isEnabled());
        lineEdit(dlg, u"Text1"_s)->clear();
        QVERIFY(!ok->isEnabled());
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(dlg->isVisible());
    });
    QVERIFY(project().SioriList.isEmpty());
}

void TestSearch::insertWithoutAPageBeeps()
{
    project().Html.clear();
    m_form->showKind(KindHtml);
    const int beepsBefore = m_ui->beeps;
    bool dialogShown = false;
    // Should a dialog open anyway, close it so the test ends.
    QTimer::singleShot(100, m_form.get(), [&] {
        if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            dialogShown = true;
            d->reject();
        }
    });
    m_form->runCommand(u"minmnySiori"_s);
    QVERIFY(!dialogShown);
    QCOMPARE(m_ui->beeps, beepsBefore + 1);
    QVERIFY(project().SioriList.isEmpty());
}

void TestSearch::nameTheProjectFileCannotHoldIsRefused()
{
    setPages({u"abc"_s});
    bool stayedOpen = false;
    drive(u"minmnySiori"_s, [&](QWidget *dlg) {
        QLineEdit *t = lineEdit(dlg, u"Text1"_s);
        t->setText(u"a,b"_s);
        click(dlg, u"Command1"_s);
        t->setText(u" lead"_s);
        click(dlg, u"Command1"_s);
        stayedOpen = dlg->isVisible();
        t->setText(u"ab"_s);
        click(dlg, u"Command1"_s);
    });
    QVERIFY(stayedOpen);
    QCOMPARE(m_ui->messages(), (QStringList{u"しおりの名前にカンマ（,）は使えません。"_s,
                                             u"しおりの名前に先頭の空白は使えません。"_s}));
    QCOMPARE(m_ui->shown.at(0).icon, UiService::Icon::Critical);
    QCOMPARE(project().SioriList, (QStringList{u"ab"_s}));
    QCOMPARE(project().Html.at(0).HtmlStr, SioriComment(u"ab"_s) + u"abc"_s);
}

void TestSearch::nameThatWouldEndTheCommentIsRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("rename");
    QTest::newRow("two hyphens") << u"a--b"_s << false;
    QTest::newRow("greater-than") << u"a>b"_s << false;
    QTest::newRow("ends the comment") << u"x-->leak"_s << false;
    QTest::newRow("rename to two hyphens") << u"--"_s << true;
    QTest::newRow("rename to greater-than") << u">"_s << true;
}

void TestSearch::nameThatWouldEndTheCommentIsRefused()
{
    QFETCH(QString, name);
    QFETCH(bool, rename);
    const QString start = rename ? SioriComment(u"old"_s) + u"abc"_s : u"abc"_s;
    setPages({start});
    if (rename) {
        project().SioriList = {u"old"_s};
        selectSiori(0);
    }
    bool stayedOpen = false;
    QSize okSize, cancelSize;
    drive(rename ? u"minmnySet"_s : u"minmnySiori"_s, [&](QWidget *dlg) {
        // The two buttons share one size.
        okSize = dlg->findChild<QPushButton *>(u"Command1"_s)->size();
        cancelSize = dlg->findChild<QPushButton *>(u"Command2"_s)->size();
        QLineEdit *t = lineEdit(dlg, u"Text1"_s);
        t->setText(name);
        click(dlg, u"Command1"_s);
        stayedOpen = dlg->isVisible();
        // A fixed name is taken.
        t->setText(u"ok-name"_s);
        click(dlg, u"Command1"_s);
    });
    QVERIFY(stayedOpen);
    QCOMPARE(okSize, cancelSize);
    QCOMPARE(m_ui->messages(), QStringList{u"しおりの名前に「--」や「>」は使えません。"_s});
    QCOMPARE(m_ui->shown.at(0).icon, UiService::Icon::Critical);
    QCOMPARE(project().SioriList, QStringList{u"ok-name"_s});
    QCOMPARE(project().Html.at(0).HtmlStr, SioriComment(u"ok-name"_s) + u"abc"_s);
}

void TestSearch::enterOnAnEntryActsAsADoubleClick()
{
    const QString c = SioriComment(u"top"_s);
    const QStringList pages = {u"zero"_s, u"one\r\n"_s + c};
    setPages(pages);
    project().SioriList = {u"top"_s};
    selectSiori(0);
    QListWidget *list = m_form->ui().DatList;
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(project().NowHtml, qint16(1));
    QCOMPARE(editor()->selectedHtml(), c);
    // The keypad's Enter too, and on a page it opens the page's settings.
    m_form->showKind(KindHtml);
    list->setCurrentRow(0);
    bool opened = false;
    driveHook([&] { QTest::keyClick(list, Qt::Key_Enter, Qt::KeypadModifier); },
              [&](QWidget *dlg) {
                  opened = true;
                  QCOMPARE(dlg->objectName(), u"HTMLProp"_s);
                  QLineEdit *name = lineEdit(dlg, u"Nametxt"_s);
                  QVERIFY(name);
                  QCOMPARE(name->text(), project().Html.at(0).DatName);
              });
    QVERIFY(opened);
    // The menu key opens the list's pop-up menu beside the entry.
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(0, 0), list->mapToGlobal(QPoint(0, 0)));
    QApplication::sendEvent(list, &menuKey);
    QTRY_VERIFY(m_form->ui().mnyHtmlPopUp->isVisible());
    m_form->ui().mnyHtmlPopUp->close();
}

void TestSearch::sameNameInTwoPagesActsOnHighest()
{
    const QString c = SioriComment(u"top"_s);
    const QStringList pages = {u"zero"_s + c, u"one"_s, u"two"_s, u"three\r\n\r\n"_s + c + u"end"_s};
    setPages(pages);
    project().SioriList = {u"top"_s, u"top"_s};

    // Jump: page 3 becomes the shown page, the comment selected there.
    selectSiori(1);
    doubleClickDatList();
    QCOMPARE(project().NowHtml, qint16(3));
    QCOMPARE(editor()->htmlText(), pages.at(3));
    QCOMPARE(editor()->selectionStartHtml(), qsizetype(9));
    QCOMPARE(editor()->selectedHtml(), c);
    QVERIFY(m_form->windowTitle().endsWith(u" - [ページ3]"_s));
    QVERIFY(m_ui->shown.isEmpty());

    // Rename entry 0: the comment in page 3 changes, page 0 keeps its own.
    setPages(pages);
    project().SioriList = {u"top"_s, u"top"_s};
    selectSiori(0);
    drive(u"minmnySet"_s, [&](QWidget *dlg) {
        QLineEdit *t = lineEdit(dlg, u"Text1"_s);
        QCOMPARE(t->text(), u"top"_s);
        QCOMPARE(t->selectedText(), u"top"_s);
        t->setText(u"renamed"_s);
        click(dlg, u"Command1"_s);
    });
    QCOMPARE(project().SioriList, (QStringList{u"renamed"_s, u"top"_s}));
    QCOMPARE(project().Html.at(3).HtmlStr, u"three\r\n\r\n"_s + SioriComment(u"renamed"_s) + u"end"_s);
    QCOMPARE(project().Html.at(0).HtmlStr, pages.at(0));

    // Delete: the comment of page 3 goes, page 0 keeps its own.
    setPages(pages);
    project().SioriList = {u"top"_s, u"top"_s};
    selectSiori(0);
    m_form->runCommand(u"minmnyDelSiori"_s);
    QCOMPARE(project().Html.at(3).HtmlStr, u"three\r\n\r\nend"_s);
    QCOMPARE(project().Html.at(0).HtmlStr, pages.at(0));
    QCOMPARE(project().SioriList, (QStringList{u"top"_s}));
    QCOMPARE(m_form->ui().DatList->count(), 1);
}

void TestSearch::deletedPageBookmarkReportedMissingAndRemoved()
{
    setPages({u"zero"_s, u"one"_s + SioriComment(u"mid"_s), u"two"_s + SioriComment(u"last"_s)});
    project().SioriList = {u"mid"_s, u"last"_s};
    DelHtmlDat(project(), 1);
    m_form->showKind(KindHtml);
    QCOMPARE(project().SioriList.size(), 2); // deleting the page leaves the name
    project().Henkou = false;
    selectSiori(0);
    doubleClickDatList();
    QCOMPARE(m_ui->shown.size(), 1);
    QCOMPARE(m_ui->shown.at(0).kind, u"message"_s);
    QCOMPARE(m_ui->shown.at(0).text, u"しおり\"mid\"が見つかりません"_s);
    QCOMPARE(m_ui->shown.at(0).icon, UiService::Icon::Critical);
    QCOMPARE(project().SioriList, (QStringList{u"last"_s}));
    QCOMPARE(m_form->ui().DatList->count(), 1);
    QCOMPARE(m_form->ui().DatList->item(0)->text(), u"last"_s);
    QCOMPARE(project().NowHtml, qint16(0));
    // The list is saved with the project: closing now must ask.
    QVERIFY(project().Henkou);
    // The remaining one still jumps.
    m_form->ui().DatList->setCurrentRow(0);
    doubleClickDatList();
    QCOMPARE(project().NowHtml, qint16(1));
    QCOMPARE(editor()->selectedHtml(), SioriComment(u"last"_s));
}

void TestSearch::renameInAnotherPageSetsHenkou()
{
    const QStringList pages = {u"shown page"_s, u"a"_s + SioriComment(u"b1"_s) + u"z"_s};
    setPages(pages);
    project().SioriList = {u"b1"_s};
    selectSiori(0);
    QSignalSpy changed(editor(), &QPlainTextEdit::textChanged);
    drive(u"minmnySet"_s, [&](QWidget *dlg) {
        lineEdit(dlg, u"Text1"_s)->setText(u"b2"_s);
        click(dlg, u"Command1"_s);
    });
    QCOMPARE(project().Html.at(1).HtmlStr, u"a"_s + SioriComment(u"b2"_s) + u"z"_s);
    QCOMPARE(editor()->htmlText(), pages.at(0));
    QCOMPARE(changed.count(), 0);
    QCOMPARE(project().NowHtml, qint16(0));
    // The page that is not shown changed: the project has changed.
    QVERIFY(project().Henkou);
    QCOMPARE(m_form->ui().DatList->item(0)->text(), u"b2"_s);
}

void TestSearch::renameInShownPageIsEditorEdit()
{
    const QString page = u"line\r\nx"_s + SioriComment(u"n"_s) + u"y"_s;
    setPages({page});
    project().SioriList = {u"n"_s};
    selectSiori(0);
    QSignalSpy stored(m_form.get(), &MainForm::editorStored);
    drive(u"minmnySet"_s, [&](QWidget *dlg) {
        lineEdit(dlg, u"Text1"_s)->setText(u"新しい名前"_s);
        click(dlg, u"Command1"_s);
    });
    const QString expected = u"line\r\nx"_s + SioriComment(u"新しい名前"_s) + u"y"_s;
    QCOMPARE(editor()->htmlText(), expected);
    QCOMPARE(project().Html.at(0).HtmlStr, expected);
    QCOMPARE(stored.count(), 1);
    QVERIFY(project().Henkou);
    editor()->undo();
    QCOMPARE(project().Html.at(0).HtmlStr, page);
}

void TestSearch::renameCancelledLeavesPageUnchanged()
{
    const QStringList pages = {u"x"_s + SioriComment(u"keep"_s), u"y"_s + SioriComment(u"other"_s)};
    setPages(pages);
    project().SioriList = {u"keep"_s, u"other"_s};
    for (int row : {0, 1}) {
        selectSiori(row);
        drive(u"minmnySet"_s, [&](QWidget *dlg) {
            lineEdit(dlg, u"Text1"_s)->setText(u"changed"_s);
            click(dlg, u"Command2"_s);
        });
    }
    QCOMPARE(project().Html.at(0).HtmlStr, pages.at(0));
    QCOMPARE(project().Html.at(1).HtmlStr, pages.at(1));
    QCOMPARE(editor()->htmlText(), pages.at(0));
    QCOMPARE(project().SioriList, (QStringList{u"keep"_s, u"other"_s}));
    QVERIFY(!project().Henkou);
}

void TestSearch::deleteInAnotherPageSetsHenkou()
{
    const QStringList pages = {u"shown"_s, u"p"_s + SioriComment(u"gone"_s) + u"q"_s};
    setPages(pages);
    project().SioriList = {u"gone"_s};
    selectSiori(0);
    m_form->toolButton(u"DelSiori"_s)->trigger();
    QCOMPARE(project().Html.at(1).HtmlStr, u"pq"_s);
    QCOMPARE(editor()->htmlText(), pages.at(0));
    QVERIFY(project().SioriList.isEmpty());
    QCOMPARE(m_form->ui().DatList->count(), 0);
    QVERIFY(project().Henkou);
    QVERIFY(m_ui->shown.isEmpty());
}

void TestSearch::deleteWithNothingSelected()
{
    setPages({SioriComment(u"a"_s)});
    project().SioriList = {u"a"_s};
    selectSiori(0);
    m_form->ui().DatList->setCurrentRow(-1);
    m_form->runCommand(u"minmnyDelSiori"_s);
    QCOMPARE(project().SioriList, (QStringList{u"a"_s}));
    QCOMPARE(project().Html.at(0).HtmlStr, SioriComment(u"a"_s));
    QVERIFY(!project().Henkou);
}

void TestSearch::jumpSelectsCommentAfterManyLineBreaks()
{
    QString far;
    for (int i = 0; i < 500; ++i)
        far += u"<li>項目"_s + QString::number(i) + u"</li>\r\n"_s;
    const QString target = far + SioriComment(u"奥"_s) + u"\r\n"_s + far;
    setPages({u"start"_s, target});
    project().SioriList = {u"奥"_s};
    selectSiori(0);
    doubleClickDatList();
    QCOMPARE(project().NowHtml, qint16(1));
    QCOMPARE(editor()->selectionStartHtml(), far.size());
    QCOMPARE(editor()->selectionLengthHtml(), SioriComment(u"奥"_s).size());
    QCOMPARE(editor()->selectedHtml(), SioriComment(u"奥"_s));
    // Switching pages stored the same text: nothing changed.
    QCOMPARE(project().Html.at(1).HtmlStr, target);
}

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
