#pragma once

// SIGTERM, SIGINT and SIGHUP (a closed terminal) do not end the program in
// the middle of a step: the step sees that it was asked to stop, ends what
// it started (an upload client, a half-done pair of files) and returns, and
// the program then ends by that signal.
namespace progresstool {

class InterruptionGuard
{
public:
    InterruptionGuard();
    ~InterruptionGuard();
    InterruptionGuard(const InterruptionGuard &) = delete;
    InterruptionGuard &operator=(const InterruptionGuard &) = delete;

    // Ends the process by the caught signal, as it would have ended at once
    // without the guard; returns when none was caught.
    void endBySignalCaught();
};

// The signal caught while a guard is in place, or 0.
int interruptingSignal();

} // namespace progresstool
