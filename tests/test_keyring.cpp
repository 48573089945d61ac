// The publishing password in the desktop keyring, through a real Secret
// Service: gnome-keyring on a private session bus with a HOME of its own
// (tests/support/keyring_session.sh; the suite starts itself inside it).
// Stored, read back by other processes, used by huntmark-progress publish,
// and never in clear on disk or on a command line; without a keyring, the
// built-in password as before.
#include "ftpserver.h"
#include "testsupport.h"

#include "downloadscript.h"
#include "publisher.h"

#include <QDirIterator>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString Uniques = u"UniquesDefeated.txt"_s;
const QString Quests = u"QuestsCleared.txt"_s;
const QString Program = QStringLiteral(HUNTMARK_PROGRAM_DIR "/huntmark-progress");
const QString PublisherUser = u"keeper@huntmark.example"_s;
const QByteArray KeptPassword = "kept in the keyring 4711";

// The files under `root` that hold `secret` in clear.
QStringList filesHolding(const QString &root, const QByteArray &secret)
{
    QStringList found;
    QDirIterator files(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        if (fileBytes(files.next()).contains(secret))
            found.append(files.filePath());
    }
    return found;
}

// Whether the command line of process `pid` or of a child of it holds
// `secret` now. (The test's own server has it on its command line.)
bool commandLineHolds(qint64 pid, const QByteArray &secret)
{
    QDirIterator processes(u"/proc"_s, QDir::Dirs | QDir::NoDotAndDotDot);
    while (processes.hasNext()) {
        const QString process = processes.next();
        const QByteArray stat = fileBytes(process + u"/stat"_s);
        // pid (comm) state ppid ...
        const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        const bool ours = processes.fileName().toLongLong() == pid
                || (fields.size() > 1 && fields[1].toLongLong() == pid);
        if (ours && fileBytes(process + u"/cmdline"_s).contains(secret))
            return true;
    }
    return false;
}

// What a new process of this suite reads from the keyring (see main()).
QByteArray readInANewProcess(const publishing::FtpAccount &account,
                             const QProcessEnvironment &environment)
{
    QProcess reader;
    reader.setProcessEnvironment(environment);
    reader.start(
            QCoreApplication::applicationFilePath(),
            { u"--read-keyring"_s, account.host, account.user, QString::number(account.port) });
    if (!reader.waitForFinished(30000))
        return "no answer";
    return reader.readAllStandardOutput().trimmed();
}

} // namespace

class KeyringTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void storedAndReadBackInNewProcesses();
    void publishTakesThePasswordFromTheKeyring();
    void withoutAKeyringTheBuiltInPassword_data();
    void withoutAKeyringTheBuiltInPassword();

private:
    QProcess *startPublish(const ProgramFolder &folder, const QStringList &arguments,
                           const QProcessEnvironment &environment);
    publishing::FtpAccount account() const
    {
        return { u"127.0.0.1"_s, PublisherUser, KeptPassword, m_server.port() };
    }

    ProgramFolder m_served;
    FtpServer m_server { m_served.path(), PublisherUser.toUtf8(), KeptPassword,
                         FtpServer::Writable };
    ProgramFolder m_viewerServed;
    FtpServer m_viewerServer { m_viewerServed.path(),
                               fetch::configuredFtpAccount().user.toByteArray(),
                               fetch::configuredFtpAccount().password.toByteArray(),
                               FtpServer::Writable };
};

void KeyringTest::initTestCase()
{
    QVERIFY2(qEnvironmentVariableIsSet("HUNTMARK_KEYRING_SESSION"),
             "run inside tests/support/keyring_session.sh");
    QVERIFY2(!QStandardPaths::findExecutable(u"secret-tool"_s).isEmpty(),
             "secret-tool is missing: install libsecret-tools (make deps)");
    QVERIFY2(m_server.start(), m_server.log().constData());
    QVERIFY2(m_viewerServer.start(), m_viewerServer.log().constData());
}

void KeyringTest::storedAndReadBackInNewProcesses()
{
    publishing::Keyring keyring;
    QSignalSpy written(&keyring, &publishing::Keyring::passwordWritten);
    keyring.writePassword(account());
    QTRY_COMPARE_WITH_TIMEOUT(written.count(), 1, 20000);
    const auto stored = written.first().first().value<publishing::KeyringAnswer>();
    QVERIFY2(stored.result == publishing::KeyringAnswer::Result::Stored, qPrintable(stored.reason));

    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QCOMPARE(readInANewProcess(account(), environment), "found " + KeptPassword);
    publishing::FtpAccount elsewhere = account();
    elsewhere.port += 1;
    QCOMPARE(readInANewProcess(elsewhere, environment), QByteArray("not found"));

    // Another program of the desktop finds it too, by the entry's name.
    QProcess lookup;
    lookup.start(u"secret-tool"_s,
                 { u"lookup"_s, u"server"_s, u"huntmark-publishing"_s, u"user"_s,
                   publishing::Keyring::entryKey(account()) });
    QVERIFY(lookup.waitForFinished(20000));
    QCOMPARE(lookup.readAllStandardOutput(), KeptPassword);
}

QProcess *KeyringTest::startPublish(const ProgramFolder &folder, const QStringList &arguments,
                                    const QProcessEnvironment &environment)
{
    folder.write(Uniques, flagsWithOnesAt(157, { 5 }) + "\r\n");
    folder.write(Quests, flagsWithOnesAt(63, { 5 }) + "\r\n");
    auto *run = new QProcess(this);
    run->setProcessEnvironment(environment);
    run->setWorkingDirectory(folder.path());
    run->start(Program, QStringList { u"publish"_s, u"--host"_s, u"127.0.0.1"_s } + arguments);
    return run;
}

// The account was set up once in the keyring: the tool publishes with it,
// and while it does, no command line holds the password; afterwards no file
// in the home folder, the temporary folders or the progress folder does.
void KeyringTest::publishTakesThePasswordFromTheKeyring()
{
    ProgramFolder folder;
    QProcess *run = startPublish(
            folder, { u"--user"_s, PublisherUser, u"--port"_s, QString::number(m_server.port()) },
            QProcessEnvironment::systemEnvironment());
    bool seen = false;
    int looks = 0;
    while (!run->waitForFinished(5)) {
        seen = seen || commandLineHolds(run->processId(), KeptPassword);
        ++looks;
    }
    QVERIFY(looks > 10);
    QVERIFY2(run->exitCode() == 0, run->readAllStandardError().constData());
    QVERIFY(!seen);
    QCOMPARE(m_served.read(Uniques), folder.read(Uniques));
    QCOMPARE(m_served.read(Quests), folder.read(Quests));
    for (const QString &root : { QDir::homePath(), QDir::tempPath(), folder.path() })
        QCOMPARE(filesHolding(root, KeptPassword), QStringList());
}

void KeyringTest::withoutAKeyringTheBuiltInPassword_data()
{
    QTest::addColumn<bool>("viewerAccount");
    QTest::addColumn<int>("status");

    QTest::newRow("the viewer's account: its built-in password") << true << 0;
    QTest::newRow("another account: the built-in password is refused") << false << 4;
}

// No bus, so no keyring answers: the tool says nothing of it, waits for
// nothing and takes the built-in password, as before there was a keyring.
void KeyringTest::withoutAKeyringTheBuiltInPassword()
{
    QFETCH(bool, viewerAccount);
    QFETCH(int, status);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"unix:path=/nonexistent/bus"_s);
    QVERIFY(readInANewProcess(account(), environment).startsWith("no keyring"));

    ProgramFolder folder;
    const QStringList arguments = viewerAccount
            ? QStringList { u"--port"_s, QString::number(m_viewerServer.port()) }
            : QStringList { u"--user"_s, PublisherUser, u"--port"_s,
                            QString::number(m_server.port()) };
    QProcess *run = startPublish(folder, arguments, environment);
    QVERIFY(run->waitForFinished(30000));
    const QByteArray error = run->readAllStandardError();
    QVERIFY2(run->exitCode() == status, error.constData());
    if (!viewerAccount)
        QVERIFY2(error.contains("not accepted for login"), error.constData());
}

// Started by CTest, the suite runs itself again inside a keyring session of
// its own; with --read-keyring it is a reader in a new process.
int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 5 && arguments[1] == u"--read-keyring"_s) {
        const publishing::KeyringAnswer answer = publishing::readPasswordAndWait(
                { arguments[2], arguments[3], QByteArray(), arguments[4].toInt() });
        switch (answer.result) {
        case publishing::KeyringAnswer::Result::Found:
            std::fputs(QByteArray("found " + answer.password + "\n").constData(), stdout);
            break;
        case publishing::KeyringAnswer::Result::NotFound:
            std::fputs("not found\n", stdout);
            break;
        default:
            std::fputs(QByteArray("no keyring: " + answer.reason.toUtf8() + "\n").constData(),
                       stdout);
        }
        return 0;
    }
    if (!qEnvironmentVariableIsSet("HUNTMARK_KEYRING_SESSION"))
        return QProcess::execute(u"sh"_s,
                                 QStringList { QStringLiteral(HUNTMARK_KEYRING_SESSION_SCRIPT),
                                               QCoreApplication::applicationFilePath() }
                                         + arguments.mid(1));
    KeyringTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_keyring.moc"
