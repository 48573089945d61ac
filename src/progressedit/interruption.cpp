#include "interruption.h"

#ifndef _WIN32
#  include "quithandlers.h"

#  include <csignal>

namespace progresstool {

namespace {

volatile std::sig_atomic_t caughtSignal = 0;

processes::QuitActions previous {};

void note(int signal)
{
    caughtSignal = signal;
}

} // namespace

InterruptionGuard::InterruptionGuard()
{
    processes::catchQuitSignals(note, processes::Interrupted::Fail, &previous);
}

InterruptionGuard::~InterruptionGuard()
{
    processes::restoreQuitSignals(previous);
}

void InterruptionGuard::endBySignalCaught()
{
    if (caughtSignal != 0)
        processes::endBySignal(caughtSignal);
}

int interruptingSignal()
{
    return caughtSignal;
}

} // namespace progresstool

#else

// Windows has none of these signals: nothing interrupts a step.
namespace progresstool {

InterruptionGuard::InterruptionGuard() = default;
InterruptionGuard::~InterruptionGuard() = default;
void InterruptionGuard::endBySignalCaught() { }
int interruptingSignal()
{
    return 0;
}

} // namespace progresstool

#endif
