#include "testsupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

ProgramFolder::ProgramFolder()
{
    QVERIFY2(m_dir.isValid(), "no temporary folder");
}

void ProgramFolder::write(const QString &name, const QByteArray &bytes) const
{
    QFile file(filePath(name));
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(name));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray ProgramFolder::read(const QString &name) const
{
    QFile file(filePath(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool ProgramFolder::exists(const QString &name) const
{
    return QFile::exists(filePath(name));
}

void ProgramFolder::copyPictures() const
{
    for (const char *folder : {"Monsters", "Locations"}) {
        const QString source = QStringLiteral(HUNTMARK_PROGRAM_DIR "/") + QLatin1String(folder);
        const QString target = filePath(QLatin1String(folder));
        QDir().mkpath(target);
        QDirIterator it(source, {QStringLiteral("*.jpg")}, QDir::Files);
        while (it.hasNext()) {
            it.next();
            QFile::copy(it.filePath(), target + QLatin1Char('/') + it.fileName());
        }
    }
}

std::unique_ptr<Form1> startedWindow(const ProgramFolder &folder)
{
    auto window = std::make_unique<Form1>(folder.path());
    window->Form_Load();
    return window;
}

int currentTab(const QObject *window, const char *tabControl)
{
    return control<QWidget>(window, tabControl)->property("Tab").toInt();
}

void selectTab(const QObject *window, const char *tabControl, int index)
{
    control<QWidget>(window, tabControl)->setProperty("Tab", index);
}
