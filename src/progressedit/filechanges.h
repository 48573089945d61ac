#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// Several files of one folder replaced together: each one's new bytes go to
// a temporary file beside it first, and only when all of them are written
// are they renamed over the old ones. Should a rename still fail, the files
// already replaced are put back, so the folder ends with all the new files
// or all the old ones.
namespace progresstool {

struct FileChange
{
    QString path;
    QString shownName; // for messages
    QByteArray bytes;
    std::optional<QByteArray> before; // nothing: the file is new
};

struct CommitResult
{
    bool committed = false;
    QString failedName; // the file that could not be written
    QString problem; // why, and what became of the others
};

CommitResult commitChanges(const QList<FileChange> &changes);

} // namespace progresstool
