// The floor of the start-up figure: a bare Qt window with one label, started
// as a process of its own under the same X server as the viewer.
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Huntmark (Viewer)"));
    new QLabel(QStringLiteral("Uniques Beaten: 0"), &window);
    window.show();
    return app.exec();
}
