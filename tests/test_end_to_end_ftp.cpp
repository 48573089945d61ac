// The whole road of a refresh against a real FTP server on this machine: the
// viewer writes its script, the script helper runs it, the real download
// client fetches both progress files, and the next read shows them. Then the
// same without a server and without a client.
#include "ftpserver.h"
#include "testsupport.h"

#include "platform/scriptlauncher.h"
#include "progress/downloadscript.h"

#include <QCheckBox>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QStandardPaths>
#include <QTimer>

#include <memory>

namespace {

const QString ScriptName = QStringLiteral("QV_Data.bat");
const QString UniquesFile = QStringLiteral("UniquesDefeated.txt");
const QString QuestsFile = QStringLiteral("QuestsCleared.txt");
const QByteArray Password = "marrowfen";

// Downloads over loopback take milliseconds; the limit only keeps a broken
// run from hanging.
constexpr int ArrivalTimeoutMs = 20000;

// Writes a file and gives it a modification time. The download client skips
// a file whose local copy has the same size and is not older, so every
// served file must be newer than the local copy it is meant to replace.
void writeFile(const QString &path, const QByteArray &bytes, const QDateTime &modified)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadWrite | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
    QVERIFY(file.flush());
    QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
}

QString labelText(const Form1 *window)
{
    return control<QLabel>(window, "LabelDefeated")->text();
}

QString beaten(const QByteArray &flagText)
{
    return QStringLiteral("Uniques Beaten: %1").arg(flagText.count('1'));
}

bool selectedUniqueIsChecked(Form1 *window, int r, int i)
{
    selectTab(window, "QVLocations", r);
    auto *list = control<QListWidget>(window, "ListOfUniques", r);
    list->setCurrentRow(-1);
    list->setCurrentRow(i);
    return control<QCheckBox>(window, "CheckDefeated", r)->isChecked();
}

bool selectedQuestIsChecked(Form1 *window, int g, int i)
{
    selectTab(window, "QVLocations", 19);
    selectTab(window, "QuestsTab", g);
    auto *list = control<QListWidget>(window, "Quests", g);
    list->setCurrentRow(-1);
    list->setCurrentRow(i);
    return control<QCheckBox>(window, "QuestCompleted", g)->isChecked();
}

// Puts an environment variable back when the test leaves, however it leaves.
class EnvironmentGuard
{
public:
    explicit EnvironmentGuard(const char *name)
        : m_name(name), m_value(qgetenv(name)), m_wasSet(qEnvironmentVariableIsSet(name))
    { }
    ~EnvironmentGuard()
    {
        if (m_wasSet)
            qputenv(m_name, m_value);
        else
            qunsetenv(m_name);
    }
    Q_DISABLE_COPY_MOVE(EnvironmentGuard)

private:
    const char *m_name;
    QByteArray m_value;
    bool m_wasSet;
};

} // namespace

class EndToEndFtpTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void fetchBringsServerFlagsToTheNextRead();
    void unreachableServerLeavesLocalFiles();
    void missingClientLeavesWindowWorking();

private:
    // The client the script calls, standing in front of the real one: the
    // script names the configured host, the test's server listens on
    // 127.0.0.1 at a port of its own. Anything but the expected argument list
    // stops it, so a malformed script downloads nothing.
    void writeClient(const ProgramFolder &folder) const;
    QString served(const QString &name) const { return m_serverFiles.filePath(name); }

    QTemporaryDir m_scratch;
    QTemporaryDir m_serverFiles;
    std::unique_ptr<FtpServer> m_server;
};

void EndToEndFtpTest::initTestCase()
{
    QVERIFY(m_scratch.isValid() && m_serverFiles.isValid());
    // These come with the build's dependencies: a missing one is a broken
    // set-up, not a reason to skip.
    QVERIFY2(QFileInfo(QStringLiteral(HUNTMARK_BATCH_HELPER)).isExecutable(),
             "the script helper was not built: " HUNTMARK_BATCH_HELPER);
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("ncftpget")).isEmpty(),
             "ncftpget is not on PATH: install ncftp (scripts/install-deps.sh)");

    platform::setScriptHelperPath(QStringLiteral(HUNTMARK_BATCH_HELPER));

    m_server = std::make_unique<FtpServer>(m_serverFiles.path(),
                                           progress::configuredFtpAccount().user.toByteArray(), Password);
    QVERIFY2(m_server->start(), m_server->log().constData());
}

void EndToEndFtpTest::cleanupTestCase()
{
    m_server.reset();
    platform::setScriptHelperPath(QString());
}

void EndToEndFtpTest::writeClient(const ProgramFolder &folder) const
{
    const QString path = folder.filePath(QStringLiteral("ncftpget.exe"));
    // The client keeps a folder of settings, by default in the user's home
    // folder (found from the password database, not $HOME).
    QByteArray text =
            "#!/bin/sh\n"
            "[ $# -eq 8 ] && [ \"$1\" = -C ] && [ \"$2\" = -u ] && [ \"$4\" = -p ] || exit 2\n"
            "NCFTPDIR='@SETTINGS@'\n"
            "export NCFTPDIR\n"
            "exec ncftpget -P @PORT@ -V -r 0 -t 10 -C -u \"$3\" -p \"$5\" 127.0.0.1 \"$7\" \"$8\"\n";
    text.replace("@SETTINGS@", QFile::encodeName(m_scratch.filePath(QStringLiteral("ncftp"))));
    text.replace("@PORT@", QByteArray::number(m_server->port()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(text), text.size());
    file.close();
    QVERIFY(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
}

void EndToEndFtpTest::fetchBringsServerFlagsToTheNextRead()
{
    ProgramFolder folder;
    writeClient(folder);
    const QDateTime now = QDateTime::currentDateTime();
    writeFile(folder.filePath(UniquesFile), flagsWithOnesAt(catalog::UniqueMonsterCount, {}),
              now.addDays(-2));
    writeFile(folder.filePath(QuestsFile), flagsWithOnesAt(catalog::QuestCount, {}), now.addDays(-2));

    const int region7 = uniquePosition(7, 0);
    const int lastUnique = uniquePosition(18, catalog::uniqueMonsterCount(18) - 1);
    const QByteArray uniques =
            flagsWithOnesAt(catalog::UniqueMonsterCount, {uniquePosition(0, 0), region7, 100, lastUnique});
    const int lastQuest = catalog::questCount(10) - 1;
    const QByteArray quests =
            flagsWithOnesAt(catalog::QuestCount, {questPosition(0, 0), questPosition(10, lastQuest)});
    writeFile(served(UniquesFile), uniques, now.addDays(-1));
    writeFile(served(QuestsFile), quests, now.addDays(-1));

    auto window = startedWindow(folder);
    control<QTimer>(window.get(), "Timer1")->stop();
    QTRY_VERIFY2_WITH_TIMEOUT(!folder.exists(ScriptName) && folder.read(UniquesFile) == uniques &&
                                      folder.read(QuestsFile) == quests,
                              m_server->log().constData(), ArrivalTimeoutMs);

    QVERIFY(selectedUniqueIsChecked(window.get(), 0, 0));
    QCOMPARE(labelText(window.get()), beaten(uniques));
    QVERIFY(!selectedUniqueIsChecked(window.get(), 0, 1));
    QVERIFY(selectedUniqueIsChecked(window.get(), 7, 0));
    QVERIFY(selectedUniqueIsChecked(window.get(), 18, catalog::uniqueMonsterCount(18) - 1));
    QVERIFY(selectedQuestIsChecked(window.get(), 0, 0));
    QVERIFY(selectedQuestIsChecked(window.get(), 10, lastQuest));
    QVERIFY(!selectedQuestIsChecked(window.get(), 10, 0));

    // The server's file changes: region 7's monster is no longer beaten, two
    // others are.
    QByteArray changed = uniques;
    changed[region7 - 1] = '0';
    changed[uniquePosition(0, 1) - 1] = '1';
    changed[uniquePosition(2, 0) - 1] = '1';
    writeFile(served(UniquesFile), changed, now);
    QVERIFY(selectedUniqueIsChecked(window.get(), 7, 0));

    QElapsedTimer clock;
    clock.start();
    window->FetchProgress();
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QStringLiteral("%1 ms").arg(clock.elapsed())));
    QTRY_VERIFY_WITH_TIMEOUT(!folder.exists(ScriptName) && folder.read(UniquesFile) == changed,
                             ArrivalTimeoutMs);
    // The quests did not change on the server and stay as they were.
    QCOMPARE(folder.read(QuestsFile), quests);

    QVERIFY(!selectedUniqueIsChecked(window.get(), 7, 0));
    QCOMPARE(labelText(window.get()), beaten(changed));
    QVERIFY(selectedUniqueIsChecked(window.get(), 0, 1));
    QVERIFY(selectedUniqueIsChecked(window.get(), 2, 0));
}

void EndToEndFtpTest::unreachableServerLeavesLocalFiles()
{
    m_server->stop();
    QVERIFY(!acceptsConnections(m_server->port()));

    ProgramFolder folder;
    writeClient(folder);
    const QDateTime longAgo = QDateTime::currentDateTime().addDays(-3);
    const QByteArray uniques = flagsWithOnesAt(catalog::UniqueMonsterCount, {uniquePosition(3, 1), 50, 60});
    const QByteArray quests = flagsWithOnesAt(catalog::QuestCount, {questPosition(4, 2)});
    writeFile(folder.filePath(UniquesFile), uniques, longAgo);
    writeFile(folder.filePath(QuestsFile), quests, longAgo);

    auto window = startedWindow(folder);
    control<QTimer>(window.get(), "Timer1")->stop();
    QTRY_VERIFY_WITH_TIMEOUT(!folder.exists(ScriptName), ArrivalTimeoutMs);

    QElapsedTimer clock;
    clock.start();
    window->FetchProgress();
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QStringLiteral("%1 ms").arg(clock.elapsed())));
    QTRY_VERIFY_WITH_TIMEOUT(!folder.exists(ScriptName), ArrivalTimeoutMs);

    QCOMPARE(folder.read(UniquesFile), uniques);
    QCOMPARE(folder.read(QuestsFile), quests);
    QVERIFY(selectedUniqueIsChecked(window.get(), 3, 1));
    QCOMPARE(labelText(window.get()), beaten(uniques));
    QVERIFY(!selectedUniqueIsChecked(window.get(), 3, 0));
    QVERIFY(selectedQuestIsChecked(window.get(), 4, 2));
    QVERIFY(!selectedQuestIsChecked(window.get(), 4, 1));
}

void EndToEndFtpTest::missingClientLeavesWindowWorking()
{
    // No client in the program folder and none on the search path the
    // script helper inherits.
    QTemporaryDir emptyBin;
    QVERIFY(emptyBin.isValid());
    EnvironmentGuard path("PATH");
    qputenv("PATH", QFile::encodeName(emptyBin.path()));

    ProgramFolder folder;
    const QByteArray uniques =
            flagsWithOnesAt(catalog::UniqueMonsterCount, {uniquePosition(5, 0), uniquePosition(5, 2)});
    const QByteArray quests = flagsWithOnesAt(catalog::QuestCount, {questPosition(7, 0)});
    folder.write(UniquesFile, uniques);
    folder.write(QuestsFile, quests);

    auto window = startedWindow(folder);
    control<QTimer>(window.get(), "Timer1")->stop();
    QTRY_VERIFY_WITH_TIMEOUT(!folder.exists(ScriptName), ArrivalTimeoutMs);

    QElapsedTimer clock;
    clock.start();
    window->FetchProgress();
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QStringLiteral("%1 ms").arg(clock.elapsed())));
    QTRY_VERIFY_WITH_TIMEOUT(!folder.exists(ScriptName), ArrivalTimeoutMs);

    QCOMPARE(folder.read(UniquesFile), uniques);
    QCOMPARE(folder.read(QuestsFile), quests);
    QVERIFY(selectedUniqueIsChecked(window.get(), 5, 2));
    QCOMPARE(labelText(window.get()), beaten(uniques));
    QVERIFY(!selectedUniqueIsChecked(window.get(), 5, 1));
    QVERIFY(selectedQuestIsChecked(window.get(), 7, 0));
    QCOMPARE(currentTab(window.get(), "QVLocations"), 19);
    QCOMPARE(currentTab(window.get(), "QuestsTab"), 7);
}

QTEST_MAIN(EndToEndFtpTest)
#include "test_end_to_end_ftp.moc"
