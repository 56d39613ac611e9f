#include "EndSignals.h"

#include "MainForm.h"
#include "UiService.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr std::array<int, 3> CaughtSignals{SIGTERM, SIGHUP, SIGINT};

// The write end for the handler; -1 while no watcher is active.
volatile sig_atomic_t g_writeFd = -1;
int g_readFd = -1;

extern "C" void OnEndSignal(int signalNumber)
{
    const int savedErrno = errno;
    const int fd = g_writeFd;
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(signalNumber);
        // A full pipe means an earlier signal is still waiting: dropping this
        // one loses nothing.
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

EndSignals::EndSignals(QObject *parent)
    : QObject(parent)
{
    if (g_writeFd >= 0)
        return;
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds) != 0)
        return;
    g_readFd = fds[0];
    g_writeFd = fds[1];

    struct sigaction action = {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : CaughtSignals)
        ::sigaction(s, &action, nullptr);

    m_notifier = new QSocketNotifier(g_readFd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &EndSignals::readPending);
}

EndSignals::~EndSignals()
{
    if (!m_notifier)
        return;
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int s : CaughtSignals)
        ::sigaction(s, &action, nullptr);
    const int writeFd = g_writeFd;
    g_writeFd = -1;
    delete m_notifier;
    m_notifier = nullptr;
    ::close(writeFd);
    ::close(g_readFd);
    g_readFd = -1;
}

void EndSignals::readPending()
{
    unsigned char bytes[16];
    const ssize_t n = ::read(g_readFd, bytes, sizeof bytes);
    // Several signals in a row ask for one ending.
    if (n > 0)
        Q_EMIT endRequested(bytes[n - 1]);
}

void EndFormOnSignals(EndSignals &watcher, MainForm &form)
{
    QObject::connect(&watcher, &EndSignals::endRequested, &form, [&form] {
        if (form.startingUp()) {
            // A start-up question is open (the signal arrives in its event
            // loop). Its answer is not taken, nothing more is asked, and the
            // end comes once start-up has unwound: the recovery records and
            // the backup stay as they are for the next start.
            form.abandonStartUp();
            Ui().closeOpenBoxes();
            return;
        }
        form.runCommand(u"endOnRequest"_s);
    });
    QObject::connect(&form, &MainForm::startedUp, &form, [&form] {
        if (form.startUpAbandoned())
            form.runCommand(u"endOnRequest"_s);
    });
}
