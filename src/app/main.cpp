#include "viewer/form1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Huntmark Viewer"));
    QApplication::setDesktopFileName(QStringLiteral("huntmark-viewer"));

    // Every file the viewer reads or writes lies beside the executable.
    Form1 window(QCoreApplication::applicationDirPath());
    window.Form_Load();
    window.show();
    return app.exec();
}
