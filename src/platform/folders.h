#pragma once

#include <QString>

namespace platform {

// The two folders the viewer works in, each with one job.
struct Folders
{
    // Where the executable lies, with what came with it: the pictures, the
    // script helper and the download client. Only read.
    QString program;
    // Where the viewer keeps what it writes: Tabs.ini, the download script,
    // the downloaded progress files and the history.
    QString data;
    // Why there is no data folder; empty when both folders are known.
    QString problem;
};

// The name of the data folder under the user's data home.
inline constexpr QLatin1StringView DataFolderName("huntmark-viewer");

// Decides both folders for an executable in `programFolder`. A program folder
// the user can write (a build, an unpacked bundle, a per-user install) is the
// data folder as well. An installed system-wide program folder is not: every
// user then keeps their state in $XDG_DATA_HOME/huntmark-viewer, made here on
// the first start, and a folder an earlier package's launcher set up there is
// tidied first. This is the only place that decides either folder.
Folders decideFolders(const QString &programFolder);

// Takes out of a data folder what the launcher of earlier packages put there
// to run the viewer from it: links to the package's script helper, download
// client and pictures, a copy of the viewer, and the launcher's mark. The
// user's own files stay as they are.
void tidyLauncherLeftovers(const QString &dataFolder);

} // namespace platform
