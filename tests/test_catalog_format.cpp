#include "catalog/catalog.h"
#include "platform/programfolder.h"

#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

// The progress files store one flag per catalog entry in table order, and
// the pictures are looked up by monster name, so the shape of the tables is a
// file format: these checks guard every count, position and text rule of it.
class TestCatalogFormat : public QObject
{
    Q_OBJECT

private slots:
    void tableSizes();
    void regionShape_data();
    void regionShape();
    void regionCaptions();
    void equalLevels();
    void monsterNames();
    void monsterLocations();
    void floorCodes();
    void appearanceTexts();
    void appearanceForms_data();
    void appearanceForms();
    void appearanceVariety();
    void questGroupShape_data();
    void questGroupShape();
    void questTexts();
    void questSteps();
    void questLocations();
    void namesakes();
    void groupCaptions();
    void captionMonstersWaitForTheirQuests();
    void lookupsOutsideTables_data();
    void lookupsOutsideTables();
    void lookupsInsideTables();
    void picturePaths();
};

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

bool parenthesesBalanced(const QString &s)
{
    bool open = false;
    for (QChar c : s) {
        if (c == u'(') {
            if (open)
                return false;
            open = true;
        } else if (c == u')') {
            if (!open)
                return false;
            open = false;
        }
    }
    return !open;
}

struct MonsterAt
{
    int region;
    int index;
    const UniqueMonster *monster;
};

QList<MonsterAt> allMonsters()
{
    QList<MonsterAt> all;
    const auto regions = catalog::regions();
    for (int r = 0; r < int(regions.size()); ++r) {
        for (int i = 0; i < int(regions[r].entries.size()); ++i)
            all.append({r, i, &regions[r].entries[i]});
    }
    return all;
}

struct QuestAt
{
    int group;
    int index;
    const Quest *quest;
};

QList<QuestAt> allQuests()
{
    QList<QuestAt> all;
    const auto groups = catalog::questGroups();
    for (int g = 0; g < int(groups.size()); ++g) {
        for (int i = 0; i < int(groups[g].quests.size()); ++i)
            all.append({g, i, &groups[g].quests[i]});
    }
    return all;
}

int itemCount(const Quest &quest)
{
    return int(catalog::questItems(quest).size());
}

bool isMilestone(const Quest &quest)
{
    return text(quest.location).isEmpty();
}

QSet<QString> catalogMonsterNames()
{
    QSet<QString> names;
    for (const MonsterAt &at : allMonsters())
        names.insert(text(at.monster->name));
    return names;
}

// --- Appearance forms ---------------------------------------------------

const QString timeOfDay =
        QStringLiteral("(?:Night|Day|Daytime|(?:1[0-2]|[1-9])(?:AM|PM) to (?:1[0-2]|[1-9])(?:AM|PM))");
const QString weatherAlone = QStringLiteral(
        "(?:Clear Sky|Thunderstorm|Rain or Thunderstorm|No Thick Fog|Heat Wave|Shooting Stars)");
const QString anyWeather = QStringLiteral("(?:Clear Sky|Thunderstorm|Rain or Thunderstorm|No Thick Fog|Heat "
                                          "Wave|Shooting Stars|Thick Fog|Snow or Snowstorm|No Snowstorm)");
const QString milestone = QStringLiteral("[A-Z][A-Za-z']*(?: [A-Z][A-Za-z']*)* (?:cleared|clear)");
const QString title = QStringLiteral("[A-Z][^\\[\\]]*");
const QString bracketedTitle = QStringLiteral("\\[[A-Z][^\\[\\]]*\\]");

const QStringList timeAndWeatherTexts = {"Night, Clear Sky", "Night, Thick Fog",
                                         "Night, Rain or Thunderstorm", "Night, Snow or Snowstorm",
                                         "Night, No Snowstorm"};

const QStringList questForms = {"quest", "quest bracketed", "after quest", "quest at place", "prereq"};

struct Form
{
    QString name;
    QRegularExpression pattern;
};

const QList<Form> &appearanceFormPatterns()
{
    static const QList<Form> forms = [] {
        auto exactly = [](const QString &p) { return QRegularExpression("^(?:" + p + ")$"); };
        QStringList escapedTimeAndWeather;
        for (const QString &s : timeAndWeatherTexts)
            escapedTimeAndWeather.append(QRegularExpression::escape(s));
        return QList<Form>{
                {"none", exactly("")},
                {"time", exactly(timeOfDay)},
                {"weather", exactly(weatherAlone)},
                {"time and weather", exactly(escapedTimeAndWeather.join(u'|'))},
                {"quest", exactly("Quest: " + title)},
                {"quest bracketed", exactly("Quest: " + bracketedTitle)},
                {"after quest", exactly("After Quest: (?:" + title + "|" + bracketedTitle + ")")},
                {"quest at place",
                 exactly("Quest \\([A-Z][^()]*\\): (?:" + title + "|" + bracketedTitle + ")")},
                {"prereq", exactly("Prereq: " + bracketedTitle)},
                {"story", exactly(milestone)},
                {"story and weather", exactly(milestone + ", " + anyWeather)},
                {"story after time and weather", exactly(timeOfDay + ", " + anyWeather + ", " + milestone)},
                {"other", exactly("[A-Z][A-Za-z0-9']*(?: [A-Za-z0-9']+){3,}\\.")},
        };
    }();
    return forms;
}

// Every text must fall into exactly one form; anything else comes back as a
// description of what went wrong so the failure names the culprit.
QString appearanceForm(const QString &appearance)
{
    QStringList matches;
    for (const Form &form : appearanceFormPatterns()) {
        if (form.pattern.match(appearance).hasMatch())
            matches.append(form.name);
    }
    if (matches.size() == 1)
        return matches.first();
    return QStringLiteral("unclassified (%1)").arg(matches.join(", "));
}

QHash<QString, int> appearanceFormCounts()
{
    QHash<QString, int> counts;
    for (const MonsterAt &at : allMonsters())
        ++counts[appearanceForm(text(at.monster->appearance))];
    return counts;
}

// The quest title of a quest-prerequisite appearance, brackets removed.
QString prerequisiteTitle(const QString &appearance)
{
    static const QRegularExpression pattern(
            "^(?:Quest|After Quest|Quest \\([^()]*\\)|Prereq): \\[?([^\\[\\]]+)\\]?$");
    return pattern.match(appearance).captured(1);
}

// --- Quest steps --------------------------------------------------------

const QSet<QString> stepVerbs = {"Talk",  "Go",    "Collect", "Kill",     "Give",  "Examine",
                                 "Place", "Bring", "Deliver", "Ring",     "Light", "Read",
                                 "Catch", "Show",  "Buy",     "Complete", "Offer"};

// A number in a step is either a quantity written as "5x " or an hour.
bool quantitiesWellFormed(const QString &step)
{
    static const QRegularExpression number("\\d+");
    static const QRegularExpression quantityOrHour("^(?:[1-9]\\d*x |(?:1[0-2]|[1-9])(?:AM|PM)\\b)");
    for (const auto &match : number.globalMatch(step)) {
        const QString rest = step.mid(match.capturedStart());
        if (!quantityOrHour.match(rest).hasMatch())
            return false;
    }
    return !step.contains(QRegularExpression("\\bx\\s*\\d|\\d\\s+x\\b"));
}

} // namespace

void TestCatalogFormat::tableSizes()
{
    QCOMPARE(int(catalog::regions().size()), catalog::RegionCount);
    QCOMPARE(int(catalog::questGroups().size()), catalog::QuestGroupCount);
    QCOMPARE(catalog::RegionCount, 19);
    QCOMPARE(catalog::QuestGroupCount, 11);
    QCOMPARE(int(allMonsters().size()), 157);
    QCOMPARE(int(allQuests().size()), 63);

    int items = 0;
    for (const QuestAt &at : allQuests())
        items += itemCount(*at.quest);
    QCOMPARE(items, 157);
}

void TestCatalogFormat::regionShape_data()
{
    QTest::addColumn<int>("region");
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("firstPosition");
    QTest::addColumn<int>("minLevel");
    QTest::addColumn<int>("maxLevel");
    QTest::addColumn<int>("withAppearance");

    struct Row
    {
        int entries, firstPosition, minLevel, maxLevel, withAppearance;
    };
    const Row rows[] = {{14, 1, 5, 73, 7},   {14, 15, 8, 98, 4},   {14, 29, 15, 90, 7},   {2, 43, 19, 25, 1},
                        {3, 45, 20, 29, 0},  {12, 48, 25, 108, 7}, {10, 60, 33, 99, 7},   {1, 70, 78, 78, 1},
                        {14, 71, 36, 93, 6}, {2, 85, 38, 96, 1},   {14, 87, 45, 120, 10}, {8, 101, 49, 57, 4},
                        {3, 109, 52, 55, 0}, {8, 112, 54, 105, 5}, {5, 120, 57, 61, 0},   {9, 125, 58, 70, 2},
                        {8, 134, 63, 68, 0}, {8, 142, 72, 77, 0},  {8, 150, 75, 78, 1}};
    for (int r = 0; r < int(std::size(rows)); ++r) {
        const Row &row = rows[r];
        QTest::addRow("region %d", r) << r << row.entries << row.firstPosition << row.minLevel << row.maxLevel
                                      << row.withAppearance;
    }
}

void TestCatalogFormat::regionShape()
{
    QFETCH(int, region);
    QFETCH(int, entries);
    QFETCH(int, firstPosition);
    QFETCH(int, minLevel);
    QFETCH(int, maxLevel);
    QFETCH(int, withAppearance);

    const auto monsters = catalog::regions()[region].entries;
    QCOMPARE(int(monsters.size()), entries);
    QCOMPARE(catalog::uniqueMonsterCount(region), entries);

    int position = 1;
    for (int r = 0; r < region; ++r)
        position += catalog::uniqueMonsterCount(r);
    QCOMPARE(position, firstPosition);

    static const QRegularExpression levelText("^[1-9][0-9]{0,2}$");
    int previousLevel = 0;
    int lowest = 1000;
    int highest = 0;
    int appearances = 0;
    for (const UniqueMonster &monster : monsters) {
        const QString level = text(monster.level);
        QVERIFY2(levelText.match(level).hasMatch(), monster.name);
        const int value = level.toInt();
        QVERIFY2(value >= previousLevel, monster.name);
        previousLevel = value;
        lowest = std::min(lowest, value);
        highest = std::max(highest, value);
        if (*monster.appearance)
            ++appearances;
    }
    QCOMPARE(lowest, minLevel);
    QCOMPARE(highest, maxLevel);
    QCOMPARE(appearances, withAppearance);
}

void TestCatalogFormat::regionCaptions()
{
    QSet<QString> seen;
    for (const catalog::Region &region : catalog::regions()) {
        const QString caption = text(region.caption);
        QVERIFY2(!caption.isEmpty() && isPlainLine(caption), region.caption);
        // Seven tabs share a row about 920 pixels wide.
        QVERIFY2(caption.size() <= 14, region.caption);
        QVERIFY2(caption != QLatin1String("Quests"), "the Quests tab follows the regions");
        QVERIFY2(!seen.contains(caption), region.caption);
        seen.insert(caption);
    }
}

// A table sorted by level alone would order equal levels by name one way or
// the other; the guide's own order is neither.
void TestCatalogFormat::equalLevels()
{
    int pairs = 0;
    int alphabetical = 0;
    int reversed = 0;
    for (const catalog::Region &region : catalog::regions()) {
        for (size_t i = 1; i < region.entries.size(); ++i) {
            const UniqueMonster &before = region.entries[i - 1];
            const UniqueMonster &after = region.entries[i];
            if (text(before.level) != text(after.level))
                continue;
            ++pairs;
            if (QString::compare(text(before.name), text(after.name), Qt::CaseInsensitive) < 0)
                ++alphabetical;
            else
                ++reversed;
        }
    }
    QCOMPARE(pairs, 29);
    QVERIFY(alphabetical > 0);
    QVERIFY(reversed > 0);
}

void TestCatalogFormat::monsterNames()
{
    static const QRegularExpression shape("^[A-Za-z]+(?: [A-Za-z]+){1,2}$");
    QSet<QString> seen;
    for (const MonsterAt &at : allMonsters()) {
        const QString name = text(at.monster->name);
        QVERIFY2(shape.match(name).hasMatch(), at.monster->name);
        QVERIFY2(name.size() >= 10 && name.size() <= 21, at.monster->name);
        // The name is a picture file name, and file systems may ignore case.
        const QString key = name.toLower();
        QVERIFY2(!seen.contains(key), at.monster->name);
        seen.insert(key);
    }
}

void TestCatalogFormat::monsterLocations()
{
    static const QRegularExpression allowed("^[A-Za-z0-9 '(),/-]+$");
    int withLandmark = 0;
    for (const MonsterAt &at : allMonsters()) {
        const QString location = text(at.monster->location);
        QVERIFY2(!location.isEmpty() && location.size() <= 102, at.monster->name);
        QVERIFY2(allowed.match(location).hasMatch() && isPlainLine(location), at.monster->location);
        QVERIFY2(parenthesesBalanced(location), at.monster->location);
        if (location.contains(u'('))
            ++withLandmark;
    }
    // Landmarks stand in parentheses sometimes, not always.
    QVERIFY(withLandmark > 0);
    QVERIFY(withLandmark < int(allMonsters().size()));
}

void TestCatalogFormat::floorCodes()
{
    static const QRegularExpression floorCode("^(?:GF|[1-5]F|LL|UL) - \\S");
    // Anything that looks like a code must be written exactly as one.
    static const QRegularExpression codeLike("^(?:GF|[0-9]F|LL|UL)\\b");
    int inSpire = 0;
    int elsewhere = 0;
    for (const MonsterAt &at : allMonsters()) {
        const QString location = text(at.monster->location);
        const bool coded = floorCode.match(location).hasMatch();
        QCOMPARE(codeLike.match(location).hasMatch(), coded);
        if (coded)
            ++(at.region >= 14 ? inSpire : elsewhere);
    }
    QCOMPARE(inSpire, 36);
    QCOMPARE(elsewhere, 1);
}

void TestCatalogFormat::appearanceTexts()
{
    for (const MonsterAt &at : allMonsters()) {
        const QString appearance = text(at.monster->appearance);
        QVERIFY2(appearance.size() <= 45, at.monster->appearance);
        QVERIFY2(isPlainLine(appearance), at.monster->appearance);
        QVERIFY2(!appearanceForm(appearance).startsWith(QLatin1String("unclassified")),
                 qPrintable(appearance + QLatin1String(": ") + appearanceForm(appearance)));
    }
}

void TestCatalogFormat::appearanceForms_data()
{
    QTest::addColumn<QStringList>("forms");
    QTest::addColumn<int>("count");

    QTest::newRow("none") << QStringList{"none"} << 94;
    QTest::newRow("time of day") << QStringList{"time"} << 17;
    QTest::newRow("weather") << QStringList{"weather"} << 11;
    QTest::newRow("time and weather") << QStringList{"time and weather"} << 5;
    QTest::newRow("quest prerequisite") << questForms << 19;
    QTest::newRow("story alone") << QStringList{"story"} << 5;
    QTest::newRow("story and weather") << QStringList{"story and weather"} << 1;
    QTest::newRow("story after time and weather") << QStringList{"story after time and weather"} << 1;
    QTest::newRow("other") << QStringList{"other"} << 4;
}

void TestCatalogFormat::appearanceForms()
{
    QFETCH(QStringList, forms);
    QFETCH(int, count);

    const QHash<QString, int> counts = appearanceFormCounts();
    int found = 0;
    for (const QString &form : forms)
        found += counts.value(form);
    QCOMPARE(found, count);
}

void TestCatalogFormat::appearanceVariety()
{
    QStringList appearances;
    for (const MonsterAt &at : allMonsters())
        appearances.append(text(at.monster->appearance));

    for (const QString &combined : timeAndWeatherTexts)
        QVERIFY2(appearances.count(combined) == 1, qPrintable(combined));
    QVERIFY(appearances.contains(QLatin1String("Defeat 2 waves of monsters to make it appear.")));

    const QHash<QString, int> counts = appearanceFormCounts();
    for (const QString &form : questForms)
        QVERIFY2(counts.value(form) > 0, qPrintable(form));

    bool cleared = false;
    bool clear = false;
    for (const QString &appearance : appearances) {
        if (appearanceForm(appearance).startsWith(QLatin1String("story"))) {
            cleared |= appearance.contains(QLatin1String(" cleared"));
            clear |= appearance.contains(QRegularExpression(" clear(?:,|$)"));
        }
    }
    QVERIFY(cleared);
    QVERIFY(clear);
}

void TestCatalogFormat::questGroupShape_data()
{
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("firstPosition");
    QTest::addColumn<QStringList>("shape"); // item count per entry; C condition, M milestone

    const char *rows[][2] = {{"1", "2 5 4"},
                             {"4", "1 4 2 1"},
                             {"8", "C C 4 2 1"},
                             {"13", "4 3 M 3 4 2"},
                             {"19", "1 3 3 2"},
                             {"23", "C 3 4 1"},
                             {"27", "1 4 M 4 4 4 3 M 2"},
                             {"36", "2 4 2 5 4 6 5 3 4 7 3 M 1"},
                             {"49", "M 2 4"},
                             {"52", "M 2 1"},
                             {"55", "M 3 2 4 5 2 1 2 2"}};
    for (int g = 0; g < int(std::size(rows)); ++g)
        QTest::addRow("group %d", g) << g << text(rows[g][0]).toInt() << text(rows[g][1]).split(u' ');
}

void TestCatalogFormat::questGroupShape()
{
    QFETCH(int, group);
    QFETCH(int, firstPosition);
    QFETCH(QStringList, shape);

    const auto quests = catalog::questGroups()[group].quests;
    QCOMPARE(int(quests.size()), int(shape.size()));
    QCOMPARE(catalog::questCount(group), int(shape.size()));

    int position = 1;
    for (int g = 0; g < group; ++g)
        position += catalog::questCount(g);
    QCOMPARE(position, firstPosition);

    for (int i = 0; i < int(quests.size()); ++i) {
        const Quest &quest = quests[i];
        const QString kind = shape[i];
        const bool hasLocation = *quest.location;
        if (kind == QLatin1String("M")) {
            QVERIFY2(!hasLocation && itemCount(quest) == 0, quest.name);
        } else if (kind == QLatin1String("C")) {
            QVERIFY2(hasLocation && itemCount(quest) == 0, quest.name);
        } else {
            QVERIFY2(hasLocation, quest.name);
            QCOMPARE(itemCount(quest), kind.toInt());
        }
    }
}

void TestCatalogFormat::questTexts()
{
    static const QRegularExpression storyProgress("^[A-Z][A-Za-z' ]* (?:cleared|reached)$");
    for (const QuestAt &at : allQuests()) {
        const Quest &quest = *at.quest;
        const QString name = text(quest.name);
        QVERIFY2(!name.isEmpty() && name.size() <= 39 && isPlainLine(name), quest.name);
        QVERIFY2(text(quest.location).size() <= 49 && isPlainLine(text(quest.location)), quest.location);
        if (isMilestone(quest))
            QVERIFY2(storyProgress.match(name).hasMatch(), quest.name);

        // questItems() stops at the first empty slot; a gap would hide steps.
        int filled = 0;
        for (const char *item : quest.items)
            filled += item ? 1 : 0;
        QCOMPARE(itemCount(quest), filled);
        for (const QString &item : catalog::questItems(quest))
            QVERIFY2(!item.isEmpty() && item.size() <= 72 && isPlainLine(item), qPrintable(item));
    }
}

void TestCatalogFormat::questSteps()
{
    const QSet<QString> monsters = catalogMonsterNames();
    static const QRegularExpression singleKill("^Kill ([A-Z][A-Za-z ]*?)(?: \\(|$)");
    for (const QuestAt &at : allQuests()) {
        QSet<QString> groupNames;
        for (const Quest &other : catalog::questGroups()[at.group].quests)
            groupNames.insert(text(other.name));
        groupNames.remove(text(at.quest->name));

        for (const QString &step : catalog::questItems(*at.quest)) {
            QVERIFY2(stepVerbs.contains(step.section(u' ', 0, 0)), qPrintable(step));
            QVERIFY2(quantitiesWellFormed(step), qPrintable(step));
            QVERIFY2(parenthesesBalanced(step), qPrintable(step));
            if (step.startsWith(QLatin1String("Complete ")))
                QVERIFY2(groupNames.contains(step.mid(9)), qPrintable(step));
            // A kill without a quantity is a hunt for one of the catalog's own.
            const auto kill = singleKill.match(step);
            if (kill.hasMatch())
                QVERIFY2(monsters.contains(kill.captured(1)), qPrintable(step));
        }
    }
}

void TestCatalogFormat::questLocations()
{
    QSet<QString> locations;
    for (const QuestAt &at : allQuests())
        locations.insert(text(at.quest->location));
    QVERIFY(locations.contains(QString()));
    QCOMPARE(locations.size(), 21);

    // Most of a group's entries share one location.
    for (const catalog::QuestGroup &group : catalog::questGroups()) {
        QHash<QString, int> uses;
        int located = 0;
        for (const Quest &quest : group.quests) {
            if (isMilestone(quest))
                continue;
            ++uses[text(quest.location)];
            ++located;
        }
        int mostUsed = 0;
        for (int n : std::as_const(uses))
            mostUsed = std::max(mostUsed, n);
        QVERIFY2(2 * mostUsed >= located, group.caption);
    }
}

void TestCatalogFormat::namesakes()
{
    QMap<QString, QList<QuestAt>> byName;
    for (const QuestAt &at : allQuests())
        byName[text(at.quest->name)].append(at);

    int milestones = 0;
    QList<int> milestoneSpread;
    QList<QList<QuestAt>> sharedQuests;
    for (const QList<QuestAt> &entries : std::as_const(byName)) {
        if (isMilestone(*entries.first().quest)) {
            QSet<int> groups;
            for (const QuestAt &at : entries) {
                QVERIFY2(isMilestone(*at.quest), at.quest->name);
                groups.insert(at.group);
            }
            milestones += int(entries.size());
            milestoneSpread.append(int(groups.size()));
            QCOMPARE(int(groups.size()), int(entries.size()));
        } else if (entries.size() > 1) {
            sharedQuests.append(entries);
        }
    }
    QCOMPARE(milestones, 7);
    std::sort(milestoneSpread.begin(), milestoneSpread.end());
    QCOMPARE(milestoneSpread, (QList<int>{1, 1, 5}));

    QCOMPARE(int(sharedQuests.size()), 2);
    QList<QList<int>> itemCounts;
    for (const QList<QuestAt> &pair : std::as_const(sharedQuests)) {
        QCOMPARE(int(pair.size()), 2);
        QCOMPARE(pair[0].group, 9);
        QCOMPARE(pair[1].group, 10);
        QList<int> counts = {itemCount(*pair[0].quest), itemCount(*pair[1].quest)};
        std::sort(counts.begin(), counts.end());
        itemCounts.append(counts);
    }
    std::sort(itemCounts.begin(), itemCounts.end());
    QCOMPARE(itemCounts, (QList<QList<int>>{{1, 4}, {2, 2}}));
}

void TestCatalogFormat::groupCaptions()
{
    const QSet<QString> monsters = catalogMonsterNames();
    QSet<QString> seen;
    const auto groups = catalog::questGroups();
    for (int g = 0; g < int(groups.size()); ++g) {
        const QString caption = text(groups[g].caption);
        // Three tabs share a row about 820 pixels wide.
        QVERIFY2(caption.size() <= 36 && isPlainLine(caption), groups[g].caption);
        QVERIFY2(!seen.contains(caption), groups[g].caption);
        seen.insert(caption);

        const QStringList named = caption.split(QLatin1String(" and "));
        QCOMPARE(int(named.size()), g == 10 ? 2 : 1);
        for (const QString &name : named)
            QVERIFY2(monsters.contains(name), qPrintable(name));
    }
}

// A group lists what stands before its monster, so the monster's own
// condition asks for the group's final quest.
void TestCatalogFormat::captionMonstersWaitForTheirQuests()
{
    QHash<QString, const UniqueMonster *> byName;
    for (const MonsterAt &at : allMonsters())
        byName.insert(text(at.monster->name), at.monster);

    for (const catalog::QuestGroup &group : catalog::questGroups()) {
        const QString lastQuest = text(group.quests.back().name);
        for (const QString &name : text(group.caption).split(QLatin1String(" and "))) {
            const QString appearance = text(byName.value(name)->appearance);
            QVERIFY2(questForms.contains(appearanceForm(appearance)), qPrintable(appearance));
            QCOMPARE(prerequisiteTitle(appearance), lastQuest);
        }
    }
}

void TestCatalogFormat::lookupsOutsideTables_data()
{
    QTest::addColumn<bool>("quest");
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("index");

    QTest::newRow("unique, no selection") << false << 0 << -1;
    QTest::newRow("unique, Quests tab") << false << 19 << 0;
    QTest::newRow("unique, tab before the first") << false << -1 << 0;
    QTest::newRow("unique, index at count of region 7") << false << 7 << 1;
    QTest::newRow("unique, index at count of region 0") << false << 0 << 14;
    QTest::newRow("unique, index at count of region 18") << false << 18 << 8;
    QTest::newRow("quest, no selection") << true << 0 << -1;
    QTest::newRow("quest, group after the last") << true << 11 << 0;
    QTest::newRow("quest, group before the first") << true << -1 << 0;
    QTest::newRow("quest, index at count of group 0") << true << 0 << 3;
    QTest::newRow("quest, index at count of group 7") << true << 7 << 13;
    QTest::newRow("quest, index at count of group 10") << true << 10 << 9;
}

void TestCatalogFormat::lookupsOutsideTables()
{
    QFETCH(bool, quest);
    QFETCH(int, tab);
    QFETCH(int, index);

    if (quest)
        QCOMPARE(catalog::findQuest(tab, index), nullptr);
    else
        QCOMPARE(catalog::findUniqueMonster(tab, index), nullptr);

    if (tab < 0 || tab >= (quest ? catalog::QuestGroupCount : catalog::RegionCount))
        QCOMPARE(quest ? catalog::questCount(tab) : catalog::uniqueMonsterCount(tab), 0);
}

void TestCatalogFormat::lookupsInsideTables()
{
    for (const MonsterAt &at : allMonsters())
        QCOMPARE(catalog::findUniqueMonster(at.region, at.index), at.monster);
    for (const QuestAt &at : allQuests())
        QCOMPARE(catalog::findQuest(at.group, at.index), at.quest);

    // Steps come back in table order.
    const Quest *fiveSteps = catalog::findQuest(0, 1);
    QVERIFY(fiveSteps);
    const QStringList steps = catalog::questItems(*fiveSteps);
    QCOMPARE(steps.size(), 5);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(steps[i], text(fiveSteps->items[i]));
}

void TestCatalogFormat::picturePaths()
{
    const QString folder = QStringLiteral("C:/Games/Huntmark Viewer");
    const QChar sep = platform::PathSeparator;
    for (const MonsterAt &at : allMonsters()) {
        const QString fileName = text(at.monster->name) + QLatin1String(".jpg");
        QCOMPARE(catalog::pictureFileName(*at.monster), fileName);
        QCOMPARE(catalog::monsterPicturePath(folder, *at.monster),
                 folder + sep + QLatin1String("Monsters") + sep + fileName);
        QCOMPARE(catalog::locationPicturePath(folder, *at.monster),
                 folder + sep + QLatin1String("Locations") + sep + fileName);
    }
}

QTEST_GUILESS_MAIN(TestCatalogFormat)

#include "test_catalog_format.moc"
