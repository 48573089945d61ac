// huntmark-progress: marks done what the followed player has done, by name,
// and publishes the progress files. Everything but the process itself lives
// in the progresstool library.
#include "interruption.h"
#include "progresstool.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    progresstool::InterruptionGuard guard;
    const progresstool::Outcome outcome =
            progresstool::run(QCoreApplication::arguments().mid(1), { QDir::currentPath() });
    std::fputs(outcome.output.toLocal8Bit().constData(), stdout);
    std::fputs(outcome.error.toLocal8Bit().constData(), stderr);
    std::fflush(nullptr);
    guard.endBySignalCaught();
    return outcome.status;
}
