#include "windowdriver.h"

#include "downloadscript.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>

QByteArray expectedScript()
{
    // Byte for byte; only the server and account the build was configured
    // with are filled in.
    QByteArray script = "ncftpget.exe -C -u ACCOUNT -p marrowfen HOST \"QuestsCleared.txt\" "
                        "\"QuestsCleared.txt\"\r\n"
                        "ncftpget.exe -C -u ACCOUNT -p marrowfen HOST \"UniquesDefeated.txt\" "
                        "\"UniquesDefeated.txt\"\r\n"
                        "@echo off\r\n"
                        "del \"QV_data.bat\"\r\n"
                        "exit\r\n";
    const fetch::FtpAccount account = fetch::configuredFtpAccount();
    return script.replace("ACCOUNT", account.user.toByteArray())
            .replace("HOST", account.host.toByteArray());
}

QByteArray defaultUniques()
{
    return QByteArray(catalog::UniqueMonsterCount, '0');
}

QByteArray defaultQuests()
{
    return QByteArray(catalog::QuestCount, '0');
}

bool flagAt(const QByteArray &flags, int position)
{
    return position >= 1 && position <= flags.size() && flags.at(position - 1) == '1';
}

QString beatenLabel(qint64 ones)
{
    return QStringLiteral("Uniques Beaten: ") + QString::number(ones);
}

QString labelText(const Form1 *window)
{
    return control<QLabel>(window, "LabelDefeated")->text();
}

namespace {

// Entries whose flags the drive looks at: the first and last position of
// each file and a few in between, on tabs far apart.
struct Probe
{
    int tab; // region, or quest group
    int index;
};

QList<Probe> uniqueProbes()
{
    const int lastRegion = catalog::RegionCount - 1;
    return { { 0, 0 }, { 0, 1 },  { 3, 0 },
             { 7, 0 }, { 12, 2 }, { lastRegion, catalog::uniqueMonsterCount(lastRegion) - 1 } };
}

QList<Probe> questProbes()
{
    const int lastGroup = catalog::QuestGroupCount - 1;
    return { { 0, 0 },
             { 1, 0 },
             { 7, catalog::questCount(7) - 1 },
             { lastGroup, catalog::questCount(lastGroup) - 1 } };
}

// A box and its hidden flag that disagree break the read-only rule whatever
// the file said.
bool agreeingFlag(const QLineEdit *text, const QCheckBox *box, const char *what, int tab)
{
    const bool checked = box->isChecked();
    if (text->text() != (checked ? QLatin1String("1") : QLatin1String("0"))) {
        QTest::qFail(qPrintable(QStringLiteral("%1(%2): hidden flag \"%3\" but the box is %4")
                                        .arg(QLatin1String(what))
                                        .arg(tab)
                                        .arg(text->text(), checked ? u"checked" : u"unchecked")),
                     __FILE__, __LINE__);
    }
    return checked;
}

// Switching to a tab the user was not on shows its list without a
// selection; anything else means a tab handler did not run.
void expectFreshTab(Form1 *window, int r)
{
    if (r >= catalog::RegionCount)
        return;
    if (control<QListWidget>(window, "ListOfUniques", r)->currentRow() != -1
        || !control<QLineEdit>(window, "TextLevel", r)->text().isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("region %1 not cleared by the tab change").arg(r)),
                     __FILE__, __LINE__);
    }
}

} // namespace

bool selectUniqueAndRead(Form1 *window, int r, int i)
{
    if (currentTab(window, "QVLocations") != r) {
        selectTab(window, "QVLocations", r);
        expectFreshTab(window, r);
    }
    auto *list = control<QListWidget>(window, "ListOfUniques", r);
    // A row that is already selected raises nothing; going through "no
    // selection" makes every call a fresh read.
    list->setCurrentRow(-1);
    list->setCurrentRow(i);
    const catalog::UniqueMonster *monster = catalog::findUniqueMonster(r, i);
    if (!monster
        || control<QLineEdit>(window, "TextLevel", r)->text() != QLatin1String(monster->level))
        QTest::qFail(qPrintable(QStringLiteral("entry (%1, %2) shows no details").arg(r).arg(i)),
                     __FILE__, __LINE__);
    return agreeingFlag(control<QLineEdit>(window, "TextDefeated", r),
                        control<QCheckBox>(window, "CheckDefeated", r), "TextDefeated", r);
}

bool selectQuestAndRead(Form1 *window, int g, int i)
{
    selectTab(window, "QVLocations", catalog::RegionCount);
    selectTab(window, "QuestsTab", g);
    auto *list = control<QListWidget>(window, "Quests", g);
    list->setCurrentRow(-1);
    list->setCurrentRow(i);
    return agreeingFlag(control<QLineEdit>(window, "TextCompleted", g),
                        control<QCheckBox>(window, "QuestCompleted", g), "TextCompleted", g);
}

void stopClock(Form1 *window)
{
    control<QTimer>(window, "Timer1")->stop();
}

void tick(Form1 *window, int count)
{
    for (int n = 0; n < count; ++n)
        window->Timer1_Timer();
}

QString countdown(const Form1 *window)
{
    return control<QTimer>(window, "Timer1")->property("Tag").toString();
}

void checkSelections(Form1 *window, const QByteArray &uniques, const QByteArray &quests)
{
    const QString label = beatenLabel(uniques.count('1'));
    for (const Probe &probe : uniqueProbes()) {
        const bool expected = flagAt(uniques, uniquePosition(probe.tab, probe.index));
        QCOMPARE(selectUniqueAndRead(window, probe.tab, probe.index), expected);
        QCOMPARE(labelText(window), label);
        // The user's click is undone at once.
        auto *box = control<QCheckBox>(window, "CheckDefeated", probe.tab);
        box->click();
        QCOMPARE(box->isChecked(), expected);
    }
    for (const Probe &probe : questProbes()) {
        const bool expected = flagAt(quests, questPosition(probe.tab, probe.index));
        QCOMPARE(selectQuestAndRead(window, probe.tab, probe.index), expected);
        auto *box = control<QCheckBox>(window, "QuestCompleted", probe.tab);
        box->click();
        QCOMPARE(box->isChecked(), expected);
    }
}

void driveAndCheckFlags(Form1 *window, const QByteArray &uniques, const QByteArray &quests)
{
    const QString label = beatenLabel(uniques.count('1'));
    QCOMPARE(labelText(window), label);
    checkSelections(window, uniques, quests);
    if (QTest::currentTestFailed())
        return;

    // Leaving a region and coming back clears its selection; the box shows
    // what the last read left in the hidden flag.
    const Probe last = uniqueProbes().constLast();
    const bool lastFlag = flagAt(uniques, uniquePosition(last.tab, last.index));
    QCOMPARE(selectUniqueAndRead(window, last.tab, last.index), lastFlag);
    selectTab(window, "QVLocations", 1);
    selectTab(window, "QVLocations", last.tab);
    expectFreshTab(window, last.tab);
    QCOMPARE(control<QCheckBox>(window, "CheckDefeated", last.tab)->isChecked(), lastFlag);

    // A full countdown with an entry selected: the fetch's own readers put
    // the same flag and count back.
    QCOMPARE(selectUniqueAndRead(window, last.tab, last.index), lastFlag);
    control<QLabel>(window, "LabelDefeated")->clear();
    tick(window, TicksPerFetch);
    QCOMPARE(countdown(window), QString::number(TicksPerFetch));
    QCOMPARE(labelText(window), label);
    QCOMPARE(control<QCheckBox>(window, "CheckDefeated", last.tab)->isChecked(), lastFlag);

    // The same with the Quests tab current.
    const Probe lastQuest = questProbes().constLast();
    const bool lastQuestFlag = flagAt(quests, questPosition(lastQuest.tab, lastQuest.index));
    QCOMPARE(selectQuestAndRead(window, lastQuest.tab, lastQuest.index), lastQuestFlag);
    control<QLineEdit>(window, "TextCompleted", lastQuest.tab)
            ->setText(lastQuestFlag ? QStringLiteral("0") : QStringLiteral("1"));
    tick(window, TicksPerFetch);
    QCOMPARE(countdown(window), QString::number(TicksPerFetch));
    QCOMPARE(control<QLineEdit>(window, "TextCompleted", lastQuest.tab)->text(),
             lastQuestFlag ? QStringLiteral("1") : QStringLiteral("0"));
    QCOMPARE(control<QCheckBox>(window, "QuestCompleted", lastQuest.tab)->isChecked(),
             lastQuestFlag);
    QCOMPARE(labelText(window), label);
}
