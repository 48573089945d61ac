// huntmark-progress publish against a real FTP server on this machine with
// the real upload client: what arrives, what a failure says, and that the
// password never stands on a command line.
#include "ftpserver.h"
#include "testsupport.h"

#include "progress/downloadscript.h"
#include "progresstool/progresstool.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

const QString Uniques = QStringLiteral("UniquesDefeated.txt");
const QString Quests = QStringLiteral("QuestsCleared.txt");
const QString PublisherUser = QStringLiteral("publisher@huntmark.example");
const QByteArray PublisherPassword = "inkwell-7 and spaces";

struct Outcome
{
    progresstool::Outcome tool;
    QStringList arrived; // files on the server afterwards
};

} // namespace

class ProgressPublishTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
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

    QTemporaryDir m_scratch;
    QTemporaryDir m_viewerServerFiles;
    QTemporaryDir m_publisherServerFiles;
    QTemporaryDir m_temporaryFolder;
    // The account the viewer was built with, and one of the publisher's own.
    FtpServer m_viewerServer{m_viewerServerFiles.path(), progress::configuredFtpAccount().user.toByteArray(),
                             progress::configuredFtpAccount().password.toByteArray(), FtpServer::Writable};
    FtpServer m_publisherServer{m_publisherServerFiles.path(), PublisherUser.toUtf8(), PublisherPassword,
                                FtpServer::Writable};
    quint16 m_stoppedPort = 0;
};

void ProgressPublishTest::initTestCase()
{
    QVERIFY(m_scratch.isValid() && m_viewerServerFiles.isValid() && m_publisherServerFiles.isValid() &&
            m_temporaryFolder.isValid());
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("ncftpput")).isEmpty(),
             "ncftpput is not on PATH: install ncftp (scripts/install-deps.sh)");
    // The client keeps its settings folder here rather than in the home
    // folder; the login file goes to a temporary folder the test looks into.
    qputenv("NCFTPDIR", QFile::encodeName(m_scratch.filePath(QStringLiteral("ncftp"))));
    qputenv("TMPDIR", QFile::encodeName(m_temporaryFolder.path()));

    QVERIFY2(m_viewerServer.start(), m_viewerServer.log().constData());
    QVERIFY2(m_publisherServer.start(), m_publisherServer.log().constData());
    FtpServer stopped(m_scratch.path(), PublisherUser.toUtf8(), PublisherPassword, FtpServer::Writable);
    QVERIFY2(stopped.start(), stopped.log().constData());
    m_stoppedPort = stopped.port();
    stopped.stop();
    QVERIFY(!acceptsConnections(m_stoppedPort));
}

void ProgressPublishTest::cleanupTestCase()
{
    m_viewerServer.stop();
    m_publisherServer.stop();
    qunsetenv("TMPDIR");
}

progresstool::Outcome ProgressPublishTest::publish(const ProgramFolder &folder, QStringList arguments,
                                                   const QString &client)
{
    const QString passwordFile = m_scratch.filePath(QStringLiteral("password"));
    QFile file(passwordFile);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(PublisherPassword + "\n") < 0)
        qFatal("cannot write %s", qPrintable(passwordFile));
    file.close();
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

    const QString host = QStringLiteral("127.0.0.1");
    QTest::newRow("the viewer's own account")
            << QStringList{QStringLiteral("--host"), host, QStringLiteral("--port"),
                           QStringLiteral("@VIEWERPORT@")}
            << true;
    QTest::newRow("an account of the publisher's own") << QStringList{QStringLiteral("--host=") + host,
                                                                      QStringLiteral("--user"),
                                                                      PublisherUser,
                                                                      QStringLiteral("--password-file"),
                                                                      QStringLiteral("@PASSWORD@"),
                                                                      QStringLiteral("--port"),
                                                                      QStringLiteral("@PORT@")}
                                                       << false;
}

void ProgressPublishTest::uploadsBothFilesByteForByte()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, viewerAccount);

    ProgramFolder folder;
    const QString onServer = viewerAccount ? m_viewerServerFiles.path() : m_publisherServerFiles.path();
    // A file already there is replaced.
    QFile stale(QDir(onServer).filePath(Uniques));
    QVERIFY(stale.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
            stale.write(QByteArray(300, '1')) == 300);
    stale.close();
    folder.write(Uniques, flagsWithOnesAt(157, {1, 70, 157}) + "\r\n");
    folder.write(Quests, "\"" + flagsWithOnesAt(40, {2}) + "\"\r\n");

    const progresstool::Outcome outcome = publish(folder, arguments);
    QCOMPARE(outcome.error, QString());
    QCOMPARE(outcome.status, 0);
    QCOMPARE(outcome.output.count(QLatin1Char('\n')), 2);
    for (const QString &name : {Uniques, Quests}) {
        QVERIFY2(outcome.output.contains(QStringLiteral("Uploaded ") + name), qPrintable(outcome.output));
        QFile served(QDir(onServer).filePath(name));
        QVERIFY2(served.open(QIODevice::ReadOnly), qPrintable(name));
        QCOMPARE(served.readAll(), folder.read(name));
        // Written under another name and renamed when complete, so a
        // download never meets half a file.
        const QByteArray log = (viewerAccount ? m_viewerServer : m_publisherServer).log();
        const QByteArray path = QFile::encodeName(served.fileName());
        QVERIFY2(log.contains("STOR " + path + ".part ") && log.contains("RNTO " + path + " 250"),
                 log.constData());
    }
    QCOMPARE(QDir(onServer).entryList(QDir::Files | QDir::Hidden), QStringList({Quests, Uniques}));
    QCOMPARE(loginFilesLeft(), QStringList());
}

void ProgressPublishTest::failureSaysWhyAndUploadsNothing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("client");
    QTest::addColumn<bool>("questsFile");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("saying");

    const QStringList publisher{QStringLiteral("--host"),          QStringLiteral("127.0.0.1"),
                                QStringLiteral("--user"),          PublisherUser,
                                QStringLiteral("--password-file"), QStringLiteral("@PASSWORD@")};
    const QString ncftpput = QStringLiteral("ncftpput");
    const int failed = progresstool::PublishFailed;

    QTest::newRow("login refused") << (QStringList(publisher)
                                       << QStringLiteral("--port") << QStringLiteral("@VIEWERPORT@"))
                                   << ncftpput << true << failed << QStringLiteral("not accepted for login");
    QTest::newRow("server stopped") << (QStringList(publisher)
                                        << QStringLiteral("--port") << QStringLiteral("@STOPPED@"))
                                    << ncftpput << true << failed << QStringLiteral("refused");
    QTest::newRow("no client") << (QStringList(publisher)
                                   << QStringLiteral("--port") << QStringLiteral("@PORT@"))
                               << QStringLiteral("/nonexistent/ncftpput") << true << failed
                               << QStringLiteral("install Debian's ncftp");
    QTest::newRow("a progress file missing")
            << (QStringList(publisher) << QStringLiteral("--port") << QStringLiteral("@PORT@")) << ncftpput
            << false << int(progresstool::Refused) << Quests;
    QTest::newRow("no password file")
            << QStringList{QStringLiteral("--password-file"), QStringLiteral("nothing-here"),
                           QStringLiteral("--port"), QStringLiteral("@PORT@")}
            << ncftpput << true << int(progresstool::FileError) << QStringLiteral("nothing-here");
    QTest::newRow("a line break in the user")
            << QStringList{QStringLiteral("--user"), QStringLiteral("me\npass guessed")} << ncftpput << true
            << int(progresstool::UsageError) << QStringLiteral("one line");
    QTest::newRow("port out of range")
            << QStringList{QStringLiteral("--port"), QStringLiteral("70000")} << ncftpput << true
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
    const QString notes = m_scratch.filePath(QStringLiteral("notes"));
    const QString client = m_scratch.filePath(QStringLiteral("recording-client"));
    QFile script(client);
    QVERIFY(script.open(QIODevice::WriteOnly | QIODevice::Truncate));
    script.write("#!/bin/sh\n"
                 "{ printf '%s\\n' \"$@\"; stat -c %a \"$2\"; cat \"$2\"; } >>'" +
                 QFile::encodeName(notes) + "'\n");
    script.close();
    QVERIFY(script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));

    const auto outcome =
            publish(folder, {QStringLiteral("--password-file"), QStringLiteral("@PASSWORD@")}, client);
    QCOMPARE(outcome.error, QString());
    QFile noted(notes);
    QVERIFY(noted.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = noted.readAll().split('\n');
    QCOMPARE(lines.count("-f"), 2);
    QCOMPARE(lines.count("600"), 2);
    QCOMPARE(lines.count("pass " + PublisherPassword), 2);
    for (const QByteArray &line : lines)
        QVERIFY2(line == "pass " + PublisherPassword || !line.contains(PublisherPassword), line.constData());
    QCOMPARE(loginFilesLeft(), QStringList());
}

QTEST_MAIN(ProgressPublishTest)
#include "test_progress_publish.moc"
