// Start-up, the tab handlers, the countdown and the way out.
#include "form1.h"

#include "afterfirstframe.h"
#include "downloadscript.h"
#include "tabcontrol.h"
#include "textvalue.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>

void Form1::Form_Load()
{
    FetchProgress();
    ClearUniqueDetails();
    FillUniqueLists();
    FillQuestLists();
    ReadUniquesDefeated();
    ReadQuestsCleared();
    if (currentRegion() < catalog::RegionCount)
        m_regions[size_t(currentRegion())].ListOfUniques->setCurrentRow(-1);
    else
        m_groups[size_t(currentQuestGroup())].Quests->setCurrentRow(-1);
    LoadTabs();
    // An addition after the last step: what the first frame does not show
    // comes once it is on screen.
    new AfterFirstFrame(this, [this] { finishStartUp(); });
}

void Form1::ClearUniqueDetails()
{
    for (const RegionControls &c : m_regions) {
        c.TextLevel->setText(QString());
        c.TextLocation->setText(QString());
        c.TextAppearance->setText(QString());
    }
    for (const RegionControls &c : m_regions) {
        c.TextLevel->setReadOnly(true);
        c.TextLocation->setReadOnly(true);
        c.TextAppearance->setReadOnly(true);
    }
    for (const RegionControls &c : m_regions) {
        clearPicture(c.ImageUniqueLocation);
        clearPicture(c.ImageUniqueMonster);
    }
}

void Form1::Exit_Click()
{
    QCoreApplication::exit(0);
}

void Form1::QVLocations_Click(int)
{
    const int r = currentRegion();
    if (r < catalog::RegionCount) {
        const RegionControls &c = m_regions[size_t(r)];
        c.TextLevel->setText(QString());
        c.TextLocation->setText(QString());
        c.TextAppearance->setText(QString());
        c.ListOfUniques->setCurrentRow(-1);
        clearPicture(c.ImageUniqueLocation);
        clearPicture(c.ImageUniqueMonster);
    }
    SaveTabs();
}

void Form1::QuestsTab_Click(int)
{
    m_groups[size_t(currentQuestGroup())].Quests->setCurrentRow(-1);
    SaveTabs();
}

void Form1::Timer1_Timer()
{
    const int left = numericValue(Timer1->property("Tag").toString()) - 1;
    Timer1->setProperty("Tag", QString::number(left));
    // Only this handler writes the tag, so it never goes below 0; should it
    // ever hold something else, fetching now puts the countdown right again
    // instead of never fetching.
    if (left <= 0) {
        FetchProgress();
        Timer1->setProperty("Tag", QString::number(TicksPerFetch));
    }
}

void Form1::clearPicture(QLabel *picture)
{
    picture->clear();
    picture->setAccessibleName(QString());
    picture->setAccessibleDescription(QString());
}
