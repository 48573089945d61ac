#include "platform/batchrunner.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    // The viewer starts this helper detached, with nowhere to show anything,
    // and the program never reports errors; Qt's own warnings go too.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2)
        return 1;
    return platform::runBatchScript(arguments.at(1));
}
