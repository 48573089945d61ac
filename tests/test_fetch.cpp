// The download script, the countdown that runs it, and how it is started:
// hidden, in the program's folder, never waited for, never left as a zombie.
#include "testsupport.h"

#include "platform/scriptlauncher.h"
#include "progress/downloadscript.h"

#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString ScriptName = QStringLiteral("QV_Data.bat");
const QString UniquesFile = QStringLiteral("UniquesDefeated.txt");
const QString QuestsFile = QStringLiteral("QuestsCleared.txt");

// The script as the rules put it together, piece by piece, from the account
// the build was configured with.
QByteArray expectedScript()
{
    const progress::FtpAccount account = progress::configuredFtpAccount();
    QByteArray script;
    for (const char *file : {"QuestsCleared.txt", "UniquesDefeated.txt"}) {
        script += "ncftpget.exe -C -u ";
        script += account.user.toByteArray();
        script += " -p marrowfen ";
        script += account.host.toByteArray();
        script += " \"";
        script += file;
        script += "\" \"";
        script += file;
        script += "\"\r\n";
    }
    script += "@echo off\r\n";
    script += "del \"QV_data.bat\"\r\n";
    script += "exit\r\n";
    return script;
}

// The permission bits in octal, as chmod shows them.
QString fileMode(const QString &path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return QStringLiteral("(missing)");
    return QString::number(info.st_mode & 07777, 8);
}

bool setMode(const QString &path, int mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0;
}

void writeFile(const QString &path, const QByteArray &text)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(text), text.size());
}

// A shell script with the paths it needs filled in. The temporary paths
// hold no quotes, so single quotes around them are enough.
QByteArray shellScript(QByteArray body, std::initializer_list<std::pair<const char *, QString>> paths)
{
    for (const auto &[placeholder, path] : paths)
        body.replace(placeholder, QFile::encodeName(path));
    return "#!/bin/sh\n" + body;
}

void writeExecutable(const QString &path, const QByteArray &text)
{
    writeFile(path, text);
    QVERIFY(setMode(path, 0755));
}

QStringList readLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString canonical(const QString &path)
{
    return QFileInfo(path).canonicalFilePath();
}

// The processes whose parent is this test, with their state: a child that
// has ended and was never waited for shows as "Z".
QStringList childProcesses()
{
    QStringList children;
    const QByteArray self = QByteArray::number(qint64(::getpid()));
    QDirIterator it(QStringLiteral("/proc"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        bool isPid = false;
        it.fileName().toLongLong(&isPid);
        if (!isPid)
            continue;
        QFile stat(it.filePath() + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly))
            continue; // ended meanwhile
        const QByteArray line = stat.readAll();
        // "pid (name) state ppid ...": the name may hold spaces and
        // parentheses, so the fields are counted from its last ')'.
        const qsizetype close = line.lastIndexOf(')');
        if (close < 0)
            continue;
        const QList<QByteArray> fields = line.mid(close + 2).split(' ');
        if (fields.size() > 1 && fields.at(1) == self)
            children.append(QString::fromLocal8Bit(line.left(close + 3)));
    }
    return children;
}

QString tag(const Form1 *window)
{
    return control<QTimer>(window, "Timer1")->property("Tag").toString();
}

QString labelText(const Form1 *window)
{
    return control<QLabel>(window, "LabelDefeated")->text();
}

// Runs the test in another working directory and goes back afterwards.
class WorkingDirectory
{
public:
    explicit WorkingDirectory(const QString &path) : m_previous(QDir::currentPath())
    {
        QDir::setCurrent(path);
    }
    ~WorkingDirectory() { QDir::setCurrent(m_previous); }
    Q_DISABLE_COPY_MOVE(WorkingDirectory)

private:
    QString m_previous;
};

// Puts permissions back, so the temporary folders can be removed even when
// a check failed half way.
class ModeRestorer
{
public:
    ~ModeRestorer()
    {
        for (const QString &path : std::as_const(m_paths))
            setMode(path, 0700);
    }
    void add(const QString &path) { m_paths.prepend(path); }

private:
    QStringList m_paths;
};

} // namespace

class FetchTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void scriptTextIsExactAndStartedFromTheProgramFolder();
    void scriptReplacesAnOlderOneOwnerOnly_data();
    void scriptReplacesAnOlderOneOwnerOnly();
    void everySixtiethTickFetches();
    void unwritableFolderStillReadsAndStartsNothing();
    void scriptRunsInProgramFolderAndShowsAtNextRead();
    void fetchDoesNotWaitForTheScript();

private:
    QString recorderLog() const
    {
        return m_records.filePath(QStringLiteral("starts-%1.log").arg(m_testNumber));
    }
    QStringList recordedStarts() const { return readLines(recorderLog()); }

    // Stands in for the script helper where only the start matters: it notes
    // where it ran and what it was given, and runs nothing.
    QTemporaryDir m_records;
    int m_testNumber = 0;
};

void FetchTest::initTestCase()
{
    QVERIFY(m_records.isValid());
    const QFileInfo helper(QStringLiteral(HUNTMARK_BATCH_HELPER));
    QVERIFY2(helper.isExecutable(), "the script helper was not built: " HUNTMARK_BATCH_HELPER);
}

void FetchTest::init()
{
    // A helper of an earlier test may still be on its way; each test gets a
    // log of its own, so a late note cannot count for the wrong test.
    ++m_testNumber;
    const QString recorder = m_records.filePath(QStringLiteral("recording-helper-%1").arg(m_testNumber));
    writeExecutable(
            recorder,
            shellScript("printf '%s|%s\\n' \"$(pwd -P)\" \"$*\" >> '@LOG@'\n", {{"@LOG@", recorderLog()}}));
    platform::setScriptHelperPath(recorder);
}

void FetchTest::cleanup()
{
    platform::setScriptHelperPath(QString());
}

void FetchTest::scriptTextIsExactAndStartedFromTheProgramFolder()
{
    // Anything that splits a word would turn the account into other
    // arguments of the download client.
    const progress::FtpAccount account = progress::configuredFtpAccount();
    for (QByteArrayView value : {account.user, account.host}) {
        QVERIFY(!value.isEmpty());
        for (char c : {' ', '"', '\r', '\n', '\t'})
            QVERIFY2(!value.contains(c), value.toByteArray().constData());
    }
    QCOMPARE(account.password, QByteArrayView("marrowfen"));

    ProgramFolder folder;
    Form1 window(folder.path());
    window.FetchProgress();
    QCOMPARE(folder.read(ScriptName), expectedScript());
    // The name is written exactly so; only the script's own last line may
    // spell it differently.
    QVERIFY(QDir(folder.path()).entryList(QDir::Files).contains(ScriptName));

    const QString started =
            canonical(folder.path()) + QLatin1Char('|') + folder.path() + QLatin1Char('/') + ScriptName;
    QTRY_COMPARE(recordedStarts(), QStringList{started});
}

void FetchTest::scriptReplacesAnOlderOneOwnerOnly_data()
{
    QTest::addColumn<bool>("hadScript");
    QTest::addColumn<QByteArray>("oldText");
    QTest::addColumn<int>("oldMode");

    QTest::newRow("no earlier script") << false << QByteArray() << 0;
    QTest::newRow("longer, writable by all") << true << QByteArray(4000, 'x') << 0666;
    QTest::newRow("short, executable by all") << true << QByteArray("exit\r\n") << 0777;
    QTest::newRow("read-only for everyone") << true << QByteArray("@echo off\r\n") << 0444;
}

void FetchTest::scriptReplacesAnOlderOneOwnerOnly()
{
    QFETCH(bool, hadScript);
    QFETCH(QByteArray, oldText);
    QFETCH(int, oldMode);

    ProgramFolder folder;
    if (hadScript) {
        folder.write(ScriptName, oldText);
        QVERIFY(setMode(folder.filePath(ScriptName), oldMode));
    }
    Form1 window(folder.path());
    window.FetchProgress();
    // The script holds the password: nobody but the owner may read it, and
    // nothing of the older text may survive behind the new one.
    QCOMPARE(fileMode(folder.filePath(ScriptName)), QStringLiteral("600"));
    QCOMPARE(folder.read(ScriptName), expectedScript());
}

void FetchTest::everySixtiethTickFetches()
{
    ProgramFolder folder;
    auto window = startedWindow(folder);
    // The test is the clock: the window's own timer would tick whenever a
    // check below waits.
    control<QTimer>(window.get(), "Timer1")->stop();
    QCOMPARE(tag(window.get()), QStringLiteral("60"));
    QTRY_COMPARE(recordedStarts().size(), 1); // the start-up fetch
    QCOMPARE(labelText(window.get()), QStringLiteral("Uniques Beaten: 0"));

    // Only a fetch reads the file again without user activity, so the label
    // tells when the readers of a fetch ran.
    folder.write(UniquesFile, flagsWithOnesAt(catalog::UniqueMonsterCount, {2, 9}));
    for (int cycle = 1; cycle <= 2; ++cycle) {
        QVERIFY(QFile::remove(folder.filePath(ScriptName)));
        for (int tick = 1; tick < 60; ++tick) {
            window->Timer1_Timer();
            QCOMPARE(tag(window.get()), QString::number(60 - tick));
            QVERIFY2(!folder.exists(ScriptName), qPrintable(QStringLiteral("fetched at tick %1").arg(tick)));
        }
        QCOMPARE(labelText(window.get()),
                 cycle == 1 ? QStringLiteral("Uniques Beaten: 0") : QStringLiteral("Uniques Beaten: 2"));
        window->Timer1_Timer();
        QCOMPARE(tag(window.get()), QStringLiteral("60"));
        QCOMPARE(folder.read(ScriptName), expectedScript());
        QCOMPARE(labelText(window.get()), QStringLiteral("Uniques Beaten: 2"));
        QTRY_COMPARE(recordedStarts().size(), 1 + cycle);
    }
}

void FetchTest::unwritableFolderStillReadsAndStartsNothing()
{
    ProgramFolder folder;
    const int first = uniquePosition(0, 0);
    folder.write(UniquesFile, flagsWithOnesAt(catalog::UniqueMonsterCount, {first, 20, 157}));
    folder.write(QuestsFile, flagsWithOnesAt(catalog::QuestCount, {1}));
    // A folder in the script's place cannot be opened for writing by anyone,
    // root included, for whom the read-only folder alone would change
    // nothing.
    QVERIFY(QDir(folder.path()).mkdir(ScriptName));
    ModeRestorer restorer;
    restorer.add(folder.path());
    restorer.add(folder.filePath(ScriptName));
    QVERIFY(setMode(folder.path(), 0555));

    auto window = startedWindow(folder);
    control<QTimer>(window.get(), "Timer1")->stop();
    QCOMPARE(labelText(window.get()), QStringLiteral("Uniques Beaten: 3"));

    // Stale flags on both kinds of tab, put right by the fetch's readers.
    auto *uniques = control<QListWidget>(window.get(), "ListOfUniques", 0);
    auto *textDefeated = control<QLineEdit>(window.get(), "TextDefeated", 0);
    auto *checkDefeated = control<QCheckBox>(window.get(), "CheckDefeated", 0);
    QCOMPARE(currentTab(window.get(), "QVLocations"), 0);
    uniques->setCurrentRow(0);
    QVERIFY(checkDefeated->isChecked());
    textDefeated->setText(QStringLiteral("0"));
    checkDefeated->setChecked(false);
    control<QLabel>(window.get(), "LabelDefeated")->setText(QString());
    window->FetchProgress();
    QCOMPARE(labelText(window.get()), QStringLiteral("Uniques Beaten: 3"));
    QCOMPARE(textDefeated->text(), QStringLiteral("1"));
    QVERIFY(checkDefeated->isChecked());

    selectTab(window.get(), "QVLocations", 19);
    auto *quests = control<QListWidget>(window.get(), "Quests", 0);
    auto *textCompleted = control<QLineEdit>(window.get(), "TextCompleted", 0);
    auto *questCompleted = control<QCheckBox>(window.get(), "QuestCompleted", 0);
    quests->setCurrentRow(0);
    QVERIFY(questCompleted->isChecked());
    textCompleted->setText(QStringLiteral("0"));
    questCompleted->setChecked(false);
    window->FetchProgress();
    QCOMPARE(textCompleted->text(), QStringLiteral("1"));
    QVERIFY(questCompleted->isChecked());

    for (int tick = 0; tick < 60; ++tick)
        window->Timer1_Timer();
    QCOMPARE(tag(window.get()), QStringLiteral("60"));

    QVERIFY(QFileInfo(folder.filePath(ScriptName)).isDir());
    // The recording helper notes a start within milliseconds; give a start
    // that should not have happened ample time to show.
    QTest::qWait(500);
    QCOMPARE(recordedStarts(), QStringList());
}

void FetchTest::scriptRunsInProgramFolderAndShowsAtNextRead()
{
    platform::setScriptHelperPath(QStringLiteral(HUNTMARK_BATCH_HELPER));
    ProgramFolder folder;
    QTemporaryDir served;
    QTemporaryDir elsewhere;
    QVERIFY(served.isValid() && elsewhere.isValid());
    const QString pwdLog = m_records.filePath(QStringLiteral("pwd.log"));
    QFile::remove(pwdLog);

    // The client stands in for the download: it copies the served file to the
    // local name it is given, relative to where it runs. The first download
    // takes a second, so the reads right after the start certainly come
    // before the second one, that of the uniques.
    writeExecutable(folder.filePath(QStringLiteral("ncftpget.exe")),
                    shellScript("[ \"$7\" = QuestsCleared.txt ] && sleep 1\n"
                                "pwd -P >> '@LOG@'\n"
                                "cp '@SERVED@/'\"$7\" \"$8\"\n",
                                {{"@LOG@", pwdLog}, {"@SERVED@", served.path()}}));

    const int entry0 = uniquePosition(0, 0);
    const int entry1 = uniquePosition(0, 1);
    folder.write(UniquesFile, flagsWithOnesAt(catalog::UniqueMonsterCount, {}));
    folder.write(QuestsFile, flagsWithOnesAt(catalog::QuestCount, {}));
    const QByteArray firstUniques = flagsWithOnesAt(catalog::UniqueMonsterCount, {entry0, 30, 70, 100, 157});
    const QByteArray quests = flagsWithOnesAt(catalog::QuestCount, {1, 63});
    writeFile(served.filePath(UniquesFile), firstUniques);
    writeFile(served.filePath(QuestsFile), quests);

    WorkingDirectory cd(elsewhere.path());
    auto window = std::make_unique<Form1>(folder.path());
    control<QTimer>(window.get(), "Timer1")->stop();
    window->Form_Load();
    // Every read of the start-up came before the download.
    QCOMPARE(labelText(window.get()), QStringLiteral("Uniques Beaten: 0"));

    QTRY_VERIFY_WITH_TIMEOUT(!folder.exists(ScriptName), 10000);
    QCOMPARE(folder.read(UniquesFile), firstUniques);
    QCOMPARE(folder.read(QuestsFile), quests);
    const QString programFolder = canonical(folder.path());
    QCOMPARE(readLines(pwdLog), QStringList({programFolder, programFolder}));
    QCOMPARE(QDir(elsewhere.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());

    // Nothing read since: the label waits for the next read.
    QCOMPARE(labelText(window.get()), QStringLiteral("Uniques Beaten: 0"));
    auto *list = control<QListWidget>(window.get(), "ListOfUniques", 0);
    auto *check = control<QCheckBox>(window.get(), "CheckDefeated", 0);
    list->setCurrentRow(0);
    QCOMPARE(labelText(window.get()), QStringLiteral("Uniques Beaten: 5"));
    QVERIFY(check->isChecked());

    // The server changes; the fetch's own reads still see the last download.
    const QByteArray secondUniques =
            flagsWithOnesAt(catalog::UniqueMonsterCount, {entry1, 30, 70, 100, 120, 140, 157});
    writeFile(served.filePath(UniquesFile), secondUniques);
    window->FetchProgress();
    QCOMPARE(labelText(window.get()), QStringLiteral("Uniques Beaten: 5"));
    QVERIFY(check->isChecked());
    QTRY_VERIFY_WITH_TIMEOUT(!folder.exists(ScriptName), 10000);
    QCOMPARE(folder.read(UniquesFile), secondUniques);

    list->setCurrentRow(1);
    QCOMPARE(labelText(window.get()), QStringLiteral("Uniques Beaten: 7"));
    QVERIFY(check->isChecked());
    list->setCurrentRow(0);
    QVERIFY(!check->isChecked());

    QTRY_VERIFY2(childProcesses().isEmpty(), qPrintable(childProcesses().join(QLatin1Char(';'))));
}

void FetchTest::fetchDoesNotWaitForTheScript()
{
    platform::setScriptHelperPath(QStringLiteral(HUNTMARK_BATCH_HELPER));
    ProgramFolder folder;
    const QString startedMark = m_records.filePath(QStringLiteral("started"));
    const QString doneLog = m_records.filePath(QStringLiteral("done.log"));
    QFile::remove(startedMark);
    QFile::remove(doneLog);
    // The first download takes two seconds, far longer than a fetch may
    // hold up the window.
    writeExecutable(folder.filePath(QStringLiteral("ncftpget.exe")),
                    shellScript("touch '@STARTED@'\n"
                                "[ \"$7\" = QuestsCleared.txt ] && sleep 2\n"
                                "echo \"$7\" >> '@LOG@'\n",
                                {{"@STARTED@", startedMark}, {"@LOG@", doneLog}}));

    Form1 window(folder.path());
    control<QTimer>(&window, "Timer1")->stop();
    QElapsedTimer clock;
    clock.start();
    window.FetchProgress();
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QStringLiteral("%1 ms").arg(clock.elapsed())));

    QTRY_VERIFY(QFile::exists(startedMark));
    // The first download sleeps, so the script has not reached its end.
    QVERIFY(folder.exists(ScriptName));

    // A fetch while the earlier script still runs writes the script again
    // and does not wait either.
    clock.restart();
    window.FetchProgress();
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QStringLiteral("%1 ms").arg(clock.elapsed())));
    QCOMPARE(folder.read(ScriptName), expectedScript());

    // Both scripts run to their end: two downloads each, then the script is
    // gone.
    QTRY_VERIFY_WITH_TIMEOUT(readLines(doneLog).size() == 4 && !folder.exists(ScriptName), 10000);
    QCOMPARE(readLines(doneLog).count(QStringLiteral("QuestsCleared.txt")), 2);
    QTRY_VERIFY2(childProcesses().isEmpty(), qPrintable(childProcesses().join(QLatin1Char(';'))));
}

QTEST_MAIN(FetchTest)
#include "test_fetch.moc"
