#pragma once

// The signals that ask a program of ours to end: SIGTERM (the viewer ending a
// fetch, a logout), SIGINT (Ctrl+C) and SIGHUP (a closed terminal). Each
// program decides what its handler does; which signals those are, and how
// the handler goes in and out, lives here. Windows has no such signals.
#ifndef _WIN32

#  include <array>
#  include <csignal>

#  include <signal.h>

namespace processes {

inline constexpr std::array QuitSignals { SIGTERM, SIGINT, SIGHUP };

using QuitActions = std::array<struct sigaction, QuitSignals.size()>;

enum class Interrupted { Fail, Restart }; // what a call interrupted by one does

// Sends the quit signals to `handler`; what they did before goes to
// `previous` when given.
void catchQuitSignals(void (*handler)(int), Interrupted calls, QuitActions *previous = nullptr);
void restoreQuitSignals(const QuitActions &previous);

// Ends the process by `signal` as it would have ended without a handler;
// returns only if the signal does not end it.
void endBySignal(int signal);

} // namespace processes

#endif
