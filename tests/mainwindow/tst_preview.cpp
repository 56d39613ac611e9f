// The preview: the pane follows the edited page through real files in temp/,
// navigations are coalesced, typing is shown in place, the scroll position
// survives an update, and the separate preview window keeps its page.

#include "AppPaths.h"
#include "AppStart.h"
#include "BrowserView.h"
#include "DeviceFrame.h"
#include "MainForm.h"
#include "OptionDate.h"
#include "PageEditor.h"
#include "PreviewCommands.h"
#include "PreviewPane.h"
#include "PrvForm.h"
#include "RecordingUi.h"
#include "TempC.h"
#include "TestSupport.h"
#include "TextFiles.h"
#include "Twips.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QWebEnginePage>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int LoadTimeout = 30000;
// The promised delays of the automatic preview: it shows the page once typing
// pauses for 100 ms, and at the latest 500 ms after the first keystroke not
// yet shown.
constexpr int PauseMs = 100;
constexpr int LatestMs = 500;
// Several times the longest of them: whatever they would bring has come by then.
constexpr int QuietMs = 4 * LatestMs;

// What a script run in the browser's page answers, as text.
QString answer(BrowserView *view, const QString &script)
{
    QString text;
    bool done = false;
    view->page()->runJavaScript(script, [&](const QVariant &v) {
        text = v.toString();
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, LoadTimeout))
        return u"<no answer>"_s;
    return text;
}

// The text a browser shows, read from its page.
QString shownText(BrowserView *view)
{
    return answer(view, u"document.body ? document.body.innerText : ''"_s);
}

double scrollY(BrowserView *view)
{
    double y = -1;
    bool done = false;
    view->page()->runJavaScript(u"window.scrollY"_s, [&](const QVariant &v) {
        y = v.toDouble();
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, LoadTimeout))
        return -1;
    return y;
}

QString fileText(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return DecodeHtmlBytes(f.readAll());
}

QString page(const QString &body)
{
    return u"<html>\r\n<head><title>t</title></head>\r\n<body>\r\n"_s + body + u"\r\n</body>\r\n</html>"_s;
}

} // namespace

class TestPreview : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        SetAppDir(m_dir.path());
        QDir(m_dir.path()).mkpath(u"temp"_s);
        m_ui = std::make_unique<RecordingUi>();
        m_form = std::make_unique<MainForm>();
        m_form->startUp();
        m_form->resize(TwipsToPx(12000), TwipsToPx(9000));
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        m_cmds = m_form->findChild<PreviewCommands *>();
        QVERIFY(m_cmds);
        m_pane = m_cmds->pane();
        // The start page is shown once the browser is there.
        QTRY_VERIFY_WITH_TIMEOUT(m_form->ui().MainBr && m_pane->view() == m_form->ui().MainBr, LoadTimeout);
        waitSettled();
        QCOMPARE(m_pane->currentFile(), tempFile(0));
    }

    void cleanup()
    {
        m_form.reset();
        m_ui.reset();
    }

    void startPageIsShownFromItsTempFile()
    {
        BrowserView *br = m_form->ui().MainBr;
        QCOMPARE(br->url(), BrowserView::urlForFile(tempFile(0)));
        QCOMPARE(fileText(tempFile(0)), m_form->project().Html.at(0).HtmlStr + u"\r\n"_s);
    }

    void hiddenPaneWritesNothing()
    {
        m_form->action(u"minmnyPrv"_s)->trigger();
        QVERIFY(!m_form->PrvVisible);
        QVERIFY(QFile::remove(tempFile(0)));
        const int loads = m_pane->loadsStarted();
        const int writes = m_pane->filesWritten();

        typeText(u"abc"_s);
        m_form->runCommand(u"minmnyLoad"_s);
        m_form->EdPrv();
        addPage(u"二"_s, u"two"_s, page(u"second"_s));
        m_form->ui().DatList->setCurrentRow(1);
        QTest::qWait(QuietMs);

        QVERIFY(!QFile::exists(tempFile(0)));
        QVERIFY(!QFile::exists(tempFile(1)));
        QCOMPARE(m_pane->loadsStarted(), loads);
        QCOMPARE(m_pane->filesWritten(), writes);
        // The edits were still stored.
        QVERIFY(m_form->project().Html.at(0).HtmlStr.contains(u"abc"_s));
    }

    void turningThePaneOnShowsTheCurrentPageAtOnce()
    {
        m_form->action(u"minmnyAt"_s)->trigger(); // automatic update off
        QVERIFY(!m_form->action(u"minmnyAt"_s)->isChecked());
        m_form->action(u"minmnyPrv"_s)->trigger();
        typeText(u"ZQX"_s);
        m_form->action(u"minmnyPrv"_s)->trigger();
        QVERIFY(m_form->PrvVisible);
        QVERIFY(m_form->ui().MainBrHolder->isVisible());
        waitSettled();
        QVERIFY(fileText(tempFile(0)).contains(u"ZQX"_s));
        QTRY_VERIFY_WITH_TIMEOUT(shownText(m_form->ui().MainBr).contains(u"ZQX"_s), LoadTimeout);
    }

    void automaticUpdateOffLeavesTheFileAlone()
    {
        m_form->action(u"minmnyAt"_s)->trigger();
        QVERIFY(!m_form->action(u"minmnyAt"_s)->isChecked());
        QVERIFY(!m_form->toolButton(u"AtKosin"_s)->isChecked());
        const QString before = fileText(tempFile(0));
        const int loads = m_pane->loadsStarted();

        typeText(u"WVU"_s);
        QTest::qWait(QuietMs);
        QCOMPARE(fileText(tempFile(0)), before);
        QCOMPARE(m_pane->loadsStarted(), loads);

        // "ファイルの再表示" writes and shows the current text.
        m_form->runCommand(u"minmnyLoad"_s);
        QVERIFY(fileText(tempFile(0)).contains(u"WVU"_s));
        waitSettled();
        QTRY_VERIFY_WITH_TIMEOUT(shownText(m_form->ui().MainBr).contains(u"WVU"_s), LoadTimeout);
        // The toolbar key does the same.
        typeText(u"TSR"_s);
        m_form->toolButton(u"Kosin"_s)->trigger();
        QVERIFY(fileText(tempFile(0)).contains(u"TSR"_s));
    }

    void automaticUpdateFollowsTyping()
    {
        QVERIFY(m_form->action(u"minmnyAt"_s)->isChecked());
        QVERIFY(m_form->toolButton(u"AtKosin"_s)->isChecked());
        const int writes = m_pane->filesWritten();
        const int loads = m_pane->loadsStarted();
        const QString before = fileText(tempFile(0));
        typeText(u"hello"_s);
        // The keystrokes did not wait for the file: it is written once typing
        // pauses, in the background.
        QCOMPARE(fileText(tempFile(0)), before);
        QVERIFY(m_cmds->previewDue());
        waitSettled();
        QCOMPARE(fileText(tempFile(0)), m_form->project().Html.at(0).HtmlStr + u"\r\n"_s);
        QVERIFY(m_pane->filesWritten() > writes);
        QVERIFY(m_pane->filesWritten() - writes < 5);
        // The page was brought up to date where it stands, not loaded again.
        QCOMPARE(m_pane->loadsStarted(), loads);
        QVERIFY(m_pane->pagesPatched() > 0);
        QTRY_VERIFY_WITH_TIMEOUT(shownText(m_form->ui().MainBr).contains(u"hello"_s), LoadTimeout);
    }

    // Edits shown in place leave the page exactly as a new load of the file
    // shows it; edits beyond the body, and pages with scripts, are loaded
    // anew.
    void inPlaceUpdateMatchesANewLoad_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("anchor"); // the edit starts where this starts
        QTest::addColumn<int>("removed");    // characters deleted there
        QTest::addColumn<QString>("typed");  // then typed there
        QTest::addColumn<bool>("inPlace");

        QString paras;
        for (int i = 0; i < 60; ++i)
            paras += u"<p class=\"c%1\">para %1 ほーむぺーじ</p>\r\n"_s.arg(i);
        const QString table = u"<table><tr><td>A1</td><td>B1</td></tr>\r\n<tr><td>A2</td><td>B2</td></tr></table>\r\n"_s;
        QTest::newRow("text in a paragraph") << paras << u"para 25"_s << 0 << u"XYZ"_s << true;
        QTest::newRow("new element") << paras << u"para 30"_s << 0 << u"<b>太字</b>"_s << true;
        QTest::newRow("attribute value") << paras << u"0\">para 40"_s << 0 << u"x"_s << true;
        QTest::newRow("paragraph deleted") << paras << u"<p class=\"c7\">"_s << 27 << QString() << true;
        QTest::newRow("unclosed tag") << paras << u"<p class=\"c20\">"_s << 0 << u"<div><i>"_s << true;
        QTest::newRow("first and last") << paras << u"<p class=\"c0\">"_s << 0 << u"<h1>見出し</h1>"_s << true;
        QTest::newRow("table cell") << paras + table << u"B2<"_s << 2 << u"変更"_s << true;
        QTest::newRow("character reference") << paras << u"para 12"_s << 0 << u"&amp;&#x3042;&lt;"_s << true;
        QTest::newRow("title") << paras << u"t</title>"_s << 0 << u"itle"_s << false;
        QTest::newRow("body attribute") << paras << u"<body>"_s << 6 << u"<body bgcolor=\"red\">"_s << false;
        QTest::newRow("page with a script")
            << paras + u"<script>document.body.setAttribute('data-x', '1');</script>\r\n"_s << u"para 5"_s << 0
            << u"S"_s << false;
    }

    void inPlaceUpdateMatchesANewLoad()
    {
        QFETCH(QString, body);
        QFETCH(QString, anchor);
        QFETCH(int, removed);
        QFETCH(QString, typed);
        QFETCH(bool, inPlace);
        PageEditor *e = m_form->ui().MainText;
        BrowserView *br = m_form->ui().MainBr;
        e->setHtmlText(page(body));
        waitSettled();
        const int loads = m_pane->loadsStarted();
        const int patches = m_pane->pagesPatched();

        e->moveCursor(QTextCursor::Start);
        QVERIFY(e->find(anchor));
        QTextCursor c = e->textCursor();
        c.setPosition(c.selectionStart());
        e->setTextCursor(c);
        for (int i = 0; i < removed; ++i)
            QTest::keyClick(e, Qt::Key_Delete);
        // Each character as a key of its own (Japanese as an input method
        // hands it over).
        for (const QChar ch : typed)
            QTest::sendKeyEvent(QTest::Click, e, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        waitSettled();
        QCOMPARE(m_pane->pagesPatched() > patches, inPlace);
        QCOMPARE(m_pane->loadsStarted() > loads, !inPlace);
        const QString shown = answer(br, u"document.documentElement.outerHTML"_s);

        // The refresh command loads the file anew.
        m_form->runCommand(u"minmnyLoad"_s);
        waitSettled();
        QVERIFY(m_pane->loadsStarted() > loads);
        QCOMPARE(shown, answer(br, u"document.documentElement.outerHTML"_s));
    }

    void xhtmlPageIsLoadedAnew()
    {
        // Read as XML, the page would not be what an HTML parse of it gives.
        addPage(u"二"_s, u"x"_s,
                u"<html xmlns=\"http://www.w3.org/1999/xhtml\">\r\n<head><title>t</title></head>\r\n<body>\r\n<p>xml</p>\r\n</body>\r\n</html>"_s,
                u".xhtml"_s);
        m_form->ui().DatList->setCurrentRow(1);
        waitSettled();
        QCOMPARE(answer(m_form->ui().MainBr, u"document.contentType"_s), u"application/xhtml+xml"_s);
        const int loads = m_pane->loadsStarted();
        const int patches = m_pane->pagesPatched();
        typeText(u"XYZ"_s);
        waitSettled();
        QCOMPARE(m_pane->pagesPatched(), patches);
        QVERIFY(m_pane->loadsStarted() > loads);
        QTRY_VERIFY_WITH_TIMEOUT(shownText(m_form->ui().MainBr).contains(u"XYZ"_s), LoadTimeout);
    }

    void continuousTypingIsShownAtTheLatestAfterAWhile()
    {
        auto *pause = m_cmds->findChild<QTimer *>(u"PreviewPause"_s);
        auto *latest = m_cmds->findChild<QTimer *>(u"PreviewLatest"_s);
        QVERIFY(pause && latest);
        QCOMPARE(pause->interval(), PauseMs);
        QCOMPARE(latest->interval(), LatestMs);
        typeText(u"a"_s);
        QVERIFY(pause->isActive());
        QVERIFY(latest->isActive());
        // Every keystroke puts the pause off; the latest moment stays where
        // the first keystroke set it.
        const int latestLeft = latest->remainingTime();
        pause->stop();
        typeText(u"b"_s);
        QVERIFY(pause->isActive());
        QVERIFY(latest->remainingTime() <= latestLeft);
        // Without a pause, the latest moment writes the copy.
        pause->stop();
        QSignalSpy fired(latest, &QTimer::timeout);
        QVERIFY(fired.wait(LoadTimeout));
        waitSettled();
        QVERIFY(!pause->isActive());
        QVERIFY(!latest->isActive());
        QVERIFY(fileText(tempFile(0)).contains(u"ab</body>"_s));
    }

    void olderCopyNeverLandsAfterANewerOne()
    {
        // A copy queued for the background and a direct refresh right after:
        // the file ends with the newer text, whatever finishes first.
        typeText(u"OLD"_s);
        m_form->runCommand(u"minmnyLoad"_s); // direct: the text as it is now
        QVERIFY(fileText(tempFile(0)).contains(u"OLD</body>"_s));
        typeText(u"NEW"_s);
        m_form->runCommand(u"minmnyLoad"_s);
        waitSettled();
        QVERIFY(fileText(tempFile(0)).contains(u"OLDNEW</body>"_s));
        QCOMPARE(m_pane->wantedFile(), tempFile(0));
    }

    void typingThenSwitchingPagesShowsTheNewPage()
    {
        addPage(u"二"_s, u"two"_s, page(u"SECOND"_s));
        typeText(u"FIRST"_s);
        // The page changes before the typed text was written.
        m_form->ui().DatList->setCurrentRow(1);
        waitSettled();
        QCOMPARE(m_pane->wantedFile(), tempFile(1));
        QCOMPARE(m_form->ui().MainBr->url(), BrowserView::urlForFile(tempFile(1)));
        QVERIFY(m_form->project().Html.at(0).HtmlStr.contains(u"FIRST</body>"_s));
    }

    void closingLeavesNoCopyBehind()
    {
        typeText(u"x"_s);
        QVERIFY(m_cmds->previewDue());
        m_ui->yesNoAnswers.enqueue(false); // do not save
        m_form->close();
        QTest::qWait(QuietMs);
        QVERIFY(!QFile::exists(tempFile(0)));
        QCOMPARE(m_pane->writesPending(), 0);
    }

    void toolbarButtonAndMenuItemAgree()
    {
        QAction *at = m_form->action(u"minmnyAt"_s);
        QAction *button = m_form->toolButton(u"AtKosin"_s);
        button->trigger();
        QVERIFY(!at->isChecked());
        QVERIFY(!button->isChecked());
        at->trigger();
        QVERIFY(at->isChecked());
        QVERIFY(button->isChecked());
        // Turning it on does not refresh by itself.
        const int loads = m_pane->loadsStarted();
        const int writes = m_pane->filesWritten();
        at->trigger();
        at->trigger();
        QCOMPARE(m_pane->filesWritten(), writes);
        QCOMPARE(m_pane->loadsStarted(), loads);
        QCOMPARE(m_ui->beeps, 0);
    }

    void pageSwitchShowsTheNewPage_data()
    {
        QTest::addColumn<bool>("automatic");
        QTest::newRow("automatic update on") << true;
        QTest::newRow("automatic update off") << false;
    }

    void pageSwitchShowsTheNewPage()
    {
        QFETCH(bool, automatic);
        if (!automatic)
            m_form->action(u"minmnyAt"_s)->trigger();
        addPage(u"二ページ目"_s, u"second"_s, page(u"二ページ目の本文"_s));
        const int loads = m_pane->loadsStarted();
        m_form->ui().DatList->setCurrentRow(1);
        QCOMPARE(m_form->project().NowHtml, qint16(1));
        QVERIFY(QFile::exists(tempFile(1)));
        waitSettled();
        QCOMPARE(m_form->ui().MainBr->url(), BrowserView::urlForFile(tempFile(1)));
        QVERIFY(m_pane->loadsStarted() > loads);
        // Shift_JIS page without a charset declaration: Japanese shows as such.
        QTRY_VERIFY_WITH_TIMEOUT(shownText(m_form->ui().MainBr).contains(u"二ページ目の本文"_s), LoadTimeout);

        m_form->ui().DatList->setCurrentRow(0);
        waitSettled();
        QCOMPARE(m_form->ui().MainBr->url(), BrowserView::urlForFile(tempFile(0)));
    }

    void linkToAnotherPageWorks()
    {
        addPage(u"二"_s, u"other"_s, page(u"OTHERPAGE"_s));
        m_form->project().Html[0].HtmlStr = page(u"<a id=\"l\" href=\"other.html\">go</a>"_s);
        m_form->runCommand(u"minmnyPlb"_s); // writes every page
        QVERIFY(m_cmds->previewWindow());
        m_cmds->previewWindow()->close();
        m_form->runCommand(u"minmnyLoad"_s);
        waitSettled();
        BrowserView *br = m_form->ui().MainBr;
        QSignalSpy loaded(br, &QWebEngineView::loadFinished);
        br->page()->runJavaScript(u"document.getElementById('l').click();"_s);
        QVERIFY(loaded.wait(LoadTimeout));
        QCOMPARE(br->url(), BrowserView::urlForFile(tempFile(1)));
        QTRY_VERIFY_WITH_TIMEOUT(shownText(br).contains(u"OTHERPAGE"_s), LoadTimeout);
        // Back returns to the first page, forward goes on again. (A scripted
        // click leaves no entry to go back to, so the pages are opened as
        // the user would open them.)
        m_form->runCommand(u"minmnyLoad"_s);
        QVERIFY(loaded.wait(LoadTimeout));
        br->navigateToFile(tempFile(1));
        QVERIFY(loaded.wait(LoadTimeout));
        m_form->runCommand(u"minmnyBack"_s);
        QTRY_COMPARE_WITH_TIMEOUT(br->url(), BrowserView::urlForFile(tempFile(0)), LoadTimeout);
        m_form->runCommand(u"minmnyNext"_s);
        QTRY_COMPARE_WITH_TIMEOUT(br->url(), BrowserView::urlForFile(tempFile(1)), LoadTimeout);
        // Without history: silent.
        m_form->runCommand(u"minmnyNext"_s);
        m_form->runCommand(u"minmnyReload"_s);
        QVERIFY(m_ui->shown.isEmpty());
        QCOMPARE(m_ui->beeps, 0);
    }

    void coalescesNavigationsWhileALoadIsInFlight()
    {
        const QString a = JoinPath(m_dir.path(), u"a.html"_s);
        const QString b = JoinPath(m_dir.path(), u"b.html"_s);
        const QString c = JoinPath(m_dir.path(), u"c.html"_s);
        QVERIFY(WritePageFile(a, page(u"AAA"_s)));
        QVERIFY(WritePageFile(b, page(u"BBB"_s)));
        QVERIFY(WritePageFile(c, page(u"CCC"_s)));
        BrowserView view;
        view.resize(300, 200);
        view.show();
        PreviewPane pane;
        pane.setView(&view);
        QSignalSpy settled(&pane, &PreviewPane::settled);
        pane.showFile(a);
        QVERIFY(pane.loadInFlight());
        pane.showFile(b);
        pane.showFile(c);
        QCOMPARE(pane.loadsStarted(), 1);
        QCOMPARE(pane.wantedFile(), c);
        QVERIFY(settled.wait(LoadTimeout));
        // a, then only the newest (c); b was never loaded.
        QCOMPARE(pane.loadsStarted(), 2);
        QCOMPARE(settled.count(), 1);
        QCOMPARE(settled.first().first().toString(), c);
        QCOMPARE(view.url(), BrowserView::urlForFile(c));
        QTRY_VERIFY_WITH_TIMEOUT(shownText(&view).contains(u"CCC"_s), LoadTimeout);
    }

    void requestBeforeTheBrowserExistsWaits()
    {
        const QString a = JoinPath(m_dir.path(), u"early.html"_s);
        QVERIFY(WritePageFile(a, page(u"EARLY"_s)));
        PreviewPane pane;
        pane.showFile(a);
        QVERIFY(!pane.loadInFlight());
        QCOMPARE(pane.loadsStarted(), 0);
        BrowserView view;
        view.show();
        QSignalSpy settled(&pane, &PreviewPane::settled);
        pane.setView(&view);
        QVERIFY(settled.wait(LoadTimeout));
        QCOMPARE(view.url(), BrowserView::urlForFile(a));
    }

    void reloadKeepsTheScrollPosition()
    {
        QString body;
        for (int i = 0; i < 400; ++i)
            body += u"<p>line %1</p>\r\n"_s.arg(i);
        m_form->ui().MainText->setHtmlText(page(body));
        waitSettled();
        BrowserView *br = m_form->ui().MainBr;
        br->page()->runJavaScript(u"window.scrollTo(0, 600);"_s);
        QTRY_VERIFY_WITH_TIMEOUT(scrollY(br) >= 590, LoadTimeout);

        typeText(u"x"_s);
        waitSettled();
        QTRY_VERIFY_WITH_TIMEOUT(scrollY(br) >= 590, LoadTimeout);
        typeText(u"yz"_s);
        waitSettled();
        QTRY_VERIFY_WITH_TIMEOUT(scrollY(br) >= 590, LoadTimeout);
        // A refresh loads the page anew, and keeps the place too.
        const int loads = m_pane->loadsStarted();
        m_form->runCommand(u"minmnyLoad"_s);
        waitSettled();
        QVERIFY(m_pane->loadsStarted() > loads);
        QTRY_VERIFY_WITH_TIMEOUT(scrollY(br) >= 590, LoadTimeout);

        // Another page starts at its top.
        addPage(u"二"_s, u"short"_s, page(u"short"_s));
        m_form->ui().DatList->setCurrentRow(1);
        waitSettled();
        QCOMPARE(scrollY(br), 0.0);
    }

    void focusShowsHowThePreviewIsUpdated()
    {
        BrowserView *br = m_form->ui().MainBr;
        Q_EMIT br->focusReceived();
        QCOMPARE(m_ui->statusText(), u"プレビューはリアルタイムで更新されます"_s);
        m_form->action(u"minmnyAt"_s)->trigger();
        Q_EMIT br->focusReceived();
        QCOMPARE(m_ui->statusText(),
                 u"プレビューを更新するには、プレビューメニューの「ファイルの再表示」を選択してください。"_s);
    }

    void unwritablePreviewDoesNotNavigate()
    {
        // An output name that would leave temp/ is refused; nothing navigates.
        m_form->project().Html[0].FileName = u"../outside"_s;
        const int loads = m_pane->loadsStarted();
        m_form->runCommand(u"minmnyLoad"_s);
        QCOMPARE(m_pane->loadsStarted(), loads);
        QVERIFY(!QFile::exists(JoinPath(m_dir.path(), u"outside.html"_s)));
        QVERIFY(!m_ui->statusText().isEmpty());
        // The separate window says why and does not open.
        m_form->runCommand(u"minmnyPlb"_s);
        QVERIFY(!m_cmds->previewWindow());
        QCOMPARE(m_ui->shown.last().icon, UiService::Icon::Critical);
    }

    // One missing file does not keep the window from opening: the page and
    // the pictures that exist are copied, and the missing file is named.
    // With "UTF-8に変換" the output of each page shows the text the preview
    // shows of the stored page, while the preview keeps its own copy.
    void utf8OutputShowsWhatThePreviewShows()
    {
        m_form->action(u"MojiminmnyUtf8"_s)->trigger();
        QVERIFY(ReadOptionDate(OptionDatePath()).value().OutputUtf8);
        ProjectDates &p = m_form->project();
        // (A character code page 932 writes as a look-alike, such as 〜, would show as
        // itself only in the output, which is truer to the page than the preview.)
        const QString text = u"<p>ようこそ①髙橋 😀 ∥ &amp; &#12354; &copy; 한국</p>"_s;
        p.Html[0].HtmlStr = u"<html><head><meta charset=\"Shift_JIS\"><title>t</title></head><body>"_s + text
                            + u"</body></html>"_s;
        addPage(u"二"_s, u"euc"_s, u"<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=EUC-JP\"></head>"_s + text);
        addPage(u"三"_s, u"plain"_s, u"<!DOCTYPE html>"_s + text);
        p.SyuturyokuFolder = m_dir.filePath(u"out"_s);
        m_form->runCommand(u"minmnyUwagaki"_s);
        QVERIFY2(m_ui->statusText().contains(u"UTF-8"_s), qPrintable(m_ui->statusText()));

        BrowserView output;
        output.resize(600, 400);
        output.show();
        for (int i = 0; i < p.Html.size(); ++i) {
            m_form->ui().DatList->setCurrentRow(i);
            waitSettled();
            QCOMPARE(ReadBytes(tempFile(i)), EncodePageFile(p.Html.at(i).HtmlStr));
            const QString shown = shownText(m_form->ui().MainBr);
            QVERIFY2(shown.contains(u"ようこそ①髙橋 😀"_s), qPrintable(shown));
            QSignalSpy loaded(&output, &QWebEngineView::loadFinished);
            output.navigateToFile(JoinPath(p.SyuturyokuFolder, p.Html.at(i).outputName()));
            QVERIFY(loaded.wait(LoadTimeout));
            QCOMPARE(shownText(&output), shown);
        }
        m_form->action(u"MojiminmnyMama"_s)->trigger();
        QVERIFY(!ReadOptionDate(OptionDatePath()).value().OutputUtf8);
    }

    void separateWindowOpensDespiteMissingFile()
    {
        ProjectDates &p = m_form->project();
        const QString pic = m_dir.filePath(u"pic.gif"_s);
        QFile f(pic);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("GIF89a");
        f.close();
        AddElseFileDat(p, u"消えた資料"_s, u"gone"_s, m_dir.filePath(u"gone.pdf"_s), u".pdf"_s);
        AddPictDat(p, u"絵"_s, u"pic"_s, pic, u".gif"_s);
        m_form->runCommand(u"minmnyPlb"_s);
        PrvForm *prv = m_cmds->previewWindow();
        QVERIFY(prv);
        QVERIFY(prv->isVisible());
        QCOMPARE(m_ui->messages().size(), 1);
        QCOMPARE(m_ui->shown.last().icon, UiService::Icon::Exclamation);
        QVERIFY2(m_ui->lastMessage().contains(u"他のファイルデータ「消えた資料」"_s), qPrintable(m_ui->lastMessage()));
        QVERIFY(m_ui->lastMessage().contains(u"gone.pdf"_s));
        QVERIFY(QFile::exists(tempFile(0)));
        QVERIFY(QFile::exists(TempC::TempPathFor(u"pic.gif"_s)));
        QTRY_COMPARE_WITH_TIMEOUT(prv->WebBrowser1->url(), BrowserView::urlForFile(tempFile(0)), LoadTimeout);
    }

    void separateWindowOpenedTwiceKeepsItsPage()
    {
        addPage(u"二"_s, u"second"_s, page(u"SECOND"_s));
        m_form->project().ProjectPath = u"/tmp/sample.hpf"_s;
        m_form->runCommand(u"minmnyPlb"_s);
        PrvForm *prv = m_cmds->previewWindow();
        QVERIFY(prv);
        QCOMPARE(prv->windowTitle(), u"プレビュー"_s);
        QVERIFY(prv->isVisible());
        QVERIFY(!prv->isModal());
        // It does not keep the program running once the main window closes.
        QVERIFY(!prv->testAttribute(Qt::WA_QuitOnClose));
        QCOMPARE(prv->statusPanel1->text(), u"/tmp/sample.hpf"_s);
        QCOMPARE(prv->PrvPageIndex, qint16(0));
        // Every page was written.
        QVERIFY(QFile::exists(tempFile(0)));
        QVERIFY(QFile::exists(tempFile(1)));
        QTRY_COMPARE_WITH_TIMEOUT(prv->WebBrowser1->url(), BrowserView::urlForFile(tempFile(0)), LoadTimeout);

        // Switch pages in the main window, edit, and open it again.
        m_form->ui().DatList->setCurrentRow(1);
        typeText(u"NEW"_s);
        QFile::remove(tempFile(1));
        m_form->runCommand(u"minmnyPlb"_s);
        QCOMPARE(m_cmds->previewWindow(), prv);
        QCOMPARE(m_form->findChildren<PrvForm *>().size(), 1);
        QTest::qWait(QuietMs);
        QCOMPARE(prv->WebBrowser1->url(), BrowserView::urlForFile(tempFile(0)));
        QCOMPARE(prv->PrvPageIndex, qint16(0));
        // The files were rewritten all the same.
        QVERIFY(fileText(tempFile(1)).contains(u"NEW"_s));

        // A minimised window is brought back, still on its page.
        prv->showMinimized();
        QTRY_VERIFY(prv->isMinimized());
        m_form->runCommand(u"minmnyPlb"_s);
        QCOMPARE(m_cmds->previewWindow(), prv);
        QTRY_VERIFY(!prv->isMinimized());
        QVERIFY(prv->isVisible());
        QCOMPARE(prv->PrvPageIndex, qint16(0));

        // "閉じる" closes it; the next open shows the page now current.
        prv->action(u"Exit"_s)->trigger();
        QTRY_VERIFY(!m_cmds->previewWindow());
        m_form->runCommand(u"minmnyPlb"_s);
        QVERIFY(m_cmds->previewWindow());
        QCOMPARE(m_cmds->previewWindow()->PrvPageIndex, qint16(1));
        QTRY_COMPARE_WITH_TIMEOUT(m_cmds->previewWindow()->WebBrowser1->url(), BrowserView::urlForFile(tempFile(1)),
                                  LoadTimeout);
    }

    void statusTextsStayInTheMainWindow()
    {
        m_form->project().ProjectPath = u"/tmp/status.hpf"_s;
        m_form->runCommand(u"minmnyPlb"_s);
        PrvForm *prv = m_cmds->previewWindow();
        QVERIFY(prv);
        QCOMPARE(prv->statusPanel1->text(), u"/tmp/status.hpf"_s);
        // The real service this time: the preview window's status bar has
        // the same object name as the main window's.
        m_ui.reset();
        Ui().setStatusText(u"ここに説明を表示します"_s);
        m_ui = std::make_unique<RecordingUi>();
        QCOMPARE(m_form->ui().StatusPanel1->text(), u"ここに説明を表示します"_s);
        QCOMPARE(prv->statusPanel1->text(), u"/tmp/status.hpf"_s);
        QVERIFY(prv->StatusBar1->currentMessage().isEmpty());
        QVERIFY(m_form->ui().StatusBar1->currentMessage().isEmpty());
    }

    void separateWindowLayout()
    {
        m_form->runCommand(u"minmnyPlb"_s);
        PrvForm *prv = m_cmds->previewWindow();
        QVERIFY(prv);
        QVERIFY(QTest::qWaitForWindowExposed(prv));
        QCOMPARE(prv->action(u"Next"_s)->text(), u"進む(&N)"_s);
        QCOMPARE(prv->action(u"Back"_s)->text(), u"戻る(&B)"_s);
        QCOMPARE(prv->action(u"Kousin"_s)->text(), u"最新の情報に更新(&R)"_s);
        QCOMPARE(prv->action(u"Exit"_s)->text(), u"閉じる(&X)"_s);
        QVERIFY(prv->action(u"VewToolBar"_s)->isChecked());
        QVERIFY(prv->action(u"VewStatsBar"_s)->isChecked());
        QCOMPARE(prv->action(u"JBack"_s)->toolTip(), u"戻る"_s);
        QCOMPARE(prv->action(u"JNext"_s)->toolTip(), u"進む"_s);
        QCOMPARE(prv->action(u"JRe"_s)->toolTip(), u"最新の情報に更新"_s);

        const auto top = [prv] {
            return PxToTwips(prv->WebBrowser1->mapTo(prv, QPoint(0, 0)).y() - prv->menuBar()->height());
        };
        const auto near = [](double twips, double expected) { return std::abs(twips - expected) <= 16; };
        QCoreApplication::processEvents();
        const double T = PxToTwips(prv->Toolbar1->height());
        const double S = PxToTwips(prv->StatusBar1->height());
        QVERIFY(near(top(), T + 120));
        QVERIFY(near(PxToTwips(prv->WebBrowser1->height()), prv->formHeightTwips() - (T + S + 900)));
        QVERIFY(near(PxToTwips(prv->WebBrowser1->width()), prv->formWidthTwips() - 360));
        QCOMPARE(prv->WebBrowser1->mapTo(prv->centralWidget(), QPoint(0, 0)).x(), TwipsToPx(120));

        prv->action(u"VewToolBar"_s)->trigger();
        prv->action(u"VewStatsBar"_s)->trigger();
        QCoreApplication::processEvents();
        QVERIFY(prv->Toolbar1->isHidden());
        QVERIFY(prv->StatusBar1->isHidden());
        QVERIFY(near(top(), 120));
        QVERIFY(near(PxToTwips(prv->WebBrowser1->height()), prv->formHeightTwips() - 900));
        // A window too small for the browser keeps its old size.
        const QSize before = prv->WebBrowser1->size();
        prv->resize(20, 20);
        QCoreApplication::processEvents();
        QCOMPARE(prv->WebBrowser1->height(), before.height());
    }

    // The page is laid out at the chosen width whatever room the pane has or
    // zoom the user sets, in the separate window too, and after a restart.
    void pageWidthChoice_data()
    {
        // Row of "プレビューの幅", Ctrl+wheel notches, page drawn smaller (-1) or larger.
        for (const char *c : {"windowWidth", "row", "wheel", "zoom"})
            QTest::addColumn<int>(c);
        QTest::newRow("phone, wide window") << 1400 << 1 << 0 << 0;
        QTest::newRow("phone, zoomed in") << 1400 << 1 << 3 << 1;
        QTest::newRow("phone, narrow window") << 560 << 1 << 0 << -1;
        QTest::newRow("tablet, zoomed out") << 1000 << 2 << -2 << -1;
    }

    void pageWidthChoice()
    {
        QFETCH(int, windowWidth);
        QFETCH(int, row);
        QFETCH(int, wheel);
        QFETCH(int, zoom);
        const int width = row == 1 ? 375 : 768;
        const auto item = [this](int i) { return m_form->action(u"minmnyPrvHaba"_s)->menu()->actions().at(i); };
        const auto innerWidth = [](BrowserView *v) { return answer(v, u"String(innerWidth)"_s).toInt(); };
        item(row)->trigger();
        m_form->resize(windowWidth, m_form->height());
        QWheelEvent turn(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120 * wheel), Qt::NoButton,
                         Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(m_form->ui().MainBr->focusProxy(), &turn);
        QTRY_COMPARE_WITH_TIMEOUT(innerWidth(m_form->ui().MainBr), width, LoadTimeout);
        const DeviceFrame *frame = m_form->ui().MainBrFrame;
        QVERIFY(frame->rect().contains(frame->deviceRect()) && m_form->ui().MainBr->width() < frame->width());
        QCOMPARE(int(frame->pageZoom() > 1.001) - int(frame->pageZoom() < 0.999), zoom);
        // Closing keeps the choice for the next start and the separate window.
        m_form->project().Henkou = false;
        QVERIFY(m_form->close());
        cleanup();
        init();
        QVERIFY(item(row)->isChecked());
        QTRY_COMPARE_WITH_TIMEOUT(innerWidth(m_form->ui().MainBr), width, LoadTimeout);
        m_form->runCommand(u"minmnyPlb"_s);
        QTRY_COMPARE_WITH_TIMEOUT(innerWidth(m_cmds->previewWindow()->WebBrowser1), width, LoadTimeout);
        m_cmds->previewWindow()->action(u"HabaAll"_s)->trigger();
        QVERIFY(item(0)->isChecked());
        QTRY_COMPARE_WITH_TIMEOUT(innerWidth(m_form->ui().MainBr), m_form->ui().MainBrHolder->width(), LoadTimeout);
        QVERIFY(QFile::remove(m_dir.filePath(u"OptionDate.dat"_s)));
    }

private:
    QString tempFile(int index) const
    {
        return TempC::TempPathFor(m_form->project().Html.at(index).outputName());
    }

    void typeText(const QString &text)
    {
        PageEditor *e = m_form->ui().MainText;
        e->moveCursor(QTextCursor::End);
        // Just before the closing body tag, so the typed text shows in the page.
        if (e->find(u"</body>"_s, QTextDocument::FindBackward)) {
            QTextCursor c = e->textCursor();
            c.setPosition(c.selectionStart());
            e->setTextCursor(c);
        }
        QTest::keyClicks(e, text);
    }

    void addPage(const QString &name, const QString &file, const QString &html, const QString &suffix = u".html"_s)
    {
        HtmlDat h;
        h.DatName = name;
        h.FileName = file;
        h.HtmlStr = html;
        h.Kakutyousi = suffix;
        m_form->project().Html.append(h);
        m_form->showKind(KindHtml);
        waitSettled();
    }

    void waitSettled()
    {
        QTRY_VERIFY_WITH_TIMEOUT(!m_cmds->previewDue() && !m_pane->loadInFlight(), LoadTimeout);
    }

    QTemporaryDir m_dir;
    std::unique_ptr<RecordingUi> m_ui;
    std::unique_ptr<MainForm> m_form;
    PreviewCommands *m_cmds = nullptr;
    PreviewPane *m_pane = nullptr;
};

int main(int argc, char *argv[])
{
    // The process as the program prepares it: the browser's drawing above all.
    PrepareProcess();
    QApplication app(argc, argv);
    TestPreview t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_preview.moc"
