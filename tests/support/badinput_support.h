#pragma once

// What the bad-input suites share: driving the window through everything a
// user and the clock do to it, checking after every step what it shows.

#include "testsupport.h"

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <sys/types.h>

namespace badinput {

inline const QString UniquesFile = QStringLiteral("UniquesDefeated.txt");
inline const QString QuestsFile = QStringLiteral("QuestsCleared.txt");
inline const QString TabsFile = QStringLiteral("Tabs.ini");
inline const QString ScriptName = QStringLiteral("QV_Data.bat");
inline const QString ClientName = QStringLiteral("ncftpget.exe");

// A fetch on every 60th tick of the countdown.
inline constexpr int TicksPerFetch = 60;

// The download script exactly as it must read, piece by piece, from the
// account the build was configured with.
QByteArray expectedScript();

// The flag texts the files fall back to when they cannot be read.
QByteArray defaultUniques();
QByteArray defaultQuests();

// The flag a flag text holds for a position, as the readers take it: only
// "1" is done, and positions past its end are not.
bool flagAt(const QByteArray &flags, int position);
QString beatenLabel(qint64 ones);

// Selects every probe in turn and clicks its read-only check box, checking
// that the window shows what `uniques` and `quests` say. Ends on the
// Quests tab.
void checkSelections(Form1 *window, const QByteArray &uniques, const QByteArray &quests);

// Runs the window through selections of every probe, clicks on the read-only
// check boxes, tab changes and a full countdown, checking after each step
// that it shows what `uniques` and `quests` say: the flag texts the
// progress files read as. Fails the calling test at the first difference.
// Leaves the Quests tab current.
void driveAndCheckFlags(Form1 *window, const QByteArray &uniques, const QByteArray &quests);

// Selects entry i of region r (or quest group g) as the user would, and
// tells what the window shows for it. The hidden flag and the check box must
// agree; a difference fails the calling test.
bool selectUniqueAndRead(Form1 *window, int r, int i);
bool selectQuestAndRead(Form1 *window, int g, int i);
QString labelText(const Form1 *window);

// Runs `count` ticks of the countdown by hand; the window's own timer is
// stopped so that waits in a test do not tick it.
void stopClock(Form1 *window);
void tick(Form1 *window, int count);
QString countdown(const Form1 *window);

// Permission bits do not stop root, which is what CI runs as.
bool runningAsRoot();
bool setMode(const QString &path, int mode);

// Puts permissions back, so temporary folders can be removed even when a
// check failed half way.
class ModeRestorer
{
public:
    ModeRestorer() = default;
    ~ModeRestorer();
    Q_DISABLE_COPY_MOVE(ModeRestorer)
    void add(const QString &path, int restoreTo = 0700) { m_paths.prepend({ path, restoreTo }); }

private:
    QList<std::pair<QString, int>> m_paths;
};

// What can stand where a file the program reads is expected: the file with
// `bytes`, nothing, a folder of that name (with `bytes` inside), the file
// without read permission, a link to itself, a named pipe nobody writes to,
// or 3 GiB of NUL bytes.
enum class Place { File, Missing, Folder, Unreadable, SymlinkLoop, NamedPipe, Sparse };
void putInPlace(const ProgramFolder &folder, const QString &name, Place place,
                const QByteArray &bytes, ModeRestorer &restorer);

// The processes whose working directory is `folder`: the script helper and
// whatever it started there. Tests make a fresh folder for each case, so
// every process found is one the test itself caused.
QList<pid_t> processesWorkingIn(const QString &folder);
void killProcesses(const QList<pid_t> &pids);

// The entries of a folder, recursively, with sizes: tells whether anything
// was written.
QStringList folderListing(const QString &folder);

// Makes a server or writer the test starts end with the test, even when the
// test itself is killed (a time limit, a crash) and cannot stop it.
void endWithThisProcess(QProcess &process);

// Writes an executable file.
void writeExecutable(const QString &path, const QByteArray &text);

// Puts an environment variable back when the test leaves, however it leaves.
class EnvironmentGuard
{
public:
    explicit EnvironmentGuard(const char *name);
    ~EnvironmentGuard();
    Q_DISABLE_COPY_MOVE(EnvironmentGuard)

private:
    const char *m_name;
    QByteArray m_value;
    bool m_wasSet;
};

} // namespace badinput

Q_DECLARE_METATYPE(badinput::Place)
