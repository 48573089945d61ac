#include "platform/files.h"

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
    // A file left by an earlier run keeps its permissions when reopened, so
    // narrow them before any new text goes in.
    if (file.exists() && !file.setPermissions(ownerOnly))
        return false;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate, ownerOnly))
        return false;
    const bool written = file.write(bytes) == bytes.size();
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

} // namespace platform
