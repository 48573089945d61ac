// The catalog tables. Their shape is a file format (one progress flag per
// entry, in table order) and their texts fill fixed-size boxes and name
// picture files, so these checks guard the positions and the text rules.
#include "catalog.h"

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

} // namespace

class CatalogTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tablesHaveTheFileFormatsShape();
    void monsterTextsFitAndNamePictures();
    void questTextsFitAndListEveryStep();
    void lookups_data();
    void lookups();
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
    QCOMPARE(regions,
             (QList<int> { 14, 14, 14, 2, 3, 12, 10, 1, 14, 2, 14, 8, 3, 8, 5, 9, 8, 8, 8 }));
    QCOMPARE(groups, (QList<int> { 3, 4, 5, 6, 4, 4, 9, 13, 3, 3, 9 }));
    // A flag past either end of a file names no entry.
    for (const int position : { 0, catalog::UniqueMonsterCount + 1 })
        QVERIFY(!catalog::entryAt(catalog::Kind::Unique, position));
    for (const int position : { 0, catalog::QuestCount + 1 })
        QVERIFY(!catalog::entryAt(catalog::Kind::Quest, position));

    // Tab captions: unique, and short enough for their row of tabs.
    QSet<QString> captions;
    for (const catalog::Region &region : catalog::regions()) {
        const QString caption = text(region.caption);
        QVERIFY2(!caption.isEmpty() && caption.size() <= 14 && isPlainLine(caption),
                 region.caption);
        QVERIFY2(caption != QLatin1String("Quests") && !captions.contains(caption), region.caption);
        captions.insert(caption);
    }
}

void CatalogTest::monsterTextsFitAndNamePictures()
{
    static const QRegularExpression nameShape(QStringLiteral("^[A-Za-z]+(?: [A-Za-z]+){1,2}$"));
    QSet<QString> names;
    for (const catalog::Region &region : catalog::regions()) {
        for (const UniqueMonster &monster : region.entries) {
            const QString name = text(monster.name);
            // The name is a picture file name, and file systems may ignore case.
            QVERIFY2(nameShape.match(name).hasMatch() && name.size() >= 10 && name.size() <= 21,
                     monster.name);
            QVERIFY2(!names.contains(name.toLower()), monster.name);
            names.insert(name.toLower());
            QVERIFY2(!text(monster.level).isEmpty() && text(monster.level).size() <= 3,
                     monster.name);
            const QString location = text(monster.location);
            QVERIFY2(!location.isEmpty() && location.size() <= 102 && isPlainLine(location),
                     monster.location);
            const QString appearance = text(monster.appearance);
            QVERIFY2(appearance.size() <= 45 && isPlainLine(appearance), monster.appearance);
        }
    }
}

void CatalogTest::questTextsFitAndListEveryStep()
{
    QSet<QString> captions;
    for (const catalog::QuestGroup &group : catalog::questGroups()) {
        const QString caption = text(group.caption);
        QVERIFY2(caption.size() <= 36 && isPlainLine(caption) && !captions.contains(caption),
                 group.caption);
        captions.insert(caption);
        for (const Quest &quest : group.quests) {
            const QString name = text(quest.name);
            QVERIFY2(!name.isEmpty() && name.size() <= 39 && isPlainLine(name), quest.name);
            QVERIFY2(text(quest.location).size() <= 49 && isPlainLine(text(quest.location)),
                     quest.location);

            // questItems() stops at the first empty slot; a gap would hide steps.
            const QStringList steps = catalog::questItems(quest);
            QCOMPARE(int(std::count_if(quest.items.begin(), quest.items.end(),
                                       [](auto *s) { return s; })),
                     int(steps.size()));
            for (qsizetype i = 0; i < steps.size(); ++i) {
                QCOMPARE(steps[i], text(quest.items[size_t(i)]));
                QVERIFY2(steps[i].size() <= 72 && isPlainLine(steps[i]), qPrintable(steps[i]));
            }
        }
    }
}

void CatalogTest::lookups_data()
{
    QTest::addColumn<bool>("quest");
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("found");
    QTest::addColumn<int>("position"); // the entry's flag in its file; 0 for none

    QTest::newRow("unique, first of region 0") << false << 0 << 0 << true << 1;
    QTest::newRow("unique, first of region 1") << false << 1 << 0 << true << 15;
    QTest::newRow("unique, no selection") << false << 0 << -1 << false << 0;
    QTest::newRow("unique, Quests tab") << false << 19 << 0 << false << 0;
    QTest::newRow("unique, tab before the first") << false << -1 << 0 << false << 0;
    QTest::newRow("unique, at the count of region 7") << false << 7 << 1 << false << 0;
    QTest::newRow("unique, at the count of region 18") << false << 18 << 8 << false << 0;
    QTest::newRow("unique, last of region 18") << false << 18 << 7 << true << 157;
    QTest::newRow("quest, first of group 1") << true << 1 << 0 << true << 4;
    QTest::newRow("quest, no selection") << true << 0 << -1 << false << 0;
    QTest::newRow("quest, group after the last") << true << 11 << 0 << false << 0;
    QTest::newRow("quest, group before the first") << true << -1 << 0 << false << 0;
    QTest::newRow("quest, at the count of group 7") << true << 7 << 13 << false << 0;
    QTest::newRow("quest, last of group 7") << true << 7 << 12 << true << 48;
}

void CatalogTest::lookups()
{
    QFETCH(bool, quest);
    QFETCH(int, tab);
    QFETCH(int, index);
    QFETCH(bool, found);
    QFETCH(int, position);

    const catalog::Kind kind = quest ? catalog::Kind::Quest : catalog::Kind::Unique;
    QCOMPARE(catalog::flagPosition(kind, tab, index).value_or(0), position);
    if (found) {
        const std::optional<catalog::ListPlace> place = catalog::entryAt(kind, position);
        QVERIFY(place);
        QCOMPARE(place->tab, tab);
        QCOMPARE(place->row, index);
    }
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

QTEST_GUILESS_MAIN(CatalogTest)
#include "test_catalog.moc"
