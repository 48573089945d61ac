// huntmark-progress publish against a real FTP server on this machine with
// the real clients: what arrives, what a failure says, that it never rolls
// the server's record back by accident, two runs at once, a run stopped
// midway, and that the password never stands on a command line or on disk.
#include "ftpserver.h"
#include "processes.h"
#include "testfiles.h"

#include "catalog.h"
#include "downloadscript.h"
#include "progresstool.h"

#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>
#include <QStandardPaths>

#include <memory>
#include <optional>
#include <vector>

#include <signal.h>

namespace {

const QString Uniques = QStringLiteral("UniquesDefeated.txt");
const QString Quests = QStringLiteral("QuestsCleared.txt");
const QString PublisherUser = QStringLiteral("publisher@huntmark.example");
const QByteArray PublisherPassword = "inkwell-7 and spaces";

const QString Program = QStringLiteral(HUNTMARK_PROGRAM_DIR "/huntmark-progress");

QStringList words(const QString &line)
{
    return line.split(u' ');
}

QString uniqueName(int i)
{
    return QString::fromLatin1(catalog::regions()[0].entries[i].name);
}

using namespace Qt::StringLiterals;

QByteArray firstOnes(int length, int count)
{
    return QByteArray(count, '1') + QByteArray(length - count, '0');
}

// The upload clients the tool started and that are still there (a finished
// one the system has not yet cleared away does not count).
QList<int> runningClients(qint64 parent)
{
    QList<int> clients;
    for (const ProcessEntry &process : runningProcesses()) {
        if (process.name == "ncftpput" && process.state != 'Z'
            && (parent == 0 || process.parent == parent))
            clients.append(process.pid);
    }
    return clients;
}

} // namespace

class ProgressPublishTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void uploadsBothFilesByteForByte_data();
    void uploadsBothFilesByteForByte();
    void failureSaysWhyAndUploadsNothing_data();
    void failureSaysWhyAndUploadsNothing();
    void refusesToUndoDoneEntries_data();
    void refusesToUndoDoneEntries();
    void concurrentPublishesKeepTheServerFilesWhole();
    void interruptedPublishLeavesNothing_data();
    void interruptedPublishLeavesNothing();
    void passwordStaysOffTheCommandLine();

private:
    // Runs the tool in `folder` with `arguments` after "publish"; a
    // "@PORT@" or "@STOPPED@" in them becomes the port of the publisher's
    // server or of a stopped one, "@PASSWORD@" a file holding its password
    // (readable by its owner alone; "@OPENPASSWORD@" by everyone).
    progresstool::Outcome publish(const ProgramFolder &folder, QStringList arguments,
                                  const QString &client = QStringLiteral("ncftpput"),
                                  const QString &downloadClient = QStringLiteral("ncftpget"));
    QStringList withPlaceholders(QStringList arguments);
    // Files in the tool's temporary folder or in `folder` that hold a password.
    QStringList passwordsOnDisk(const ProgramFolder &folder) const;

    ProgramFolder m_scratch;
    ProgramFolder m_viewerServerFiles;
    ProgramFolder m_publisherServerFiles;
    ProgramFolder m_temporaryFolder;
    // The account the viewer was built with, and one of the publisher's own.
    FtpServer m_viewerServer { m_viewerServerFiles.path(),
                               fetch::configuredFtpAccount().user.toByteArray(),
                               fetch::configuredFtpAccount().password.toByteArray(),
                               FtpServer::Writable };
    FtpServer m_publisherServer { m_publisherServerFiles.path(), PublisherUser.toUtf8(),
                                  PublisherPassword, FtpServer::Writable };
    ProgramFolder m_holdingServerFiles;
    FtpServer m_holdingServer { m_holdingServerFiles.path(), PublisherUser.toUtf8(),
                                PublisherPassword, FtpServer::Writable };
    quint16 m_stoppedPort = 0;
};

void ProgressPublishTest::initTestCase()
{
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("ncftpput")).isEmpty(),
             "ncftpput is not on PATH: install ncftp (scripts/install-deps.sh)");
    // The client keeps its settings folder here rather than in the home
    // folder; the login file goes to a temporary folder the test looks into.
    qputenv("NCFTPDIR", QFile::encodeName(m_scratch.filePath(QStringLiteral("ncftp"))));
    qputenv("TMPDIR", QFile::encodeName(m_temporaryFolder.path()));

    QVERIFY2(m_viewerServer.start(), m_viewerServer.log().constData());
    QVERIFY2(m_publisherServer.start(), m_publisherServer.log().constData());
    // Longer than any test waits: the test acts while the upload hangs.
    m_holdingServer.holdUploads(600);
    QVERIFY2(m_holdingServer.start(), m_holdingServer.log().constData());
    // Where a server was: nothing listens there now.
    m_stoppedPort = freeLoopbackPort();
    QVERIFY(!acceptsConnections(m_stoppedPort));
}

QStringList ProgressPublishTest::withPlaceholders(QStringList arguments)
{
    for (const auto &[name, permissions] :
         { std::pair { QStringLiteral("password"),
                       QFileDevice::ReadOwner | QFileDevice::WriteOwner },
           { QStringLiteral("open-password"),
             QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                     | QFileDevice::ReadOther } }) {
        m_scratch.write(name, PublisherPassword + "\n");
        QFile::setPermissions(m_scratch.filePath(name), permissions);
    }
    for (QString &argument : arguments) {
        argument.replace(QStringLiteral("@PORT@"), QString::number(m_publisherServer.port()));
        argument.replace(QStringLiteral("@VIEWERPORT@"), QString::number(m_viewerServer.port()));
        argument.replace(QStringLiteral("@HOLDINGPORT@"), QString::number(m_holdingServer.port()));
        argument.replace(QStringLiteral("@STOPPED@"), QString::number(m_stoppedPort));
        argument.replace(QStringLiteral("@PASSWORD@"),
                         m_scratch.filePath(QStringLiteral("password")));
        argument.replace(QStringLiteral("@OPENPASSWORD@"),
                         m_scratch.filePath(QStringLiteral("open-password")));
    }
    arguments.prepend(QStringLiteral("publish"));
    return arguments;
}

progresstool::Outcome ProgressPublishTest::publish(const ProgramFolder &folder,
                                                   QStringList arguments, const QString &client,
                                                   const QString &downloadClient)
{
    progresstool::Context context { folder.path(), client, downloadClient };
    return progresstool::run(withPlaceholders(arguments), context);
}

QStringList ProgressPublishTest::passwordsOnDisk(const ProgramFolder &folder) const
{
    QStringList found;
    for (const QString &root : { m_temporaryFolder.path(), folder.path() }) {
        QDirIterator files(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QByteArray bytes = fileBytes(files.next());
            if (bytes.contains(PublisherPassword)
                || bytes.contains(fetch::configuredFtpAccount().password.toByteArray()))
                found.append(files.filePath());
        }
    }
    return found;
}

void ProgressPublishTest::uploadsBothFilesByteForByte_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("viewerAccount");

    QTest::newRow("the viewer's own account")
            << words(u"--host 127.0.0.1 --port @VIEWERPORT@"_s) << true;
    QTest::newRow("an account of the publisher's own")
            << words(u"--host=127.0.0.1 --user "_s + PublisherUser
                     + u" --password-file @PASSWORD@ --port @PORT@"_s)
            << false;
}

void ProgressPublishTest::uploadsBothFilesByteForByte()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, viewerAccount);

    ProgramFolder folder;
    const ProgramFolder &server = viewerAccount ? m_viewerServerFiles : m_publisherServerFiles;
    // A file already there is replaced.
    server.write(Uniques, flagsWithOnesAt(157, { 70 }) + ",older\r\n");
    folder.write(Uniques, flagsWithOnesAt(157, { 1, 70, 157 }) + "\r\n");
    folder.write(Quests, "\"" + flagsWithOnesAt(40, { 2 }) + "\"\r\n");

    const progresstool::Outcome outcome = publish(folder, arguments);
    QCOMPARE(outcome.error, QString());
    QCOMPARE(outcome.status, 0);
    QCOMPARE(outcome.output.count(QLatin1Char('\n')), 2);
    for (const QString &name : { Uniques, Quests }) {
        QVERIFY2(outcome.output.contains(QStringLiteral("Uploaded ") + name),
                 qPrintable(outcome.output));
        QCOMPARE(server.read(name), folder.read(name));
        // Written under a name of this run's own and renamed when complete,
        // so a download never meets half a file.
        const QString log =
                QString::fromUtf8((viewerAccount ? m_viewerServer : m_publisherServer).log(0));
        const QString path = QRegularExpression::escape(server.filePath(name));
        QVERIFY2(log.contains(QRegularExpression(
                         QStringLiteral("STOR %1\\.part\\.\\d+\\.[0-9a-f]{8} ").arg(path)))
                         && log.contains(
                                 QRegularExpression(QStringLiteral("RNTO %1 250").arg(path))),
                 qPrintable(log));
    }
    QCOMPARE(QDir(server.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({ Quests, Uniques }));
    QCOMPARE(passwordsOnDisk(folder), QStringList());
}

void ProgressPublishTest::failureSaysWhyAndUploadsNothing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("client");
    QTest::addColumn<bool>("questsFile");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("saying");

    const QString publisher = u"--host 127.0.0.1 --user "_s + PublisherUser
            + u" --password-file @PASSWORD@ --port "_s;
    const QString ncftpput = QStringLiteral("ncftpput");
    const int failed = progresstool::PublishFailed;

    QTest::newRow("login refused") << words(publisher + u"@VIEWERPORT@"_s) << ncftpput << true
                                   << failed << QStringLiteral("not accepted for login");
    QTest::newRow("server stopped") << words(publisher + u"@STOPPED@"_s) << ncftpput << true
                                    << failed << QStringLiteral("refused");
    QTest::newRow("no client") << words(publisher + u"@PORT@"_s)
                               << QStringLiteral("/nonexistent/ncftpput") << true << failed
                               << QStringLiteral("install Debian's ncftp");
    QTest::newRow("a progress file missing") << words(publisher + u"@PORT@"_s) << ncftpput << false
                                             << int(progresstool::Refused) << Quests;
    QTest::newRow("a password file others can read")
            << words(u"--host 127.0.0.1 --user "_s + PublisherUser
                     + u" --password-file @OPENPASSWORD@ --port @PORT@"_s)
            << ncftpput << true << int(progresstool::Refused) << QStringLiteral("chmod 600 ");
    QTest::newRow("no password file")
            << words(u"--password-file nothing-here --port @PORT@"_s) << ncftpput << true
            << int(progresstool::FileError) << QStringLiteral("nothing-here");
    QTest::newRow("a line break in the user")
            << QStringList { QStringLiteral("--user"), QStringLiteral("me\npass guessed") }
            << ncftpput << true << int(progresstool::UsageError) << QStringLiteral("one line");
    QTest::newRow("port out of range") << words(u"--port 70000"_s) << ncftpput << true
                                       << int(progresstool::UsageError) << QStringLiteral("--port");
}

void ProgressPublishTest::failureSaysWhyAndUploadsNothing()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, client);
    QFETCH(bool, questsFile);
    QFETCH(int, status);
    QFETCH(QString, saying);

    ProgramFolder folder;
    folder.write(Uniques, flagsWithOnesAt(157, { 3 }) + "\r\n");
    if (questsFile)
        folder.write(Quests, flagsWithOnesAt(63, { 3 }) + "\r\n");
    const QStringList before = QDir(m_publisherServerFiles.path()).entryList(QDir::Files);

    const progresstool::Outcome outcome = publish(folder, arguments, client);
    QCOMPARE(outcome.status, status);
    QCOMPARE(outcome.output, QString());
    QCOMPARE(outcome.error.count(QLatin1Char('\n')), 1);
    QVERIFY2(outcome.error.contains(saying), qPrintable(outcome.error));
    QCOMPARE(QDir(m_publisherServerFiles.path()).entryList(QDir::Files), before);
    QCOMPARE(passwordsOnDisk(folder), QStringList());
}

void ProgressPublishTest::refusesToUndoDoneEntries_data()
{
    QTest::addColumn<FileState>("serverUniques");
    QTest::addColumn<FileState>("serverQuests");
    QTest::addColumn<QByteArray>("localUniques");
    QTest::addColumn<bool>("force");
    QTest::addColumn<QStringList>("saying"); // empty: the files go up

    const QByteArray noQuests(63, '0');
    const QByteArray twelve = firstOnes(157, 12);
    QTest::newRow("a server without the files")
            << FileState() << FileState() << twelve << false << QStringList();
    QTest::newRow("a server behind") << FileState(firstOnes(157, 3)) << FileState(noQuests)
                                     << twelve << false << QStringList();
    QTest::newRow("one unique undone")
            << FileState(flagsWithOnesAt(157, { 1, 5 }) + "\r\n") << FileState(noQuests)
            << firstOnes(157, 1) << false
            << QStringList { QStringLiteral("undo 1 entry"), uniqueName(4) + QLatin1Char('"'),
                             QStringLiteral("--force") };
    QTest::newRow("twelve undone: ten named, and 2 more")
            << FileState(twelve) << FileState(noQuests) << firstOnes(157, 0) << false
            << QStringList { QStringLiteral("undo 12 entries"), uniqueName(0) + QLatin1Char('"'),
                             uniqueName(9) + QStringLiteral("\" and 2 more;") };
    QTest::newRow("a quest done on the server, read as the viewer reads it")
            << FileState(firstOnes(157, 1))
            << FileState("\"" + flagsWithOnesAt(63, { 63 }) + "\",notes") << firstOnes(157, 1)
            << false
            << QStringList { QString::fromLatin1(catalog::questGroups()[10].quests[8].name) };
    QTest::newRow("--force undoes them")
            << FileState(twelve) << FileState(flagsWithOnesAt(63, { 63 })) << firstOnes(157, 0)
            << true << QStringList();
}

void ProgressPublishTest::refusesToUndoDoneEntries()
{
    QFETCH(FileState, serverUniques);
    QFETCH(FileState, serverQuests);
    QFETCH(QByteArray, localUniques);
    QFETCH(bool, force);
    QFETCH(QStringList, saying);

    const ProgramFolder &server = m_publisherServerFiles;
    setFile(server, Uniques, serverUniques);
    setFile(server, Quests, serverQuests);
    ProgramFolder folder;
    folder.write(Uniques, localUniques + "\r\n");
    folder.write(Quests, QByteArray(63, '0') + "\r\n");

    QStringList arguments = words(u"--host 127.0.0.1 --user "_s + PublisherUser
                                  + u" --password-file @PASSWORD@ --port @PORT@"_s);
    if (force)
        arguments.append(QStringLiteral("--force"));
    const progresstool::Outcome outcome = publish(folder, arguments);
    if (saying.isEmpty()) {
        QCOMPARE(outcome.error, QString());
        QCOMPARE(fileState(server, Uniques), fileState(folder, Uniques));
        QCOMPARE(fileState(server, Quests), fileState(folder, Quests));
    } else {
        QCOMPARE(outcome.status, int(progresstool::Refused));
        QCOMPARE(outcome.error.count(QLatin1Char('\n')), 1);
        for (const QString &part : saying)
            QVERIFY2(outcome.error.contains(part), qPrintable(outcome.error));
        QCOMPARE(fileState(server, Uniques), serverUniques);
        QCOMPARE(fileState(server, Quests), serverQuests);
    }
}

// Two players' machines (two folders) publishing at once, again and again:
// each pair's runs both succeed and leave both files whole on the server.
// With a temporary name the runs shared, one run's rename failed and its
// client then deleted the live file.
void ProgressPublishTest::concurrentPublishesKeepTheServerFilesWhole()
{
    constexpr int Pairs = 15;
    const ProgramFolder &server = m_publisherServerFiles;
    setFile(server, Uniques, std::nullopt);
    setFile(server, Quests, std::nullopt);
    const QStringList arguments =
            withPlaceholders(words(u"--host 127.0.0.1 --user "_s + PublisherUser
                                   + u" --password-file @PASSWORD@ --port @PORT@"_s));
    for (int pair = 0; pair < Pairs; ++pair) {
        // Each pair a step further, so every pair replaces the files.
        const QByteArray uniques = firstOnes(157, pair + 1) + "\r\n";
        const QByteArray quests = firstOnes(63, pair + 1) + "\r\n";
        ProgramFolder folders[2];
        std::vector<std::unique_ptr<QProcess>> runs;
        for (const ProgramFolder &folder : folders) {
            folder.write(Uniques, uniques);
            folder.write(Quests, quests);
            runs.push_back(std::make_unique<QProcess>());
            runs.back()->setWorkingDirectory(folder.path());
            runs.back()->start(Program, arguments);
        }
        for (const auto &run : runs) {
            QVERIFY(run->waitForFinished(60000));
            QVERIFY2(run->exitStatus() == QProcess::NormalExit && run->exitCode() == 0,
                     qPrintable(QStringLiteral("pair %1: %2")
                                        .arg(pair)
                                        .arg(QString::fromLocal8Bit(run->readAllStandardError()))));
        }
        QCOMPARE(fileState(server, Uniques), FileState(uniques));
        QCOMPARE(fileState(server, Quests), FileState(quests));
    }
    QCOMPARE(QDir(server.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({ Quests, Uniques }));
}

void ProgressPublishTest::interruptedPublishLeavesNothing_data()
{
    QTest::addColumn<int>("signal");

    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP: the terminal closed") << int(SIGHUP);
    QTest::newRow("SIGKILL") << int(SIGKILL);
}

// A run stopped while its upload hangs: its client goes with it, nothing
// holding the password stays behind, and the server's file is whole. A
// temporary file of the run may stay on the server; the live file is never
// missing.
void ProgressPublishTest::interruptedPublishLeavesNothing()
{
    QFETCH(int, signal);

    const ProgramFolder &server = m_holdingServerFiles;
    for (const QString &name : QDir(server.path()).entryList(QDir::Files | QDir::Hidden))
        QFile::remove(server.filePath(name));
    const QByteArray old = firstOnes(157, 1) + "\r\n";
    server.write(Uniques, old);
    ProgramFolder folder;
    folder.write(Uniques, firstOnes(157, 2) + "\r\n");
    folder.write(Quests, firstOnes(63, 2) + "\r\n");

    QProcess run;
    run.setWorkingDirectory(folder.path());
    run.start(Program,
              withPlaceholders(words(u"--host 127.0.0.1 --user "_s + PublisherUser
                                     + u" --password-file @PASSWORD@ --port @HOLDINGPORT@"_s)));
    QVERIFY(run.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(
            !QDir(server.path()).entryList({ Uniques + QStringLiteral(".part.*") }).isEmpty(),
            30000);
    QTRY_VERIFY_WITH_TIMEOUT(!runningClients(run.processId()).isEmpty(), 10000);
    const QList<int> clients = runningClients(run.processId());

    QCOMPARE(::kill(pid_t(run.processId()), signal), 0);
    QVERIFY(run.waitForFinished(30000));
    QCOMPARE(run.exitStatus(), QProcess::CrashExit);
    for (int client : clients)
        QTRY_VERIFY_WITH_TIMEOUT(!runningClients(0).contains(client), 10000);
    QCOMPARE(passwordsOnDisk(folder), QStringList());
    QCOMPARE(server.read(Uniques), old);
    QVERIFY(!server.exists(Quests));
    // A signal it can catch lets the run end in order and give the folder
    // back; after SIGKILL its lock stays until the next run takes it over.
    if (signal != SIGKILL)
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList({ Quests, Uniques }));
}

// Each real client behind a stand-in that notes what it was given: their
// command lines must not hold the password, and the login they are pointed
// to is a file in memory, with no name on disk.
void ProgressPublishTest::passwordStaysOffTheCommandLine()
{
    setFile(m_publisherServerFiles, Uniques, std::nullopt);
    setFile(m_publisherServerFiles, Quests, std::nullopt);
    ProgramFolder folder;
    folder.write(Uniques, flagsWithOnesAt(157, { 3 }) + "\r\n");
    folder.write(Quests, flagsWithOnesAt(63, { 3 }) + "\r\n");
    progresstool::Context context { folder.path() };
    for (QString *client : { &context.ftpClient, &context.downloadClient, &context.listClient }) {
        const QString real = QStandardPaths::findExecutable(*client);
        *client = m_scratch.filePath(QStringLiteral("recording-") + *client);
        writeExecutable(*client,
                        "#!/bin/sh\n{ printf '%s\\n' \"$@\"; readlink \"$2\"; cat \"$2\"; } >>'"
                                + QFile::encodeName(m_scratch.filePath(QStringLiteral("notes")))
                                + "'\nexec '" + QFile::encodeName(real) + "' \"$@\"\n");
    }

    const auto outcome = progresstool::run(
            withPlaceholders(words(u"--host 127.0.0.1 --user "_s + PublisherUser
                                   + u" --password-file @PASSWORD@ --port @PORT@"_s)),
            context);
    QCOMPARE(outcome.error, QString());
    const QList<QByteArray> lines = m_scratch.read(QStringLiteral("notes")).split('\n');
    // A read, an upload, two reads back and a look for leftovers at least.
    QVERIFY2(lines.count("-f") >= 5, lines.join('\n').constData());
    QCOMPARE(lines.count("pass " + PublisherPassword), lines.count("-f"));
    for (qsizetype k = 0; k + 2 < lines.size(); ++k) {
        if (lines[k] == "-f") {
            QVERIFY2(lines[k + 1].startsWith("/dev/fd/"), lines[k + 1].constData());
            QVERIFY2(lines.contains("/memfd:huntmark-login (deleted)"),
                     lines.join('\n').constData());
        }
    }
    for (const QByteArray &line : lines)
        QVERIFY2(line == "pass " + PublisherPassword || !line.contains(PublisherPassword),
                 line.constData());
    QCOMPARE(passwordsOnDisk(folder), QStringList());
}

QTEST_MAIN(ProgressPublishTest)
#include "test_progress_publish.moc"
