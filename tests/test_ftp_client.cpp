// Our ncftpget.exe against a real FTP server on this machine, with Debian's
// real client behind it: a download replaces the local copy whole, with the
// server's time, or leaves it as it was, and nothing else stays behind. A
// file too large, or changed on the server while it was on its way, never
// arrives; a server that never answers, or trickles, does not hold up a
// fetch; and the password shows on no command line.
#include "ftpserver.h"

#include "downloadscript.h"

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
// The largest file the client takes.
const QByteArray AtTheLimit = Served + "\r\n" + QByteArray(1024 * 1024 - Served.size() - 2, '-');
// A fetch must end before the next one starts, a minute later.
constexpr int FetchLimitMs = 45000;
// Bytes a second of the slow server's clock, ten times as many of ours.
constexpr int SlowRate = 50;

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

// How much of a download has arrived in the client's temporary folder.
qint64 arrivedSoFar(const QString &folder)
{
    qint64 size = 0;
    for (const QString &temporary : QDir(folder).entryList(
                 { QStringLiteral(".UniquesDefeated.txt.*") }, QDir::Dirs | QDir::Hidden)) {
        size += QFileInfo(folder + u'/' + temporary + QStringLiteral("/UniquesDefeated.txt"))
                        .size();
    }
    return size;
}

QStringList downloadArguments(quint16 port, const QString &remote,
                              const QByteArray &password = Password)
{
    return QStringLiteral("-P %1 -C -u %2 -p %3 127.0.0.1 %4 UniquesDefeated.txt")
            .arg(port)
            .arg(QString::fromLatin1(User), QString::fromLatin1(password), remote)
            .split(u' ');
}

} // namespace

class FtpClientTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void downloadIsWholeOrNothing_data();
    void downloadIsWholeOrNothing();
    void changedDuringTransferNeverArrives_data();
    void changedDuringTransferNeverArrives();
    void passwordOnNoCommandLine_data();
    void passwordOnNoCommandLine();
    void stuckServerEndsTheFetchInTime_data();
    void stuckServerEndsTheFetchInTime();

private:
    // Runs a program in `folder` with the home folder kept in the scratch
    // folder; returns its exit status, -1 when it did not end in time.
    int run(const QString &folder, const QString &program, const QStringList &arguments,
            int timeoutMs, bool fastClock = false, const QByteArray &searchPath = qgetenv("PATH"));
    void prepare(QProcess &process, const QString &folder, bool fastClock,
                 const QByteArray &searchPath = qgetenv("PATH"));
    static int statusOf(const QProcess &process);

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
    writeFile(m_served.filePath(QStringLiteral("AtTheLimit.txt")), AtTheLimit, m_servedTime);
    writeFile(m_served.filePath(QStringLiteral("Huge.txt")), QByteArray(5 * 1000 * 1000, '1'),
              m_servedTime);
    m_server = std::make_unique<FtpServer>(m_served.path(), User, Password);
    QVERIFY2(m_server->start(), m_server->log().constData());
}

void FtpClientTest::prepare(QProcess &process, const QString &folder, bool fastClock,
                            const QByteArray &searchPath)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), m_scratch.path());
    environment.insert(QStringLiteral("PATH"), QString::fromLocal8Bit(searchPath));
    if (fastClock)
        environment = withFastClock(environment);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    process.setStandardErrorFile(QProcess::nullDevice());
}

int FtpClientTest::statusOf(const QProcess &process)
{
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

int FtpClientTest::run(const QString &folder, const QString &program, const QStringList &arguments,
                       int timeoutMs, bool fastClock, const QByteArray &searchPath)
{
    QProcess process;
    prepare(process, folder, fastClock, searchPath);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return statusOf(process);
}

void FtpClientTest::downloadIsWholeOrNothing_data()
{
    QTest::addColumn<QByteArray>("local");
    QTest::addColumn<QString>("remote");
    QTest::addColumn<bool>("serverUp");
    QTest::addColumn<QByteArray>("arrives"); // empty: nothing does

    // Resuming would skip the first (same size, not older) and append to
    // the second.
    QTest::newRow("same size, newer") << QByteArray(Served.size(), '1') << Remote << true << Served;
    QTest::newRow("shorter") << QByteArray(41, '1') << Remote << true << Served;
    QTest::newRow("none yet") << QByteArray() << Remote << true << Served;
    QTest::newRow("missing remote file")
            << QByteArray(20, '1') << "Gone.txt" << true << QByteArray();
    QTest::newRow("server stopped") << QByteArray(20, '1') << Remote << false << QByteArray();
    QTest::newRow("1 MiB, the largest size")
            << QByteArray(20, '1') << "AtTheLimit.txt" << true << AtTheLimit;
    QTest::newRow("5 MB, too large") << QByteArray(20, '1') << "Huge.txt" << true << QByteArray();
}

void FtpClientTest::downloadIsWholeOrNothing()
{
    QFETCH(QByteArray, local);
    QFETCH(QString, remote);
    QFETCH(bool, serverUp);
    QFETCH(QByteArray, arrives);

    QTemporaryDir folder;
    const QString copy = folder.filePath(QStringLiteral("UniquesDefeated.txt"));
    if (!local.isEmpty())
        writeFile(copy, local);
    const QStringList before = listing(folder.path());
    if (!serverUp)
        m_server->stop();

    const int status = run(folder.path(), QStringLiteral(HUNTMARK_FTP_CLIENT),
                           downloadArguments(m_server->port(), remote), FetchLimitMs);
    if (!serverUp)
        QVERIFY2(m_server->start(), m_server->log().constData());

    if (!arrives.isEmpty()) {
        QCOMPARE(status, 0);
        QVERIFY(readFile(copy) == arrives);
        QCOMPARE(QFileInfo(copy).lastModified().toUTC(), m_servedTime);
        QCOMPARE(listing(folder.path()), QStringList { QStringLiteral("UniquesDefeated.txt") });
    } else {
        QVERIFY2(status > 0, qPrintable(QString::number(status)));
        QCOMPARE(readFile(copy), local);
        QCOMPARE(listing(folder.path()), before);
    }
}

// The file on the server is cut short, or rewritten in place in two steps,
// while the client receives it slowly: what arrives is not the file the
// server announced, and the local copy stays the previous whole file until
// the next download brings the new one whole.
void FtpClientTest::changedDuringTransferNeverArrives_data()
{
    QTest::addColumn<bool>("cut");
    QTest::newRow("cut during the transfer") << true;
    QTest::newRow("rewritten in place") << false;
}

void FtpClientTest::changedDuringTransferNeverArrives()
{
    QFETCH(bool, cut);
    QTemporaryDir served;
    QTemporaryDir folder;
    const QByteArray before = Served + "\r\n" + QByteArray(3000, '-');
    const QByteArray after =
            cut ? before.left(100) : QByteArray(157, '1') + "\r\n" + QByteArray(200, '+');
    const QString remote = served.filePath(Remote);
    writeFile(remote, before);
    FtpServer slow(served.path(), User, Password);
    slow.setSendRate(SlowRate);
    QVERIFY2(slow.start(), slow.log().constData());
    const QByteArray previous(157, '0');
    const QString copy = folder.filePath(QStringLiteral("UniquesDefeated.txt"));
    writeFile(copy, previous);

    QProcess client;
    prepare(client, folder.path(), false);
    client.start(QStringLiteral(HUNTMARK_FTP_CLIENT), downloadArguments(slow.port(), Remote));
    QTRY_VERIFY_WITH_TIMEOUT(arrivedSoFar(folder.path()) > 0, 20000);
    QFile file(remote);
    if (cut) {
        QVERIFY(file.resize(after.size()));
    } else {
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(after.left(50)), 50);
        QVERIFY(file.flush());
        QTest::qWait(300);
        QCOMPARE(file.write(after.mid(50)), after.size() - 50);
        file.close();
    }
    QTRY_VERIFY_WITH_TIMEOUT(client.state() == QProcess::NotRunning, FetchLimitMs);
    QVERIFY2(statusOf(client) > 0, qPrintable(QString::number(statusOf(client))));
    QCOMPARE(readFile(copy), previous);
    QCOMPARE(listing(folder.path()), QStringList { QStringLiteral("UniquesDefeated.txt") });

    QCOMPARE(run(folder.path(), QStringLiteral(HUNTMARK_FTP_CLIENT),
                 downloadArguments(slow.port(), Remote), FetchLimitMs),
             0);
    QCOMPARE(readFile(copy), after);
}

// What Debian's client is given, and what our client shows of itself
// meanwhile, as every local user could read them in the process list.
void FtpClientTest::passwordOnNoCommandLine_data()
{
    QTest::addColumn<QString>("passwordOptions");
    QTest::newRow("a word of its own") << QStringLiteral("-C -u ") + QString::fromLatin1(User)
                    + QStringLiteral(" -p ") + QString::fromLatin1(Password);
    QTest::newRow("attached, grouped") << QStringLiteral("-Cu ") + QString::fromLatin1(User)
                    + QStringLiteral(" -p") + QString::fromLatin1(Password);
}

void FtpClientTest::passwordOnNoCommandLine()
{
    QFETCH(QString, passwordOptions);
    QTemporaryDir folder;
    QTemporaryDir bin;
    const QString log = folder.filePath(QStringLiteral("seen.log"));
    const QString seen = u'\'' + log + u'\'';
    const QString fake = bin.filePath(QStringLiteral("ncftpget"));
    writeFile(fake,
              QStringLiteral(
                      "#!/bin/sh\n/usr/bin/tr '\\0' ' ' < /proc/$PPID/cmdline > %1\necho >> %1\n"
                      "printf '[%s]' \"$@\" >> %1\necho >> %1\n"
                      "while [ $# -gt 0 ]; do [ \"$1\" = -f ] && /usr/bin/cat \"$2\" >> %1; shift; "
                      "done\n")
                      .arg(seen)
                      .toUtf8());
    QVERIFY(QFile::setPermissions(fake, QFileDevice::ReadOwner | QFileDevice::ExeOwner));

    const QStringList arguments = passwordOptions.split(u' ')
            + QStringList { QStringLiteral("127.0.0.1"), Remote, Remote };
    run(folder.path(), QStringLiteral(HUNTMARK_FTP_CLIENT), arguments, FetchLimitMs, false,
        QFile::encodeName(bin.path()));
    const QList<QByteArray> lines = readFile(log).split('\n');
    QCOMPARE(lines.size(), 5);
    QVERIFY2(lines[0].contains("ncftpget.exe") && !lines[0].contains(Password),
             lines[0].constData());
    QVERIFY2(lines[1].contains("[-f]") && !lines[1].contains(Password), lines[1].constData());
    QCOMPARE(lines[2] + '\n' + lines[3], "user " + User + "\npass " + Password);
}

// Both downloads of the viewer's script, through the script helper, against
// a server that takes the connection and never says a word, and one that
// keeps sending a byte now and then, which no idle timeout catches. The
// clients' clocks run fast; `make bench` times the same at the ordinary
// speed.
void FtpClientTest::stuckServerEndsTheFetchInTime_data()
{
    QTest::addColumn<bool>("trickling");
    QTest::newRow("silent") << false;
    QTest::newRow("trickling") << true;
}

void FtpClientTest::stuckServerEndsTheFetchInTime()
{
    QFETCH(bool, trickling);
    QVERIFY2(!withFastClock({}).isEmpty(), "libfaketime is missing: install faketime");
    SilentServer silent;
    QTemporaryDir served;
    FtpServer slow(served.path(), User, Password);
    quint16 port = silent.port();
    if (trickling) {
        slow.setSendRate(1);
        for (const char *name : { "QuestsCleared.txt", "UniquesDefeated.txt" })
            writeFile(served.filePath(QLatin1String(name)),
                      Served + "\r\n" + QByteArray(2000, '-'));
        QVERIFY2(slow.start(), slow.log().constData());
        port = slow.port();
    }
    QVERIFY(port != 0);
    QTemporaryDir folder;
    const QByteArray uniques(157, '1');
    writeFile(folder.filePath(QStringLiteral("UniquesDefeated.txt")), uniques);
    const QString wrapper = folder.filePath(QStringLiteral("ncftpget.exe"));
    writeFile(wrapper,
              "#!/bin/sh\nexec '" HUNTMARK_FTP_CLIENT "' -P " + QByteArray::number(port)
                      + " \"$@\"\n");
    QVERIFY(QFile::setPermissions(
            wrapper, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    const QString script = folder.filePath(QStringLiteral("QV_Data.bat"));
    writeFile(script, fetch::downloadScript({ "127.0.0.1", User, Password }));

    // Starting the programs under load takes real time the fast clocks do
    // not shorten: a few seconds more are allowed for that.
    QElapsedTimer clock;
    clock.start();
    const int status = run(folder.path(), QStringLiteral(HUNTMARK_BATCH_HELPER),
                           { QStringLiteral("--report"), script },
                           FetchLimitMs / FastClockFactor + 3000, true);
    const qint64 elapsed = clock.elapsed() * FastClockFactor;
    qInfo("both downloads against a %s server ended after %.1f s of their time",
          trickling ? "trickling" : "silent", elapsed / 1000.0);
    QVERIFY2(status > 0,
             qPrintable(QStringLiteral("status %1 after %2 ms").arg(status).arg(elapsed)));
    QCOMPARE(readFile(folder.filePath(QStringLiteral("UniquesDefeated.txt"))), uniques);
    QCOMPARE(listing(folder.path()),
             (QStringList { QStringLiteral("ncftpget.exe"),
                            QStringLiteral("UniquesDefeated.txt") }));
}

QTEST_GUILESS_MAIN(FtpClientTest)
#include "test_ftp_client.moc"
