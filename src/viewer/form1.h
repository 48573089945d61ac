#pragma once

#include "catalog.h"
#include "firstfield.h"
#include "folders.h"
#include "historystore.h"
#include "tabswriter.h"

#include <QMainWindow>

#include <array>

namespace fetch {
class FetchMonitor;
}

class FreshnessLabel;
class HistoryWindow;
class ProgressHistory;
class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QTimer;
class ProgressMarks;
class TabControl;

// The viewer's one window. Its controls are the program's whole state: the
// procedures below take nothing and return nothing, and talk to each other
// through the current tabs, the lists' selections, the hidden flag boxes and
// the countdown in the timer's tag. What the window adds around them (check
// marks, the history, the freshness note) is fed by the readers and never
// read back by a procedure.
class Form1 : public QMainWindow
{
    Q_OBJECT

public:
    // Builds the window in its fixed layout (region tab 1, quest group 0, empty
    // lists) and runs nothing else; Form_Load() starts it up.
    // Reads and writes everything in one folder, as a build or a bundle does.
    explicit Form1(const QString &programFolder, QWidget *parent = nullptr);
    // Reads what came with it from the program folder and writes into the data folder.
    explicit Form1(const platform::Folders &folders, QWidget *parent = nullptr);

    QString programFolder() const { return m_programFolder; }
    QString dataFolder() const { return m_dataFolder; }
    // What the first frame does not show (the history store, the desktop
    // notifications) is set up after it; true once it is.
    bool startUpFinished() const { return m_startUpFinished; }

    // The refresh countdown kept in the timer's tag starts here again after
    // every fetch.
    static constexpr int TicksPerFetch = 60;

    // --- procedures --------------------------------------------------------
    // Catalog and details of the unique monsters.
    void FillUniqueLists();
    void ShowUniqueDetails();
    // Clearing of the region details.
    void ClearUniqueDetails();
    // Progress files, fetch and tab memory.
    void ReadUniquesDefeated();
    void ReadQuestsCleared();
    void FetchProgress();
    // The tab-memory suite hooks these two: the last step of start-up and
    // each save.
    virtual void SaveTabs();
    virtual void LoadTabs();
    // Catalog and details of the quests.
    void FillQuestLists();
    void ShowQuestDetails();

public Q_SLOTS:
    void Form_Load();
    void Exit_Click();
    void QVLocations_Click(int previousTab);
    void QuestsTab_Click(int previousTab);
    void Timer1_Timer();
    void ListOfUniques_Click(int index);
    void CheckDefeated_Click(int index);
    void Quests_Click(int index);
    void QuestCompleted_Click(int index);
    // An addition: File, Refresh Now (F5) fetches at once.
    void RefreshNow_Click();
    // An addition: File, History (Ctrl+H) opens the timeline of what
    // the other player did and when.
    void OpenHistory_Click();

private:
    struct RegionControls
    {
        QListWidget *ListOfUniques;
        QLabel *LabelLevel;
        QLineEdit *TextLevel;
        QLabel *LabelLocation;
        QLineEdit *TextLocation;
        QLabel *LabelAppearanceConditions;
        QLineEdit *TextAppearance;
        QCheckBox *CheckDefeated;
        QLineEdit *TextDefeated;
        QLabel *ImageUniqueMonster;
        QLabel *ImageUniqueLocation;
    };
    struct QuestGroupControls
    {
        QLabel *PrerequisitesLabel;
        QListWidget *Quests;
        QLabel *LocationLabel;
        QLineEdit *QuestLocation;
        QLabel *CompleteLabel;
        QListWidget *QuestItems;
        QCheckBox *QuestCompleted;
        QLineEdit *TextCompleted;
    };

    // The fixed layout.
    void createMenu();
    void createWindowControls();
    void createRegionPage(int r);
    void createQuestGroupPage(int j);
    void setFocusOrder();
    void connectHandlers();
    // Check marks, tab bars and notifications: fed by the readers.
    void createProgressMarks();
    // What a screen reader calls the lists and boxes, and what a picture
    // control shows while it shows one.
    void nameControls();
    void namePicture(int r, QLabel *picture);
    // The history the marks keep, and what shows it.
    void createHistory();
    void createNotifier();
    // Opens the history and joins the desktop's bus, once the first frame
    // is on screen.
    void finishStartUp();
    // Selects an entry the history names, as the user would: its tabs, then
    // its line, and brings the window forward.
    void showEntry(catalog::Kind kind, int position);
    void showFromNotification();

    // The tab that is current, read afresh each time.
    int currentRegion() const;
    int currentQuestGroup() const;

    // Sets a detail text, shown from its first letter.
    static void showText(QLineEdit *box, const QString &text);

    // Puts a picture into a picture control; a picture that cannot be loaded
    // leaves the control as it was.
    void showMonsterPicture(int r, const QString &path);
    void showLocationPicture(int r, const QString &path);
    void clearPicture(QLabel *picture);

    // Reads a progress file's flag for the entry at `position`, falling back
    // to the all-"0" default.
    progress::FlagScan readFlags(const QString &fileName, qint64 defaultLength,
                                 qint64 position) const;

    // Selects the tabs a remembered field names; false as soon as a part of
    // it is no tab index, leaving what was selected up to then.
    bool selectTabs(QByteArrayView field);

    // Shows what a fetch brought as soon as its script has ended.
    void readFetchedProgress();

    QString m_programFolder;
    QString m_dataFolder;

    QMenu *File = nullptr;
    QAction *RefreshNow = nullptr;
    QAction *OpenHistory = nullptr;
    QAction *Exit = nullptr;
    QLabel *LabelDefeated = nullptr;
    QTimer *Timer1 = nullptr;
    fetch::FetchMonitor *m_fetches = nullptr;
    FreshnessLabel *m_freshness = nullptr;
    TabControl *QVLocations = nullptr;
    TabControl *QuestsTab = nullptr;
    std::array<RegionControls, catalog::RegionCount> m_regions {};
    std::array<QuestGroupControls, catalog::QuestGroupCount> m_groups {};
    ProgressMarks *m_uniqueMarks = nullptr;
    ProgressMarks *m_questMarks = nullptr;
    ProgressHistory *m_history = nullptr;
    HistoryWindow *m_historyWindow = nullptr;
    bool m_startUpFinished = false;
    tabmemory::TabsWriter m_tabsWriter;
};
