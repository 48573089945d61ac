// What a screen reader is told beyond the controls' own captions and texts.
#include "form1.h"

#include "tabcontrol.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

void Form1::nameControls()
{
    // A list is named after its page; a text box by the caption above it.
    for (int r = 0; r < catalog::RegionCount; ++r) {
        const RegionControls &c = m_regions[size_t(r)];
        c.ListOfUniques->setAccessibleName(QVLocations->tabCaption(r)
                                           + QStringLiteral(" monsters"));
        c.LabelLevel->setBuddy(c.TextLevel);
        c.LabelLocation->setBuddy(c.TextLocation);
        c.LabelAppearanceConditions->setBuddy(c.TextAppearance);
    }
    for (int j = 0; j < catalog::QuestGroupCount; ++j) {
        const QuestGroupControls &c = m_groups[size_t(j)];
        const QString group = QuestsTab->tabCaption(j);
        c.Quests->setAccessibleName(group + QStringLiteral(" prerequisites"));
        c.QuestItems->setAccessibleName(group + QStringLiteral(" steps to complete"));
        c.LocationLabel->setBuddy(c.QuestLocation);
    }
}

// Called once a picture is in its control. A picture that could not be
// loaded leaves the one before in place, and with it its name.
void Form1::namePicture(int r, QLabel *picture)
{
    const RegionControls &c = m_regions[size_t(r)];
    const catalog::UniqueMonster *monster =
            catalog::findUniqueMonster(r, c.ListOfUniques->currentRow());
    if (!monster)
        return;
    const QString name = QString::fromLatin1(monster->name);
    const QString place = QString::fromLatin1(monster->location);
    if (picture == c.ImageUniqueMonster) {
        picture->setAccessibleName(QStringLiteral("Picture of ") + name);
        picture->setAccessibleDescription(QStringLiteral("Found at ") + place);
    } else {
        picture->setAccessibleName(QStringLiteral("Picture of ") + place);
        picture->setAccessibleDescription(QStringLiteral("Where %1 is found").arg(name));
    }
}
