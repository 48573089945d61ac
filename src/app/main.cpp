#include "allocator.h"
#include "form1.h"
#include "quitsignals.h"

#include <QApplication>
#include <QLoggingCategory>

int main(int argc, char *argv[])
{
    platform::returnLargeBlocksWhenFreed();
    // The viewer shows no errors and logs nothing, the toolkit's own
    // warnings included (a damaged picture makes the decoder complain). A
    // developer's QT_LOGGING_RULES still comes first.
    QLoggingCategory::setFilterRules(QStringLiteral("*=false"));
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
