#pragma once

#include <QString>

namespace batch {

// What a run tells its caller.
enum class BatchReport {
    // Nothing: the exit status is 0 and the programs' output goes nowhere,
    // as the viewer's script is meant to be run.
    Quiet,
    // The programs' error output passes through to the helper's own, and the
    // exit status is that of the last program or line that failed: 127 for a
    // program that was not found, 126 for a line that was not run (refused,
    // or a password that could not be kept off the command line), 128 plus
    // the signal for a program that was killed, or 0 when every line ran
    // and every program succeeded.
    Outcome,
};

// Runs a download script in the current working directory, line by line, as
// the Windows command interpreter would run the few commands such a script
// holds, waiting for each program it starts. Programs are looked for in the
// working directory, then beside the running executable, then along PATH. The download client
// (ncftpget, with or without ".exe") gets its account and password in a login file handed over in
// memory instead of on its command line. The script is read in full before the first line runs, so
// it may delete itself. Returns as `report` says, or 1 when the script cannot be read or is larger
// than MaxBatchScriptSize.
int runBatchScript(const QString &scriptPath, BatchReport report = BatchReport::Quiet);

// Asks a running script to stop: no further line runs once the program
// running now has ended. Safe to call from a signal handler.
void requestBatchStop();

} // namespace batch
