// The window's fixed layout: every control, its place, captions and fonts.
#include "form1.h"

#include "desktopnotifier.h"
#include "downloadscript.h"
#include "fetchleftovers.h"
#include "fetchmonitor.h"
#include "files.h"
#include "freshnesslabel.h"
#include "listbox.h"
#include "progressmarks.h"
#include "tabcontrol.h"
#include "texttip.h"
#include "windowicon.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

namespace {

// The layout is measured in twips, 15 to a pixel at 96 dots per inch; Qt's
// high-DPI scaling takes it from there.
constexpr int px(int twips)
{
    return (twips + 7) / 15;
}

QRect twipRect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

constexpr int QuestsTabIndex = catalog::RegionCount;
constexpr qreal TabRowHeight = 520 / 15.0;

QFont labelFont()
{
    // The window's face is the old Windows dialog font. Where it is missing,
    // a face of the same narrow build stands in, so the captions fit the
    // boxes drawn for them; failing those, the platform's sans-serif face.
    static const bool substituted = [] {
        QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                                   { QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                     QStringLiteral("Nimbus Sans"), QStringLiteral("FreeSans") });
        return true;
    }();
    Q_UNUSED(substituted);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(9.75);
    font.setWeight(QFont::Bold);
    return font;
}

QString elementName(const char *name, int index)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

template<typename Widget>
Widget *place(Widget *widget, const char *name, int index, const QRect &geometry)
{
    widget->setObjectName(elementName(name, index));
    widget->setGeometry(geometry);
    return widget;
}

QLabel *caption(QWidget *page, const char *name, int index, const QString &text,
                const QRect &geometry)
{
    auto *label = place(new QLabel(text, page), name, index, geometry);
    label->setFont(labelFont());
    // Captions hang from their top edge, clear of a box placed just below.
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QCheckBox *checkBox(QWidget *page, const char *name, int index, const QString &text,
                    const QRect &geometry)
{
    auto *box = place(new QCheckBox(text, page), name, index, geometry);
    box->setFont(labelFont());
    return box;
}

QListWidget *listBox(QWidget *page, const char *name, int index, const QRect &geometry)
{
    auto *list = place(new ListBox(page), name, index, geometry);
    list->setUniformItemSizes(true);
    return list;
}

// A detail box: a text too long for it shows whole in its tool tip.
QLineEdit *textBox(QWidget *page, const char *name, int index, const QRect &geometry)
{
    auto *box = place(new QLineEdit(page), name, index, geometry);
    TextTip::attach(box);
    return box;
}

// A flag box that holds text for the code but is never seen or focused.
QLineEdit *hiddenTextBox(QWidget *page, const char *name, int index, const QRect &geometry)
{
    auto *box = place(new QLineEdit(page), name, index, geometry);
    box->setFocusPolicy(Qt::NoFocus);
    box->hide();
    return box;
}

void chainFocus(std::initializer_list<QWidget *> widgets, QWidget *&last)
{
    for (QWidget *widget : widgets) {
        QWidget::setTabOrder(last, widget);
        last = widget;
    }
}

} // namespace

Form1::Form1(const QString &programFolder, QWidget *parent)
    : Form1(platform::Folders { programFolder, programFolder, {} }, parent)
{
}

Form1::Form1(const platform::Folders &folders, QWidget *parent)
    : QMainWindow(parent), m_programFolder(folders.program), m_dataFolder(folders.data)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Huntmark (Viewer)"));
    setWindowIcon(readWindowIcon(QStringLiteral(":/huntmark/huntmark.ico"), "ico"));
    createMenu();
    createWindowControls();
    for (int r = 0; r < catalog::RegionCount; ++r)
        createRegionPage(r);
    for (int j = 0; j < catalog::QuestGroupCount; ++j)
        createQuestGroupPage(j);

    setFocusOrder();
    connectHandlers();
    createProgressMarks();
    nameControls();
    // The window writes its script, its tab memory and its history itself;
    // past a file-size limit those writes fail and are dealt with.
    platform::failWritesPastFileSizeLimit();
    // Before the first fetch: a run that was killed may have left its
    // script, with the password, and half a download.
    fetch::clearFetchLeftovers(m_dataFolder);
    // The files on screen arrived in an earlier run: the note says when
    // from the start, and since when once fetches fail.
    m_fetches->recallLastArrival(m_dataFolder);

    // The layout does not follow the window's size, so the window keeps the
    // size its layout was drawn for and opens in the middle of the screen.
    setFixedSize(sizeHint());
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void Form1::createMenu()
{
    File = menuBar()->addMenu(QStringLiteral("&File"));
    File->setObjectName(QStringLiteral("File"));
    RefreshNow = File->addAction(QStringLiteral("&Refresh Now"));
    RefreshNow->setObjectName(QStringLiteral("RefreshNow"));
    RefreshNow->setShortcut(QKeySequence(Qt::Key_F5));
    OpenHistory = File->addAction(QStringLiteral("&History..."));
    OpenHistory->setObjectName(QStringLiteral("OpenHistory"));
    OpenHistory->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    Exit = File->addAction(QStringLiteral("E&xit"));
    Exit->setObjectName(QStringLiteral("Exit"));
    Exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
}

void Form1::createWindowControls()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setFixedSize(px(13950), px(8325));
    setCentralWidget(client);

    LabelDefeated = new QLabel(QStringLiteral("Uniques Beaten: 0"), client);
    LabelDefeated->setObjectName(QStringLiteral("LabelDefeated"));
    LabelDefeated->setGeometry(twipRect(0, 0, 13935, 255));
    LabelDefeated->setFont(labelFont());
    LabelDefeated->setIndent(px(120));
    // Windows paints this strip in the color of active title-bar text,
    // white on every stock scheme.
    LabelDefeated->setAutoFillBackground(true);
    QPalette strip = LabelDefeated->palette();
    strip.setColor(QPalette::Window, Qt::white);
    strip.setColor(QPalette::WindowText, Qt::black);
    LabelDefeated->setPalette(strip);
    m_fetches = new fetch::FetchMonitor(this);
    m_freshness = new FreshnessLabel(LabelDefeated);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    Timer1->setTimerType(Qt::CoarseTimer);
    Timer1->setProperty("Tag", QString::number(TicksPerFetch));
    Timer1->start();

    QVLocations = new TabControl(catalog::RegionCount + 1, 7, TabRowHeight, client);
    QVLocations->setObjectName(QStringLiteral("QVLocations"));
    QVLocations->setGeometry(twipRect(0, 240, 13815, 7815));
    for (int r = 0; r < catalog::RegionCount; ++r)
        QVLocations->setTabCaption(r, QString::fromLatin1(catalog::regions()[r].caption));
    QVLocations->setTabCaption(QuestsTabIndex, QStringLiteral("Quests"));
    QVLocations->setTab(1);

    QuestsTab = new TabControl(catalog::QuestGroupCount, 3, TabRowHeight,
                               QVLocations->page(QuestsTabIndex));
    QuestsTab->setObjectName(QStringLiteral("QuestsTab"));
    QuestsTab->setGeometry(twipRect(720, 360, 12255, 6015));
    for (int j = 0; j < catalog::QuestGroupCount; ++j)
        QuestsTab->setTabCaption(j, QString::fromLatin1(catalog::questGroups()[j].caption));
    // Its last row of tabs reaches below the Quests page, over the first row
    // of region tabs: it is drawn there rather than cut off.
    QVLocations->setPageReach(QuestsTabIndex, QuestsTab->geometry().bottom() + 1);
}

void Form1::createRegionPage(int r)
{
    QWidget *page = QVLocations->page(r);
    RegionControls &c = m_regions[size_t(r)];
    c.ListOfUniques = listBox(page, "ListOfUniques", r, twipRect(240, 240, 2655, 3180));
    c.LabelLevel =
            caption(page, "LabelLevel", r, QStringLiteral("Level"), twipRect(3120, 240, 615, 255));
    c.TextLevel = textBox(page, "TextLevel", r, twipRect(3120, 480, 615, 285));
    c.LabelLocation = caption(page, "LabelLocation", r, QStringLiteral("Location"),
                              twipRect(3120, 840, 975, 255));
    c.TextLocation = textBox(page, "TextLocation", r, twipRect(3120, 1080, 5535, 285));
    c.LabelAppearanceConditions =
            caption(page, "LabelAppearanceConditions", r, QStringLiteral("Appearance Conditions"),
                    twipRect(3120, 1440, 2535, 255));
    c.TextAppearance = textBox(page, "TextAppearance", r, twipRect(3120, 1680, 5535, 285));
    c.CheckDefeated = checkBox(page, "CheckDefeated", r, QStringLiteral("Defeated this Playthough"),
                               twipRect(3120, 2040, 3015, 255));
    c.TextDefeated = hiddenTextBox(page, "TextDefeated", r, twipRect(6120, 2040, 375, 285));

    // The monster picture keeps its own size with its top-left corner fixed;
    // the place is stretched to fill its square.
    c.ImageUniqueMonster =
            place(new QLabel(page), "ImageUniqueMonster", r, twipRect(3120, 2400, 5475, 4200));
    c.ImageUniqueMonster->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    c.ImageUniqueLocation =
            place(new QLabel(page), "ImageUniqueLocation", r, twipRect(8880, 120, 4500, 4500));
    c.ImageUniqueLocation->setScaledContents(true);
}

void Form1::createQuestGroupPage(int j)
{
    QWidget *page = QuestsTab->page(j);
    QuestGroupControls &c = m_groups[size_t(j)];
    c.PrerequisitesLabel = caption(page, "PrerequisitesLabel", j, QStringLiteral("Prerequisites"),
                                   twipRect(120, 120, 1395, 240));
    c.Quests = listBox(page, "Quests", j, twipRect(120, 360, 3255, j == 2 ? 3375 : 3180));
    c.LocationLabel = caption(page, "LocationLabel", j, QStringLiteral("Location"),
                              twipRect(3480, 120, 900, 360));
    c.QuestLocation = textBox(page, "QuestLocation", j, twipRect(3480, 360, 7335, 285));
    c.QuestLocation->setReadOnly(true);
    c.QuestLocation->setEnabled(j != 6);
    c.CompleteLabel = caption(page, "CompleteLabel", j, QStringLiteral("To Complete Quest"),
                              twipRect(5880, 720, 2010, 240));
    c.QuestCompleted = checkBox(page, "QuestCompleted", j, QStringLiteral("Quest Completed"),
                                twipRect(3480, 840, 2175, 255));
    c.QuestItems = listBox(page, "QuestItems", j, twipRect(5880, 960, 4935, 2790));
    c.TextCompleted = hiddenTextBox(page, "TextCompleted", j, twipRect(3480, 1200, 495, 285));
}

// The Tab key runs through the tab control first, then the page's controls in
// an order that differs between the first page and the others.
void Form1::setFocusOrder()
{
    QWidget *last = QVLocations;
    for (int r = 0; r < catalog::RegionCount; ++r) {
        const RegionControls &c = m_regions[size_t(r)];
        if (r == 0)
            chainFocus({ c.ListOfUniques, c.TextLevel, c.TextLocation, c.TextAppearance,
                         c.CheckDefeated },
                       last);
        else
            chainFocus({ c.CheckDefeated, c.TextAppearance, c.TextLocation, c.TextLevel,
                         c.ListOfUniques },
                       last);
    }
    chainFocus({ QuestsTab }, last);
    for (int j = 0; j < catalog::QuestGroupCount; ++j) {
        const QuestGroupControls &c = m_groups[size_t(j)];
        if (j == 0)
            chainFocus({ c.Quests, c.QuestLocation, c.QuestItems, c.QuestCompleted }, last);
        else
            chainFocus({ c.QuestCompleted, c.QuestItems, c.QuestLocation, c.Quests }, last);
    }

    QVLocations->setFocus(Qt::OtherFocusReason);
}

void Form1::connectHandlers()
{
    connect(RefreshNow, &QAction::triggered, this, &Form1::RefreshNow_Click);
    connect(Exit, &QAction::triggered, this, &Form1::Exit_Click);
    connect(m_fetches, &fetch::FetchMonitor::scriptsEnded, this, &Form1::readFetchedProgress);
    connect(m_fetches, &fetch::FetchMonitor::freshnessChanged, m_freshness,
            &FreshnessLabel::showFreshness);
    connect(m_fetches, &fetch::FetchMonitor::busyChanged, RefreshNow, &QAction::setDisabled);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(QVLocations, &TabControl::Click, this, &Form1::QVLocations_Click);
    connect(QuestsTab, &TabControl::Click, this, &Form1::QuestsTab_Click);
    // A check box is followed through toggled(), which fires on every change
    // of its value. stateChanged() would do for changes made in code, but a
    // value put back while a click is being handled leaves it one change
    // behind, and the next click would go unnoticed.
    for (int r = 0; r < catalog::RegionCount; ++r) {
        const RegionControls &c = m_regions[size_t(r)];
        connect(c.ListOfUniques, &QListWidget::currentRowChanged, this,
                [this, r] { ListOfUniques_Click(r); });
        connect(c.CheckDefeated, &QCheckBox::toggled, this, [this, r] { CheckDefeated_Click(r); });
    }
    for (int j = 0; j < catalog::QuestGroupCount; ++j) {
        const QuestGroupControls &c = m_groups[size_t(j)];
        connect(c.Quests, &QListWidget::currentRowChanged, this, [this, j] { Quests_Click(j); });
        connect(c.QuestCompleted, &QCheckBox::toggled, this,
                [this, j] { QuestCompleted_Click(j); });
    }
}

void Form1::showText(QLineEdit *box, const QString &text)
{
    // setText() leaves the cursor at the end, so a text wider than its box
    // would show its end; the beginning is what names the place.
    box->setText(text);
    box->setCursorPosition(0);
}

void Form1::createProgressMarks()
{
    // Created after the handlers are connected, so a selection that reads
    // its line as newly done still counts as the user having seen it.
    std::vector<QListWidget *> uniques;
    for (const RegionControls &c : m_regions)
        uniques.push_back(c.ListOfUniques);
    m_uniqueMarks = new ProgressMarks(catalog::Kind::Unique, uniques, QVLocations,
                                      QStringLiteral("defeated"), this);

    std::vector<QListWidget *> quests;
    for (const QuestGroupControls &c : m_groups)
        quests.push_back(c.Quests);
    m_questMarks = new ProgressMarks(catalog::Kind::Quest, quests, QuestsTab,
                                     QStringLiteral("completed"), this);
    m_questMarks->showTotalOn(QVLocations, QuestsTabIndex);
    createHistory();
}

void Form1::createNotifier()
{
    // Made after the first frame: joining the session bus takes a while, and
    // nothing turns done before the window is on screen.
    auto *notifier = new DesktopNotifier(this);
    notifier->setObjectName(QStringLiteral("DesktopNotifier"));
    for (ProgressMarks *marks : { m_uniqueMarks, m_questMarks })
        connect(marks, &ProgressMarks::linesTurnedDone, notifier,
                &DesktopNotifier::linesTurnedDone);
    connect(notifier, &DesktopNotifier::showRequested, this, &Form1::showFromNotification);
}

int Form1::currentRegion() const
{
    return QVLocations->tab();
}

int Form1::currentQuestGroup() const
{
    return QuestsTab->tab();
}
