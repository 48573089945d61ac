#pragma once

#include "entrynames.h"

#include <QByteArray>
#include <QString>

// The two progress files as the tool reads and writes them: the flag text in
// catalog order, one "0" or "1" per entry. A new file holds the flag text and
// CR LF; in an existing one only the flag characters change, and whatever
// stands around them (quotes, a comma and notes, further lines) is kept.
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
    QByteArray bytes; // the whole file as it was read
    qsizetype fieldStart = -1; // where the flag text starts in `bytes`; -1 when it has none
    qsizetype fieldLength = 0;

    // The file's bytes with `newFlags` in place of its flag text.
    QByteArray fileWith(const QByteArray &newFlags) const;
};

// Reads the first field of the file the way the viewer does, and refuses
// anything but "0" and "1" or more characters than the catalog has entries.
// A file too large to be a progress file with notes is refused as well: it
// is read whole, to be written back whole.
FlagLoad loadFlags(const QString &path, Kind kind);

} // namespace progresstool
