// The unique monsters: filling the region lists and showing an entry.
#include "form1.h"

#include "pictureloader.h"
#include "picturepaths.h"
#include "tabcontrol.h"
#include "textvalue.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

void Form1::FillUniqueLists()
{
    for (const RegionControls &c : m_regions)
        c.ListOfUniques->clear();
    for (int r = 0; r < catalog::RegionCount; ++r) {
        QStringList names;
        for (const catalog::UniqueMonster &monster : catalog::regions()[r].entries)
            names.append(QString::fromLatin1(monster.name));
        m_regions[size_t(r)].ListOfUniques->addItems(names);
    }
}

void Form1::ShowUniqueDetails()
{
    const int r = currentRegion();
    if (r >= catalog::RegionCount)
        return;
    const RegionControls &c = m_regions[size_t(r)];
    const catalog::UniqueMonster *monster =
            catalog::findUniqueMonster(r, c.ListOfUniques->currentRow());
    if (!monster)
        return;
    showText(c.TextLevel, QString::fromLatin1(monster->level));
    showText(c.TextLocation, QString::fromLatin1(monster->location));
    showText(c.TextAppearance, QString::fromLatin1(monster->appearance));
    showMonsterPicture(r, pictures::monsterPicturePath(m_programFolder, *monster));
    showLocationPicture(r, pictures::locationPicturePath(m_programFolder, *monster));
}

void Form1::ListOfUniques_Click(int)
{
    ShowUniqueDetails();
    const int r = currentRegion();
    if (r >= catalog::RegionCount)
        return;
    const RegionControls &c = m_regions[size_t(r)];
    if (c.ListOfUniques->currentRow() == -1)
        c.CheckDefeated->setChecked(false);
    else
        ReadUniquesDefeated();
}

void Form1::CheckDefeated_Click(int)
{
    const int r = currentRegion();
    if (r >= catalog::RegionCount)
        return;
    const RegionControls &c = m_regions[size_t(r)];
    c.CheckDefeated->setChecked(numericValue(c.TextDefeated->text()) != 0);
}

void Form1::showMonsterPicture(int r, const QString &path)
{
    QImage image = pictures::loadPicture(path);
    if (image.isNull())
        return;
    QLabel *picture = m_regions[size_t(r)].ImageUniqueMonster;
    const QSize size = image.size();
    // Handing the decoded image over lets the pixmap take its pixels
    // instead of copying them.
    picture->setPixmap(QPixmap::fromImage(std::move(image)));
    picture->resize(size);
    namePicture(r, picture);
}

void Form1::showLocationPicture(int r, const QString &path)
{
    QLabel *picture = m_regions[size_t(r)].ImageUniqueLocation;
    // Decoding straight at the size of the square costs a fraction of a
    // full decode, and the picture is stretched to the square anyway.
    const qreal ratio = picture->devicePixelRatioF();
    QImage image = pictures::loadPicture(path, picture->size() * ratio);
    if (image.isNull())
        return;
    QPixmap pixmap = QPixmap::fromImage(std::move(image));
    pixmap.setDevicePixelRatio(ratio);
    picture->setPixmap(pixmap);
    namePicture(r, picture);
}
