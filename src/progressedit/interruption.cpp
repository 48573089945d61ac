#include "interruption.h"

#include <array>
#include <csignal>

#include <signal.h>

namespace progresstool {

namespace {

volatile std::sig_atomic_t caughtSignal = 0;

constexpr std::array Signals { SIGTERM, SIGINT, SIGHUP };
std::array<struct sigaction, Signals.size()> previous {};

void note(int signal)
{
    caughtSignal = signal;
}

} // namespace

InterruptionGuard::InterruptionGuard()
{
    struct sigaction action = {};
    action.sa_handler = note;
    sigemptyset(&action.sa_mask);
    for (size_t k = 0; k < Signals.size(); ++k)
        sigaction(Signals[k], &action, &previous[k]);
}

InterruptionGuard::~InterruptionGuard()
{
    for (size_t k = 0; k < Signals.size(); ++k)
        sigaction(Signals[k], &previous[k], nullptr);
}

void InterruptionGuard::endBySignalCaught()
{
    const int signal = caughtSignal;
    if (signal == 0)
        return;
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    std::raise(signal);
}

int interruptingSignal()
{
    return caughtSignal;
}

} // namespace progresstool
