#include "entrydetails.h"

#include "pictureloader.h"
#include "picturepaths.h"
#include "texttip.h"

#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {

constexpr QSize MonsterPictureBox(360, 248);
constexpr QSize PlacePictureBox(248, 248);

QLabel *pictureBox(QSize size, const QString &objectName)
{
    auto *picture = new QLabel;
    picture->setObjectName(objectName);
    picture->setFixedSize(size);
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return picture;
}

void showPicture(QLabel *box, const QString &path, const QString &accessibleName)
{
    const QImage image = pictures::loadPicture(path);
    if (image.isNull()) {
        box->clear();
        box->setAccessibleName(QString());
        return;
    }
    box->setPixmap(QPixmap::fromImage(
            image.scaled(box->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    box->setAccessibleName(accessibleName);
}

} // namespace

QString findPictureFolder(const QString &programFolder)
{
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QStringList candidates { programFolder,
                                   programFolder + QStringLiteral("/../share/huntmark-viewer"),
                                   dataHome + QStringLiteral("/huntmark-viewer") };
    for (const QString &folder : candidates) {
        if (QDir(folder).exists(pictures::MonsterPictureFolder))
            return QDir::cleanPath(folder);
    }
    return programFolder;
}

EntryDetails::EntryDetails(catalog::Kind kind, const QString &pictureFolder, QWidget *parent)
    : QWidget(parent), m_kind(kind), m_pictureFolder(pictureFolder)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    auto *form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    column->addLayout(form);
    const auto field = [form](const QString &caption, const QString &objectName) {
        auto *box = new QLineEdit;
        box->setObjectName(objectName);
        box->setReadOnly(true);
        TextTip::attach(box);
        auto *label = new QLabel(caption);
        label->setBuddy(box);
        form->addRow(label, box);
        return box;
    };
    if (kind == catalog::Kind::Unique) {
        m_level = field(QStringLiteral("Level"), QStringLiteral("TextLevel"));
        m_level->setMaximumWidth(60);
        m_location = field(QStringLiteral("Location"), QStringLiteral("TextLocation"));
        m_conditions =
                field(QStringLiteral("Appearance Conditions"), QStringLiteral("TextAppearance"));
        auto *pictures = new QHBoxLayout;
        m_monsterPicture = pictureBox(MonsterPictureBox, QStringLiteral("ImageUniqueMonster"));
        m_placePicture = pictureBox(PlacePictureBox, QStringLiteral("ImageUniqueLocation"));
        pictures->addWidget(m_monsterPicture);
        pictures->addWidget(m_placePicture);
        pictures->addStretch();
        column->addLayout(pictures);
    } else {
        m_location = field(QStringLiteral("Location"), QStringLiteral("QuestLocation"));
        auto *caption = new QLabel(QStringLiteral("To Complete Quest"));
        m_steps = new QListWidget;
        m_steps->setObjectName(QStringLiteral("QuestItems"));
        m_steps->setSelectionMode(QAbstractItemView::NoSelection);
        m_steps->setWordWrap(true);
        m_steps->setAccessibleName(QStringLiteral("Steps to complete"));
        caption->setBuddy(m_steps);
        column->addWidget(caption);
        column->addWidget(m_steps, 1);
    }
    column->addStretch();
}

void EntryDetails::show(int tab, int row)
{
    if (m_kind == catalog::Kind::Unique)
        showUnique(catalog::findUniqueMonster(tab, row));
    else
        showQuest(catalog::findQuest(tab, row));
}

void EntryDetails::showUnique(const catalog::UniqueMonster *monster)
{
    if (!monster) {
        for (QLineEdit *box : { m_level, m_location, m_conditions })
            box->clear();
        m_monsterPicture->clear();
        m_placePicture->clear();
        return;
    }
    for (auto [box, text] :
         { std::pair { m_level, monster->level }, std::pair { m_location, monster->location },
           std::pair { m_conditions, monster->appearance } }) {
        box->setText(QString::fromLatin1(text));
        box->setCursorPosition(0);
    }
    const QString name = QString::fromLatin1(monster->name);
    showPicture(m_monsterPicture, pictures::monsterPicturePath(m_pictureFolder, *monster),
                QStringLiteral("Picture of ") + name);
    showPicture(m_placePicture, pictures::locationPicturePath(m_pictureFolder, *monster),
                QStringLiteral("Picture of ") + QString::fromLatin1(monster->location));
}

void EntryDetails::showQuest(const catalog::Quest *quest)
{
    m_steps->clear();
    if (!quest) {
        m_location->clear();
        return;
    }
    m_location->setText(QString::fromLatin1(quest->location));
    m_location->setCursorPosition(0);
    const QStringList steps = catalog::questItems(*quest);
    for (qsizetype k = 0; k < steps.size(); ++k)
        m_steps->addItem(QStringLiteral("%1. %2").arg(k + 1).arg(steps[k]));
}
