#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace batch {

// The download script is a handful of short lines; anything much larger was
// not written by the viewer and is not worth holding in memory.
inline constexpr qsizetype MaxBatchScriptSize = 64 * 1024;

// What one line of a download script asks for. Only the few commands such a
// script contains are understood; everything the Windows command interpreter
// would treat specially beyond them (variables, pipes, redirection, command
// chaining) makes the line Refused, so that nothing of it runs.
struct BatchCommand
{
    enum Kind { Nothing, EchoSetting, Delete, Exit, External, Refused };

    Kind kind = Nothing;
    // External: the command word, quotes removed, as the script wrote it.
    QString program;
    // External: the arguments, quotes removed. Delete: the plain names of the
    // files to delete from the working directory.
    QStringList arguments;
};

// Splits a script into lines ending in CR LF or a bare LF; a final line
// without an ending is kept, the empty piece after a final ending is not.
QStringList splitBatchLines(const QByteArray &script);

BatchCommand parseBatchLine(QStringView line);

// A name that stays inside the folder it is looked up in: no separators,
// no drive or stream colon, no wildcards, not "." or "..".
bool isPlainFileName(QStringView name);

// The absolute path of the program a command word names, or an empty string
// when there is none. The working directory is searched before the folders
// of pathVariable (a PATH-style list), and a name ending in ".exe" is also
// found without that ending, the name as written preferred in each folder.
QString findBatchProgram(const QString &name, const QString &workingDir,
                         const QString &pathVariable);

// Deletes the one file in workingDir whose name equals name without regard
// to case. Returns whether a file was deleted.
bool deleteMatchingFile(const QString &workingDir, const QString &name);

} // namespace batch
