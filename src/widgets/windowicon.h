#pragma once

#include <QIcon>

// A program's window icon, read as the one format it is stored in. Left to
// find the format itself, the image reader loads every image plugin that is
// installed to ask each whether it can read the file: three more libraries
// on the way to the first frame, where a PNG needs none and a Windows icon
// only its own.
QIcon readWindowIcon(const QString &path, const char *format);
