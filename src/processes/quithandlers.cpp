#include "quithandlers.h"

#ifndef _WIN32

namespace processes {

void catchQuitSignals(void (*handler)(int), Interrupted calls, QuitActions *previous)
{
    struct sigaction action
    {
    };
    action.sa_handler = handler;
    action.sa_flags = calls == Interrupted::Restart ? SA_RESTART : 0;
    sigemptyset(&action.sa_mask);
    for (size_t k = 0; k < QuitSignals.size(); ++k)
        ::sigaction(QuitSignals[k], &action, previous ? &(*previous)[k] : nullptr);
}

void restoreQuitSignals(const QuitActions &previous)
{
    for (size_t k = 0; k < QuitSignals.size(); ++k)
        ::sigaction(QuitSignals[k], &previous[k], nullptr);
}

void endBySignal(int signal)
{
    struct sigaction action
    {
    };
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
    std::raise(signal);
}

} // namespace processes

#endif
