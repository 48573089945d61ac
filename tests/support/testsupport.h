#pragma once

#include "form1.h"

#include <QLabel>

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <initializer_list>
#include <memory>
#include <type_traits>

// A file's bytes; empty when it cannot be read.
QByteArray fileBytes(const QString &path);

// A program folder of its own for each test: the viewer reads and writes
// every file there.
class ProgramFolder
{
public:
    ProgramFolder();

    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }
    void write(const QString &name, const QByteArray &bytes) const;
    QByteArray read(const QString &name) const { return fileBytes(filePath(name)); }
    bool exists(const QString &name) const;

private:
    QTemporaryDir m_dir;
};

// Records a missing control as the calling test's failure.
void failMissingControl(const QString &objectName);

// Finds a control of the window by its name, "ListOfUniques" with index 7
// being "ListOfUniques(7)". A missing one fails the calling test, which then
// goes on with a stand-in of the same type that goes with the window: the
// suite's other tests still run. Types that cannot stand alone get nullptr.
template<typename Widget>
Widget *control(const QObject *window, const char *name, int index = -1)
{
    const QString objectName = index < 0
            ? QString::fromLatin1(name)
            : QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
    if (auto *found = window->findChild<Widget *>(objectName))
        return found;
    failMissingControl(objectName);
    if constexpr (std::is_default_constructible_v<Widget>) {
        auto *standIn = new Widget;
        QObject::connect(window, &QObject::destroyed, standIn, &QObject::deleteLater);
        return standIn;
    } else {
        return nullptr;
    }
}

// The window as the user first sees it: built, started up, and what comes
// after the first frame (the history, the desktop bus) set up too.
std::unique_ptr<Form1> startedWindow(const ProgramFolder &folder);
// Waits for what a started window sets up after its first frame.
void finishStartUp(const Form1 *window);

// A flag text of `length` characters "0" with a "1" at each 1-based position.
QByteArray flagsWithOnesAt(int length, std::initializer_list<int> positions);
QByteArray flagsWithOnesAt(int length, const QList<int> &positions);

// The progress position of entry i of region r or group g, as the catalog
// gives it, so tests follow the catalog rather than its content.
int uniquePosition(int r, int i);
int questPosition(int g, int i);

// Puts texts and pictures into a region's details, and tells whether they
// are all empty again.
void fillRegion(const Form1 *window, int r);
bool regionIsCleared(const Form1 *window, int r);

// The current tab of a tab control, and selecting one, through its property.
int currentTab(const QObject *window, const char *tabControl);
void selectTab(const QObject *window, const char *tabControl, int index);

// A picture as a file of `format` holds it; a JPEG file of one color; and the color in the middle
// of what a picture control shows (invalid when it shows nothing); JPEG colors are near, not exact.
QByteArray encoded(const QImage &image, const char *format = "JPEG");
QByteArray jpegBytes(QSize size, QColor color);
QColor shownColor(const QLabel *picture);
bool nearColor(QColor shown, QColor expected);
