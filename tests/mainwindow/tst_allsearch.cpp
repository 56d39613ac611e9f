// Search and replace in all pages through the main window: the window of the
// 検索 menu, its list and the places it shows, replace-all over the pages, and
// a search that lists its hits while the window goes on answering.

#include "AppPaths.h"
#include "KensakuAllFrm.h"
#include "MainForm.h"
#include "PageEditor.h"
#include "RecordingUi.h"
#include "SearchCommands.h"
#include "TextFiles.h"
#include "WidgetTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <memory>

using namespace Qt::StringLiterals;

class TestAllSearch : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<RecordingUi> m_ui;
    std::unique_ptr<MainForm> m_form;
    int m_previews = 0;

    ProjectDates &project() { return m_form->project(); }
    PageEditor *editor() { return m_form->ui().MainText; }

    KensakuAllFrm *window()
    {
        auto *s = m_form->findChild<SearchCommands *>(u"SearchCommands"_s);
        return s ? s->allKensakuWindow() : nullptr;
    }
    QTreeView *list() { return child<QTreeView>(window(), u"List1"_s); }
    QString status() { return child<QLabel>(window(), u"Label3"_s)->text(); }
    QPushButton *button(const QString &name) { return child<QPushButton>(window(), name); }

    QString cell(int row, int column, int role = Qt::DisplayRole)
    {
        return list()->model()->index(row, column).data(role).toString();
    }
    QPoint hitRange(int row) { return list()->model()->index(row, 2).data(Qt::UserRole + 1).toPoint(); }

    // Pages 0..n-1 named ページ0.., page i shown; Henkou cleared.
    void setPages(const QStringList &texts, int shown = 0)
    {
        ProjectDates &p = project();
        p.Html.clear();
        for (int i = 0; i < texts.size(); ++i)
            AddHtmlDat(p, u"ページ%1"_s.arg(i), u"page%1"_s.arg(i), texts.at(i), u".htm"_s);
        m_form->showKind(KindHtml);
        m_form->ui().DatList->setCurrentRow(shown);
        QCOMPARE(editor()->htmlText(), texts.at(shown));
        p.Henkou = false;
        m_previews = 0;
        m_ui->clear();
    }

    // Opens the window and searches for text by typing it and pressing Enter.
    void search(const QString &text)
    {
        m_form->runCommand(u"minmnyAllKensaku"_s);
        QVERIFY(window());
        QLineEdit *t1 = child<QLineEdit>(window(), u"Text1"_s);
        t1->clear();
        t1->setFocus();
        TypeText(t1, text);
        QTest::keyClick(t1, Qt::Key_Return);
        QTRY_VERIFY(!window()->searching());
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        SetAppDir(m_dir.path() + u"/app"_s);
        QDir(AppDir()).removeRecursively();
        QVERIFY(QDir().mkpath(AppDir() + u"/temp"_s));
        m_ui = std::make_unique<RecordingUi>();
        m_form = std::make_unique<MainForm>();
        m_form->startUp();
        m_previews = 0;
        m_form->onEdPrv = [this] { ++m_previews; };
        m_ui->clear();
    }

    void cleanup()
    {
        m_form.reset();
        m_ui.reset();
    }

    void commandInSearchMenu()
    {
        QAction *a = m_form->action(u"minmnyAllKensaku"_s);
        QVERIFY(a);
        QCOMPARE(a->text(), u"全ページの検索と置換...(&A)"_s);
        QCOMPARE(a->shortcut(), QKeySequence(u"Ctrl+Shift+F"_s));
        // The page's own dialogs stay as they are.
        QCOMPARE(m_form->action(u"minmnySati"_s)->text(), u"検索(&F)"_s);
        QCOMPARE(m_form->action(u"minmnyTikan"_s)->text(), u"置換(&E)"_s);
    }

    void windowOpensEmptyAndModeless()
    {
        m_form->runCommand(u"minmnyAllKensaku"_s);
        QVERIFY(window());
        QVERIFY(window()->isVisible());
        QVERIFY(!window()->isModal());
        QCOMPARE(window()->windowTitle(), u"全ページの検索と置換"_s);
        QVERIFY(!button(u"Command1"_s)->isEnabled());
        QVERIFY(!button(u"Command4"_s)->isEnabled());
        QCOMPARE(list()->model()->rowCount(), 0);
        // The command again brings the same window to the front.
        KensakuAllFrm *first = window();
        m_form->runCommand(u"minmnyAllKensaku"_s);
        QCOMPARE(window(), first);
    }

    void hitsAreListedWithTheirLines()
    {
        setPages({u"<p>猫</p>\r\n    <p>犬と猫</p>"_s, u"なし"_s, u"\r\n\r\n猫が猫を"_s});
        search(u"猫"_s);
        QCOMPARE(list()->model()->rowCount(), 4);
        QCOMPARE(cell(0, 0), u"ページ0"_s);
        QCOMPARE(cell(0, 1), u"1"_s);
        QCOMPARE(cell(0, 2), u"<p>猫</p>"_s);
        QCOMPARE(hitRange(0), QPoint(3, 1));
        QCOMPARE(cell(1, 1), u"2"_s);
        QCOMPARE(cell(1, 2), u"<p>犬と猫</p>"_s); // leading blanks left out
        QCOMPARE(hitRange(1), QPoint(5, 1));
        QCOMPARE(cell(2, 0), u"ページ2"_s);
        QCOMPARE(cell(2, 1), u"3"_s);
        QCOMPARE(hitRange(3), QPoint(2, 1));
        QCOMPARE(status(), u"2 ページで 4 件見つかりました。"_s);
        // Searching changes nothing.
        QVERIFY(!project().Henkou);
        QCOMPARE(project().NowHtml, 0);
    }

    void searchIsExact()
    {
        setPages({u"Abc ＡＢＣ abc"_s});
        search(u"ABC"_s);
        QCOMPARE(list()->model()->rowCount(), 0);
        QCOMPARE(status(), u"文字列\"ABC\"は見つかりませんでした。"_s);
        QVERIFY(!button(u"Command4"_s)->isEnabled());
        search(u"abc"_s);
        QCOMPARE(list()->model()->rowCount(), 1);
    }

    void doubleClickShowsTheHit()
    {
        setPages({u"<p>top</p>"_s, u"a\r\nb\r\n<b>猫</b>"_s});
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        search(u"猫"_s);
        QVERIFY(QTest::qWaitForWindowExposed(window()));
        const QRect r = list()->visualRect(list()->model()->index(0, 2));
        DoubleClickAt(list()->viewport(), r.center());
        QCOMPARE(project().NowHtml, 1);
        QCOMPARE(m_form->ui().DatList->currentRow(), 1);
        QCOMPARE(editor()->selectionStartHtml(), qsizetype(9));
        QCOMPARE(editor()->selectedHtml(), u"猫"_s);
        QVERIFY(!project().Henkou);
        QVERIFY(window()->isVisible());

        // Enter on a row does the same.
        m_form->ui().DatList->setCurrentRow(0);
        list()->setFocus();
        list()->setCurrentIndex(list()->model()->index(0, 0));
        QTest::keyClick(list(), Qt::Key_Return);
        QCOMPARE(project().NowHtml, 1);
        QCOMPARE(editor()->selectedHtml(), u"猫"_s);
    }

    void hitMovedOrGoneSinceTheSearch()
    {
        setPages({u"<p>猫</p>"_s, u"x"_s});
        search(u"猫"_s);
        // Typed in front of the hit: it is found again on its line.
        editor()->selectHtml(0, 0);
        editor()->replaceSelection(u"<h1>題</h1>"_s);
        list()->activated(list()->model()->index(0, 0));
        QCOMPARE(editor()->selectionStartHtml(), qsizetype(13));
        QCOMPARE(editor()->selectedHtml(), u"猫"_s);
        // Gone: the beep, and the user is told to search again.
        editor()->setHtmlText(u"<p>犬</p>"_s);
        list()->activated(list()->model()->index(0, 0));
        QCOMPARE(m_ui->beeps, 1);
        QVERIFY(m_ui->statusText().contains(u"もう一度検索"_s));
        // A page deleted since the search.
        search(u"x"_s);
        project().Html.removeLast();
        m_form->showKind(KindHtml);
        list()->activated(list()->model()->index(0, 0));
        QCOMPARE(m_ui->beeps, 2);
    }

    void replaceInAllPages()
    {
        setPages({u"aXa"_s, u"none"_s, u"a\r\na"_s}, 0);
        const QString copy1 = AppDir() + u"/temp/page2.htm"_s;
        search(u"a"_s);
        QVERIFY(!button(u"Command4"_s)->isEnabled()); // no replacement yet
        child<QLineEdit>(window(), u"Text2"_s)->setText(u"aa"_s);
        QVERIFY(button(u"Command4"_s)->isEnabled());
        m_ui->yesNoAnswers << true;
        QTest::mouseClick(button(u"Command4"_s), Qt::LeftButton);
        QCOMPARE(m_ui->shown.first().kind, u"question"_s);
        QCOMPARE(m_ui->shown.first().text,
                 u"全てのページの文字列\"a\"を\"aa\"に置換しますか？\r\n（表示していないページの置換は元に戻せません）"_s);
        QCOMPARE(m_ui->shown.first().defaultAnswer, UiService::Answer::No);
        QCOMPARE(project().Html.at(0).HtmlStr, u"aaXaa"_s);
        QCOMPARE(project().Html.at(1).HtmlStr, u"none"_s);
        QCOMPARE(project().Html.at(2).HtmlStr, u"aa\r\naa"_s);
        QCOMPARE(editor()->htmlText(), u"aaXaa"_s);
        QVERIFY(project().Henkou);
        QVERIFY(m_previews > 0);
        QCOMPARE(m_ui->lastMessage(), u"2 ページで 4 件の文字列を置換しました。"_s);
        // The preview's copy of the other page follows it.
        QCOMPARE(DecodeHtmlBytes(ReadFileBytes(copy1).value_or(QByteArray())), u"aa\r\naa\r\n"_s);
        // The list shows the pages as they are now.
        QCOMPARE(list()->model()->rowCount(), 8);
        // The shown page comes back with one undo.
        editor()->undo();
        QCOMPARE(project().Html.at(0).HtmlStr, u"aXa"_s);
    }

    void replaceAnsweredNoChangesNothing()
    {
        setPages({u"aXa"_s, u"a"_s});
        search(u"a"_s);
        child<QLineEdit>(window(), u"Text2"_s)->setText(u"b"_s);
        m_ui->yesNoAnswers << false;
        QTest::mouseClick(button(u"Command4"_s), Qt::LeftButton);
        QCOMPARE(project().Html.at(0).HtmlStr, u"aXa"_s);
        QCOMPARE(project().Html.at(1).HtmlStr, u"a"_s);
        QVERIFY(!project().Henkou);
        QCOMPARE(m_ui->messages().size(), 1);
    }

    void replaceNeedsASearchOfTheSameText()
    {
        setPages({u"abc"_s});
        search(u"b"_s);
        QLineEdit *t2 = child<QLineEdit>(window(), u"Text2"_s);
        t2->setText(u"x"_s);
        QVERIFY(button(u"Command4"_s)->isEnabled());
        // Another search text: the list no longer answers it.
        child<QLineEdit>(window(), u"Text1"_s)->setText(u"c"_s);
        QVERIFY(!button(u"Command4"_s)->isEnabled());
        child<QLineEdit>(window(), u"Text1"_s)->setText(u"b"_s);
        QTest::mouseClick(button(u"Command1"_s), Qt::LeftButton);
        QTRY_VERIFY(!window()->searching());
        QVERIFY(button(u"Command4"_s)->isEnabled());
        // An empty replacement is never applied.
        t2->clear();
        QVERIFY(!button(u"Command4"_s)->isEnabled());
    }

    void replaceAfterThePagesChanged()
    {
        setPages({u"abc"_s, u"x"_s}, 1);
        search(u"b"_s);
        child<QLineEdit>(window(), u"Text2"_s)->setText(u"x"_s);
        project().Html[0].HtmlStr = u"ac"_s;
        m_ui->yesNoAnswers << true;
        QTest::mouseClick(button(u"Command4"_s), Qt::LeftButton);
        QCOMPARE(m_ui->lastMessage(), u"文字列\"b\"は見つかりませんでした。"_s);
        QVERIFY(!project().Henkou);
        QCOMPARE(list()->model()->rowCount(), 0);
    }

    void listFillsWhileTheWindowAnswers()
    {
        // Enough text that even a fast search takes several slices: 2,000 pages
        // of 112,000 characters (one shared text, so it costs little memory).
        QStringList pages;
        const QString page = QString(u"本文のテキスト abc\r\n"_s).repeated(8000) + u"猫"_s;
        for (int i = 0; i < 2000; ++i)
            pages.append(page);
        setPages(pages);
        m_form->runCommand(u"minmnyAllKensaku"_s);
        child<QLineEdit>(window(), u"Text1"_s)->setText(u"猫"_s);
        bool ranBetween = false;
        qsizetype rowsSeenBetween = -1;
        QTimer::singleShot(0, this, [&] {
            ranBetween = window()->searching();
            rowsSeenBetween = list()->model()->rowCount();
        });
        QTest::mouseClick(button(u"Command1"_s), Qt::LeftButton);
        // The click returns with the search under way and part of the list shown.
        QVERIFY(window()->searching());
        QVERIFY(list()->model()->rowCount() < 2000);
        QVERIFY(status().startsWith(u"検索中..."_s));
        QTRY_VERIFY_WITH_TIMEOUT(!window()->searching(), 20000);
        // Other events were handled while it searched, with part of the list shown.
        QVERIFY(ranBetween);
        QVERIFY(rowsSeenBetween >= 0 && rowsSeenBetween < 2000);
        QCOMPARE(list()->model()->rowCount(), 2000);
        QCOMPARE(status(), u"2000 ページで 2000 件見つかりました。"_s);
    }

    void tooManyHitsAreCut()
    {
        setPages({QString(u'a').repeated(int(KensakuAllFrm::MaxHits) + 500)});
        search(u"a"_s);
        QCOMPARE(list()->model()->rowCount(), int(KensakuAllFrm::MaxHits));
        QVERIFY(status().contains(u"最初の 100000 件だけ"_s));
    }

    void escapeAndCloseLeaveTheProject()
    {
        setPages({u"abc"_s});
        search(u"b"_s);
        QTest::keyClick(list(), Qt::Key_Escape);
        QTRY_VERIFY(!window() || !window()->isVisible());
        m_form->runCommand(u"minmnyAllKensaku"_s);
        QVERIFY(window()->isVisible());
        QTest::mouseClick(button(u"Command2"_s), Qt::LeftButton);
        QTRY_VERIFY(!window() || !window()->isVisible());
        QVERIFY(!project().Henkou);
        QCOMPARE(project().Html.at(0).HtmlStr, u"abc"_s);
    }
};

QTEST_MAIN(TestAllSearch)
#include "tst_allsearch.moc"
