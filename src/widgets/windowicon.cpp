#include "windowicon.h"

#include <QImageReader>
#include <QPixmap>

QIcon readWindowIcon(const QString &path, const char *format)
{
    QImageReader reader(path, format);
    reader.setAutoDetectImageFormat(false);
    return QIcon(QPixmap::fromImage(reader.read()));
}
