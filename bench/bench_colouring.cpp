// Colouring and recovery benchmark (offscreen), each figure beside the bare
// cost of the same work:
//  - typing into the middle of a big page in the page editor with HTML
//    colouring, beside the same editor without it and a bare QPlainTextEdit;
//    a keystroke is timed from the key press until the event loop has done
//    everything it started (colouring, repaint);
//  - typing "<!--" at the top, which turns the whole page below into a
//    comment, and the longest stall of the event loop while the states of
//    the rest are read;
//  - showing the page: until the editor holds it, and until the colouring's
//    idle work has read every line;
//  - a recovery record of the page: what the typing thread spends, what the
//    writer thread spends, beside a bare write of the same bytes, and typing
//    while records are written.
//
// Usage: bench_colouring [page MB ...] (default 1 20)
#include "AppPaths.h"
#include "BenchSupport.h"
#include "EditorText.h"
#include "HtmlHighlighter.h"
#include "PageEditor.h"
#include "ProjectFile.h"
#include "Recovery.h"
#include "TextFiles.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Markup of every kind the colouring tells apart.
const QString ColouredLine =
    u"<p class=\"text\">ホームページの本文です。The quick <b>brown</b> fox &amp; the lazy dog 0123456789.</p>\r\n"_s;

double ms(qint64 ns)
{
    return double(ns) / 1e6;
}

// Processes events until nothing is pending for a moment.
void drain(HtmlHighlighter *hl = nullptr)
{
    QElapsedTimer t;
    t.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    } while ((hl && hl->pending()) && t.elapsed() < 120000);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// Times keystrokes: the key press and release, then one round of the event
// loop (the colouring and the repaint the key asked for).
std::vector<double> typeKeys(QPlainTextEdit *e, const QString &text)
{
    std::vector<double> times;
    for (const QChar c : text) {
        QElapsedTimer t;
        t.start();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(e, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(e, &release);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        times.push_back(ms(t.nsecsElapsed()));
    }
    return times;
}

void caretAt(QPlainTextEdit *e, int pos)
{
    QTextCursor c = e->textCursor();
    c.setPosition(pos);
    e->setTextCursor(c);
    e->ensureCursorVisible();
}

void print(const char *who, const std::vector<double> &v)
{
    std::printf("  %-34s median %6.3f ms, worst %7.3f ms\n", who, bench::Median(v), bench::Worst(v));
}

// The longest time the event loop went without coming round, while cond holds.
class StallWatch : public QObject
{
public:
    double longestMs = 0;
    void start()
    {
        m_clock.start();
        m_last = 0;
        m_timer = startTimer(0);
    }
    void stop() { killTimer(m_timer); }

protected:
    void timerEvent(QTimerEvent *) override
    {
        const qint64 now = m_clock.nsecsElapsed();
        longestMs = std::max(longestMs, ms(now - m_last));
        m_last = now;
    }

private:
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    int m_timer = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QList<double> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.append(QString::fromLocal8Bit(argv[i]).toDouble());
    if (sizes.isEmpty())
        sizes = {1, 20};
    QTemporaryDir dir;
    SetAppDir(dir.path());

    PageEditor coloured;
    auto *hl = new HtmlHighlighter(&coloured);
    PageEditor plainEditor;
    QPlainTextEdit bare;
    bare.setLineWrapMode(QPlainTextEdit::NoWrap);
    for (QWidget *w : {static_cast<QWidget *>(&coloured), static_cast<QWidget *>(&plainEditor),
                       static_cast<QWidget *>(&bare)}) {
        w->resize(900, 600);
        w->show();
    }
    if (!QTest::qWaitForWindowExposed(&bare))
        std::printf("the editors were not shown\n");
    const QString typed = u"<a href=\"x.htm\">typing &amp; more text</a> "_s.repeated(5);

    for (double mb : sizes) {
        const QString page = bench::BigPage(qsizetype(mb * 1024 * 1024), ColouredLine);
        std::printf("Page of %.1f MB (%lld lines), offscreen\n", mb, static_cast<long long>(page.count(u'\n') + 1));

        // --- Showing the page --------------------------------------------
        QElapsedTimer t;
        t.start();
        bare.setPlainText(HtmlToEditorText(page));
        QCoreApplication::processEvents();
        const double bareShow = ms(t.nsecsElapsed());
        t.restart();
        plainEditor.setHtmlText(page);
        QCoreApplication::processEvents();
        const double plainShow = ms(t.nsecsElapsed());
        StallWatch stalls;
        t.restart();
        coloured.setHtmlText(page);
        QCoreApplication::processEvents();
        const double colouredShow = ms(t.nsecsElapsed());
        stalls.start();
        drain(hl);
        stalls.stop();
        const double allRead = ms(t.nsecsElapsed());
        std::printf("  shown (first round of events): bare %.0f ms, editor %.0f ms, editor with colours %.0f ms (%.2fx bare)\n",
                    bareShow, plainShow, colouredShow, colouredShow / bareShow);
        std::printf("  every line's state read %.0f ms after the page was set; longest stall meanwhile %.1f ms\n",
                    allRead, stalls.longestMs);

        // --- Typing in the middle -----------------------------------------
        const int mid = bare.document()->characterCount() / 2;
        caretAt(&bare, mid);
        caretAt(&plainEditor, mid);
        caretAt(&coloured, mid);
        drain(hl);
        const std::vector<double> bareKeys = typeKeys(&bare, typed);
        const std::vector<double> plainKeys = typeKeys(&plainEditor, typed);
        const std::vector<double> colouredKeys = typeKeys(&coloured, typed);
        drain(hl);
        std::printf(" %d keys of markup typed in the middle, each until the event loop is idle:\n", int(typed.size()));
        print("bare QPlainTextEdit", bareKeys);
        print("page editor", plainKeys);
        print("page editor with colours", colouredKeys);
        std::printf("  ratio coloured/bare: median %.2fx, worst %.2fx\n", bench::Median(colouredKeys) / bench::Median(bareKeys),
                    bench::Worst(colouredKeys) / bench::Worst(bareKeys));

        // --- Opening a comment at the top ---------------------------------
        caretAt(&bare, 0);
        caretAt(&coloured, 0);
        drain(hl);
        const std::vector<double> bareOpen = typeKeys(&bare, u"<!--"_s);
        StallWatch commentStalls;
        t.restart();
        const std::vector<double> colouredOpen = typeKeys(&coloured, u"<!--"_s);
        commentStalls.start();
        drain(hl);
        commentStalls.stop();
        const double commentRead = ms(t.nsecsElapsed());
        std::printf(" \"<!--\" typed at the top (everything below becomes a comment):\n");
        print("bare QPlainTextEdit", bareOpen);
        print("page editor with colours", colouredOpen);
        std::printf("  states of all lines read %.0f ms later; longest stall meanwhile %.1f ms\n", commentRead,
                    commentStalls.longestMs);
        const std::vector<double> bareClose = typeKeys(&bare, u"-->"_s);
        const std::vector<double> colouredClose = typeKeys(&coloured, u"-->"_s);
        drain(hl);
        print("\"-->\" bare", bareClose);
        print("\"-->\" with colours", colouredClose);

        // --- Recovery records -------------------------------------------------
        ProjectDates p;
        NewStartProject(p);
        p.Html[0].HtmlStr = page;
        p.Henkou = true;
        const int rounds = 5;
        qint64 snapNs = 0;
        RecoveryWriter writer;
        const QString record = JoinPath(dir.path(), u"Recovery1.hpf"_s);
        writer.setPath(record);
        qint64 writerNs = 0;
        QElapsedTimer writerClock;
        writer.beforeWrite = [&] { writerClock.start(); };
        QObject::connect(&writer, &RecoveryWriter::written, [&](quint64, bool, const QString &) {
            writerNs += writerClock.nsecsElapsed();
        });
        std::vector<double> keysDuringWrites;
        for (int r = 0; r < rounds; ++r) {
            p.Html[0].HtmlStr[r] = QChar(u'A' + r); // a different record each time
            t.restart();
            RecoverySnapshot s{p, {}};
            writer.write(std::move(s));
            snapNs += t.nsecsElapsed();
            // Typing goes on while the record is written.
            const std::vector<double> k = typeKeys(&coloured, u"abcdefghij"_s);
            keysDuringWrites.insert(keysDuringWrites.end(), k.begin(), k.end());
            writer.waitForDone();
            QCoreApplication::processEvents();
        }
        const QByteArray bytes = EncodeRecoveryFile(p);
        t.restart();
        for (int r = 0; r < rounds; ++r)
            WriteFileAtomically(record, bytes, nullptr, WriteMode::Durable);
        const double bareWrite = ms(t.nsecsElapsed()) / rounds;
        t.restart();
        for (int r = 0; r < rounds; ++r)
            EncodeProjectFile(p);
        const double bareEncode = ms(t.nsecsElapsed()) / rounds;
        std::printf(" recovery record of %.1f MB:\n", double(bytes.size()) / (1024 * 1024));
        std::printf("  on the typing thread: %.3f ms per record (taking the snapshot)\n", ms(snapNs) / rounds);
        std::printf("  on the writer thread: %.0f ms per record; bare: encoding as a save does %.0f ms + synced atomic "
                    "write %.0f ms = %.0f ms (%.2fx)\n",
                    ms(writerNs) / rounds, bareEncode, bareWrite, bareEncode + bareWrite,
                    (ms(writerNs) / rounds) / (bareEncode + bareWrite));
        print("keys typed while records are written", keysDuringWrites);
        std::printf("\n");
    }
    return 0;
}
