// Remembering the selected tabs in Tabs.ini: what each kind of file restores,
// what the restore writes back through the tab handlers, how the file is
// replaced on every tab change, and which folder it lives in.
#include "folders.h"
#include "tabmemory.h"
#include "testfiles.h"
#include "windowdriver.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QPixmap>

#include <functional>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// What stands at a path: a regular file's bytes, or that it is none (a
// pipe is not opened, which would wait for a writer).
QByteArray fileState(const QString &path)
{
    return QFileInfo(path).isFile() ? fileBytes(path) : QByteArray("(no file)");
}

// Lets a test set the window up just before the remembered tabs are
// restored, the last step of start-up, and records each line saved and the
// file as each save left it.
class PreparedForm : public Form1
{
public:
    using Form1::Form1;

    std::function<void(Form1 *)> beforeLoadTabs;
    QList<QByteArray> savedLines;
    QList<QByteArray> fileAfterSaves;

    void LoadTabs() override
    {
        if (beforeLoadTabs)
            beforeLoadTabs(this);
        Form1::LoadTabs();
    }
    void SaveTabs() override
    {
        Form1::SaveTabs();
        savedLines.append(tabmemory::formatTabsLine(currentTab(this, "QVLocations"),
                                                    currentTab(this, "QuestsTab")));
        fileAfterSaves.append(fileState(programFolder() + QLatin1Char('/') + TabsFile));
    }
};

// The file's identity: a file replaced by a new one gets a new inode.
ino_t inodeOf(const QString &path)
{
    struct stat status
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
}

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

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

// Sets environment variables for one test and puts them back afterwards.
class EnvironmentRestorer
{
public:
    ~EnvironmentRestorer()
    {
        for (auto it = m_saved.cbegin(); it != m_saved.cend(); ++it) {
            if (it.value())
                qputenv(it.key().constData(), *it.value());
            else
                qunsetenv(it.key().constData());
        }
    }
    // An empty value unsets the variable.
    void set(const QByteArray &name, const QByteArray &value)
    {
        if (!m_saved.contains(name))
            m_saved.insert(name,
                           qEnvironmentVariableIsSet(name.constData())
                                   ? std::optional<QByteArray>(qgetenv(name.constData()))
                                   : std::nullopt);
        if (value.isEmpty())
            qunsetenv(name.constData());
        else
            qputenv(name.constData(), value);
    }

private:
    QMap<QByteArray, std::optional<QByteArray>> m_saved;
};

// A data folder as the launcher of earlier packages left it: its mark, links
// into the package, a copy of the viewer, and the user's own files.
const QStringList LauncherPieces { QStringLiteral(".huntmark-package"),
                                   QStringLiteral("huntmark-viewer"),
                                   QStringLiteral("huntmark-batch"), QStringLiteral("ncftpget.exe"),
                                   QStringLiteral("Locations") };
const QMap<QString, QByteArray> UserFiles {
    { TabsFile, "7 2\r\n" },
    { QStringLiteral("UniquesDefeated.txt"), "0110\r\n" },
    { QStringLiteral("History.sqlite"), "the history, as it was" },
};

void makeLauncherFolder(const QString &folder, const QString &package)
{
    QDir().mkpath(folder);
    const QDir dir(folder);
    for (auto it = UserFiles.cbegin(); it != UserFiles.cend(); ++it)
        writeBytes(dir.filePath(it.key()), it.value());
    writeBytes(dir.filePath(QStringLiteral(".huntmark-package")), "made by the launcher\n");
    writeExecutable(dir.filePath(QStringLiteral("huntmark-viewer")), "a copy");
    for (const char *piece : { "huntmark-batch", "ncftpget.exe", "Locations" })
        QFile::link(package + QLatin1Char('/') + QLatin1String(piece),
                    dir.filePath(QLatin1String(piece)));
    // Pictures of the user's own in place of the link.
    dir.mkdir(QStringLiteral("Monsters"));
}

} // namespace

class TabMemoryTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void restore_data();
    void restore();
    void restoreRunsTheTabHandlers_data();
    void restoreRunsTheTabHandlers();
    void tabChangeSavesBothTabs();
    void saveReplacesTheFileAsAWhole();
    void decidesTheFolders_data();
    void decidesTheFolders();
    void tidiesWhatTheLauncherLeft_data();
    void tidiesWhatTheLauncherLeft();
};

void TabMemoryTest::restore_data()
{
    QTest::addColumn<Place>("place");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("outer");
    QTest::addColumn<int>("inner");
    // Every line SaveTabs saved during the restore, in order. The window is
    // created on region 1 and quest group 0; only an actual change of a tab
    // runs its handler, and only a handler saves. How the line is split and
    // converted is the formats suite's concern; these rows are what the
    // window makes of the result. The file is written once, after the last
    // save, and only when it does not hold that line already.
    QTest::addColumn<QList<QByteArray>>("saved");

    using Lines = QList<QByteArray>;
    const Lines fallBack { "0 0\r\n" };

    QTest::newRow("missing") << Place::Missing << QByteArray() << 0 << 0 << fallBack;
    QTest::newRow("folder in its place") << Place::Folder << QByteArray() << 0 << 0 << fallBack;
    // Replaced by the first save like any file; from then on the memory works.
    QTest::newRow("a named pipe without a writer")
            << Place::NamedPipe << QByteArray() << 0 << 0 << fallBack;
    QTest::newRow("19 10, the last tabs") << Place::File << QByteArray("\"19 10\"\r\n") << 19 << 10
                                          << Lines { "19 0\r\n", "19 10\r\n" };
    QTest::newRow("7 2, without line end")
            << Place::File << QByteArray("7 2") << 7 << 2 << Lines { "7 0\r\n", "7 2\r\n" };
    // The usual start: the file holds the line the restore ends on.
    QTest::newRow("3 2, as written last time")
            << Place::File << QByteArray("3 2\r\n") << 3 << 2 << Lines { "3 0\r\n", "3 2\r\n" };
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
    QFETCH(Place, place);
    QFETCH(QByteArray, content);
    QFETCH(int, outer);
    QFETCH(int, inner);
    QFETCH(QList<QByteArray>, saved);

    ProgramFolder folder;
    ModeRestorer restorer;
    putInPlace(folder, TabsFile, place, content, restorer);
    const ino_t inodeBefore = inodeOf(folder.filePath(TabsFile));

    PreparedForm window(folder.path());
    window.Form_Load();

    QCOMPARE(currentTab(&window, "QVLocations"), outer);
    QCOMPARE(currentTab(&window, "QuestsTab"), inner);
    QCOMPARE(window.savedLines, saved);
    // No save in the middle of the restore reaches the file: a restore cut
    // short leaves the file as it found it.
    for (const QByteArray &during : std::as_const(window.fileAfterSaves))
        QCOMPARE(during, place == Place::File ? content : QByteArray("(no file)"));
    // The file ends with what the last save wrote, or as it was when nothing
    // changed; it is replaced only when its bytes change.
    if (place == Place::Folder) {
        QVERIFY(QFileInfo(folder.filePath(TabsFile)).isDir());
    } else {
        const QByteArray expected = saved.isEmpty() ? content : saved.last();
        QCOMPARE(folder.read(TabsFile), expected);
        if (place == Place::File)
            QCOMPARE(inodeOf(folder.filePath(TabsFile)) == inodeBefore, expected == content);
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

void TabMemoryTest::decidesTheFolders_data()
{
    // The program folder: a temporary one the test may write ("own"), one of
    // the shared system tree ("system"), or one that is not there ("gone").
    QTest::addColumn<QString>("program");
    // HOME and XDG_DATA_HOME: a folder in the scratch folder, "-" for unset,
    // "file" for a plain file standing where a folder would be.
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("dataHome");
    // The data folder expected, relative to the scratch folder; "program" for
    // the program folder; empty when the viewer cannot start.
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("problem"); // a piece of the reason

    QTest::newRow("a folder of its own: a build, a bundle, a per-user install")
            << u"own"_s << u"home"_s << u"-"_s << u"program"_s << QString();
    QTest::newRow("the shared system tree, written by nobody at run time")
            << u"system"_s << u"home"_s << u"-"_s << u"home/.local/share/huntmark-viewer"_s
            << QString();
    QTest::newRow("the data home XDG_DATA_HOME names")
            << u"system"_s << u"home"_s << u"data"_s << u"data/huntmark-viewer"_s << QString();
    QTest::newRow("a program folder that is not there")
            << u"gone"_s << u"home"_s << u"-"_s << u"home/.local/share/huntmark-viewer"_s
            << QString();
    QTest::newRow("no HOME") << u"system"_s << u"-"_s << u"-"_s << QString()
                             << u"HOME is not set"_s;
    QTest::newRow("a home folder that does not exist")
            << u"system"_s << u"nohome"_s << u"-"_s << QString() << u"does not exist"_s;
    QTest::newRow("a data folder that cannot be made")
            << u"system"_s << u"home"_s << u"file"_s << QString() << u"cannot make or write"_s;
}

void TabMemoryTest::decidesTheFolders()
{
    QFETCH(QString, program);
    QFETCH(QString, home);
    QFETCH(QString, dataHome);
    QFETCH(QString, data);
    QFETCH(QString, problem);

    ProgramFolder own;
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    QVERIFY(QDir(scratch.path()).mkdir(QStringLiteral("home")));
    writeBytes(scratch.filePath(QStringLiteral("file")), "not a folder");
    const QMap<QString, QString> programs {
        { QStringLiteral("own"), own.path() },
        { QStringLiteral("system"), QStringLiteral("/usr/lib") },
        { QStringLiteral("gone"), scratch.filePath(u"gone"_s) }
    };
    const auto inScratch = [&scratch](const QString &name) {
        return name == u"-" ? QByteArray() : QFile::encodeName(scratch.filePath(name));
    };
    EnvironmentRestorer environment;
    environment.set("HOME", inScratch(home));
    environment.set("XDG_DATA_HOME", inScratch(dataHome));

    const platform::Folders folders = platform::decideFolders(programs.value(program));

    QCOMPARE(folders.program, programs.value(program));
    const QString expected = data.isEmpty() ? QString()
            : data == u"program"            ? own.path()
                                            : scratch.filePath(data);
    QCOMPARE(folders.data, expected);
    QVERIFY2(problem.isEmpty() ? folders.problem.isEmpty() : folders.problem.contains(problem),
             qPrintable(folders.problem));
    if (!expected.isEmpty())
        QVERIFY(QFileInfo(expected).isDir());
    // Only the data folder chosen is made.
    if (data != u"home/.local/share/huntmark-viewer")
        QVERIFY(!QFileInfo::exists(scratch.filePath(u"home/.local"_s)));
}

void TabMemoryTest::tidiesWhatTheLauncherLeft_data()
{
    QTest::addColumn<bool>("marked");
    // Everything goes that the launcher put there, its mark last.
    QTest::newRow("a folder the launcher made") << true;
    // A folder without the mark is not the launcher's, whatever it holds.
    QTest::newRow("a folder without the mark") << false;
}

void TabMemoryTest::tidiesWhatTheLauncherLeft()
{
    QFETCH(bool, marked);
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    const QString package = scratch.filePath(QStringLiteral("package"));
    QVERIFY(QDir().mkpath(package + QStringLiteral("/Locations")));
    const QString data = scratch.filePath(QStringLiteral("data/huntmark-viewer"));
    makeLauncherFolder(data, package);
    if (!marked)
        QVERIFY(QFile::remove(data + QStringLiteral("/.huntmark-package")));
    const QStringList before = QDir(data).entryList(QDir::AllEntries | QDir::System | QDir::Hidden
                                                    | QDir::NoDotAndDotDot);
    EnvironmentRestorer environment;
    environment.set("HOME", QFile::encodeName(scratch.path()));
    environment.set("XDG_DATA_HOME", QFile::encodeName(scratch.filePath(u"data"_s)));

    const platform::Folders folders = platform::decideFolders(QStringLiteral("/usr/lib"));

    QCOMPARE(folders.data, data);
    QStringList left = before;
    if (marked) {
        for (const QString &piece : LauncherPieces)
            left.removeAll(piece);
    }
    QCOMPARE(QDir(data).entryList(QDir::AllEntries | QDir::System | QDir::Hidden
                                  | QDir::NoDotAndDotDot),
             left);
    QVERIFY(QFileInfo(package + QStringLiteral("/Locations")).isDir());
    for (auto it = UserFiles.cbegin(); it != UserFiles.cend(); ++it)
        QCOMPARE(fileBytes(data + QLatin1Char('/') + it.key()), it.value());
    // The user's files are used as they are: the window opens on their tabs.
    Form1 window(folders);
    window.Form_Load();
    QCOMPARE(currentTab(&window, "QVLocations"), 7);
    QCOMPARE(currentTab(&window, "QuestsTab"), 2);
}

QTEST_MAIN(TabMemoryTest)
#include "test_tabmemory.moc"
