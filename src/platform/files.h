#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// Replaces a file as a whole: the bytes go to a temporary file beside it that
// is renamed over the old one, so a crash or a full disk leaves either the
// old file or the new one, never half of it.
bool replaceFileAtomically(const QString &path, const QByteArray &bytes);

// Writes a file that only its owner may read or write, where the platform
// has such permissions: it may hold a password.
bool writeOwnerOnlyFile(const QString &path, const QByteArray &bytes);

} // namespace platform
