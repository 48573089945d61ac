// Remembering the selected tabs in Tabs.ini: what each kind of file restores,
// what the restore writes back through the tab handlers, and how the file is
// replaced on every tab change.
#include "badinput_support.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>

#include <functional>

#include <unistd.h>

using badinput::Place;
using badinput::TabsFile;

namespace {

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
        savedLines.append(file.open(QIODevice::ReadOnly) ? file.readAll()
                                                         : QByteArray("(unreadable)"));
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
    // The history the window keeps, with its write-ahead log while open.
    for (const char *suffix : { "", "-wal", "-shm" })
        entries.removeAll(QStringLiteral("History.sqlite") + QLatin1String(suffix));
    return entries;
}

} // namespace

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
};

void TabMemoryTest::restore_data()
{
    QTest::addColumn<badinput::Place>("place");
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
    const Lines fallBack { "0 0\r\n" };

    QTest::newRow("missing") << Place::Missing << QByteArray() << 0 << 0 << fallBack;
    QTest::newRow("folder in its place")
            << Place::Folder << QByteArray() << 0 << 0 << Lines { "(unreadable)" };
    // Replaced by the first save like any file; from then on the memory works.
    QTest::newRow("a named pipe without a writer")
            << Place::NamedPipe << QByteArray() << 0 << 0 << fallBack;
    QTest::newRow("19 10, the last tabs") << Place::File << QByteArray("\"19 10\"\r\n") << 19 << 10
                                          << Lines { "19 0\r\n", "19 10\r\n" };
    QTest::newRow("7 2, without line end")
            << Place::File << QByteArray("7 2") << 7 << 2 << Lines { "7 0\r\n", "7 2\r\n" };
    // The window already shows region 1 and group 0: nothing changes, no
    // handler runs and the file is left as it was.
    QTest::newRow("the tabs the window starts on")
            << Place::File << QByteArray("1 0") << 1 << 0 << Lines {};
    QTest::newRow("only the inner tab changes")
            << Place::File << QByteArray("1 9\r\n") << 1 << 9 << Lines { "1 9\r\n" };

    // Unusable lines (which ones is the formats suite's concern): both tabs
    // end on their first tab. Where the outer index was usable, its tab was
    // selected (and saved) before the inner index failed.
    QTest::newRow("5,3") << Place::File << QByteArray("5,3\r\n") << 0 << 0
                         << Lines { "5 0\r\n", "0 0\r\n" };
    QTest::newRow("20 0, one past the last tab")
            << Place::File << QByteArray("20 0\r\n") << 0 << 0 << fallBack;
    QTest::newRow("-1 3") << Place::File << QByteArray("-1 3\r\n") << 0 << 0 << fallBack;
    QTest::newRow("7 -1") << Place::File << QByteArray("7 -1\r\n") << 0 << 0
                          << Lines { "7 0\r\n", "0 0\r\n" };
    QTest::newRow("19 11, no such group")
            << Place::File << QByteArray("19 11\r\n") << 0 << 0 << Lines { "19 0\r\n", "0 0\r\n" };
}

void TabMemoryTest::restore()
{
    QFETCH(badinput::Place, place);
    QFETCH(QByteArray, content);
    QFETCH(int, outer);
    QFETCH(int, inner);
    QFETCH(QList<QByteArray>, saved);

    ProgramFolder folder;
    badinput::ModeRestorer restorer;
    badinput::putInPlace(folder, TabsFile, place, content, restorer);

    PreparedForm window(folder.path());
    window.Form_Load();

    QCOMPARE(currentTab(&window, "QVLocations"), outer);
    QCOMPARE(currentTab(&window, "QuestsTab"), inner);
    QCOMPARE(window.savedLines, saved);
    // The file ends with what the last save wrote, or as it was when nothing
    // changed.
    if (place == Place::Folder) {
        QVERIFY(QFileInfo(folder.filePath(TabsFile)).isDir());
    } else {
        const QByteArray expected = saved.isEmpty() ? content : saved.last();
        QCOMPARE(folder.read(TabsFile), expected);
    }
    QCOMPARE(strayEntries(folder), QStringList());
}

void TabMemoryTest::restoreRunsTheTabHandlers_data()
{
    // Regions 0, 1, 3 and 5 show details and quest groups 0, 2 and 4 have
    // a selection before the restore: the regions it must have emptied and
    // the groups whose selection it must have reset; the others keep theirs.
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QList<int>>("cleared");
    QTest::addColumn<QList<int>>("reset");
    QTest::newRow("19 4") << QByteArray("19 4") << QList<int> {} << QList<int> { 4 };
    QTest::newRow("3 0") << QByteArray("3 0") << QList<int> { 3 } << QList<int> {};
    // Region 5 is selected and cleared before the inner index fails; the
    // fall-back then selects and clears region 0 as well.
    QTest::newRow("5,3") << QByteArray("5,3") << QList<int> { 5, 0 } << QList<int> {};
}

void TabMemoryTest::restoreRunsTheTabHandlers()
{
    QFETCH(QByteArray, content);
    QFETCH(QList<int>, cleared);
    QFETCH(QList<int>, reset);

    ProgramFolder folder;
    folder.write(TabsFile, content);
    PreparedForm window(folder.path());
    window.beforeLoadTabs = [](Form1 *w) {
        for (int r : { 0, 1, 3, 5 })
            fillRegion(w, r);
        for (int g : { 0, 2, 4 })
            control<QListWidget>(w, "Quests", g)->setCurrentRow(1);
    };
    window.Form_Load();

    for (int r : { 0, 1, 3, 5 })
        QVERIFY2(regionIsCleared(&window, r) == cleared.contains(r),
                 qPrintable(QString::number(r)));
    for (int g : { 0, 2, 4 })
        QCOMPARE(control<QListWidget>(&window, "Quests", g)->currentRow(),
                 reset.contains(g) ? -1 : 1);
}

void TabMemoryTest::tabChangeSavesBothTabs()
{
    ProgramFolder folder;
    auto window = startedWindow(folder);
    selectTab(window.get(), "QVLocations", 19);
    QCOMPARE(folder.read(TabsFile), QByteArray("19 0\r\n"));
    selectTab(window.get(), "QuestsTab", 4);
    QCOMPARE(folder.read(TabsFile), QByteArray("19 4\r\n"));
    // The group stays remembered while a region is shown.
    selectTab(window.get(), "QVLocations", 12);
    QCOMPARE(folder.read(TabsFile), QByteArray("12 4\r\n"));
    // The inner tab may change while it is hidden behind a region.
    selectTab(window.get(), "QuestsTab", 10);
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
                    QFile::encodeName(link).constData())
                     == 0,
             "cannot make a second name for the file");
    selectTab(window.get(), "QVLocations", 9);
    QCOMPARE(folder.read(TabsFile), QByteArray("9 2\r\n"));
    QCOMPARE(fileBytes(link), QByteArray("3 2\r\n"));
    QCOMPARE(strayEntries(folder), QStringList());
}

QTEST_MAIN(TabMemoryTest)
#include "test_tabmemory.moc"
