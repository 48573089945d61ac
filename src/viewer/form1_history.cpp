// Additions to the window: the history of the followed progress, and the way from
// it (or from a notification) back to an entry in the window.
#include "form1.h"

#include "donetimetips.h"
#include "freshnesslabel.h"
#include "historywindow.h"
#include "progresshistory.h"
#include "progressmarks.h"
#include "tabcontrol.h"

#include <QAction>
#include <QCheckBox>
#include <QListWidget>
#include <QTimer>

void Form1::createHistory()
{
    m_history = new ProgressHistory(m_dataFolder, this);
    m_history->setObjectName(QStringLiteral("ProgressHistory"));
    m_uniqueMarks->keepIn(m_history, catalog::Kind::Unique);
    m_questMarks->keepIn(m_history, catalog::Kind::Quest);

    std::vector<QListWidget *> uniques;
    std::vector<QCheckBox *> defeated;
    for (const RegionControls &c : m_regions) {
        uniques.push_back(c.ListOfUniques);
        defeated.push_back(c.CheckDefeated);
    }
    new DoneTimeTips(m_history, catalog::Kind::Unique, QStringLiteral("Defeated"), uniques,
                     defeated, this);
    std::vector<QListWidget *> quests;
    std::vector<QCheckBox *> completed;
    for (const QuestGroupControls &c : m_groups) {
        quests.push_back(c.Quests);
        completed.push_back(c.QuestCompleted);
    }
    new DoneTimeTips(m_history, catalog::Kind::Quest, QStringLiteral("Completed"), quests,
                     completed, this);

    connect(m_history, &ProgressHistory::lastChangeChanged, m_freshness,
            &FreshnessLabel::setLastChange);
    connect(OpenHistory, &QAction::triggered, this, &Form1::OpenHistory_Click);
}

void Form1::finishStartUp()
{
    // The store first: the "new" marks only it knows are what the user looks
    // for; the bus at the next idle moment, after they are painted.
    m_history->open();
    QTimer::singleShot(0, this, [this] {
        createNotifier();
        m_startUpFinished = true;
    });
}

void Form1::OpenHistory_Click()
{
    // Made on first use: a store of many events is read only when asked for.
    if (!m_historyWindow) {
        m_historyWindow = new HistoryWindow(m_history, this);
        connect(m_historyWindow, &HistoryWindow::entryChosen, this, &Form1::showEntry);
    }
    m_historyWindow->show();
    m_historyWindow->raise();
    m_historyWindow->activateWindow();
}

void Form1::showEntry(catalog::Kind kind, int position)
{
    const std::optional<catalog::ListPlace> place = catalog::entryAt(kind, position);
    if (!place)
        return;
    QListWidget *list = nullptr;
    if (kind == catalog::Kind::Unique) {
        QVLocations->setTab(place->tab);
        list = m_regions[size_t(place->tab)].ListOfUniques;
    } else {
        QVLocations->setTab(catalog::RegionCount);
        QuestsTab->setTab(place->tab);
        list = m_groups[size_t(place->tab)].Quests;
    }
    list->setCurrentRow(place->row);
    list->scrollToItem(list->currentItem());
    show();
    raise();
    activateWindow();
    list->setFocus(Qt::OtherFocusReason);
}

void Form1::showFromNotification()
{
    show();
    raise();
    activateWindow();
    OpenHistory_Click();
}
