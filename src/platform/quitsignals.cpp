#include "quitsignals.h"

#include <QCoreApplication>

#ifndef Q_OS_WIN
#  include "quithandlers.h"

#  include <QSocketNotifier>

#  include <sys/socket.h>
#  include <unistd.h>
#endif

namespace platform {

#ifndef Q_OS_WIN

namespace {

int signalPipe[2] = { -1, -1 };

// A signal handler may do next to nothing; it hands the signal to the event
// loop through a socket.
void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

} // namespace

void quitOnTerminationSignals()
{
    if (signalPipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    auto *notifier =
            new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, QCoreApplication::instance(), [] {
        char byte = 0;
        [[maybe_unused]] const ssize_t read = ::read(signalPipe[0], &byte, 1);
        QCoreApplication::quit();
    });
    processes::catchQuitSignals(onTerminationSignal, processes::Interrupted::Restart);
}

#else

void quitOnTerminationSignals() { }

#endif

} // namespace platform
