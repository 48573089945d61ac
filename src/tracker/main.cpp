// Huntmark Tracker: the followed player's window onto their own progress.
#include "entrydetails.h"
#include "lazyoverflowiconstyle.h"
#include "trackerwindow.h"

#include <QApplication>
#include <QSettings>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The menu bar's overflow arrow is read when it is first drawn, not on
    // the way to the first frame.
    QApplication::setStyle(new LazyOverflowIconStyle);
    QApplication::setApplicationName(QStringLiteral("huntmark-tracker"));
    QApplication::setOrganizationName(QStringLiteral("huntmark"));
    QApplication::setApplicationDisplayName(QStringLiteral("Huntmark Tracker"));
    QApplication::setDesktopFileName(QStringLiteral("huntmark-tracker"));
    const QString folder =
            QSettings().value(QStringLiteral("folder"), TrackerWindow::defaultFolder()).toString();
    TrackerWindow window(folder, findPictureFolder(QApplication::applicationDirPath()));
    window.show();
    return app.exec();
}
