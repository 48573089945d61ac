#pragma once

#include <QIcon>

// A program's window icon, read as the one format it is stored in. Free to
// guess, the image reader loads every installed image plugin to ask each
// whether it can read the file, on the way to the first frame; a PNG needs
// none of them and a Windows icon only its own.
QIcon readWindowIcon(const QString &path, const char *format);
