// Starts a program on the X display and times its top-level windows from the
// X server's own notices: prints the seconds from the launch until the last
// top-level window was mapped (the one that stays) and how many top-level
// maps there were, once no map has come for the given number of seconds and
// that window is still there. Used by bench/coldstart.sh; it watches without
// polling, so it takes no processor time from the program it times.
//   bench_maptime STABLE_SECONDS PROGRAM [ARGUMENTS...]
#include <X11/Xlib.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double now()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_maptime STABLE_SECONDS PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    const double stable = std::atof(argv[1]);
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "bench_maptime: no X display\n");
        return 2;
    }
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    const double t0 = now();
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execvp(argv[2], argv + 2);
        _exit(127);
    }

    int maps = 0;
    double lastMap = 0;
    Window last = 0;
    bool lastThere = false;
    const int fd = ConnectionNumber(display);
    while (now() - t0 < 60) {
        while (XPending(display)) {
            XEvent e;
            XNextEvent(display, &e);
            if (e.type == MapNotify && !e.xmap.override_redirect) {
                ++maps;
                lastMap = now() - t0;
                last = e.xmap.window;
                lastThere = true;
            } else if ((e.type == UnmapNotify && e.xunmap.window == last)
                       || (e.type == DestroyNotify && e.xdestroywindow.window == last)) {
                lastThere = false;
            }
        }
        if (lastThere && now() - t0 - lastMap >= stable)
            break;
        if (waitpid(child, nullptr, WNOHANG) == child) {
            std::fprintf(stderr, "bench_maptime: %s ended\n", argv[2]);
            return 1;
        }
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(fd, &readable);
        timeval pause{0, 20000};
        select(fd + 1, &readable, nullptr, nullptr, &pause);
    }
    kill(child, SIGTERM);
    for (int i = 0; i < 50 && waitpid(child, nullptr, WNOHANG) == 0; ++i)
        usleep(10000);
    if (waitpid(child, nullptr, WNOHANG) == 0) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    if (!lastThere) {
        std::fprintf(stderr, "bench_maptime: %s did not stay mapped\n", argv[2]);
        return 1;
    }
    std::printf("%.3f %d\n", lastMap, maps);
    XCloseDisplay(display);
    return 0;
}
