// Remembering the selected tabs in Tabs.ini: what each kind of file restores,
// what the restore writes back through the tab handlers, and how the file is
// replaced on every tab change.
#include "testsupport.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString TabsFile = QStringLiteral("Tabs.ini");

// Lets a test set the window up just before the remembered tabs are
// restored, the last step of start-up, and records each line saved.
class PreparedForm : public Form1
{
public:
    using Form1::Form1;

    std::function<void(Form1 *)> beforeLoadTabs;
    QList<QByteArray> savedLines;

    void LoadTabs() override
    {
        if (beforeLoadTabs)
            beforeLoadTabs(this);
        Form1::LoadTabs();
    }
    void SaveTabs() override
    {
        Form1::SaveTabs();
        QFile file(programFolder() + QStringLiteral("/Tabs.ini"));
        savedLines.append(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)"));
    }
};

// Everything in the program folder but the files a started window is
// expected to leave there.
QStringList strayEntries(const ProgramFolder &folder)
{
    QStringList entries =
            QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    entries.removeAll(TabsFile);
    entries.removeAll(QStringLiteral("QV_Data.bat")); // nothing runs it in these tests
    return entries;
}

quint64 inode(const QString &path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return 0;
    return quint64(info.st_ino);
}

enum class Memory { Missing, File, Folder, NamedPipe };

} // namespace

Q_DECLARE_METATYPE(Memory)

class TabMemoryTest : public QObject
{
    Q_OBJECT

private slots:
    void restore_data();
    void restore();
    void restoreRunsTheTabHandlers_data();
    void restoreRunsTheTabHandlers();
    void tabChangeSavesBothTabs();
    void saveReplacesTheFileAsAWhole();
    void unwritableMemoryKeepsTabChanges();
};

void TabMemoryTest::restore_data()
{
    QTest::addColumn<Memory>("memory");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("outer");
    QTest::addColumn<int>("inner");
    // Every line SaveTabs wrote during the restore, in order. The window is
    // created on region 1 and quest group 0; only an actual change of a tab
    // runs its handler, and only a handler saves. How the line is split and
    // converted is the formats suite's concern; these rows are what the
    // window makes of the result.
    QTest::addColumn<QList<QByteArray>>("saved");

    using Lines = QList<QByteArray>;
    const Lines fallBack{"0 0\r\n"};

    QTest::newRow("missing") << Memory::Missing << QByteArray() << 0 << 0 << fallBack;
    QTest::newRow("folder in its place") << Memory::Folder << QByteArray() << 0 << 0 << Lines{"(unreadable)"};
    // Replaced by the first save like any file; from then on the memory works.
    QTest::newRow("a named pipe without a writer") << Memory::NamedPipe << QByteArray() << 0 << 0 << fallBack;
    QTest::newRow("only line ends") << Memory::File << QByteArray("\r\n  \r\n") << 0 << 0 << fallBack;
    QTest::newRow("19 10, the last tabs")
            << Memory::File << QByteArray("\"19 10\"\r\n") << 19 << 10 << Lines{"19 0\r\n", "19 10\r\n"};
    QTest::newRow("7 2, without line end")
            << Memory::File << QByteArray("7 2") << 7 << 2 << Lines{"7 0\r\n", "7 2\r\n"};
    // The window already shows region 1 and group 0: nothing changes, no
    // handler runs and the file is left as it was.
    QTest::newRow("the tabs the window starts on") << Memory::File << QByteArray("1 0") << 1 << 0 << Lines{};
    QTest::newRow("only the inner tab changes")
            << Memory::File << QByteArray("1 9\r\n") << 1 << 9 << Lines{"1 9\r\n"};
    QTest::newRow("0 0") << Memory::File << QByteArray("0 0\r\n") << 0 << 0 << fallBack;

    // Unusable lines: both tabs end on their first tab. Where the outer
    // index was usable, its tab was selected (and saved) before the inner
    // index failed.
    QTest::newRow("5,3") << Memory::File << QByteArray("5,3\r\n") << 0 << 0 << Lines{"5 0\r\n", "0 0\r\n"};
    QTest::newRow("20 0, one past the last tab")
            << Memory::File << QByteArray("20 0\r\n") << 0 << 0 << fallBack;
    QTest::newRow("-1 3") << Memory::File << QByteArray("-1 3\r\n") << 0 << 0 << fallBack;
    QTest::newRow("99999 3") << Memory::File << QByteArray("99999 3\r\n") << 0 << 0 << fallBack;
    QTest::newRow("19 11, no such group")
            << Memory::File << QByteArray("19 11\r\n") << 0 << 0 << Lines{"19 0\r\n", "0 0\r\n"};
    QTest::newRow("7 -1") << Memory::File << QByteArray("7 -1\r\n") << 0 << 0 << Lines{"7 0\r\n", "0 0\r\n"};
    QTest::newRow("7 x") << Memory::File << QByteArray("7 x\r\n") << 0 << 0 << Lines{"7 0\r\n", "0 0\r\n"};
    QTest::newRow("section header") << Memory::File << QByteArray("[Tabs]\r\nOuter=7\r\n") << 0 << 0
                                    << fallBack;
}

void TabMemoryTest::restore()
{
    QFETCH(Memory, memory);
    QFETCH(QByteArray, content);
    QFETCH(int, outer);
    QFETCH(int, inner);
    QFETCH(QList<QByteArray>, saved);

    ProgramFolder folder;
    if (memory == Memory::File)
        folder.write(TabsFile, content);
    else if (memory == Memory::Folder)
        QVERIFY(QDir(folder.path()).mkdir(TabsFile));
    else if (memory == Memory::NamedPipe)
        QCOMPARE(::mkfifo(QFile::encodeName(folder.filePath(TabsFile)).constData(), 0600), 0);

    PreparedForm window(folder.path());
    window.Form_Load();

    QCOMPARE(currentTab(&window, "QVLocations"), outer);
    QCOMPARE(currentTab(&window, "QuestsTab"), inner);
    QCOMPARE(window.savedLines, saved);
    // The file ends with what the last save wrote, or as it was when nothing
    // changed.
    if (memory == Memory::Folder) {
        QVERIFY(QFileInfo(folder.filePath(TabsFile)).isDir());
    } else {
        const QByteArray expected = saved.isEmpty() ? content : saved.last();
        QCOMPARE(folder.read(TabsFile), expected);
    }
    QCOMPARE(strayEntries(folder), QStringList());
}

void TabMemoryTest::restoreRunsTheTabHandlers_data()
{
    QTest::addColumn<QByteArray>("content");
    // Regions whose details the restore must have emptied, and ones it must
    // have left as they were.
    QTest::addColumn<QList<int>>("cleared");
    QTest::addColumn<QList<int>>("kept");
    // Quest groups whose selection the restore must have reset, and ones
    // that keep theirs.
    QTest::addColumn<QList<int>>("reset");
    QTest::addColumn<QList<int>>("selected");

    using Ints = QList<int>;
    QTest::newRow("19 4") << QByteArray("19 4") << Ints{} << Ints{0, 1, 3, 5} << Ints{4} << Ints{0, 2};
    QTest::newRow("3 0") << QByteArray("3 0") << Ints{3} << Ints{0, 1, 5} << Ints{} << Ints{0, 2, 4};
    // Region 1 is already current: no click, nothing of it is cleared.
    QTest::newRow("1 4") << QByteArray("1 4") << Ints{} << Ints{0, 1, 3, 5} << Ints{4} << Ints{0, 2};
    // Region 5 is selected and cleared before the inner index fails; the
    // fall-back then selects and clears region 0 as well.
    QTest::newRow("5,3") << QByteArray("5,3") << Ints{5, 0} << Ints{1, 3} << Ints{} << Ints{0, 2, 4};
}

void TabMemoryTest::restoreRunsTheTabHandlers()
{
    QFETCH(QByteArray, content);
    QFETCH(QList<int>, cleared);
    QFETCH(QList<int>, kept);
    QFETCH(QList<int>, reset);
    QFETCH(QList<int>, selected);

    ProgramFolder folder;
    folder.write(TabsFile, content);
    PreparedForm window(folder.path());
    window.beforeLoadTabs = [](Form1 *w) {
        for (int r : {0, 1, 3, 5})
            fillRegion(w, r);
        for (int g : {0, 2, 4})
            control<QListWidget>(w, "Quests", g)->setCurrentRow(1);
    };
    window.Form_Load();

    for (int r : cleared)
        QVERIFY2(regionIsCleared(&window, r),
                 qPrintable(QStringLiteral("region %1 kept its details").arg(r)));
    for (int r : kept)
        QVERIFY2(!regionIsCleared(&window, r), qPrintable(QStringLiteral("region %1 was cleared").arg(r)));
    for (int g : reset)
        QCOMPARE(control<QListWidget>(&window, "Quests", g)->currentRow(), -1);
    for (int g : selected)
        QCOMPARE(control<QListWidget>(&window, "Quests", g)->currentRow(), 1);
}

void TabMemoryTest::tabChangeSavesBothTabs()
{
    ProgramFolder folder;
    auto window = startedWindow(folder);
    selectTab(window.get(), "QVLocations", 19);
    QCOMPARE(folder.read(TabsFile), QByteArray("19 0\r\n"));
    selectTab(window.get(), "QuestsTab", 4);
    QCOMPARE(folder.read(TabsFile), QByteArray("19 4\r\n"));
    selectTab(window.get(), "QVLocations", 2);
    QCOMPARE(folder.read(TabsFile), QByteArray("2 4\r\n"));
    // The group stays remembered while a region is shown.
    selectTab(window.get(), "QVLocations", 7);
    QCOMPARE(folder.read(TabsFile), QByteArray("7 4\r\n"));
    selectTab(window.get(), "QVLocations", 12);
    QCOMPARE(folder.read(TabsFile), QByteArray("12 4\r\n"));
    // The inner tab may change while it is hidden behind a region.
    selectTab(window.get(), "QuestsTab", 10);
    QCOMPARE(folder.read(TabsFile), QByteArray("12 10\r\n"));

    // What was saved is what the next run restores.
    auto next = startedWindow(folder);
    QCOMPARE(currentTab(next.get(), "QVLocations"), 12);
    QCOMPARE(currentTab(next.get(), "QuestsTab"), 10);
    QCOMPARE(folder.read(TabsFile), QByteArray("12 10\r\n"));
}

void TabMemoryTest::saveReplacesTheFileAsAWhole()
{
    ProgramFolder folder;
    QTemporaryDir elsewhere; // beside the program folder, on the same file system
    QVERIFY(elsewhere.isValid());
    // Longer than any line written, so a write into the old file would
    // leave a tail behind.
    folder.write(TabsFile, QByteArray("3 2") + QByteArray(200, ' ') + "\r\n");
    auto window = startedWindow(folder);
    QCOMPARE(currentTab(window.get(), "QVLocations"), 3);
    QCOMPARE(currentTab(window.get(), "QuestsTab"), 2);
    QCOMPARE(folder.read(TabsFile), QByteArray("3 2\r\n"));

    // A second name for the file as it is now: a replacement by a new file
    // leaves it untouched, a write into the file itself would show through.
    const QString link = elsewhere.filePath(QStringLiteral("Tabs.ini.before"));
    QVERIFY2(::link(QFile::encodeName(folder.filePath(TabsFile)).constData(),
                    QFile::encodeName(link).constData()) == 0,
             "cannot make a second name for the file");
    const quint64 before = inode(folder.filePath(TabsFile));
    selectTab(window.get(), "QVLocations", 9);
    QCOMPARE(folder.read(TabsFile), QByteArray("9 2\r\n"));
    QVERIFY(inode(folder.filePath(TabsFile)) != before);
    QFile old(link);
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("3 2\r\n"));

    for (int tab : {4, 19, 0})
        selectTab(window.get(), "QVLocations", tab);
    QCOMPARE(folder.read(TabsFile), QByteArray("0 2\r\n"));
    QCOMPARE(strayEntries(folder), QStringList());
}

void TabMemoryTest::unwritableMemoryKeepsTabChanges()
{
    ProgramFolder folder;
    QVERIFY(QDir(folder.path()).mkdir(TabsFile));
    auto window = startedWindow(folder);
    QCOMPARE(currentTab(window.get(), "QVLocations"), 0);

    fillRegion(window.get(), 7);
    selectTab(window.get(), "QVLocations", 7);
    QCOMPARE(currentTab(window.get(), "QVLocations"), 7);
    QVERIFY(regionIsCleared(window.get(), 7));
    selectTab(window.get(), "QVLocations", 19);
    selectTab(window.get(), "QuestsTab", 6);
    QCOMPARE(currentTab(window.get(), "QuestsTab"), 6);
    QVERIFY(QFileInfo(folder.filePath(TabsFile)).isDir());
    QCOMPARE(QDir(folder.filePath(TabsFile)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList());
    QCOMPARE(strayEntries(folder), QStringList());
}

QTEST_MAIN(TabMemoryTest)
#include "test_tabmemory.moc"
