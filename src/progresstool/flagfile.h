#pragma once

#include "progresstool/entrynames.h"

#include <QByteArray>
#include <QString>

// The two progress files as the tool reads and writes them: the flag text in
// catalog order, one "0" or "1" per entry, followed by CR LF.
namespace progresstool {

QString flagFileName(Kind kind); // UniquesDefeated.txt or QuestsCleared.txt
int flagCount(Kind kind); // entries in the catalog, so characters in the file

struct FlagLoad
{
    enum class Status {
        Read, // `flags` holds the file's flag text, padded with "0" to the catalog's length
        Missing, // no file: `flags` is all "0"
        Damaged, // the flag text is not one the tool can change safely; see `problem`
        Unreadable // the file is there but cannot be read; see `problem`
    };
    Status status = Status::Missing;
    QByteArray flags;
    QString problem; // what is wrong and where, without the file's name
};

// Reads the first field of the file the way the viewer does, and refuses
// anything but "0" and "1" or more characters than the catalog has entries.
FlagLoad loadFlags(const QString &path, Kind kind);

// Replaces the file in one step: a temporary file in the same folder is
// written and then renamed over the old one, so a reader sees either the old
// or the new file, never half of one. Returns an empty string or the reason.
QString saveFlags(const QString &path, const QByteArray &flags);

} // namespace progresstool
