#include "app/TerminationSignals.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace thrumwise {

namespace {

// Written by the handler, read on the GUI thread: the only safe way out of a
// signal handler is a write(2).
std::array<int, 2> wakePipe{-1, -1};

extern "C" void onTerminationSignal(int /*signal*/) {
    const int savedErrno = errno;  // the interrupted code may be about to read it
    const char byte = 1;
    // Never blocks: when the socket is full, a wake-up is pending anyway.
    [[maybe_unused]] const auto written = ::write(wakePipe[0], &byte, 1);
    errno = savedErrno;
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (wakePipe[0] == -1 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0,
                                          wakePipe.data()) != 0) {
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(wakePipe[1], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        [[maybe_unused]] const auto read = ::read(wakePipe[1], &byte, 1);
        Q_EMIT received();
    });
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
}

TerminationSignals::~TerminationSignals() = default;

}  // namespace thrumwise
