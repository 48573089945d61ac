#pragma once

#include "catalog.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;

// What the catalog says about the selected entry, read-only beside its list:
// a unique monster's level, location, conditions and pictures, or a quest's
// location and steps.
class EntryDetails : public QWidget
{
    Q_OBJECT

public:
    // `pictureFolder` holds the Monsters and Locations folders.
    EntryDetails(catalog::Kind kind, const QString &pictureFolder, QWidget *parent = nullptr);

    // Shows entry (tab, row), or nothing for a row without an entry.
    void show(int tab, int row);

private:
    void showUnique(const catalog::UniqueMonster *monster);
    void showQuest(const catalog::Quest *quest);

    catalog::Kind m_kind;
    QString m_pictureFolder;
    QLineEdit *m_level = nullptr;
    QLineEdit *m_location = nullptr;
    QLineEdit *m_conditions = nullptr;
    QLabel *m_monsterPicture = nullptr;
    QLabel *m_placePicture = nullptr;
    QListWidget *m_steps = nullptr;
};

// Where the pictures lie: beside the program, or where the viewer's
// installation keeps them.
QString findPictureFolder(const QString &programFolder);
