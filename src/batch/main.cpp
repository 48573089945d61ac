#include "batchrunner.h"

#include <QCoreApplication>

#ifndef Q_OS_WIN
#  include "quithandlers.h"

#  include <csignal>
#  include <unistd.h>
#endif

namespace {

#ifndef Q_OS_WIN
volatile std::sig_atomic_t leadsOwnGroup = 0;
volatile std::sig_atomic_t passedOn = 0;

// The viewer ends a fetch by signalling the helper's process group, so the
// program running now gets the signal as well; the helper then only has to
// start nothing more. A helper signalled alone (its viewer died) passes the
// signal on to the group it leads, and never to a group it merely joined.
void onStopSignal(int signal)
{
    batch::requestBatchStop();
    if (leadsOwnGroup && !passedOn) {
        passedOn = 1;
        ::kill(0, signal);
    }
}

void stopOnSignals()
{
    leadsOwnGroup = ::getpgrp() == ::getpid();
    processes::catchQuitSignals(onStopSignal, processes::Interrupted::Restart);
}
#endif

} // namespace

// huntmark-batch [--report] SCRIPT
int main(int argc, char *argv[])
{
    // The viewer starts this helper hidden, with nowhere to show anything,
    // and the program never reports errors; Qt's own warnings go too.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    QCoreApplication app(argc, argv);
#ifndef Q_OS_WIN
    stopOnSignals();
#endif
    QStringList arguments = QCoreApplication::arguments().mid(1);
    batch::BatchReport report = batch::BatchReport::Quiet;
    if (arguments.size() == 2 && arguments.front() == QLatin1String("--report")) {
        report = batch::BatchReport::Outcome;
        arguments.removeFirst();
    }
    if (arguments.size() != 1)
        return 1;
    return batch::runBatchScript(arguments.front(), report);
}
