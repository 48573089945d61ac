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
#include "publisher.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QStandardPaths>

#include <memory>
#include <optional>
#include <vector>

#include <signal.h>
#include <sys/stat.h>

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

private Q_SLOTS:
    void initTestCase();
    void uploadsBothFilesByteForByte_data();
    void uploadsBothFilesByteForByte();
    void failureSaysWhyAndUploadsNothing_data();
    void failureSaysWhyAndUploadsNothing();
    void refusesToUndoDoneEntries_data();
    void refusesToUndoDoneEntries();
    void publishersAtOnceAllLand();
    void deliberateUndoIsPublished();
    void interruptedPublishLeavesNothing_data();
    void interruptedPublishLeavesNothing();
    void nextPublishRemovesLeftoverUploads();
    void endsInTimeAgainstASlowServer_data();
    void endsInTimeAgainstASlowServer();
    void passwordStaysOffTheCommandLine();

private:
    // Runs the tool in `folder` with `arguments` after "publish"; a
    // "@PORT@" or "@STOPPED@" in them becomes the port of the publisher's
    // server or of a stopped one, "@PASSWORD@" a file holding its password
    // (readable by its owner alone; "@OPENPASSWORD@" by everyone).
    // The same through the library, as a window publishes.
    publishing::PublishOutcome publishHere(const ProgramFolder &folder, bool force = false,
                                           int deadlineMs = 45000, quint16 port = 0);
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
    QVERIFY(::mkfifo(QFile::encodeName(m_scratch.filePath(QStringLiteral("fifo"))).constData(),
                     0600)
            == 0);
    // A download client for an account that may write but not read.
    writeExecutable(m_scratch.filePath(QStringLiteral("unreadable-ncftpget")),
                    "#!/bin/sh\necho 'ncftpget: could not read the files' >&2\nexit 5\n");
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
    m_scratch.write(QStringLiteral("group-password"), PublisherPassword + "\n");
    QFile::setPermissions(m_scratch.filePath(QStringLiteral("group-password")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                  | QFileDevice::ReadGroup);
    for (QString &argument : arguments) {
        argument.replace(QStringLiteral("@GROUPPASSWORD@"),
                         m_scratch.filePath(QStringLiteral("group-password")));
        argument.replace(QStringLiteral("@FIFO@"), m_scratch.filePath(QStringLiteral("fifo")));
        argument.replace(QStringLiteral("@FOLDER@"), m_scratch.path());
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

publishing::PublishOutcome ProgressPublishTest::publishHere(const ProgramFolder &folder, bool force,
                                                            int deadlineMs, quint16 port)
{
    publishing::Publisher::Options options;
    options.folder = folder.path();
    options.account = { QStringLiteral("127.0.0.1"), PublisherUser, PublisherPassword,
                        port > 0 ? port : m_publisherServer.port() };
    options.force = force;
    options.deadlineMs = deadlineMs;
    return publishing::publishAndWait(options);
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
    QTest::newRow("a password file others of the group can read (640)")
            << words(u"--host 127.0.0.1 --user "_s + PublisherUser
                     + u" --password-file @GROUPPASSWORD@ --port @PORT@"_s)
            << ncftpput << true << int(progresstool::Refused) << QStringLiteral("chmod 600 ");
    QTest::newRow("a pipe as password file")
            << words(publisher + u"@PORT@"_s).replaceInStrings(u"@PASSWORD@"_s, u"@FIFO@"_s)
            << ncftpput << true << int(progresstool::FileError)
            << QStringLiteral("not a plain file");
    QTest::newRow("a folder as password file")
            << words(publisher + u"@PORT@"_s).replaceInStrings(u"@PASSWORD@"_s, u"@FOLDER@"_s)
            << ncftpput << true << int(progresstool::FileError) << QStringLiteral("a folder");
    QTest::newRow("an account that may not read: --force offered")
            << words(publisher + u"@PORT@"_s) << m_scratch.filePath(u"unreadable-ncftpget"_s)
            << true << failed << QStringLiteral("(--force publishes without reading them)");
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

    // A stand-in for the download client is named after it.
    const bool downloader = client.contains(QStringLiteral("ncftpget"));
    const progresstool::Outcome outcome =
            publish(folder, arguments, downloader ? QStringLiteral("ncftpput") : client,
                    downloader ? client : QStringLiteral("ncftpget"));
    QCOMPARE(outcome.status, status);
    // --force helps only where the server's files could not be read for
    // another reason than the login, the connection or the server.
    if (!saying.contains(QStringLiteral("--force")))
        QVERIFY2(!outcome.error.contains(QStringLiteral("--force")), qPrintable(outcome.error));
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

// Five folders publishing different marks at the same moment, again and
// again: each run reads the server before any of them uploads (a gate in
// front of the real download client holds them there), so every check
// passes and every upload but one is lost to a rival. Each run succeeds only
// once the server holds its marks, so the server ends with all of them.
void ProgressPublishTest::publishersAtOnceAllLand()
{
    constexpr int Rounds = 4;
    constexpr int Folders = 5;
    const ProgramFolder &server = m_publisherServerFiles;
    setFile(server, Uniques, std::nullopt);
    setFile(server, Quests, std::nullopt);
    const QStringList arguments =
            withPlaceholders(words(u"--host 127.0.0.1 --user "_s + PublisherUser
                                   + u" --password-file @PASSWORD@ --port @PORT@"_s));
    ProgramFolder gate;
    QDir(gate.path()).mkdir(QStringLiteral("bin"));
    writeExecutable(gate.filePath(QStringLiteral("bin/ncftpget")),
                    "#!/bin/sh\n'"
                            + QFile::encodeName(QStandardPaths::findExecutable(u"ncftpget"_s))
                            + "' \"$@\"; status=$?\ncase \"$PWD\" in */server)\n  touch '"
                            + QFile::encodeName(gate.path()) + "/arrived.'$$\n  while [ ! -e '"
                            + QFile::encodeName(gate.path())
                            + "/open' ]; do sleep 0.02; done;;\nesac\nexit $status\n");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"PATH"_s, gate.filePath(u"bin"_s) + u":"_s + environment.value(u"PATH"_s));

    QList<int> uniques;
    QList<int> quests;
    for (int round = 0; round < Rounds; ++round) {
        QFile::remove(gate.filePath(u"open"_s));
        for (const QString &name : QDir(gate.path()).entryList({ u"arrived.*"_s }))
            QFile::remove(gate.filePath(name));
        // Each folder holds what the server held, and one mark of its own.
        std::vector<std::unique_ptr<ProgramFolder>> folders;
        std::vector<std::unique_ptr<QProcess>> runs;
        for (int f = 0; f < Folders; ++f) {
            const int mark = round * Folders + f + 1;
            folders.push_back(std::make_unique<ProgramFolder>());
            folders.back()->write(Uniques, flagsWithOnesAt(157, uniques + QList { mark }) + "\r\n");
            folders.back()->write(Quests,
                                  flagsWithOnesAt(63, quests + QList { 64 - mark }) + "\r\n");
        }
        for (int f = 0; f < Folders; ++f) {
            uniques.append(round * Folders + f + 1);
            quests.append(64 - (round * Folders + f + 1));
            runs.push_back(std::make_unique<QProcess>());
            runs.back()->setProcessEnvironment(environment);
            runs.back()->setWorkingDirectory(folders[size_t(f)]->path());
            runs.back()->start(Program, arguments);
        }
        QTRY_COMPARE_WITH_TIMEOUT(QDir(gate.path()).entryList({ u"arrived.*"_s }).size(), Folders,
                                  30000);
        gate.write(u"open"_s, "");
        for (const auto &run : runs) {
            QVERIFY(run->waitForFinished(60000));
            QVERIFY2(run->exitStatus() == QProcess::NormalExit && run->exitCode() == 0,
                     qPrintable(QStringLiteral("round %1: %2")
                                        .arg(round)
                                        .arg(QString::fromLocal8Bit(run->readAllStandardError()))));
        }
        QCOMPARE(server.read(Uniques), flagsWithOnesAt(157, uniques) + "\r\n");
        QCOMPARE(server.read(Quests), flagsWithOnesAt(63, quests) + "\r\n");
    }
    QCOMPARE(QDir(server.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({ Quests, Uniques }));
}

// An entry the player unmarked after publishing it goes out as not done:
// the folder's record of what it published tells a deliberate undo from an
// old copy. A folder without that record is still refused, names given.
void ProgressPublishTest::deliberateUndoIsPublished()
{
    const ProgramFolder &server = m_publisherServerFiles;
    setFile(server, Uniques, std::nullopt);
    setFile(server, Quests, std::nullopt);
    const QStringList arguments = words(u"--host 127.0.0.1 --user "_s + PublisherUser
                                        + u" --password-file @PASSWORD@ --port @PORT@"_s);
    ProgramFolder folder;
    const progresstool::Context context { folder.path() };
    QCOMPARE(progresstool::run({ u"init"_s }, context).status, 0);
    QCOMPARE(progresstool::run({ u"mark"_s, uniqueName(0), uniqueName(1) }, context).status, 0);
    QCOMPARE(publish(folder, arguments).error, QString());
    QCOMPARE(progresstool::run({ u"unmark"_s, uniqueName(1) }, context).status, 0);

    ProgramFolder oldCopy;
    oldCopy.write(Uniques, QByteArray(157, '0') + "\r\n");
    oldCopy.write(Quests, QByteArray(63, '0') + "\r\n");
    const publishing::PublishOutcome refused = publishHere(oldCopy);
    QCOMPARE(int(refused.result), int(publishing::PublishOutcome::Result::ServerHasMore));
    QCOMPARE(refused.serverOnly, QStringList({ uniqueName(0), uniqueName(1) }));
    QCOMPARE(refused.serverUniques, flagsWithOnesAt(157, { 1, 2 }));

    const progresstool::Outcome outcome = publish(folder, arguments);
    QCOMPARE(outcome.error, QString());
    QCOMPARE(server.read(Uniques), flagsWithOnesAt(157, { 1 }) + "\r\n");
    // "Publish mine": the server follows the old copy.
    QCOMPARE(int(publishHere(oldCopy, true).result),
             int(publishing::PublishOutcome::Result::Published));
    QCOMPARE(server.read(Uniques), oldCopy.read(Uniques));
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

    // Where the run keeps its copies of both sides' files while it works.
    ProgramFolder temporaries;
    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), temporaries.path());
    run.setProcessEnvironment(environment);
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
    // A signal it can catch lets the run end in order: it gives the folder
    // back and removes its working copies; after SIGKILL its lock stays until
    // the next run takes it over.
    if (signal != SIGKILL) {
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList({ Quests, Uniques }));
        QCOMPARE(QDir(temporaries.path())
                         .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
    }
}

// A publish killed mid-upload leaves its temporary upload on the server; a
// later publish removes it once it is minutes old by the server's clock,
// and leaves a rival's upload in progress and the user's own files alone.
void ProgressPublishTest::nextPublishRemovesLeftoverUploads()
{
    const ProgramFolder &server = m_holdingServerFiles;
    for (const QString &name : QDir(server.path()).entryList(QDir::Files | QDir::Hidden))
        QFile::remove(server.filePath(name));
    ProgramFolder folder;
    folder.write(Uniques, firstOnes(157, 2) + "\r\n");
    folder.write(Quests, firstOnes(63, 2) + "\r\n");
    QProcess run;
    run.setWorkingDirectory(folder.path());
    run.start(Program,
              withPlaceholders(words(u"--host 127.0.0.1 --user "_s + PublisherUser
                                     + u" --password-file @PASSWORD@ --port @HOLDINGPORT@"_s)));
    const QStringList partPattern { Uniques + QStringLiteral(".part.*") };
    QTRY_VERIFY_WITH_TIMEOUT(!QDir(server.path()).entryList(partPattern).isEmpty(), 30000);
    QCOMPARE(::kill(pid_t(run.processId()), SIGTERM), 0);
    QVERIFY(run.waitForFinished(30000));
    const QStringList left = QDir(server.path()).entryList(partPattern);
    QCOMPARE(left.size(), 1);

    // Ten minutes on; a rival's upload has just begun.
    QFile aged(server.filePath(left.first()));
    QVERIFY(aged.open(QIODevice::ReadWrite));
    QVERIFY(aged.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-600),
                             QFileDevice::FileModificationTime));
    aged.close();
    const QString rivals = Quests + QStringLiteral(".part.99.0123abcd");
    const QString users = Uniques + QStringLiteral(".part.mine");
    server.write(rivals, "0");
    server.write(users, "notes");
    m_holdingServer.holdUploads(0);
    QVERIFY2(m_holdingServer.start(), m_holdingServer.log().constData());

    QCOMPARE(publish(folder,
                     words(u"--host 127.0.0.1 --user "_s + PublisherUser
                           + u" --password-file @PASSWORD@ --port @HOLDINGPORT@"_s))
                     .error,
             QString());
    QCOMPARE(QDir(server.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({ Quests, rivals, Uniques, users }));
}

void ProgressPublishTest::endsInTimeAgainstASlowServer_data()
{
    QTest::addColumn<bool>("trickling"); // or silent

    QTest::newRow("a server that never answers") << false;
    QTest::newRow("a server that trickles") << true;
}

// Whatever the server does, the whole publish ends by its deadline, and
// says why.
void ProgressPublishTest::endsInTimeAgainstASlowServer()
{
    QFETCH(bool, trickling);

    ProgramFolder served;
    // Notes after the flags make the file long enough to trickle for a
    // minute, a little at a time: never silent long enough for the client's
    // own time limit.
    served.write(Uniques, firstOnes(157, 3) + "," + QByteArray(3000, 'n') + "\r\n");
    FtpServer slow(served.path(), PublisherUser.toUtf8(), PublisherPassword, FtpServer::Writable);
    slow.setSendRate(50);
    SilentServer silent;
    if (trickling)
        QVERIFY2(slow.start(), slow.log().constData());
    ProgramFolder folder;
    folder.write(Uniques, firstOnes(157, 3) + "\r\n");
    folder.write(Quests, firstOnes(63, 3) + "\r\n");

    constexpr int DeadlineMs = 6000;
    QElapsedTimer took;
    took.start();
    const publishing::PublishOutcome outcome =
            publishHere(folder, false, DeadlineMs, trickling ? slow.port() : silent.port());
    QVERIFY2(took.elapsed() < DeadlineMs + 2000, qPrintable(outcome.reason));
    QVERIFY2(outcome.result == publishing::PublishOutcome::Result::TimedOut
                     || (!trickling
                         && outcome.result == publishing::PublishOutcome::Result::Unreachable),
             qPrintable(outcome.reason));
    QVERIFY2(outcome.reason.contains(u"127.0.0.1"_s), qPrintable(outcome.reason));
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
