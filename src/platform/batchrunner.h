#pragma once

#include <QString>

namespace platform {

// Runs a download script in the current working directory, line by line, as
// the Windows command interpreter would run the few commands such a script
// holds, waiting for each program it starts. The script is read in full
// before the first line runs, so it may delete itself. Returns 0, or 1 when
// the script cannot be read or is larger than MaxBatchScriptSize.
int runBatchScript(const QString &scriptPath);

} // namespace platform
