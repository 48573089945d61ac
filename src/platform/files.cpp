#include "files.h"

#include <QFile>
#include <QSaveFile>

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

bool writeOwnerOnlyFile(const QString &path, const QByteArray &bytes)
{
    constexpr auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    QFile file(path);
#ifdef Q_OS_WIN
    // A script that is still running keeps its file open, so it cannot be
    // removed first; it is rewritten in place, as the interpreter expects.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate, ownerOnly))
        return false;
#else
    // Whatever stands at the path goes first, and the file is created anew
    // with narrow permissions from the start: an old script keeps no wider
    // permissions, and a link planted there is replaced, not followed.
    QFile::remove(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, ownerOnly))
        return false;
#endif
    const bool written = file.write(bytes) == bytes.size();
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

} // namespace platform
