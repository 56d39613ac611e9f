// Typing benchmark (offscreen): keystrokes into a big page of the program,
// beside a bare QPlainTextEdit typing the same characters into the same text
// in the same process.
//
// Keys are posted at a steady pace, as a fast typist types, while the event
// loop runs freely. For each key two figures are taken:
//  - handling: from the key press reaching the editor until its release
//    does (the keystroke's own work, and whatever it starts at once);
//  - latency: from the moment the key was due until the editor starts to
//    paint it (includes waiting for whatever else the program's thread was
//    doing: preview copies, browser answers, timers).
// Then, in the program, the time from the last key until the preview pane
// shows the typed text.
//
// Usage: bench_typing [page MB ...] (default 1 20); a size written "nul1" is
// a page of that many MB of NUL characters, "line1" one line of that many MB
// of letters. QV_BENCH_KEYS (default 300) and QV_BENCH_PACE_MS (default 30)
// change the session.
// bench_typing --project FILE KB writes a project file whose one page is
// such a page of KB kilobytes (bench/xtyping.sh starts the program with it).
#include "AppPaths.h"
#include "AppStart.h"
#include "BenchSupport.h"
#include "EditorText.h"
#include "MainForm.h"
#include "ProjectFile.h"
#include "PageEditor.h"
#include "PreviewCommands.h"
#include "PreviewPane.h"
#include "RecordingUi.h"
#include "TempC.h"
#include "TextFiles.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>

#include <algorithm>
#include <functional>
#include <cstdio>
#include <vector>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

struct Figures
{
    std::vector<double> handling; // ms
    std::vector<double> latency;  // ms
    double lastKeyDue = 0;        // ms on the session clock
};

// Runs the event loop until done() holds (checked every millisecond) or
// timeoutMs passes; unlike QTest::qWaitFor it never sleeps between rounds.
bool runUntil(const std::function<bool()> &done, int timeoutMs)
{
    QEventLoop loop;
    QTimer check;
    check.setInterval(1);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    check.start();
    if (!done())
        loop.exec();
    return done();
}

// Posts keys to an editor at a steady pace and times them as the file header
// describes.
class TypingSession : public QObject
{
public:
    TypingSession(QPlainTextEdit *editor, int keys, int paceMs)
        : m_editor(editor)
        , m_keys(keys)
        , m_pace(paceMs)
    {
        m_due.resize(keys);
        m_pressAt.assign(keys, -1);
        m_releaseAt.assign(keys, -1);
        m_paintAt.assign(keys, -1);
    }

    Figures run()
    {
        m_editor->installEventFilter(this);
        m_editor->viewport()->installEventFilter(this);
        m_clock.start();
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        tick.setInterval(1);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const double now = ms();
            while (m_posted < m_keys && now >= m_posted * double(m_pace)) {
                const QString text(QChar(u'a' + m_posted % 26));
                m_due[m_posted] = m_posted * double(m_pace);
                QCoreApplication::postEvent(m_editor, new QKeyEvent(QEvent::KeyPress, Qt::Key_A + m_posted % 26,
                                                                     Qt::NoModifier, text));
                QCoreApplication::postEvent(m_editor, new QKeyEvent(QEvent::KeyRelease, Qt::Key_A + m_posted % 26,
                                                                     Qt::NoModifier, text));
                ++m_posted;
            }
        });
        tick.start();
        // A plain event loop: QTest::qWaitFor sleeps between its rounds.
        QEventLoop loop;
        m_loop = &loop;
        QTimer::singleShot(600000, &loop, &QEventLoop::quit);
        loop.exec();
        m_loop = nullptr;
        if (m_painted < m_keys)
            std::fprintf(stderr, "not every key was painted\n");
        tick.stop();
        m_editor->removeEventFilter(this);
        m_editor->viewport()->removeEventFilter(this);
        Figures f;
        for (int i = 0; i < m_keys; ++i) {
            if (m_pressAt[i] >= 0 && m_releaseAt[i] >= 0)
                f.handling.push_back(m_releaseAt[i] - m_pressAt[i]);
            if (m_paintAt[i] >= 0)
                f.latency.push_back(m_paintAt[i] - m_due[i]);
        }
        f.lastKeyDue = m_due.empty() ? 0 : m_due.back();
        if (qEnvironmentVariableIsSet("QV_BENCH_TRACE"))
            for (int i = 0; i < std::min(m_keys, 10); ++i)
                std::printf("key %d: due %.1f press %+.1f release %+.1f paint %+.1f\n", i, m_due[i], m_pressAt[i] - m_due[i],
                            m_releaseAt[i] - m_pressAt[i], m_paintAt[i] - m_releaseAt[i]);
        return f;
    }

    double ms() const { return double(m_clock.nsecsElapsed()) / 1e6; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_editor && event->type() == QEvent::KeyPress && m_pressed < m_keys)
            m_pressAt[m_pressed++] = ms();
        else if (watched == m_editor && event->type() == QEvent::KeyRelease && m_released < m_keys)
            m_releaseAt[m_released++] = ms();
        else if (watched == m_editor->viewport() && event->type() == QEvent::Paint) {
            // The paint shows every key handled so far.
            const double now = ms();
            while (m_painted < m_released)
                m_paintAt[m_painted++] = now;
            if (m_painted >= m_keys && m_loop)
                m_loop->quit();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QPlainTextEdit *m_editor;
    int m_keys;
    int m_pace;
    QElapsedTimer m_clock;
    std::vector<double> m_due, m_pressAt, m_releaseAt, m_paintAt;
    int m_posted = 0;
    int m_pressed = 0;
    int m_released = 0;
    int m_painted = 0;
    QEventLoop *m_loop = nullptr;
};

void placeCaretMidway(QPlainTextEdit *e)
{
    QTextCursor c = e->textCursor();
    c.setPosition(e->document()->characterCount() / 2);
    e->setTextCursor(c);
    e->ensureCursorVisible();
    e->setFocus();
}

void print(const char *who, const Figures &f)
{
    std::printf("  %-8s handling median %6.3f ms, worst %7.3f ms | latency to paint median %6.3f ms, worst %7.3f ms\n",
                who, bench::Median(f.handling), bench::Worst(f.handling), bench::Median(f.latency), bench::Worst(f.latency));
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The browser set up as the program sets it up.
    PrepareProcess();
    QApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "--project") == 0) {
        ProjectDates p;
        NewStartProject(p);
        p.Html[0].HtmlStr = bench::BigPage(qsizetype(QString::fromLocal8Bit(argv[3]).toDouble() * 1024));
        QString error;
        if (!WriteCp932File(QString::fromLocal8Bit(argv[2]), MakeProjectText(p), &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        return 0;
    }
    const int keys = qEnvironmentVariableIsSet("QV_BENCH_KEYS") ? qEnvironmentVariableIntValue("QV_BENCH_KEYS") : 300;
    const int pace =
        qEnvironmentVariableIsSet("QV_BENCH_PACE_MS") ? qEnvironmentVariableIntValue("QV_BENCH_PACE_MS") : 30;
    QStringList sizes;
    for (int i = 1; i < argc; ++i)
        sizes.append(QString::fromLocal8Bit(argv[i]));
    if (sizes.isEmpty())
        sizes = {u"1"_s, u"20"_s};

    QTemporaryDir dir;
    SetAppDir(dir.path());
    QDir(dir.path()).mkpath(u"temp"_s);
    RecordingUi ui;

    MainForm form;
    form.startUp();
    form.resize(1200, 850);
    form.show();
    auto *cmds = form.findChild<PreviewCommands *>();
    PreviewPane *pane = cmds->pane();
    const auto settled = [&] { return !cmds->previewDue() && pane->view() && !pane->loadInFlight(); };
    if (!QTest::qWaitFor(settled, 120000)) {
        std::fprintf(stderr, "the preview did not start\n");
        return 1;
    }

    QMainWindow bareWindow;
    auto *bare = new QPlainTextEdit(&bareWindow);
    bare->setLineWrapMode(QPlainTextEdit::NoWrap);
    bareWindow.setCentralWidget(bare);
    bareWindow.resize(form.ui().MainText->size());
    bareWindow.show();

    std::printf("Typing %d characters, one every %d ms, into the middle of a page (offscreen; automatic "
                "preview %s)\n",
                keys, pace, form.action(u"minmnyAt"_s)->isChecked() ? "on" : "off");
    for (const QString &size : sizes) {
        const bool nul = size.startsWith(u"nul"_s);
        const bool line = size.startsWith(u"line"_s);
        const double mb = QStringView(size).sliced(nul ? 3 : line ? 4 : 0).toDouble();
        const qsizetype chars = qsizetype(mb * 1024 * 1024);
        const QString page = nul ? QString(chars, QChar(0)) : line ? QString(chars, u'x') : bench::BigPage(chars);
        std::printf("Page of %.1f MB%s (%lld characters, %lld lines)\n", mb,
                    nul ? " of NUL characters" : line ? " of letters in one line" : "",
                    static_cast<long long>(page.size()), static_cast<long long>(page.count(u'\n') + 1));

        PageEditor *editor = form.ui().MainText;
        QElapsedTimer load;
        load.start();
        editor->setHtmlText(page);
        const double loadMs = double(load.nsecsElapsed()) / 1e6;
        if (!QTest::qWaitFor(settled, 600000))
            std::fprintf(stderr, "the preview did not settle\n");
        form.activateWindow();
        placeCaretMidway(editor);
        QTest::qWait(200);
        const int loadsBefore = pane->loadsStarted();
        const int patchesBefore = pane->pagesPatched();
        TypingSession inProgram(editor, keys, pace);
        const Figures prog = inProgram.run();
        // Until the preview shows what was typed.
        const double lastDue = prog.lastKeyDue;
        if (!runUntil(settled, 600000))
            std::fprintf(stderr, "the preview did not settle\n");
        const double shownAfter = inProgram.ms() - lastDue;
        const QString file = TempC::TempPathFor(form.projectFields().Html.at(0).outputName());
        const bool previewHasIt = DecodeHtmlBytes(ReadFileBytes(file).value_or(QByteArray()))
                                  == form.project().Html.at(0).HtmlStr + u"\r\n"_s;
        // And the browser shows it: the page it holds has the typed run.
        QString typed;
        for (int i = 0; i < keys; ++i)
            typed += QChar(u'a' + i % 26);
        bool browserHasIt = false;
        bool answered = false;
        pane->view()->page()->runJavaScript(u"document.documentElement.outerHTML.indexOf('%1') >= 0"_s.arg(typed),
                                            [&](const QVariant &v) {
                                                browserHasIt = v.toBool();
                                                answered = true;
                                            });
        runUntil([&] { return answered; }, 600000);
        const int loads = pane->loadsStarted() - loadsBefore;
        const int patches = pane->pagesPatched() - patchesBefore;
        // The bare cost beside it: the browser loading that same file once
        // more, nothing else going on.
        QElapsedTimer bareLoad;
        bareLoad.start();
        pane->reloadNext();
        pane->showFile(file);
        if (!runUntil([&] { return !pane->loadInFlight(); }, 600000))
            std::fprintf(stderr, "the preview did not load\n");
        const double browserLoadMs = double(bareLoad.nsecsElapsed()) / 1e6;

        load.restart();
        bare->setPlainText(HtmlToEditorText(page));
        const double bareLoadMs = double(load.nsecsElapsed()) / 1e6;
        bareWindow.activateWindow();
        placeCaretMidway(bare);
        QTest::qWait(200);
        const Figures plain = TypingSession(bare, keys, pace).run();

        std::printf("  page shown in %.0f ms (bare editor: %.0f ms)\n", loadMs, bareLoadMs);
        print("program", prog);
        print("bare", plain);
        std::printf("  ratio program/bare: handling median %.3gx, worst %.3gx; latency median %.3gx, worst %.3gx\n",
                    bench::Median(prog.handling) / bench::Median(plain.handling), bench::Worst(prog.handling) / bench::Worst(plain.handling),
                    bench::Median(prog.latency) / bench::Median(plain.latency), bench::Worst(prog.latency) / bench::Worst(plain.latency));
        std::printf("  preview shows the typed text %.0f ms after the last key was due (%s, %s; %d loads, %d "
                    "in place); the browser alone loads the page in %.0f ms (ratio %.2f)\n",
                    shownAfter, previewHasIt ? "file checked" : "FILE DIFFERS",
                    browserHasIt ? "browser checked" : "BROWSER LACKS IT", loads, patches, browserLoadMs, shownAfter / browserLoadMs);
        std::printf("  text stored: %s; page-text rebuilds: %d\n",
                    form.project().Html.at(0).HtmlStr.size() == page.size() + keys ? "yes" : "NO",
                    editor->rebuilds());
        form.project().Henkou = false;
    }
    return 0;
}
