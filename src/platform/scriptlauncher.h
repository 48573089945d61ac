#pragma once

#include <QString>

namespace platform {

// Starts a command script in its own hidden process and returns at once; the
// caller never waits for it and never learns how it ended. The script runs
// with `workingFolder` as its working directory, since every name in it is
// relative. Returns false when nothing could be started.
//
// On Windows the command interpreter runs the script. Elsewhere our own
// script helper (huntmark-batch, installed beside the viewer) runs it.
bool startScriptHidden(const QString &scriptPath, const QString &workingFolder);

// Where the script helper is looked for: beside the running executable unless
// set otherwise (tests run from another folder than the program's).
QString scriptHelperPath();
void setScriptHelperPath(const QString &path);

} // namespace platform
