#include "testsupport.h"

#include "catalog.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>

ProgramFolder::ProgramFolder()
{
    // A constructor cannot fail a test; without a folder no test can run.
    if (!m_dir.isValid())
        qFatal("no temporary folder: %s", qPrintable(m_dir.errorString()));
}

void ProgramFolder::write(const QString &name, const QByteArray &bytes) const
{
    QFile file(filePath(name));
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(name));
    QCOMPARE(file.write(bytes), bytes.size());
}

void failMissingControl(const QString &objectName)
{
    QTest::qFail(qPrintable(QStringLiteral("no control named ") + objectName), __FILE__, __LINE__);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool ProgramFolder::exists(const QString &name) const
{
    return QFile::exists(filePath(name));
}

std::unique_ptr<Form1> startedWindow(const ProgramFolder &folder)
{
    auto window = std::make_unique<Form1>(folder.path());
    window->Form_Load();
    finishStartUp(window.get());
    return window;
}

void finishStartUp(const Form1 *window)
{
    QDeadlineTimer deadline(10000);
    while (!window->startUpFinished()) {
        if (deadline.hasExpired())
            qFatal("the window's start-up did not finish within 10 s");
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

int currentTab(const QObject *window, const char *tabControl)
{
    return control<QWidget>(window, tabControl)->property("Tab").toInt();
}

void selectTab(const QObject *window, const char *tabControl, int index)
{
    control<QWidget>(window, tabControl)->setProperty("Tab", index);
}

QByteArray flagsWithOnesAt(int length, std::initializer_list<int> positions)
{
    return flagsWithOnesAt(length, QList<int>(positions));
}

QByteArray flagsWithOnesAt(int length, const QList<int> &positions)
{
    QByteArray flags(length, '0');
    for (int position : positions)
        flags[position - 1] = '1';
    return flags;
}

int uniquePosition(int r, int i)
{
    return catalog::flagPosition(catalog::Kind::Unique, r, i).value();
}

int questPosition(int g, int i)
{
    return catalog::flagPosition(catalog::Kind::Quest, g, i).value();
}

void fillRegion(const Form1 *window, int r)
{
    control<QLineEdit>(window, "TextLevel", r)->setText(QStringLiteral("12"));
    control<QLineEdit>(window, "TextLocation", r)->setText(QStringLiteral("Somewhere"));
    control<QLineEdit>(window, "TextAppearance", r)->setText(QStringLiteral("Night"));
    QPixmap pixmap(8, 8);
    pixmap.fill(Qt::red);
    control<QLabel>(window, "ImageUniqueMonster", r)->setPixmap(pixmap);
    control<QLabel>(window, "ImageUniqueLocation", r)->setPixmap(pixmap);
}

bool regionIsCleared(const Form1 *window, int r)
{
    return control<QLineEdit>(window, "TextLevel", r)->text().isEmpty()
            && control<QLineEdit>(window, "TextLocation", r)->text().isEmpty()
            && control<QLineEdit>(window, "TextAppearance", r)->text().isEmpty()
            && control<QLabel>(window, "ImageUniqueMonster", r)->pixmap().isNull()
            && control<QLabel>(window, "ImageUniqueLocation", r)->pixmap().isNull();
}

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 90);
    return bytes;
}

QByteArray jpegBytes(QSize size, QColor color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return encoded(image);
}

QColor shownColor(const QLabel *picture)
{
    const QPixmap pixmap = picture->pixmap();
    if (pixmap.isNull())
        return {};
    const QImage image = pixmap.toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

bool nearColor(QColor shown, QColor expected)
{
    if (!expected.isValid())
        return !shown.isValid();
    return shown.isValid() && qAbs(shown.red() - expected.red()) < 16
            && qAbs(shown.green() - expected.green()) < 16
            && qAbs(shown.blue() - expected.blue()) < 16;
}
