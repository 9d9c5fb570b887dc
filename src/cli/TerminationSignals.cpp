#include "cli/TerminationSignals.h"

#include "link/Termination.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace brevolan::cli {

namespace {

int g_pipe[2] = {-1, -1};

void onWatchSignal(int signal)
{
    const int savedErrno = errno;
    requestTermination();
    const char c = char(signal);
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &c, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent)
{
    if (g_pipe[0] < 0 && ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action {};
    action.sa_handler = onWatchSignal;
    sigemptyset(&action.sa_mask);
    // Blocking reads of the serial port go on after the handler; the
    // termination mark ends them at their next look at it.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    m_notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &TerminationSignals::readPipe);
}

TerminationSignals::~TerminationSignals() = default;

void TerminationSignals::readPipe()
{
    char c = 0;
    char last = 0;
    while (::read(g_pipe[0], &c, 1) == 1)
        last = c;
    if (last != 0)
        emit received(last == SIGINT ? QStringLiteral("SIGINT") : QStringLiteral("SIGTERM"));
}

} // namespace brevolan::cli
