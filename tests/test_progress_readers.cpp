// The two progress readers as the window uses them: which flag lands in
// which box, the count of uniques beaten, and the fall-back to "nothing done".
#include "testsupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

namespace {

const QString Uniques = QStringLiteral("UniquesDefeated.txt");
const QString Quests = QStringLiteral("QuestsCleared.txt");

QString beaten(const Form1 *window)
{
    return control<QLabel>(window, "LabelDefeated")->text();
}

bool defeatedShown(const Form1 *window, int r)
{
    const QString flag = control<QLineEdit>(window, "TextDefeated", r)->text();
    const bool checked = control<QCheckBox>(window, "CheckDefeated", r)->isChecked();
    if (checked != (flag == QLatin1String("1")))
        qFatal("box and hidden flag of region %d disagree", r);
    return checked;
}

bool completedShown(const Form1 *window, int g)
{
    const QString flag = control<QLineEdit>(window, "TextCompleted", g)->text();
    const bool checked = control<QCheckBox>(window, "QuestCompleted", g)->isChecked();
    if (checked != (flag == QLatin1String("1")))
        qFatal("box and hidden flag of group %d disagree", g);
    return checked;
}

void selectUnique(Form1 *window, int r, int i)
{
    selectTab(window, "QVLocations", r);
    control<QListWidget>(window, "ListOfUniques", r)->setCurrentRow(i);
}

void selectQuest(Form1 *window, int g, int i)
{
    selectTab(window, "QVLocations", 19);
    selectTab(window, "QuestsTab", g);
    control<QListWidget>(window, "Quests", g)->setCurrentRow(i);
}

} // namespace

class ProgressReadersTest : public QObject
{
    Q_OBJECT

private slots:
    void uniqueReadsItsOwnPosition_data();
    void uniqueReadsItsOwnPosition();
    void questReadsItsOwnPosition_data();
    void questReadsItsOwnPosition();
    void flagTextForms_data();
    void flagTextForms();
    void countsEveryOneEvenPastTheCatalog();
    void missingFileReadsAsNothingDone();
    void fileChangedBetweenSelectionsShowsTheNewFlag();
    void questsTabUpdatesOnlyTheLabel();
    void regionTabIgnoresTheQuestFlags();
    void noSelectionLeavesTheFlagAlone();
    void hugeFileWithoutLineEndIsReadInBoundedTime();
};

void ProgressReadersTest::uniqueReadsItsOwnPosition_data()
{
    QTest::addColumn<int>("region");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("position");
    QTest::newRow("first of region 0") << 0 << 0 << 1;
    QTest::newRow("last of region 0") << 0 << 13 << 14;
    QTest::newRow("first of region 1") << 1 << 0 << 15;
    QTest::newRow("top of region 3") << 3 << 0 << 43;
    QTest::newRow("only entry of region 7") << 7 << 0 << 70;
    QTest::newRow("third of region 12") << 12 << 2 << 111;
    QTest::newRow("last of region 18") << 18 << 7 << 157;
}

void ProgressReadersTest::uniqueReadsItsOwnPosition()
{
    QFETCH(int, region);
    QFETCH(int, index);
    QFETCH(int, position);
    ProgramFolder folder;
    folder.write(Uniques, flagsWithOnesAt(157, {position}));
    auto window = startedWindow(folder);
    selectUnique(window.get(), region, index);
    QVERIFY(defeatedShown(window.get(), region));
    QCOMPARE(beaten(window.get()), QStringLiteral("Uniques Beaten: 1"));

    // Its neighbours in the file are not done; the one before, when it is in
    // the same region, shows so.
    if (index > 0) {
        control<QListWidget>(window.get(), "ListOfUniques", region)->setCurrentRow(index - 1);
        QVERIFY(!defeatedShown(window.get(), region));
    }
    folder.write(
            Uniques,
            flagsWithOnesAt(157, {position > 1 ? position - 1 : 2, position < 157 ? position + 1 : 156}));
    control<QListWidget>(window.get(), "ListOfUniques", region)->setCurrentRow(-1);
    control<QListWidget>(window.get(), "ListOfUniques", region)->setCurrentRow(index);
    QVERIFY(!defeatedShown(window.get(), region));
}

void ProgressReadersTest::questReadsItsOwnPosition_data()
{
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("position");
    QTest::newRow("top of group 0") << 0 << 0 << 1;
    QTest::newRow("top of group 1") << 1 << 0 << 4;
    QTest::newRow("last of group 7") << 7 << 12 << 48;
    QTest::newRow("last of group 10") << 10 << 8 << 63;
}

void ProgressReadersTest::questReadsItsOwnPosition()
{
    QFETCH(int, group);
    QFETCH(int, index);
    QFETCH(int, position);
    ProgramFolder folder;
    folder.write(Quests, flagsWithOnesAt(63, {position}));
    auto window = startedWindow(folder);
    selectQuest(window.get(), group, index);
    QVERIFY(completedShown(window.get(), group));

    folder.write(Quests,
                 flagsWithOnesAt(63, {position > 1 ? position - 1 : 2, position < 63 ? position + 1 : 62}));
    control<QListWidget>(window.get(), "Quests", group)->setCurrentRow(-1);
    control<QListWidget>(window.get(), "Quests", group)->setCurrentRow(index);
    QVERIFY(!completedShown(window.get(), group));
}

void ProgressReadersTest::flagTextForms_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("firstDone");
    QTest::addColumn<int>("count");
    const QByteArray flags = flagsWithOnesAt(157, {1, 5, 100});
    QTest::newRow("alone, no line end") << flags << true << 3;
    QTest::newRow("with a line end") << flags + "\r\n" << true << 3;
    QTest::newRow("in double quotes") << "\"" + flags + "\"\r\n" << true << 3;
    QTest::newRow("cut at a comma") << flags.left(4) + "," + flags.mid(4) << true << 1;
    QTest::newRow("later lines ignored") << flags + "\r\n" + QByteArray(157, '1') << true << 3;
    QTest::newRow("shorter than the catalog") << QByteArray("1") << true << 1;
    QTest::newRow("other characters are not done") << QByteArray(157, 'x') << false << 0;
    QTest::newRow("200 ones") << QByteArray(200, '1') << true << 200;
}

void ProgressReadersTest::flagTextForms()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, firstDone);
    QFETCH(int, count);
    ProgramFolder folder;
    folder.write(Uniques, file);
    auto window = startedWindow(folder);
    QCOMPARE(beaten(window.get()), QStringLiteral("Uniques Beaten: %1").arg(count));
    selectUnique(window.get(), 0, 0);
    QCOMPARE(defeatedShown(window.get(), 0), firstDone);
}

void ProgressReadersTest::countsEveryOneEvenPastTheCatalog()
{
    ProgramFolder folder;
    folder.write(Uniques, QByteArray(40000, '1'));
    auto window = startedWindow(folder);
    QCOMPARE(beaten(window.get()), QStringLiteral("Uniques Beaten: 40000"));
}

void ProgressReadersTest::missingFileReadsAsNothingDone()
{
    ProgramFolder folder;
    auto window = startedWindow(folder);
    QCOMPARE(beaten(window.get()), QStringLiteral("Uniques Beaten: 0"));
    selectUnique(window.get(), 5, 3);
    QVERIFY(!defeatedShown(window.get(), 5));
    QCOMPARE(control<QLineEdit>(window.get(), "TextDefeated", 5)->text(), QStringLiteral("0"));
    selectQuest(window.get(), 2, 1);
    QCOMPARE(control<QLineEdit>(window.get(), "TextCompleted", 2)->text(), QStringLiteral("0"));
}

void ProgressReadersTest::fileChangedBetweenSelectionsShowsTheNewFlag()
{
    ProgramFolder folder;
    folder.write(Uniques, flagsWithOnesAt(157, {2}));
    auto window = startedWindow(folder);
    selectUnique(window.get(), 0, 1);
    QVERIFY(defeatedShown(window.get(), 0));
    QCOMPARE(beaten(window.get()), QStringLiteral("Uniques Beaten: 1"));

    folder.write(Uniques, flagsWithOnesAt(157, {3, 4, 150}));
    control<QListWidget>(window.get(), "ListOfUniques", 0)->setCurrentRow(2);
    QVERIFY(defeatedShown(window.get(), 0));
    QCOMPARE(beaten(window.get()), QStringLiteral("Uniques Beaten: 3"));
}

void ProgressReadersTest::questsTabUpdatesOnlyTheLabel()
{
    ProgramFolder folder;
    auto window = startedWindow(folder);
    selectUnique(window.get(), 2, 0);
    QCOMPARE(control<QLineEdit>(window.get(), "TextDefeated", 2)->text(), QStringLiteral("0"));
    selectTab(window.get(), "QVLocations", 19);

    folder.write(Uniques, QByteArray(157, '1'));
    window->ReadUniquesDefeated();
    QCOMPARE(beaten(window.get()), QStringLiteral("Uniques Beaten: 157"));
    QCOMPARE(control<QLineEdit>(window.get(), "TextDefeated", 2)->text(), QStringLiteral("0"));
    QVERIFY(!defeatedShown(window.get(), 2));
}

void ProgressReadersTest::regionTabIgnoresTheQuestFlags()
{
    ProgramFolder folder;
    auto window = startedWindow(folder);
    selectQuest(window.get(), 4, 1);
    QVERIFY(!completedShown(window.get(), 4));
    selectTab(window.get(), "QVLocations", 3);
    folder.write(Quests, QByteArray(63, '1'));
    window->ReadQuestsCleared();
    QCOMPARE(control<QLineEdit>(window.get(), "TextCompleted", 4)->text(), QStringLiteral("0"));
    QVERIFY(!completedShown(window.get(), 4));
}

void ProgressReadersTest::noSelectionLeavesTheFlagAlone()
{
    // Without a selection the position falls on the previous region's last
    // entry; that flag is not this region's to show.
    ProgramFolder folder;
    folder.write(Uniques, flagsWithOnesAt(157, {14}));
    folder.write(Quests, flagsWithOnesAt(63, {3}));
    auto window = startedWindow(folder);
    selectTab(window.get(), "QVLocations", 1);
    window->ReadUniquesDefeated();
    QVERIFY(control<QLineEdit>(window.get(), "TextDefeated", 1)->text().isEmpty());
    QVERIFY(!defeatedShown(window.get(), 1));
    QCOMPARE(beaten(window.get()), QStringLiteral("Uniques Beaten: 1"));

    selectQuest(window.get(), 1, -1);
    window->ReadQuestsCleared();
    QVERIFY(control<QLineEdit>(window.get(), "TextCompleted", 1)->text().isEmpty());
    QVERIFY(!completedShown(window.get(), 1));
}

void ProgressReadersTest::hugeFileWithoutLineEndIsReadInBoundedTime()
{
    // A sparse file of 3 GiB of NUL bytes: no comma, no line end. Only the
    // bounded head is looked at, so this returns; nothing in it is a "1".
    ProgramFolder folder;
    QFile huge(folder.filePath(Uniques));
    QVERIFY(huge.open(QIODevice::WriteOnly));
    QVERIFY(huge.resize(qint64(3) << 30));
    huge.close();
    auto window = startedWindow(folder);
    QCOMPARE(beaten(window.get()), QStringLiteral("Uniques Beaten: 0"));
    selectUnique(window.get(), 0, 0);
    QVERIFY(!defeatedShown(window.get(), 0));
}

QTEST_MAIN(ProgressReadersTest)
#include "test_progress_readers.moc"
