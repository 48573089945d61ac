#include "allocator.h"
#include "folders.h"
#include "fontwarmup.h"
#include "form1.h"
#include "lazyoverflowiconstyle.h"
#include "quitsignals.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QMessageBox>

#include <cstdio>

namespace {

// The one failure the viewer reports: it cannot start without a place for its
// files. Told on the terminal and in a message box, since a start from the
// desktop menu has no terminal.
int refuseToStart(const QString &problem)
{
    const QString text = QStringLiteral("Huntmark Viewer cannot start: ") + problem;
    std::fprintf(stderr, "huntmark-viewer: %s\n", qUtf8Printable(text));
    QMessageBox::critical(nullptr, QStringLiteral("Huntmark (Viewer)"), text);
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    platform::returnLargeBlocksWhenFreed();
    const std::jthread fontConfiguration = platform::readFontConfigurationAhead();
    // The viewer shows no errors and logs nothing, the toolkit's own
    // warnings included (a damaged picture makes the decoder complain). A
    // developer's QT_LOGGING_RULES still comes first.
    QLoggingCategory::setFilterRules(QStringLiteral("*=false"));
    // The File menu stays inside the window, where its fixed layout has room
    // for it. Offering it to a desktop's global menu would also ask the
    // session bus for one before the first frame, the slowest step of
    // creating the window.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    QApplication app(argc, argv);
    QApplication::setStyle(new LazyOverflowIconStyle);
    QApplication::setApplicationName(QStringLiteral("Huntmark Viewer"));
    QApplication::setDesktopFileName(QStringLiteral("huntmark-viewer"));
    // What came with the viewer lies beside the executable; what it writes
    // goes there too, or into the user's data folder where that folder is
    // not the user's to write.
    const platform::Folders folders =
            platform::decideFolders(QCoreApplication::applicationDirPath());
    if (folders.data.isEmpty())
        return refuseToStart(folders.problem);
    // Ended from outside, the window still goes in order, with its fetch; a
    // refusal above has nothing to put in order and simply ends.
    platform::quitOnTerminationSignals();
    Form1 window(folders);
    window.Form_Load();
    window.show();
    return app.exec();
}
