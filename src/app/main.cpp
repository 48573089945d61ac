#include "platform/quitsignals.h"
#include "viewer/form1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Huntmark Viewer"));
    QApplication::setDesktopFileName(QStringLiteral("huntmark-viewer"));
    // Ended from outside, the window still goes in order, with its fetch.
    platform::quitOnTerminationSignals();

    // Every file the viewer reads or writes lies beside the executable.
    Form1 window(QCoreApplication::applicationDirPath());
    window.Form_Load();
    window.show();
    return app.exec();
}
