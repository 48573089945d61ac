#include "testfiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

void setFile(const ProgramFolder &folder, const QString &name, const FileState &state)
{
    QFile::remove(folder.filePath(name));
    if (state)
        folder.write(name, *state);
}

FileState fileState(const ProgramFolder &folder, const QString &name)
{
    return folder.exists(name) ? FileState(folder.read(name)) : std::nullopt;
}

bool runningAsRoot()
{
    return ::geteuid() == 0;
}

bool setMode(const QString &path, int mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0;
}

void putInPlace(const ProgramFolder &folder, const QString &name, Place place,
                const QByteArray &bytes, ModeRestorer &restorer)
{
    const QString path = folder.filePath(name);
    QFile::remove(path);
    switch (place) {
    case Place::Missing:
        break;
    case Place::File:
        folder.write(name, bytes);
        break;
    case Place::Folder:
        QVERIFY(QDir().mkpath(path));
        folder.write(name + QStringLiteral("/flags"), bytes);
        break;
    case Place::Unreadable:
        folder.write(name, bytes);
        restorer.add(path, 0600);
        QVERIFY(setMode(path, 0));
        break;
    case Place::SymlinkLoop:
        QVERIFY(QFile::link(QFileInfo(path).fileName(), path));
        break;
    case Place::NamedPipe:
        // Nobody ever writes to it: opening it to read would wait forever.
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        break;
    case Place::Sparse:
        // No comma, no line end: only a bounded head may be looked at.
        folder.write(name, {});
        QVERIFY(QFile::resize(path, qint64(3) << 30));
        break;
    }
}

ModeRestorer::~ModeRestorer()
{
    for (const auto &[path, mode] : std::as_const(m_paths))
        setMode(path, mode);
}

QStringList folderListing(const QString &folder)
{
    QStringList listing;
    const QDir base(folder);
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        listing.append(
                base.relativeFilePath(info.filePath())
                + (info.isDir() ? QStringLiteral("/") : QStringLiteral(" %1").arg(info.size())));
    }
    listing.sort();
    return listing;
}

void writeExecutable(const QString &path, const QByteArray &text)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(text), text.size());
    file.close();
    QVERIFY(setMode(path, 0700));
}

EnvironmentGuard::EnvironmentGuard(const char *name)
    : m_name(name), m_value(qgetenv(name)), m_wasSet(qEnvironmentVariableIsSet(name))
{
}

EnvironmentGuard::~EnvironmentGuard()
{
    if (m_wasSet)
        qputenv(m_name, m_value);
    else
        qunsetenv(m_name);
}

StoreConnection::StoreConnection(const QString &path)
{
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr)
        != SQLITE_OK) {
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        return;
    }
    // The viewer's own write of the moment is waited for, as any other
    // program would.
    sqlite3_busy_timeout(m_db, 5000);
}

StoreConnection::~StoreConnection()
{
    sqlite3_close_v2(m_db);
}

bool StoreConnection::exec(const QString &sql)
{
    char *message = nullptr;
    const int code = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message);
    m_error = message ? QString::fromUtf8(message) : QString();
    sqlite3_free(message);
    return code == SQLITE_OK;
}

QStringList StoreConnection::rows(const QString &sql)
{
    QStringList rows;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK) {
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
        return rows;
    }
    while (sqlite3_step(statement) == SQLITE_ROW) {
        QStringList columns;
        for (int column = 0; column < sqlite3_column_count(statement); ++column)
            columns.append(QString::fromUtf8(
                    reinterpret_cast<const char *>(sqlite3_column_text(statement, column))));
        rows.append(columns.join(u'|'));
    }
    sqlite3_finalize(statement);
    return rows;
}
