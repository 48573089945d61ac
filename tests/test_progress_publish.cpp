// huntmark-progress publish against a real FTP server on this machine with
// the real upload client: what arrives, what a failure says, and that the
// password never stands on a command line.
#include "badinput_support.h"
#include "ftpserver.h"

#include "progress/downloadscript.h"
#include "progresstool/progresstool.h"

#include <QDir>
#include <QStandardPaths>

namespace {

const QString Uniques = QStringLiteral("UniquesDefeated.txt");
const QString Quests = QStringLiteral("QuestsCleared.txt");
const QString PublisherUser = QStringLiteral("publisher@huntmark.example");
const QByteArray PublisherPassword = "inkwell-7 and spaces";

QStringList words(const QString &line)
{
    return line.split(u' ');
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
    void passwordStaysOffTheCommandLine();

private:
    // Runs the tool in `folder` with `arguments` after "publish"; a
    // "@PORT@" or "@STOPPED@" in them becomes the port of the publisher's
    // server or of a stopped one, "@PASSWORD@" a file holding its password.
    progresstool::Outcome publish(const ProgramFolder &folder, QStringList arguments,
                                  const QString &client = QStringLiteral("ncftpput"));
    QStringList loginFilesLeft() const;

    ProgramFolder m_scratch;
    ProgramFolder m_viewerServerFiles;
    ProgramFolder m_publisherServerFiles;
    ProgramFolder m_temporaryFolder;
    // The account the viewer was built with, and one of the publisher's own.
    FtpServer m_viewerServer{m_viewerServerFiles.path(), progress::configuredFtpAccount().user.toByteArray(),
                             progress::configuredFtpAccount().password.toByteArray(), FtpServer::Writable};
    FtpServer m_publisherServer{m_publisherServerFiles.path(), PublisherUser.toUtf8(), PublisherPassword,
                                FtpServer::Writable};
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
    // Where a server was: nothing listens there now.
    m_stoppedPort = freeLoopbackPort();
    QVERIFY(!acceptsConnections(m_stoppedPort));
}

progresstool::Outcome ProgressPublishTest::publish(const ProgramFolder &folder, QStringList arguments,
                                                   const QString &client)
{
    const QString passwordFile = m_scratch.filePath(QStringLiteral("password"));
    m_scratch.write(QStringLiteral("password"), PublisherPassword + "\n");
    for (QString &argument : arguments) {
        argument.replace(QStringLiteral("@PORT@"), QString::number(m_publisherServer.port()));
        argument.replace(QStringLiteral("@VIEWERPORT@"), QString::number(m_viewerServer.port()));
        argument.replace(QStringLiteral("@STOPPED@"), QString::number(m_stoppedPort));
        argument.replace(QStringLiteral("@PASSWORD@"), passwordFile);
    }
    arguments.prepend(QStringLiteral("publish"));
    return progresstool::run(arguments, {folder.path(), client});
}

QStringList ProgressPublishTest::loginFilesLeft() const
{
    // The test's own program folders lie there too.
    return QDir(m_temporaryFolder.path())
            .entryList({QStringLiteral("huntmark-login-*")}, QDir::Files | QDir::Hidden);
}

void ProgressPublishTest::uploadsBothFilesByteForByte_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("viewerAccount");

    QTest::newRow("the viewer's own account") << words("--host 127.0.0.1 --port @VIEWERPORT@") << true;
    QTest::newRow("an account of the publisher's own")
            << words("--host=127.0.0.1 --user " + PublisherUser + " --password-file @PASSWORD@ --port @PORT@")
            << false;
}

void ProgressPublishTest::uploadsBothFilesByteForByte()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, viewerAccount);

    ProgramFolder folder;
    const ProgramFolder &server = viewerAccount ? m_viewerServerFiles : m_publisherServerFiles;
    // A file already there is replaced.
    server.write(Uniques, QByteArray(300, '1'));
    folder.write(Uniques, flagsWithOnesAt(157, {1, 70, 157}) + "\r\n");
    folder.write(Quests, "\"" + flagsWithOnesAt(40, {2}) + "\"\r\n");

    const progresstool::Outcome outcome = publish(folder, arguments);
    QCOMPARE(outcome.error, QString());
    QCOMPARE(outcome.status, 0);
    QCOMPARE(outcome.output.count(QLatin1Char('\n')), 2);
    for (const QString &name : {Uniques, Quests}) {
        QVERIFY2(outcome.output.contains(QStringLiteral("Uploaded ") + name), qPrintable(outcome.output));
        QCOMPARE(server.read(name), folder.read(name));
        // Written under another name and renamed when complete, so a
        // download never meets half a file.
        const QByteArray log = (viewerAccount ? m_viewerServer : m_publisherServer).log();
        const QByteArray path = QFile::encodeName(server.filePath(name));
        QVERIFY2(log.contains("STOR " + path + ".part ") && log.contains("RNTO " + path + " 250"),
                 log.constData());
    }
    QCOMPARE(QDir(server.path()).entryList(QDir::Files | QDir::Hidden), QStringList({Quests, Uniques}));
    QCOMPARE(loginFilesLeft(), QStringList());
}

void ProgressPublishTest::failureSaysWhyAndUploadsNothing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("client");
    QTest::addColumn<bool>("questsFile");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("saying");

    const QString publisher =
            "--host 127.0.0.1 --user " + PublisherUser + " --password-file @PASSWORD@ --port ";
    const QString ncftpput = QStringLiteral("ncftpput");
    const int failed = progresstool::PublishFailed;

    QTest::newRow("login refused") << words(publisher + "@VIEWERPORT@") << ncftpput << true << failed
                                   << QStringLiteral("not accepted for login");
    QTest::newRow("server stopped") << words(publisher + "@STOPPED@") << ncftpput << true << failed
                                    << QStringLiteral("refused");
    QTest::newRow("no client") << words(publisher + "@PORT@") << QStringLiteral("/nonexistent/ncftpput")
                               << true << failed << QStringLiteral("install Debian's ncftp");
    QTest::newRow("a progress file missing")
            << words(publisher + "@PORT@") << ncftpput << false << int(progresstool::Refused) << Quests;
    QTest::newRow("no password file")
            << words("--password-file nothing-here --port @PORT@") << ncftpput << true
            << int(progresstool::FileError) << QStringLiteral("nothing-here");
    QTest::newRow("a line break in the user")
            << QStringList{QStringLiteral("--user"), QStringLiteral("me\npass guessed")} << ncftpput << true
            << int(progresstool::UsageError) << QStringLiteral("one line");
    QTest::newRow("port out of range") << words("--port 70000") << ncftpput << true
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
    folder.write(Uniques, flagsWithOnesAt(157, {3}) + "\r\n");
    if (questsFile)
        folder.write(Quests, flagsWithOnesAt(63, {3}) + "\r\n");
    const QStringList before = QDir(m_publisherServerFiles.path()).entryList(QDir::Files);

    const progresstool::Outcome outcome = publish(folder, arguments, client);
    QCOMPARE(outcome.status, status);
    QCOMPARE(outcome.output, QString());
    QCOMPARE(outcome.error.count(QLatin1Char('\n')), 1);
    QVERIFY2(outcome.error.contains(saying), qPrintable(outcome.error));
    QCOMPARE(QDir(m_publisherServerFiles.path()).entryList(QDir::Files), before);
    QCOMPARE(loginFilesLeft(), QStringList());
}

// A client that notes what it was given stands in for the real one: its
// command line must not hold the password, and the login file it is pointed
// to must be readable by its owner alone.
void ProgressPublishTest::passwordStaysOffTheCommandLine()
{
    ProgramFolder folder;
    folder.write(Uniques, flagsWithOnesAt(157, {3}) + "\r\n");
    folder.write(Quests, flagsWithOnesAt(63, {3}) + "\r\n");
    const QString client = m_scratch.filePath(QStringLiteral("recording-client"));
    badinput::writeExecutable(client,
                              "#!/bin/sh\n{ printf '%s\\n' \"$@\"; stat -c %a \"$2\"; cat \"$2\"; } >>'" +
                                      QFile::encodeName(m_scratch.filePath(QStringLiteral("notes"))) + "'\n");

    const auto outcome = publish(folder, words("--password-file @PASSWORD@"), client);
    QCOMPARE(outcome.error, QString());
    const QList<QByteArray> lines = m_scratch.read(QStringLiteral("notes")).split('\n');
    QCOMPARE(lines.count("-f"), 2);
    QCOMPARE(lines.count("600"), 2);
    QCOMPARE(lines.count("pass " + PublisherPassword), 2);
    for (const QByteArray &line : lines)
        QVERIFY2(line == "pass " + PublisherPassword || !line.contains(PublisherPassword), line.constData());
    QCOMPARE(loginFilesLeft(), QStringList());
}

QTEST_MAIN(ProgressPublishTest)
#include "test_progress_publish.moc"
