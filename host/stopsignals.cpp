#include "host/stopsignals.h"

#include <QByteArray>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace ostrel {

namespace {

// A signal handler may only write: to a pipe, which the event loop reads, and to standard error.
int g_signalPipe[2] = {-1, -1};
volatile sig_atomic_t g_stopSignal = 0; // the first SIGINT, SIGTERM or SIGHUP of the launch
volatile sig_atomic_t g_ending = 0;     // from then, or the game's end, until quillon is done
QByteArray g_stillEnding;               // what a further signal is told meanwhile

void onStopSignal(int signal)
{
    const int savedErrno = errno;
    if (g_ending) {
        [[maybe_unused]] const ssize_t said =
            ::write(STDERR_FILENO, g_stillEnding.constData(), size_t(g_stillEnding.size()));
    } else {
        g_stopSignal = signal;
        g_ending = 1;
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

QString signalName(int signal)
{
    switch (signal) {
    case SIGINT:
        return u"SIGINT (Ctrl+C)"_s;
    case SIGHUP:
        return u"SIGHUP (the terminal was closed)"_s;
    case SIGTERM:
        return u"SIGTERM"_s;
    }
    return u"signal %1"_s.arg(signal);
}

StopSignals::StopSignals(bool givingBack, const std::function<void()> &onStop)
{
    g_stopSignal = 0;
    g_ending = 0;
    g_stillEnding = givingBack ? "quillon: still giving the game directory back; Quillon ends once it is back.\n"
                               : "quillon: still ending the game; Quillon ends once it has ended.\n";
    if (::pipe2(g_signalPipe, O_CLOEXEC) != 0)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [onStop] {
        char byte;
        [[maybe_unused]] const ssize_t read = ::read(g_signalPipe[0], &byte, 1);
        onStop();
    });
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
    // A closed terminal or pipe must not end quillon halfway through the give-back.
    ::signal(SIGPIPE, SIG_IGN);
}

StopSignals::~StopSignals()
{
    if (!m_notifier)
        return;
    // quillon only returns its status from here on; a late signal would end it with another,
    // and the pipe is closed.
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        ::signal(signal, SIG_IGN);
    m_notifier.reset();
    ::close(g_signalPipe[0]);
    ::close(g_signalPipe[1]);
    g_signalPipe[0] = g_signalPipe[1] = -1;
}

int StopSignals::received() const
{
    return g_stopSignal;
}

void StopSignals::gameEnded()
{
    g_ending = 1;
}

} // namespace ostrel
