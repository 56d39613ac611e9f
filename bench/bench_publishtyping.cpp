// Keystrokes into the main window while a publish runs (offscreen), beside
// the same keystrokes with no transfer under way.
//
// The publish goes through the program's own command path: the file menu's
// command, its settings window (answered with OK), the question about the
// server's new host key (yes), the plan (送信), the transfer on its worker
// thread with its progress window. Meanwhile keys are posted to the page
// editor at a steady pace; for each key two figures are taken from the
// moment it was posted: until the editor handles the key press, and until
// the editor next paints (which shows it).
//
// Usage: bench_publishtyping PORT USER REMOTE-FOLDER PRIVATE-KEY SOURCE-FOLDER
// (a running sshd on 127.0.0.1; bench/publish_goals.sh starts one). Every file
// of SOURCE-FOLDER becomes an "other file" of the project. QV_BENCH_PACE_MS
// (default 20) sets the pace, QV_BENCH_KEYS (default 150) the number of keys
// of the session without a transfer, QV_BENCH_ROUNDS (default 5) how many
// times the site is published (each time into a new folder below
// REMOTE-FOLDER, so that every file is sent each time).
#include "AppPaths.h"
#include "AppStart.h"
#include "BenchSupport.h"
#include "MainForm.h"
#include "PageEditor.h"
#include "PublishCommands.h"
#include "PublishKeyring.h"
#include "PublishSettingsFile.h"
#include "RecordingUi.h"
#include "TestSupport.h"
#include "WidgetTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// No desktop keyring here: the password (none, a key is used) is not kept.
struct NoKeyring final : PasswordKeyring
{
    bool read(const QString &, QString *password, QString *reason) override
    {
        password->clear();
        *reason = u"benchmark"_s;
        return false;
    }
    bool write(const QString &, const QString &, QString *reason) override
    {
        *reason = u"benchmark"_s;
        return false;
    }
};

struct Figures
{
    std::vector<double> handled; // ms from posting until the key press is handled
    std::vector<double> painted; // ms from posting until the next paint
};

// Posts a key every pace ms while going() holds (and at most maxKeys), timing
// each as the file header describes.
class TypingSession : public QObject
{
public:
    TypingSession(QPlainTextEdit *editor, int paceMs)
        : m_editor(editor)
        , m_pace(paceMs)
    {
    }

    Figures run(int maxKeys, const std::function<bool()> &going)
    {
        m_editor->installEventFilter(this);
        m_editor->viewport()->installEventFilter(this);
        m_clock.start();
        QEventLoop loop;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        tick.setInterval(1);
        double nextDue = 0;
        QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
            const bool stop = int(m_posted.size()) >= maxKeys || !going();
            if (stop) {
                // Every posted key painted: done.
                if (m_paintedUpTo >= m_posted.size())
                    loop.quit();
                return;
            }
            if (ms() < nextDue)
                return;
            const int i = int(m_posted.size());
            const QString text(QChar(u'a' + i % 26));
            m_posted.push_back(ms());
            m_pressAt.push_back(-1);
            m_paintAt.push_back(-1);
            nextDue += m_pace;
            QCoreApplication::postEvent(m_editor, new QKeyEvent(QEvent::KeyPress, Qt::Key_A + i % 26, Qt::NoModifier, text));
            QCoreApplication::postEvent(m_editor, new QKeyEvent(QEvent::KeyRelease, Qt::Key_A + i % 26, Qt::NoModifier, text));
        });
        tick.start();
        QTimer::singleShot(600000, &loop, &QEventLoop::quit);
        loop.exec();
        m_editor->removeEventFilter(this);
        m_editor->viewport()->removeEventFilter(this);
        Figures f;
        for (size_t i = 0; i < m_posted.size(); ++i) {
            if (m_pressAt[i] >= 0)
                f.handled.push_back(m_pressAt[i] - m_posted[i]);
            if (m_paintAt[i] >= 0)
                f.painted.push_back(m_paintAt[i] - m_posted[i]);
        }
        return f;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_editor && event->type() == QEvent::KeyPress && m_pressed < m_posted.size()) {
            m_pressAt[m_pressed++] = ms();
        } else if (watched == m_editor && event->type() == QEvent::KeyRelease) {
            ++m_released;
        } else if (watched == m_editor->viewport() && event->type() == QEvent::Paint) {
            const double now = ms();
            while (m_paintedUpTo < m_released && m_paintedUpTo < m_posted.size())
                m_paintAt[m_paintedUpTo++] = now;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    double ms() const { return double(m_clock.nsecsElapsed()) / 1e6; }

    QPlainTextEdit *m_editor;
    int m_pace;
    QElapsedTimer m_clock;
    std::vector<double> m_posted, m_pressAt, m_paintAt;
    size_t m_pressed = 0, m_released = 0, m_paintedUpTo = 0;
};

void print(const char *who, const Figures &f)
{
    std::printf("  %-16s %4zu keys: handled median %6.2f ms, worst %7.2f ms | painted median %6.2f ms, worst %7.2f ms\n",
                who, f.handled.size(), bench::Median(f.handled), bench::Worst(f.handled), bench::Median(f.painted),
                bench::Worst(f.painted));
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    PrepareProcess();
    QApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() != 6) {
        std::fprintf(stderr, "usage: bench_publishtyping PORT USER REMOTE-FOLDER PRIVATE-KEY SOURCE-FOLDER\n");
        return 2;
    }
    const int pace = qEnvironmentVariableIsSet("QV_BENCH_PACE_MS") ? qEnvironmentVariableIntValue("QV_BENCH_PACE_MS") : 20;
    const int rounds = qEnvironmentVariableIsSet("QV_BENCH_ROUNDS") ? qEnvironmentVariableIntValue("QV_BENCH_ROUNDS") : 5;
    const int bareKeys = qEnvironmentVariableIsSet("QV_BENCH_KEYS") ? qEnvironmentVariableIntValue("QV_BENCH_KEYS") : 150;

    QTemporaryDir dir;
    if (!UseHomeInside(dir.path()))
        return 1;
    SetAppDir(dir.path() + u"/app"_s);
    QDir().mkpath(AppDir() + u"/temp"_s);
    RecordingUi ui;

    MainForm form;
    form.startUp();
    form.resize(1200, 850);
    form.show();
    ProjectDates &p = form.project();
    p.ProjectPath = dir.filePath(u"site.hpf"_s);
    const QStringList files = QDir(a[5]).entryList(QDir::Files, QDir::Name);
    for (const QString &f : files)
        AddElseFileDat(p, f, QFileInfo(f).completeBaseName(), a[5] + u'/' + f, u'.' + QFileInfo(f).suffix());
    PublishSettings s{PublishProtocol::Sftp, u"127.0.0.1"_s, a[1].toInt(), a[2], a[3], true, a[4], false};
    QString error;
    if (!WritePublishSettings(p.ProjectPath, s, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    auto *commands = form.findChild<PublishCommands *>(u"PublishCommands"_s);
    NoKeyring keyring;
    commands->setKeyring(&keyring);

    PageEditor *editor = form.ui().MainText;
    editor->setHtmlText(bench::BigPage(64 * 1024));
    QTextCursor c = editor->textCursor();
    c.setPosition(editor->document()->characterCount() / 2);
    editor->setTextCursor(c);
    form.activateWindow();
    editor->setFocus();
    QTest::qWait(500);

    std::printf("Keys into the page editor, one every %d ms, while %lld files are published over SFTP "
                "(offscreen)\n",
                pace, static_cast<long long>(files.size()));
    const Figures bare = TypingSession(editor, pace).run(bareKeys, [] { return true; });

    // Publishes ROUNDS times, each into a folder of its own so that every
    // file goes each time: settings OK, the new host key yes (the first
    // time), the plan 送信.
    ui.yesNoAnswers.enqueue(true);
    Figures during;
    double sendMs = 0;
    for (int round = 0; round < rounds; ++round) {
        s.remoteFolder = a[3] + u'/' + QString::number(round);
        if (!WritePublishSettings(p.ProjectPath, s, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        bool planned = false;
        QElapsedTimer transfer;
        ModalAnswerer answers({[](QWidget *w) { QTest::mouseClick(child<QPushButton>(w, u"OK"_s), Qt::LeftButton); },
                               [&](QWidget *w) {
                                   planned = true;
                                   transfer.start();
                                   QTest::mouseClick(child<QPushButton>(w, u"Send"_s), Qt::LeftButton);
                               }});
        bool ok = false;
        const QMetaObject::Connection ended =
            QObject::connect(commands, &PublishCommands::ended, [&](bool result) { ok = result; });
        form.runCommand(u"minmnyPublish"_s);
        if (!QTest::qWaitFor([&] { return planned || !commands->running(); }, 120000) || !planned) {
            std::fprintf(stderr, "the publish did not come to its plan: %s\n", qPrintable(ui.lastMessage()));
            return 1;
        }
        const Figures f = TypingSession(editor, pace).run(100000, [&] { return commands->running(); });
        sendMs += double(transfer.nsecsElapsed()) / 1e6;
        if (!QTest::qWaitFor([&] { return !commands->running(); }, 600000) || !ok) {
            std::fprintf(stderr, "the publish failed: %s\n", qPrintable(ui.lastMessage()));
            return 1;
        }
        QObject::disconnect(ended);
        during.handled.insert(during.handled.end(), f.handled.begin(), f.handled.end());
        during.painted.insert(during.painted.end(), f.painted.begin(), f.painted.end());
    }
    std::printf("  %d transfers took %.0f ms from 送信 in all (last: %s)\n", rounds, sendMs, qPrintable(ui.statusText()));
    print("no transfer", bare);
    print("during transfer", during);
    std::printf("  ratio during/none: handled median %.2fx, worst %.2fx; painted median %.2fx, worst %.2fx\n",
                bench::Median(during.handled) / bench::Median(bare.handled),
                bench::Worst(during.handled) / bench::Worst(bare.handled),
                bench::Median(during.painted) / bench::Median(bare.painted),
                bench::Worst(during.painted) / bench::Worst(bare.painted));
    const double worst = std::max(bench::Worst(during.handled), bench::Worst(during.painted));
    std::printf("RESULT typing_worst_ms %.2f\nRESULT typing_bare_worst_ms %.2f\n", worst,
                std::max(bench::Worst(bare.handled), bench::Worst(bare.painted)));
    std::printf("  goal: every key answered within 16 ms while the transfer runs: %s (worst %.2f ms)\n",
                worst <= 16 ? "met" : "MISSED", worst);
    form.project().Henkou = false;
    return 0;
}
