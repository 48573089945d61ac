// Our ncftpget.exe against a real FTP server on this machine, with Debian's
// real client behind it: a download replaces the local copy whole, with the
// server's time, or leaves it as it was, and nothing else stays behind; a
// server that never answers does not hold up a fetch.
#include "ftpserver.h"

#include "progress/downloadscript.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QByteArray User = "viewer@huntmark.example";
const QByteArray Password = "marrowfen";
const QString Remote = QStringLiteral("UniquesDefeated.txt");
const QByteArray Served = QByteArray(40, '0') + "1101" + QByteArray(113, '0');
// A fetch must end before the next one starts, a minute later.
constexpr int FetchLimitMs = 45000;

void writeFile(const QString &path, const QByteArray &bytes,
               const QDateTime &modified = QDateTime::currentDateTimeUtc())
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
    file.close();
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

QStringList listing(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

class FtpClientTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void downloadIsWholeOrNothing_data();
    void downloadIsWholeOrNothing();
    void silentServerEndsTheFetchInTime();

private:
    // Runs a program in `folder` with the home folder kept in the scratch
    // folder; returns its exit status, -1 when it did not end in time.
    int run(const QString &folder, const QString &program, const QStringList &arguments, int timeoutMs,
            bool fastClock = false);

    QTemporaryDir m_scratch;
    QTemporaryDir m_served;
    std::unique_ptr<FtpServer> m_server;
    QDateTime m_servedTime;
};

void FtpClientTest::initTestCase()
{
    QVERIFY(m_scratch.isValid() && m_served.isValid());
    QVERIFY2(QFileInfo(QStringLiteral(HUNTMARK_FTP_CLIENT)).isExecutable(), HUNTMARK_FTP_CLIENT);
    // Older than any local copy below, to the second, as FTP tells it.
    m_servedTime = QDateTime::currentDateTimeUtc().addDays(-3);
    m_servedTime.setTime(QTime(m_servedTime.time().hour(), m_servedTime.time().minute(), 0));
    writeFile(m_served.filePath(Remote), Served, m_servedTime);
    m_server = std::make_unique<FtpServer>(m_served.path(), User, Password);
    QVERIFY2(m_server->start(), m_server->log().constData());
}

int FtpClientTest::run(const QString &folder, const QString &program, const QStringList &arguments,
                       int timeoutMs, bool fastClock)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), m_scratch.path());
    if (fastClock)
        environment = withFastClock(environment);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void FtpClientTest::downloadIsWholeOrNothing_data()
{
    QTest::addColumn<QByteArray>("local");
    QTest::addColumn<QString>("remote");
    QTest::addColumn<bool>("serverUp");
    QTest::addColumn<bool>("replaced");

    // Resuming would skip the first (same size, not older) and append to
    // the second.
    QTest::newRow("same size, newer") << QByteArray(Served.size(), '1') << Remote << true << true;
    QTest::newRow("shorter") << QByteArray(41, '1') << Remote << true << true;
    QTest::newRow("none yet") << QByteArray() << Remote << true << true;
    QTest::newRow("missing remote file") << QByteArray(20, '1') << "Gone.txt" << true << false;
    QTest::newRow("server stopped") << QByteArray(20, '1') << Remote << false << false;
}

void FtpClientTest::downloadIsWholeOrNothing()
{
    QFETCH(QByteArray, local);
    QFETCH(QString, remote);
    QFETCH(bool, serverUp);
    QFETCH(bool, replaced);

    QTemporaryDir folder;
    const QString copy = folder.filePath(QStringLiteral("UniquesDefeated.txt"));
    if (!local.isEmpty())
        writeFile(copy, local);
    const QStringList before = listing(folder.path());
    if (!serverUp)
        m_server->stop();

    const QString arguments = QStringLiteral("-P %1 -C -u %2 -p %3 127.0.0.1 %4 UniquesDefeated.txt")
                                      .arg(m_server->port())
                                      .arg(QString::fromLatin1(User), QString::fromLatin1(Password), remote);
    const int status =
            run(folder.path(), QStringLiteral(HUNTMARK_FTP_CLIENT), arguments.split(u' '), FetchLimitMs);
    if (!serverUp)
        QVERIFY2(m_server->start(), m_server->log().constData());

    if (replaced) {
        QCOMPARE(status, 0);
        QCOMPARE(readFile(copy), Served);
        QCOMPARE(QFileInfo(copy).lastModified().toUTC(), m_servedTime);
        QCOMPARE(listing(folder.path()), QStringList{QStringLiteral("UniquesDefeated.txt")});
    } else {
        QVERIFY2(status > 0, qPrintable(QString::number(status)));
        QCOMPARE(readFile(copy), local);
        QCOMPARE(listing(folder.path()), before);
    }
}

// Both downloads of the viewer's script, through the script helper, against
// a server that takes the connection and never says a word. The clients'
// clocks run fast; `make bench` times the same at the ordinary speed.
void FtpClientTest::silentServerEndsTheFetchInTime()
{
    QVERIFY2(!withFastClock({}).isEmpty(), "libfaketime is missing: install faketime");
    SilentServer silent;
    QVERIFY(silent.port() != 0);
    QTemporaryDir folder;
    const QByteArray uniques(157, '1');
    writeFile(folder.filePath(QStringLiteral("UniquesDefeated.txt")), uniques);
    const QString wrapper = folder.filePath(QStringLiteral("ncftpget.exe"));
    writeFile(wrapper,
              "#!/bin/sh\nexec '" HUNTMARK_FTP_CLIENT "' -P " + QByteArray::number(silent.port()) +
                      " \"$@\"\n");
    QVERIFY(QFile::setPermissions(wrapper,
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    const QString script = folder.filePath(QStringLiteral("QV_Data.bat"));
    writeFile(script, progress::downloadScript({"127.0.0.1", User, Password}));

    QElapsedTimer clock;
    clock.start();
    const int status = run(folder.path(), QStringLiteral(HUNTMARK_BATCH_HELPER),
                           {QStringLiteral("--report"), script}, FetchLimitMs / FastClockFactor, true);
    const qint64 elapsed = clock.elapsed() * FastClockFactor;
    qInfo("both downloads against a silent server ended after %.1f s of their time", elapsed / 1000.0);
    QVERIFY2(status > 0, qPrintable(QStringLiteral("status %1 after %2 ms").arg(status).arg(elapsed)));
    QCOMPARE(readFile(folder.filePath(QStringLiteral("UniquesDefeated.txt"))), uniques);
    QCOMPARE(listing(folder.path()),
             (QStringList{QStringLiteral("ncftpget.exe"), QStringLiteral("UniquesDefeated.txt")}));
}

QTEST_GUILESS_MAIN(FtpClientTest)
#include "test_ftp_client.moc"
