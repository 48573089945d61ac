#pragma once

// What a run's exit status says, as a POSIX shell tells it, for every place
// that starts a program and hands its status on: the script helper, the
// download client and the viewer that reads the outcome. Plain C++: the
// download client links no Qt.

#if __has_include(<sys/wait.h>)
#  include <sys/wait.h>
#endif

namespace fetchprotocol {

// The program could not be found or started.
inline constexpr int ExitNotFound = 127;
// The program was found, but the line that names it was not run.
inline constexpr int ExitNotRun = 126;

// A program ended by a signal.
constexpr int exitStatusKilledBy(int signal)
{
    return 128 + signal;
}

#ifdef WIFEXITED
// The status of a program whose end waitpid() reported.
inline int exitStatusFromWait(int waitStatus)
{
    if (WIFEXITED(waitStatus))
        return WEXITSTATUS(waitStatus);
    return exitStatusKilledBy(WTERMSIG(waitStatus));
}
#endif

// The status of a program whose end a process class reported as its exit
// code, or for one that crashed, the signal that ended it (as QProcess does).
constexpr int exitStatusFromExit(bool crashed, int exitCode)
{
    return crashed ? exitStatusKilledBy(exitCode) : exitCode;
}

} // namespace fetchprotocol
