#pragma once

// What a test sets up on disk and in its environment: files present or not,
// damaged ones in their place, permissions put back afterwards.

#include "testsupport.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct sqlite3;

// A file before or after a run: its bytes, or nothing when it is missing.
using FileState = std::optional<QByteArray>;
void setFile(const ProgramFolder &folder, const QString &name, const FileState &state);
FileState fileState(const ProgramFolder &folder, const QString &name);

// Permission bits do not stop root, which is what CI runs as.
bool runningAsRoot();
bool setMode(const QString &path, int mode);

// Puts permissions back, so temporary folders can be removed even when a
// check failed half way.
class ModeRestorer
{
public:
    ModeRestorer() = default;
    ~ModeRestorer();
    Q_DISABLE_COPY_MOVE(ModeRestorer)
    void add(const QString &path, int restoreTo = 0700) { m_paths.prepend({ path, restoreTo }); }

private:
    QList<std::pair<QString, int>> m_paths;
};

// What can stand where a file the program reads is expected: the file with
// `bytes`, nothing, a folder of that name (with `bytes` inside), the file
// without read permission, a link to itself, a named pipe nobody writes to,
// or 3 GiB of NUL bytes.
enum class Place { File, Missing, Folder, Unreadable, SymlinkLoop, NamedPipe, Sparse };
void putInPlace(const ProgramFolder &folder, const QString &name, Place place,
                const QByteArray &bytes, ModeRestorer &restorer);

// The entries of a folder, recursively, with sizes: tells whether anything
// was written.
QStringList folderListing(const QString &folder);

// Writes an executable file.
void writeExecutable(const QString &path, const QByteArray &text);

// Puts an environment variable back when the test leaves, however it leaves.
class EnvironmentGuard
{
public:
    explicit EnvironmentGuard(const char *name);
    ~EnvironmentGuard();
    Q_DISABLE_COPY_MOVE(EnvironmentGuard)

private:
    const char *m_name;
    QByteArray m_value;
    bool m_wasSet;
};

// A connection of another program to a history file, as SQLite itself
// offers it: to fill the file, to read it back, to hold its lock.
class StoreConnection
{
public:
    explicit StoreConnection(const QString &path);
    ~StoreConnection();
    Q_DISABLE_COPY_MOVE(StoreConnection)

    // Runs SQL that returns no rows; false with error() set when it fails.
    bool exec(const QString &sql);
    // The rows a query returns, each with its columns joined by '|'.
    QStringList rows(const QString &sql);
    QString error() const { return m_error; }

private:
    sqlite3 *m_db = nullptr;
    QString m_error;
};

Q_DECLARE_METATYPE(Place)
Q_DECLARE_METATYPE(FileState)
