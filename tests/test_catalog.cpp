// The catalog tables. Their shape is a file format (one progress flag per
// entry, in table order) and their texts fill fixed-size boxes and name
// picture files, so these checks guard the positions and the text rules.
#include "catalog/catalog.h"
#include "platform/programfolder.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

namespace {

using catalog::Quest;
using catalog::UniqueMonster;

QString text(const char *s)
{
    return QString::fromLatin1(s);
}

// Printable ASCII on one line, without spaces at either end.
bool isPlainLine(const QString &s)
{
    for (QChar c : s) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    }
    return s == s.trimmed();
}

bool bracketsBalanced(const QString &s)
{
    int round = 0, square = 0;
    for (QChar c : s) {
        round += c == u'(' ? 1 : c == u')' ? -1 : 0;
        square += c == u'[' ? 1 : c == u']' ? -1 : 0;
        if (round < 0 || round > 1 || square < 0 || square > 1)
            return false;
    }
    return round == 0 && square == 0;
}

QList<const UniqueMonster *> allMonsters()
{
    QList<const UniqueMonster *> all;
    for (const catalog::Region &region : catalog::regions()) {
        for (const UniqueMonster &monster : region.entries)
            all.append(&monster);
    }
    return all;
}

QList<const Quest *> allQuests()
{
    QList<const Quest *> all;
    for (const catalog::QuestGroup &group : catalog::questGroups()) {
        for (const Quest &quest : group.quests)
            all.append(&quest);
    }
    return all;
}

// The quest an appearance waits for, brackets removed; empty for none.
QString awaitedQuest(const QString &appearance)
{
    static const QRegularExpression pattern(
            "^(?:Quest|After Quest|Quest \\([^()]*\\)|Prereq): \\[?([^\\[\\]]+)\\]?$");
    return pattern.match(appearance).captured(1);
}

} // namespace

class CatalogTest : public QObject
{
    Q_OBJECT

private slots:
    void tablesHaveTheFileFormatsShape();
    void monsterTextsFitAndNamePictures();
    void questTextsFitAndReferToTheCatalog();
    void captionMonstersWaitForTheirGroupsLastQuest();
    void lookups_data();
    void lookups();
    void picturePaths();
};

void CatalogTest::tablesHaveTheFileFormatsShape()
{
    // Entries per region and per group are the progress files' layout: an
    // entry moved shifts every flag after it, in files any version wrote.
    QList<int> regions, groups;
    for (int r = 0; r < catalog::RegionCount; ++r)
        regions.append(catalog::uniqueMonsterCount(r));
    for (int g = 0; g < catalog::QuestGroupCount; ++g)
        groups.append(catalog::questCount(g));
    QCOMPARE(regions, (QList<int>{14, 14, 14, 2, 3, 12, 10, 1, 14, 2, 14, 8, 3, 8, 5, 9, 8, 8, 8}));
    QCOMPARE(groups, (QList<int>{3, 4, 5, 6, 4, 4, 9, 13, 3, 3, 9}));
    // The counts the flag texts are made of agree with the tables.
    QCOMPARE(int(catalog::regions().size()), catalog::RegionCount);
    QCOMPARE(int(catalog::questGroups().size()), catalog::QuestGroupCount);
    QCOMPARE(int(allMonsters().size()), catalog::UniqueMonsterCount);
    QCOMPARE(int(allQuests().size()), catalog::QuestCount);

    // Tab captions: unique, and short enough for their row of tabs.
    QSet<QString> captions;
    for (const catalog::Region &region : catalog::regions()) {
        const QString caption = text(region.caption);
        QVERIFY2(!caption.isEmpty() && caption.size() <= 14 && isPlainLine(caption), region.caption);
        QVERIFY2(caption != QLatin1String("Quests") && !captions.contains(caption), region.caption);
        captions.insert(caption);
    }
}

void CatalogTest::monsterTextsFitAndNamePictures()
{
    static const QRegularExpression nameShape("^[A-Za-z]+(?: [A-Za-z]+){1,2}$");
    static const QRegularExpression levelShape("^[1-9][0-9]{0,2}$");
    QSet<QString> names;
    for (const catalog::Region &region : catalog::regions()) {
        for (const UniqueMonster &monster : region.entries) {
            const QString name = text(monster.name);
            // The name is a picture file name, and file systems may ignore case.
            QVERIFY2(nameShape.match(name).hasMatch() && name.size() >= 10 && name.size() <= 21,
                     monster.name);
            QVERIFY2(!names.contains(name.toLower()), monster.name);
            names.insert(name.toLower());

            QVERIFY2(levelShape.match(text(monster.level)).hasMatch(), monster.name);

            const QString location = text(monster.location);
            QVERIFY2(!location.isEmpty() && location.size() <= 102 && isPlainLine(location),
                     monster.location);
            QVERIFY2(bracketsBalanced(location), monster.location);

            const QString appearance = text(monster.appearance);
            QVERIFY2(appearance.size() <= 45 && isPlainLine(appearance) && bracketsBalanced(appearance),
                     monster.appearance);
        }
    }
}

void CatalogTest::questTextsFitAndReferToTheCatalog()
{
    static const QRegularExpression singleKill("^Kill ([A-Z][A-Za-z ]*?)(?: \\(|$)");
    QSet<QString> monsters;
    for (const UniqueMonster *monster : allMonsters())
        monsters.insert(text(monster->name));

    for (const catalog::QuestGroup &group : catalog::questGroups()) {
        QSet<QString> groupNames;
        for (const Quest &quest : group.quests)
            groupNames.insert(text(quest.name));
        for (const Quest &quest : group.quests) {
            const QString name = text(quest.name);
            QVERIFY2(!name.isEmpty() && name.size() <= 39 && isPlainLine(name), quest.name);
            QVERIFY2(text(quest.location).size() <= 49 && isPlainLine(text(quest.location)), quest.location);

            // questItems() stops at the first empty slot; a gap would hide steps.
            const QStringList steps = catalog::questItems(quest);
            QCOMPARE(int(std::count_if(quest.items.begin(), quest.items.end(), [](auto *s) { return s; })),
                     int(steps.size()));
            for (qsizetype i = 0; i < steps.size(); ++i) {
                const QString &step = steps[i];
                QCOMPARE(step, text(quest.items[size_t(i)]));
                QVERIFY2(step.size() <= 72 && isPlainLine(step) && bracketsBalanced(step), qPrintable(step));
                if (step.startsWith(QLatin1String("Complete ")))
                    QVERIFY2(groupNames.contains(step.mid(9)) && step.mid(9) != name, qPrintable(step));
                // A kill without a quantity is a hunt for one of the catalog's own.
                const auto kill = singleKill.match(step);
                if (kill.hasMatch())
                    QVERIFY2(monsters.contains(kill.captured(1)), qPrintable(step));
            }
        }
    }
}

// A group lists what stands before the monsters its caption names, so each
// of them waits for the group's final quest.
void CatalogTest::captionMonstersWaitForTheirGroupsLastQuest()
{
    QHash<QString, const UniqueMonster *> byName;
    for (const UniqueMonster *monster : allMonsters())
        byName.insert(text(monster->name), monster);
    QSet<QString> captions;
    for (const catalog::QuestGroup &group : catalog::questGroups()) {
        const QString caption = text(group.caption);
        QVERIFY2(caption.size() <= 36 && isPlainLine(caption) && !captions.contains(caption), group.caption);
        captions.insert(caption);
        for (const QString &name : caption.split(QLatin1String(" and "))) {
            QVERIFY2(byName.contains(name), qPrintable(name));
            QCOMPARE(awaitedQuest(text(byName.value(name)->appearance)), text(group.quests.back().name));
        }
    }
}

void CatalogTest::lookups_data()
{
    QTest::addColumn<bool>("quest");
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("found");

    QTest::newRow("unique, no selection") << false << 0 << -1 << false;
    QTest::newRow("unique, Quests tab") << false << 19 << 0 << false;
    QTest::newRow("unique, tab before the first") << false << -1 << 0 << false;
    QTest::newRow("unique, at the count of region 7") << false << 7 << 1 << false;
    QTest::newRow("unique, at the count of region 18") << false << 18 << 8 << false;
    QTest::newRow("unique, last of region 18") << false << 18 << 7 << true;
    QTest::newRow("quest, no selection") << true << 0 << -1 << false;
    QTest::newRow("quest, group after the last") << true << 11 << 0 << false;
    QTest::newRow("quest, group before the first") << true << -1 << 0 << false;
    QTest::newRow("quest, at the count of group 7") << true << 7 << 13 << false;
    QTest::newRow("quest, last of group 7") << true << 7 << 12 << true;
}

void CatalogTest::lookups()
{
    QFETCH(bool, quest);
    QFETCH(int, tab);
    QFETCH(int, index);
    QFETCH(bool, found);

    if (quest) {
        const Quest *entry = catalog::findQuest(tab, index);
        QCOMPARE(entry != nullptr, found);
        if (found)
            QCOMPARE(entry, &catalog::questGroups()[tab].quests[index]);
    } else {
        const UniqueMonster *entry = catalog::findUniqueMonster(tab, index);
        QCOMPARE(entry != nullptr, found);
        if (found)
            QCOMPARE(entry, &catalog::regions()[tab].entries[index]);
    }
    if (tab < 0 || tab >= (quest ? catalog::QuestGroupCount : catalog::RegionCount))
        QCOMPARE(quest ? catalog::questCount(tab) : catalog::uniqueMonsterCount(tab), 0);
}

void CatalogTest::picturePaths()
{
    const QString folder = QStringLiteral("C:/Games/Huntmark Viewer");
    const QChar sep = platform::PathSeparator;
    const UniqueMonster &monster = *allMonsters().constLast();
    const QString fileName = text(monster.name) + QLatin1String(".jpg");
    QCOMPARE(catalog::monsterPicturePath(folder, monster), folder + sep + "Monsters" + sep + fileName);
    QCOMPARE(catalog::locationPicturePath(folder, monster), folder + sep + "Locations" + sep + fileName);
}

QTEST_GUILESS_MAIN(CatalogTest)
#include "test_catalog.moc"
