// The link check through the main window: the file menu's command, its list
// window and the places it shows, and the question before output.

#include "AppPaths.h"
#include "LinkCheckForm.h"
#include "LinkCommands.h"
#include "MainForm.h"
#include "MenuTable.h"
#include "PageEditor.h"
#include "RecordingUi.h"
#include "SyuturyokuDat.h"
#include "TestSupport.h"
#include "WidgetTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

using namespace Qt::StringLiterals;

class TestLinks : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<RecordingUi> m_ui;
    std::unique_ptr<MainForm> m_form;

    ProjectDates &project() { return m_form->project(); }
    PageEditor *editor() { return m_form->ui().MainText; }

    LinkCheckForm *window()
    {
        auto *links = m_form->findChild<LinkCommands *>(u"LinkCommands"_s);
        return links ? links->window() : nullptr;
    }

    QTreeWidget *list() { return window() ? child<QTreeWidget>(window(), u"List1"_s) : nullptr; }

    QStringList row(int r)
    {
        QStringList out;
        QTreeWidgetItem *item = list()->topLevelItem(r);
        for (int c = 0; c < 4; ++c)
            out.append(item ? item->text(c) : QString());
        return out;
    }

    // Three pages; the second has two wrong links, the third one.
    void makeProject()
    {
        ProjectDates &p = project();
        p.Html[0].HtmlStr = u"<html>\r\n<a href=\"page2.htm\">次</a>\r\n</html>"_s;
        AddHtmlDat(p, u"二ページ目"_s, u"page2"_s, u"<p>\r\n<a href=\"index.htm\">戻る</a>\r\n<img src=\"none.gif\">"_s,
                   u".htm"_s);
        AddHtmlDat(p, u"三"_s, u"page3"_s, u"<a href=\"#nowhere\">x</a>"_s, u".htm"_s);
        m_form->showKind(KindHtml);
        p.Henkou = false;
    }

private Q_SLOTS:
    void initTestCase()
    {
        // Overwrite may move an old output folder to the trash: keep it in
        // the test's own folder, whatever the runner's home is (the trash of
        // a file lies in the home only when both are on one file system).
        QVERIFY(m_dir.isValid());
        QVERIFY(UseHomeInside(m_dir.path()));
    }

    void init()
    {
        SetAppDir(m_dir.path() + u"/app"_s);
        QDir(AppDir()).removeRecursively();
        QVERIFY(QDir().mkpath(AppDir() + u"/temp"_s));
        m_ui = std::make_unique<RecordingUi>();
        m_form = std::make_unique<MainForm>();
        m_form->startUp();
        m_form->onEdPrv = [] {};
        m_ui->clear();
    }

    void cleanup()
    {
        m_form.reset();
        m_ui.reset();
    }

    void commandInFileMenu()
    {
        QAction *a = m_form->action(u"minmnyLinkCheck"_s);
        QVERIFY(a);
        QCOMPARE(a->text(), u"リンクの確認...(&K)"_s);
        // It stands in the file menu, and no two items there share an access key.
        int count = 0;
        const MenuRow *rows = MenuRows(&count);
        QStringList keys;
        int menu = -1;
        for (int i = 0; i < count; ++i) {
            const QString caption = QString::fromUtf16(rows[i].caption);
            if (rows[i].depth == 0) {
                ++menu;
                continue;
            }
            if (rows[i].depth != 1 || menu != 0)
                continue;
            const qsizetype amp = caption.indexOf(u"(&"_s);
            if (amp < 0)
                continue;
            const QString key = caption.mid(amp + 2, 1).toUpper();
            QVERIFY2(!keys.contains(key), qPrintable(caption));
            keys.append(key);
        }
        QVERIFY(keys.contains(u"K"_s));
        QCOMPARE(m_form->action(u"minmnyPageCheck"_s)->text(), u"ページの確認...(&V)"_s);
    }

    void soundLinksReportNothingWrong()
    {
        project().Html[0].HtmlStr = u"<a href=\"Index.htm\">自分</a><img src=\"http://example.com/a.gif\">"_s;
        m_form->runCommand(u"minmnyLinkCheck"_s);
        QCOMPARE(m_ui->messages(), QStringList{u"リンクに問題は見つかりませんでした。"_s});
        QCOMPARE(m_ui->shown.last().icon, UiService::Icon::Information);
        QVERIFY(!window());
    }

    void problemsAreListed()
    {
        makeProject();
        const QVector<HtmlDat> before = project().Html;
        m_form->runCommand(u"minmnyLinkCheck"_s);
        QVERIFY(m_ui->messages().isEmpty());
        QVERIFY(window());
        QVERIFY(window()->isVisible());
        QVERIFY(!window()->isModal());
        QCOMPARE(window()->windowTitle(), u"リンクの確認"_s);
        QCOMPARE(list()->topLevelItemCount(), 3);
        QCOMPARE(row(0), (QStringList{u"二ページ目"_s, u"2"_s, u"index.htm"_s,
                                      u"大文字と小文字が違います（プロジェクトでは「Index.htm」）"_s}));
        QCOMPARE(row(1), (QStringList{u"二ページ目"_s, u"3"_s, u"none.gif"_s, u"プロジェクトにないファイルです"_s}));
        QCOMPARE(row(2).mid(0, 3), (QStringList{u"三"_s, u"1"_s, u"#nowhere"_s}));
        QVERIFY(child<QLabel>(window(), u"Label1"_s)->text().contains(u"3 件"_s));
        // Nothing was changed.
        QVERIFY(project().Html == before);
        QVERIFY(!project().Henkou);
        QCOMPARE(project().NowHtml, 0);
    }

    void doubleClickShowsThePlace()
    {
        makeProject();
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        m_form->runCommand(u"minmnyLinkCheck"_s);
        QVERIFY(QTest::qWaitForWindowExposed(window()));
        QTreeWidget *l = list();
        const QRect r = l->visualItemRect(l->topLevelItem(1));
        DoubleClickAt(l->viewport(), r.center());
        QCOMPARE(project().NowHtml, 1);
        QCOMPARE(m_form->ui().DatList->currentRow(), 1);
        QCOMPARE(editor()->htmlText(), project().Html.at(1).HtmlStr);
        QCOMPARE(editor()->selectedHtml(), u"none.gif"_s);
        QVERIFY(m_form->windowTitle().endsWith(u"[二ページ目]"_s));
        QVERIFY(!project().Henkou);

        // Enter on another row does the same.
        l->setFocus();
        l->setCurrentItem(l->topLevelItem(2));
        QTest::keyClick(l, Qt::Key_Return);
        QCOMPARE(project().NowHtml, 2);
        QCOMPARE(editor()->selectedHtml(), u"#nowhere"_s);
        QVERIFY(window()->isVisible());
    }

    void jumpWhilePicturesAreListed()
    {
        makeProject();
        m_form->runCommand(u"minmnyLinkCheck"_s);
        m_form->showKind(KindPict);
        auto *links = m_form->findChild<LinkCommands *>(u"LinkCommands"_s);
        links->jumpTo(window()->issues().at(0));
        QCOMPARE(project().NowHtml, 1);
        QCOMPARE(editor()->selectedHtml(), u"index.htm"_s);
        QCOMPARE(project().ListType, KindPict);
    }

    void jumpAfterTheTextMoved()
    {
        makeProject();
        m_form->runCommand(u"minmnyLinkCheck"_s);
        const LinkIssue issue = window()->issues().at(1); // none.gif, page 1
        auto *links = m_form->findChild<LinkCommands *>(u"LinkCommands"_s);
        // Text typed in front of the link after the check.
        m_form->ui().DatList->setCurrentRow(1);
        editor()->selectHtml(0, 0);
        editor()->replaceSelection(u"<h1>題</h1>\r\n"_s);
        links->jumpTo(issue);
        const qsizetype at = project().Html.at(1).HtmlStr.indexOf(u"none.gif"_s);
        QCOMPARE(editor()->selectionStartHtml(), at);
        QCOMPARE(editor()->selectedHtml(), u"none.gif"_s);
        QCOMPARE(m_ui->beeps, 0);

        // The link fixed by hand: nothing to show, and the user is told.
        editor()->setHtmlText(u"<img src=\"picure1.gif\">"_s);
        links->jumpTo(issue);
        QCOMPARE(m_ui->beeps, 1);
        QVERIFY(m_ui->statusText().contains(u"再確認"_s));

        // "再確認" brings the list up to date.
        QTest::mouseClick(child<QPushButton>(window(), u"Command1"_s), Qt::LeftButton);
        QCOMPARE(list()->topLevelItemCount(), 2);
        QCOMPARE(row(0).at(2), u"picure1.gif"_s);
    }

    void jumpToAPageDeletedSinceBeeps()
    {
        makeProject();
        m_form->runCommand(u"minmnyLinkCheck"_s);
        const LinkIssue last = window()->issues().last();
        DelHtmlDat(project(), 2);
        m_form->showKind(KindHtml);
        auto *links = m_form->findChild<LinkCommands *>(u"LinkCommands"_s);
        links->jumpTo(last);
        QCOMPARE(m_ui->beeps, 1);
        QCOMPARE(project().NowHtml, 0);
    }

    void checkAgainAfterFixingShowsNoProblems()
    {
        makeProject();
        m_form->runCommand(u"minmnyLinkCheck"_s);
        project().Html[1].HtmlStr = u"<p>直した</p>"_s;
        project().Html[2].HtmlStr = u"<p>直した</p>"_s;
        m_form->runCommand(u"minmnyLinkCheck"_s);
        QCOMPARE(m_ui->messages(), QStringList{u"リンクに問題は見つかりませんでした。"_s});
        QVERIFY(window());
        QCOMPARE(list()->topLevelItemCount(), 0);
        QCOMPARE(child<QLabel>(window(), u"Label1"_s)->text(), u"リンクに問題は見つかりませんでした。"_s);
    }

    void listWindowStaysOnTheScreen()
    {
        // A main window larger than the screen: the list opens where it can be seen.
        makeProject();
        m_form->setGeometry(0, 0, 3000, 2400);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        m_form->runCommand(u"minmnyLinkCheck"_s);
        const QRect screen = m_form->screen()->availableGeometry();
        QVERIFY2(screen.contains(window()->frameGeometry().topLeft()), qPrintable(u"%1,%2"_s.arg(window()->x()).arg(window()->y())));
        QVERIFY(window()->width() <= screen.width());
    }

    void closeAndEscapeLeaveTheProject()
    {
        makeProject();
        m_form->runCommand(u"minmnyLinkCheck"_s);
        QTest::keyClick(list(), Qt::Key_Escape);
        QTRY_VERIFY(!window() || !window()->isVisible());
        m_form->runCommand(u"minmnyLinkCheck"_s);
        QVERIFY(window()->isVisible());
        QTest::mouseClick(child<QPushButton>(window(), u"Command2"_s), Qt::LeftButton);
        QTRY_VERIFY(!window() || !window()->isVisible());
        QVERIFY(!project().Henkou);
        QCOMPARE(project().NowHtml, 0);
    }

    void outputAsksFirstAndStopsOnNo()
    {
        makeProject();
        m_ui->yesNoAnswers << false;
        ModalCloser closer;
        // No output dialog may open.
        m_form->runCommand(u"minmnyDatesSave"_s);
        QVERIFY2(closer.opened.isEmpty(), qPrintable(u"opened: "_s + closer.opened.join(u", "_s)));
        QCOMPARE(m_ui->shown.size(), 1);
        QCOMPARE(m_ui->shown.first().kind, u"question"_s);
        QVERIFY(m_ui->shown.first().text.startsWith(u"リンクの確認で問題が 3 件見つかりました。"_s));
        QVERIFY(window() && window()->isVisible());
        QCOMPARE(list()->topLevelItemCount(), 3);
        QVERIFY(!project().Henkou);
        QVERIFY(project().SyuturyokuFolder.isEmpty());
    }

    void outputGoesOnWhenWanted()
    {
        makeProject();
        m_ui->yesNoAnswers << true;
        QVERIFY(DriveModal(m_form.get(), [this] { m_form->runCommand(u"minmnyDatesSave"_s); },
                           [](QWidget *dlg) { QVERIFY(qobject_cast<SyuturyokuDat *>(dlg)); }));
        QCOMPARE(m_ui->messages().size(), 1);
        QVERIFY(!window());
    }

    // The page check's list: its rows, and a double click puts the caret at
    // the place without changing anything.
    void pageCheckListsAndShowsThePlace()
    {
        makeProject();
        project().Html[2].HtmlStr = u"<p>三</p>\r\n<p>x <div>開いたまま</p>"_s;
        const QVector<HtmlDat> before = project().Html;
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        m_form->runCommand(u"minmnyPageCheck"_s);
        auto *links = m_form->findChild<LinkCommands *>(u"LinkCommands"_s);
        LinkCheckForm *w = links->pageWindow();
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->windowTitle(), u"ページの確認"_s);
        auto *l = child<QTreeWidget>(w, u"List1"_s);
        QTreeWidgetItem *fault = l->findItems(u"<div> が閉じられていません"_s, Qt::MatchStartsWith, 3).value(0);
        QVERIFY(fault);
        QCOMPARE(fault->text(0), u"三"_s);
        QCOMPARE(fault->text(1) + u":"_s + fault->text(2), u"2:6"_s);
        QVERIFY(!l->findItems(u"<img> に alt 属性"_s, Qt::MatchStartsWith, 3).isEmpty());
        l->scrollToItem(fault);
        DoubleClickAt(l->viewport(), l->visualItemRect(fault).center());
        QCOMPARE(project().NowHtml, 2);
        QCOMPARE(editor()->selectionStartHtml(), project().Html.at(2).HtmlStr.indexOf(u"<div>"_s));
        QVERIFY(editor()->selectedHtml().isEmpty());
        QVERIFY(project().Html == before);
        QVERIFY(!project().Henkou);
    }

    // Faults of the page check make output ask too; advice alone does not.
    void outputQuestionCountsPageFaults()
    {
        makeProject();
        project().Html[0].HtmlStr = u"<p><b>太<i>字</b></i></p>\r\n<a href=\"page2.htm\">次</a>"_s;
        m_ui->yesNoAnswers << false;
        m_form->runCommand(u"minmnyDatesSave"_s);
        QCOMPARE(m_ui->shown.size(), 1);
        QVERIFY(m_ui->shown.first().text.startsWith(u"リンクの確認で問題が 3 件見つかりました。\r\n"
                                                    "ページの確認で問題が 1 件見つかりました。\r\n"_s));
        auto *links = m_form->findChild<LinkCommands *>(u"LinkCommands"_s);
        QVERIFY(window() && window()->isVisible());
        QVERIFY(links->pageWindow() && links->pageWindow()->isVisible());
        QCOMPARE(PageFaultCount(links->pageWindow()->pageIssues()), 1);

        // Sound links, the page fault alone: the question names only it.
        project().Html[1].HtmlStr = project().Html[2].HtmlStr = u"<p>直した</p>"_s;
        m_ui->yesNoAnswers << false;
        m_form->runCommand(u"minmnyDatesSave"_s);
        QVERIFY(m_ui->shown.last().text.startsWith(u"ページの確認で問題が 1 件見つかりました。\r\nこのまま"_s));
    }

    void overwriteAsksFirst()
    {
        makeProject();
        const QString folder = m_dir.path() + u"/out"_s;
        QDir(folder).removeRecursively();
        project().SyuturyokuFolder = folder;
        m_form->updateUwagaki();
        // The toolbar's output button overwrites; No writes nothing.
        m_ui->yesNoAnswers << false;
        m_form->toolButton(u"PrjctSyutu"_s)->trigger();
        QVERIFY(!QFileInfo::exists(folder));
        QVERIFY(window() && window()->isVisible());
        // Yes writes the project.
        m_ui->yesNoAnswers << true;
        m_form->runCommand(u"minmnyUwagaki"_s);
        QVERIFY(QFileInfo::exists(folder + u"/page2.htm"_s));
    }

    void soundProjectIsOutputWithoutQuestion()
    {
        const QString folder = m_dir.path() + u"/plain"_s;
        QDir(folder).removeRecursively();
        project().SyuturyokuFolder = folder;
        m_form->updateUwagaki();
        m_form->runCommand(u"minmnyUwagaki"_s);
        QVERIFY(QFileInfo::exists(folder + u"/Index.htm"_s));
        QVERIFY(m_ui->messages().isEmpty());
    }
};

QTEST_MAIN(TestLinks)
#include "tst_links.moc"
