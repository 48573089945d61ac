// The tab memory in every state a crash, a disk or a hand can leave it in.
// Start-up ends on the tabs a usable line names, or on the first tabs of
// both controls; after that the window works as always, remembers what the
// user selects, and a second run starts where the first one ended.
#include "badinput_support.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

using namespace badinput;

namespace {

enum class Kind { Missing, File, Folder, Unreadable, NamedPipe };

constexpr int QuestsTabIndex = catalog::RegionCount;

} // namespace

class BadTabsIniTest : public QObject
{
    Q_OBJECT

private slots:
    void startsOnRememberedOrFirstTabs_data();
    void startsOnRememberedOrFirstTabs();
};

void BadTabsIniTest::startsOnRememberedOrFirstTabs_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("outer");
    QTest::addColumn<int>("inner");

    const auto file = [](const char *name, const QByteArray &bytes, int outer, int inner) {
        QTest::newRow(name) << int(Kind::File) << bytes << outer << inner;
    };

    // Nothing usable to read.
    QTest::newRow("missing") << int(Kind::Missing) << QByteArray() << 0 << 0;
    QTest::newRow("a folder of that name") << int(Kind::Folder) << QByteArray() << 0 << 0;
    QTest::newRow("a named pipe without a writer") << int(Kind::NamedPipe) << QByteArray() << 0 << 0;
    QTest::newRow("no read permission") << int(Kind::Unreadable) << QByteArray("7 2\r\n") << 0 << 0;
    file("empty", "", 0, 0);
    file("only line ends and spaces", "\r\n \r\n  ", 0, 0);

    // The line as written, and the forms the first-field rule reads the same.
    file("5 3", "5 3\r\n", 5, 3);
    file("19 10", "19 10\r\n", 19, 10);
    file("18 10, a two-digit region", "18 10\r\n", 18, 10);
    file("19 0", "19 0\r\n", 19, 0);
    file("0 0", "0 0\r\n", 0, 0);
    file("inner index after two spaces", "5  3\r\n", 5, 3);
    file("in double quotes", "\"12 6\"\r\n", 12, 6);
    file("quote left open", "\"12 6", 12, 6);
    file("no line end", "7 2", 7, 2);
    file("only a CR as line end", "7 2\r", 7, 2);
    file("blank lines and spaces in front", "\n\r\n   9 8\r\n", 9, 8);
    file("later fields ignored", "7 2,9 9\r\n", 7, 2);
    file("10 MB of garbage after the line", "7 2\r\n" + QByteArray(10 << 20, '\xA5'), 7, 2);
    // Passed over like leading spaces, as for the progress files.
    file("byte-order mark",
         "\xEF\xBB\xBF"
         "7 2\r\n",
         7, 2);

    // A part that is no tab index: both controls end on their first tab.
    file("5,3: the field ends at the comma", "5,3\r\n", 0, 0);
    file("25 3: no such region", "25 3\r\n", 0, 0);
    file("20 0: one past the last tab", "20 0\r\n", 0, 0);
    file("7 11: no such quest group", "7 11\r\n", 0, 0);
    file("a single digit", "7\r\n", 0, 0);
    file("nothing after the space", "7 \r\n", 0, 0);
    file("three numbers", "7 2 9\r\n", 0, 0);
    file("words", "seven two\r\n", 0, 0);
    file("7 x", "7 x\r\n", 0, 0);
    file("section and key", "[Tabs]\r\nOuter=7\r\nInner=2\r\n", 0, 0);
    file("binary garbage", QByteArray("\x01\xFF\xFE\x80 \x7F\x1B[2J\r\n", 12), 0, 0);
    file("NUL bytes", QByteArray(64, '\0'), 0, 0);
    file("NUL inside the line", QByteArray("7\0 2\r\n", 6), 0, 0);

    // Negative numbers.
    file("-1 3", "-1 3\r\n", 0, 0);
    file("7 -1", "7 -1\r\n", 0, 0);
    file("-5 -5", "-5 -5\r\n", 0, 0);

    // Huge numbers: none may wrap round into a tab that exists.
    file("99999 3", "99999 3\r\n", 0, 0);
    file("7 65536, 0 in 16 bits", "7 65536\r\n", 0, 0);
    file("7 65539, 3 in 16 bits", "7 65539\r\n", 0, 0);
    file("7 4294967298, 2 in 32 bits", "7 4294967298\r\n", 0, 0);
    file("7 and 100000 digits", "7 " + QByteArray(100000, '9') + "\r\n", 0, 0);
    file("a 1 MB line of spaces and digits", QByteArray(1 << 20, ' ') + "7 2\r\n", 7, 2);
}

void BadTabsIniTest::startsOnRememberedOrFirstTabs()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(int, outer);
    QFETCH(int, inner);

    if (Kind(kind) == Kind::Unreadable && runningAsRoot())
        QSKIP("root reads a file whatever its permissions; the folder case covers a failing open");

    ProgramFolder folder;
    ModeRestorer restorer;
    switch (Kind(kind)) {
    case Kind::Missing:
        break;
    case Kind::File:
        folder.write(TabsFile, bytes);
        break;
    case Kind::Folder:
        QVERIFY(QDir(folder.path()).mkdir(TabsFile));
        break;
    case Kind::NamedPipe:
        // Nobody ever writes to it: opening it to read would wait forever.
        QCOMPARE(::mkfifo(QFile::encodeName(folder.filePath(TabsFile)).constData(), 0600), 0);
        break;
    case Kind::Unreadable:
        folder.write(TabsFile, bytes);
        restorer.add(folder.filePath(TabsFile), 0600);
        QVERIFY(setMode(folder.filePath(TabsFile), 0));
        break;
    }
    folder.write(UniquesFile, QByteArray(catalog::UniqueMonsterCount, '1'));
    // What the memory holds. A file without permissions can be neither read
    // nor written by its owner, so it keeps what it held.
    const auto memory = [&] {
        if (Kind(kind) != Kind::Unreadable)
            return folder.read(TabsFile);
        setMode(folder.filePath(TabsFile), 0600);
        const QByteArray text = folder.read(TabsFile);
        setMode(folder.filePath(TabsFile), 0);
        return text;
    };
    // A pipe is replaced by the first save like any file; from then on the
    // memory works.
    const bool canRemember =
            Kind(kind) == Kind::File || Kind(kind) == Kind::Missing || Kind(kind) == Kind::NamedPipe;

    auto window = startedWindow(folder);
    stopClock(window.get());
    QCOMPARE(currentTab(window.get(), "QVLocations"), outer);
    QCOMPARE(currentTab(window.get(), "QuestsTab"), inner);
    // The window is created on region 1 and quest group 0; every change
    // from there was saved, and the last save holds the tabs it ended on.
    const bool changed = outer != 1 || inner != 0;
    const QByteArray remembered = QByteArray::number(outer) + ' ' + QByteArray::number(inner) + "\r\n";
    if (Kind(kind) == Kind::Folder)
        QVERIFY(QFileInfo(folder.filePath(TabsFile)).isDir());
    else if (!canRemember)
        QCOMPARE(memory(), bytes);
    else if (changed || Kind(kind) == Kind::Missing)
        QCOMPARE(memory(), remembered);
    if (outer < QuestsTabIndex)
        QVERIFY(selectUniqueAndRead(window.get(), outer, 0));

    // The user moves on: each change is remembered as it happens, unless
    // there is no file that could remember it.
    const int region = outer == 4 ? 5 : 4;
    QVERIFY(selectUniqueAndRead(window.get(), region, 1));
    if (canRemember)
        QCOMPARE(memory(), QByteArray::number(region) + ' ' + QByteArray::number(inner) + "\r\n");
    const int group = inner == 6 ? 7 : 6;
    selectQuestAndRead(window.get(), group, 0);
    if (canRemember)
        QCOMPARE(memory(), "19 " + QByteArray::number(group) + "\r\n");
    tick(window.get(), TicksPerFetch);
    QCOMPARE(countdown(window.get()), QString::number(TicksPerFetch));
    QCOMPARE(currentTab(window.get(), "QVLocations"), QuestsTabIndex);
    window.reset();

    // The next run starts where this one ended, or on the first tabs.
    auto again = startedWindow(folder);
    stopClock(again.get());
    QCOMPARE(currentTab(again.get(), "QVLocations"), canRemember ? QuestsTabIndex : 0);
    QCOMPARE(currentTab(again.get(), "QuestsTab"), canRemember ? group : 0);
    if (Kind(kind) == Kind::Unreadable)
        QCOMPARE(memory(), bytes);
    if (Kind(kind) == Kind::Folder) {
        // Saving into a folder fails without leaving anything behind.
        QVERIFY(QFileInfo(folder.filePath(TabsFile)).isDir());
        QCOMPARE(folderListing(folder.path()),
                 QStringList({ScriptName + QStringLiteral(" %1").arg(folder.read(ScriptName).size()),
                              TabsFile + QLatin1Char('/'),
                              UniquesFile + QStringLiteral(" %1").arg(catalog::UniqueMonsterCount)}));
    }
}

QTEST_MAIN(BadTabsIniTest)
#include "test_bad_tabs_ini.moc"
