// Draws the picture of every unique monster and of the place where it is
// found, into the Monsters and Locations folders of a program folder.
//
//   makepictures <programFolder>
//
// The pictures are painted from the catalog alone and come out identical on
// every run, so the repository carries no binary pictures and a rebuild never
// shows up as a change.

#include "catalog.h"
#include "creatures/creaturepainter.h"
#include "picturepaths.h"
#include "places/locationpainter.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>

#include <cstdio>

namespace {

constexpr int JpegQuality = 85;

bool writeJpeg(const QImage &image, const QString &path)
{
    QImageWriter writer(path, "jpeg");
    writer.setQuality(JpegQuality);
    return writer.write(image);
}

bool writeEntry(const QString &programFolder, const catalog::UniqueMonster &monster, int region)
{
    const QString monsterPath = pictures::monsterPicturePath(programFolder, monster);
    const QString locationPath = pictures::locationPicturePath(programFolder, monster);
    if (!writeJpeg(paintMonsterPicture(monster, region), monsterPath)) {
        std::fprintf(stderr, "makepictures: cannot write %s\n", qPrintable(monsterPath));
        return false;
    }
    if (!writeJpeg(paintLocationPicture(monster, region), locationPath)) {
        std::fprintf(stderr, "makepictures: cannot write %s\n", qPrintable(locationPath));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    // Only images are drawn, but text needs the fonts a GUI application loads.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList arguments = app.arguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: makepictures <programFolder>\n");
        return 2;
    }
    const QString programFolder = QDir::cleanPath(QFileInfo(arguments.at(1)).absoluteFilePath());
    const QDir folder(programFolder);
    if (!folder.mkpath(pictures::MonsterPictureFolder)
        || !folder.mkpath(pictures::LocationPictureFolder)) {
        std::fprintf(stderr, "makepictures: cannot create the picture folders in %s\n",
                     qPrintable(programFolder));
        return 1;
    }

    const auto regions = catalog::regions();
    for (int region = 0; region < int(regions.size()); ++region) {
        for (const catalog::UniqueMonster &monster : regions[region].entries) {
            if (!writeEntry(programFolder, monster, region))
                return 1;
        }
    }
    return 0;
}
