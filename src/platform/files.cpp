#include "files.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#ifndef Q_OS_WIN
#  include <csignal>
#endif

namespace platform {

bool replaceFileAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

namespace {

bool fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return false;
}

// Why a file could not be opened: a folder in its place says so, rather
// than that something of the name exists.
QString openError(const QFile &file)
{
    if (QFileInfo(file.fileName()).isDir())
        return qt_error_string(EISDIR);
    return file.errorString();
}

// Writes on after a short write, which a full disk or a size limit gives
// first: the write after it fails and says why.
bool writeAll(QFile &file, QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        const qint64 written = file.write(bytes.data(), bytes.size());
        if (written <= 0)
            return false;
        bytes = bytes.sliced(written);
    }
    return true;
}

} // namespace

bool writeOwnerOnlyFile(const QString &path, const QByteArray &bytes, QString *error)
{
    constexpr auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    // Unbuffered, so a failing write is told by the write itself, with the
    // system's reason, and not by a flush on closing.
    QFile file(path);
#ifdef Q_OS_WIN
    // A script that is still running keeps its file open, so it cannot be
    // removed first; it is rewritten in place, as the interpreter expects.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered, ownerOnly))
        return fail(error, openError(file));
#else
    // Whatever stands at the path goes first, and the file is created anew
    // with narrow permissions from the start: an old script keeps no wider
    // permissions, and a link planted there is replaced, not followed.
    QFile::remove(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered, ownerOnly))
        return fail(error, openError(file));
#endif
    const bool written = writeAll(file, bytes);
    const QString why = file.errorString();
    file.close();
    if (written && file.error() == QFileDevice::NoError)
        return true;
    // Part of a file is no use to anyone, and it may hold the password.
    file.remove();
    return fail(error, why);
}

void failWritesPastFileSizeLimit()
{
#ifndef Q_OS_WIN
    ::signal(SIGXFSZ, SIG_IGN);
#endif
}

} // namespace platform
