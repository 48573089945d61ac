// The quests: filling the group lists and showing an entry.
#include "form1.h"

#include "tabcontrol.h"
#include "textvalue.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>

void Form1::FillQuestLists()
{
    for (const QuestGroupControls &c : m_groups)
        c.Quests->clear();
    for (int g = 0; g < catalog::QuestGroupCount; ++g) {
        QStringList names;
        for (const catalog::Quest &quest : catalog::questGroups()[g].quests)
            names.append(QString::fromLatin1(quest.name));
        m_groups[size_t(g)].Quests->addItems(names);
    }
}

void Form1::ShowQuestDetails()
{
    const int j = currentQuestGroup();
    const QuestGroupControls &c = m_groups[size_t(j)];
    c.QuestItems->clear();
    const catalog::Quest *quest = catalog::findQuest(j, c.Quests->currentRow());
    if (!quest)
        return;
    showText(c.QuestLocation, QString::fromLatin1(quest->location));
    // A long step is cut short in the list; its tool tip shows it whole.
    for (const QString &step : catalog::questItems(*quest)) {
        auto *item = new QListWidgetItem(step, c.QuestItems);
        item->setToolTip(step);
    }
}

void Form1::Quests_Click(int)
{
    ShowQuestDetails();
    const QuestGroupControls &c = m_groups[size_t(currentQuestGroup())];
    if (c.Quests->currentRow() == -1)
        c.QuestCompleted->setChecked(false);
    else
        ReadQuestsCleared();
}

void Form1::QuestCompleted_Click(int)
{
    const QuestGroupControls &c = m_groups[size_t(currentQuestGroup())];
    c.QuestCompleted->setChecked(numericValue(c.TextCompleted->text()) != 0);
}
