#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// Replaces a file as a whole: the bytes go to a temporary file beside it that
// is renamed over the old one, so a crash or a full disk leaves either the
// old file or the new one, never half of it.
bool replaceFileAtomically(const QString &path, const QByteArray &bytes);

// Writes a file that only its owner may read or write, where the platform
// has such permissions: it may hold a password. A write that fails (a full
// disk, a file-size limit) leaves no part of the file behind; `error`, when
// given, receives the system's words for why ("No space left on device").
bool writeOwnerOnlyFile(const QString &path, const QByteArray &bytes, QString *error = nullptr);

// Past a file-size limit (ulimit -f) a write fails like any other that
// cannot be done, instead of ending the program with SIGXFSZ before it can
// clean up what it wrote.
void failWritesPastFileSizeLimit();

} // namespace platform
