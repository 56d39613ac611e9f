// Start-up of the program as src/main.cpp starts it, timed from the moment
// the process was launched: until the main window is first exposed (mapped)
// and has drawn itself, and until the preview pane has loaded the start page. Also counts the
// native windows the main window had: one when it is mapped only once.
// Run it under an X server (bench/coldstart.sh does); QV_BENCH_T0 holds the
// launch time (seconds since the epoch), else the process start is used.
#include "AppStart.h"
#include "MainForm.h"
#include "PreviewCommands.h"
#include "PreviewPane.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QPlatformSurfaceEvent>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

double nowSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// The launch time: QV_BENCH_T0, or the process start from /proc.
double launchSeconds()
{
    bool ok = false;
    const double t0 = qEnvironmentVariable("QV_BENCH_T0").toDouble(&ok);
    if (ok)
        return t0;
    QFile stat(QStringLiteral("/proc/self/stat"));
    QFile uptime(QStringLiteral("/proc/uptime"));
    if (!stat.open(QIODevice::ReadOnly) || !uptime.open(QIODevice::ReadOnly))
        return nowSeconds();
    const QList<QByteArray> f = stat.readAll().split(')').last().trimmed().split(' ');
    const double startTicks = f.size() > 19 ? f.at(19).toDouble() : 0; // field 22 of the whole line
    const double up = uptime.readAll().split(' ').first().toDouble();
    return nowSeconds() - up + startTicks / double(sysconf(_SC_CLK_TCK));
}

class Watcher : public QObject
{
public:
    double exposed = 0;
    double drawn = 0;
    int surfaces = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched->objectName() == u"MainFormWindow") {
            if (event->type() == QEvent::PlatformSurface
                && static_cast<QPlatformSurfaceEvent *>(event)->surfaceEventType()
                       == QPlatformSurfaceEvent::SurfaceCreated)
                ++surfaces;
            if (event->type() == QEvent::Expose && exposed == 0 && static_cast<QWindow *>(watched)->isExposed()) {
                exposed = nowSeconds();
                // The window draws itself while it handles the event.
                QTimer::singleShot(0, this, [this] { drawn = nowSeconds(); });
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int main(int argc, char *argv[])
{
    const double t0 = launchSeconds();
    PrepareProcess();
    QApplication app(argc, argv);
    PrepareApplication();
    // Run from a copy of the program folder (bench/coldstart.sh makes one).
    if (!SetUpAppDir(FindAppDirPlaces(QCoreApplication::applicationDirPath(), QString())))
        return 1;
    Watcher watcher;
    app.installEventFilter(&watcher);

    MainForm form;
    double previewed = 0;
    auto *cmds = form.findChild<PreviewCommands *>();
    if (!cmds) {
        std::fprintf(stderr, "no preview commands\n");
        return 1;
    }
    QObject::connect(cmds->pane(), &PreviewPane::settled, &app, [&](const QString &, bool ok) {
        if (ok && previewed == 0) {
            previewed = nowSeconds();
            // A little longer, to see whether the window is made again.
            QTimer::singleShot(1000, &app, &QCoreApplication::quit);
        }
    });
    QTimer::singleShot(60000, &app, &QCoreApplication::quit);
    form.startUp();
    form.show();
    app.exec();
    std::printf("exposed %.3f s, drawn %.3f s, preview loaded %.3f s, native windows %d\n", watcher.exposed - t0,
                watcher.drawn - t0, previewed > 0 ? previewed - t0 : -1.0, watcher.surfaces);
    form.project().Henkou = false;
    return previewed > 0 ? 0 : 1;
}
