#pragma once

// Driving the window through everything a user and the clock do to it,
// checking after every step what it shows; the files it reads and the
// script it writes, as they must read.

#include "testsupport.h"

#include <QByteArray>
#include <QString>

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
