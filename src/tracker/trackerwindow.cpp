#include "trackerwindow.h"

#include "accountdialog.h"
#include "autopublisher.h"
#include "checklist.h"
#include "entrydetails.h"
#include "findpanel.h"
#include "markcolors.h"
#include "markcommand.h"
#include "namesakes.h"
#include "progressfolder.h"
#include "publishingaccount.h"
#include "tabcontrol.h"
#include "windowicon.h"

#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QUndoStack>
#include <QVBoxLayout>

namespace {

constexpr qreal TabRowHeight = 520 / 15.0;
constexpr int RegionTabsPerRow = 7;
constexpr int QuestTabsPerRow = 3;
constexpr int QuestsTab = catalog::RegionCount;
const QString FolderKey = QStringLiteral("folder");

QString doneWord(progresstool::Kind kind)
{
    return kind == progresstool::Kind::Unique ? QStringLiteral("defeated")
                                              : QStringLiteral("completed");
}

const progresstool::Entry *entryAt(progresstool::Kind kind, int tab, int row)
{
    for (const progresstool::Entry &entry : progresstool::catalogEntries()) {
        if (entry.kind == kind && entry.tab == tab && entry.index == row)
            return &entry;
    }
    return nullptr;
}

} // namespace

TrackerWindow::TrackerWindow(const QString &folder, const QString &pictureFolder, QWidget *parent)
    : QMainWindow(parent),
      m_folder(new ProgressFolder(this)),
      m_undo(new QUndoStack(this)),
      m_account(new PublishingAccount(this)),
      m_publisher(new AutoPublisher(m_folder, this))
{
    setObjectName(QStringLiteral("TrackerWindow"));
    setWindowTitle(QStringLiteral("Huntmark Tracker"));
    setWindowIcon(
            readWindowIcon(QStringLiteral(":/huntmark/icons/64x64/huntmark-tracker.png"), "png"));
    buildMenus();

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    auto *column = new QVBoxLayout(client);
    column->setContentsMargins(8, 6, 8, 4);
    m_problem = new QLabel(client);
    m_problem->setObjectName(QStringLiteral("FileProblem"));
    m_problem->setWordWrap(true);
    m_problem->setAutoFillBackground(true);
    m_problem->setMargin(6);
    QPalette warning = m_problem->palette();
    warning.setColor(QPalette::Window, QColor(0xfd, 0xe8, 0xe4));
    warning.setColor(QPalette::WindowText, QColor(0x8a, 0x1c, 0x0c));
    m_problem->setPalette(warning);
    m_problem->hide();
    m_totals = new QLabel(client);
    m_totals->setObjectName(QStringLiteral("Totals"));
    QFont bold = m_totals->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    m_totals->setFont(bold);
    column->addWidget(m_problem);
    column->addWidget(m_totals);
    column->addWidget(buildTabs(pictureFolder), 1);
    setCentralWidget(client);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("StatusText"));
    statusBar()->addWidget(m_status, 1);
    m_publishState = new QLabel(this);
    m_publishState->setObjectName(QStringLiteral("PublishState"));
    statusBar()->addPermanentWidget(m_publishState);
    connect(m_publisher, &AutoPublisher::stateChanged, m_publishState, &QLabel::setText);
    connect(m_publisher, &AutoPublisher::serverHasMore, this, &TrackerWindow::askAboutServer);
    connect(m_folder, &ProgressFolder::changed, m_publisher, &AutoPublisher::changed);
    connect(m_account, &PublishingAccount::ready, m_publisher, &AutoPublisher::setAccount);
    connect(m_account, &PublishingAccount::passwordNeeded, this, &TrackerWindow::askPassword);

    m_find = new FindPanel(client);
    m_find->setDoneTest([this](const Entry &entry) { return m_folder->isDone(entry); });
    connect(m_find, &FindPanel::toggleRequested, this, &TrackerWindow::toggle);
    connect(m_find, &FindPanel::entryHighlighted, this, &TrackerWindow::reveal);

    connect(m_folder, &ProgressFolder::changed, this, &TrackerWindow::showFiles);
    resize(1040, 640);
    openFolder(folder);
    m_account->load();
    showStatus(QStringLiteral("Type a name to find it; Space or a click on a box marks it done"));
}

QString TrackerWindow::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
            + QStringLiteral("/huntmark-tracker");
}

void TrackerWindow::buildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction *open =
            file->addAction(QStringLiteral("&Open Folder..."), this, &TrackerWindow::chooseFolder);
    open->setObjectName(QStringLiteral("OpenFolder"));
    open->setShortcut(QKeySequence::Open);
    QAction *publish = file->addAction(QStringLiteral("&Publish Now"), this,
                                       [this] { m_publisher->publishNow(); });
    publish->setObjectName(QStringLiteral("PublishNow"));
    publish->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    QAction *account = file->addAction(QStringLiteral("Publishing &Account..."), this,
                                       &TrackerWindow::editAccount);
    account->setObjectName(QStringLiteral("PublishingAccount"));
    file->addSeparator();
    QAction *exit = file->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
    exit->setObjectName(QStringLiteral("Exit"));
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu *edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    QAction *undo = m_undo->createUndoAction(this, QStringLiteral("&Undo"));
    undo->setObjectName(QStringLiteral("Undo"));
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QAction *redo = m_undo->createRedoAction(this, QStringLiteral("&Redo"));
    redo->setObjectName(QStringLiteral("Redo"));
    redo->setShortcuts(
            { QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y) });
    edit->addAction(undo);
    edit->addAction(redo);
    edit->addSeparator();
    QAction *find = edit->addAction(QStringLiteral("&Find..."), this, [this] { m_find->open(); });
    find->setObjectName(QStringLiteral("Find"));
    find->setShortcut(QKeySequence::Find);
}

QWidget *TrackerWindow::buildTabs(const QString &pictureFolder)
{
    m_regionTabs = new TabControl(catalog::RegionCount + 1, RegionTabsPerRow, TabRowHeight);
    m_regionTabs->setObjectName(QStringLiteral("QVLocations"));
    m_regionTabs->setAccessibleName(QStringLiteral("Regions"));
    for (int r = 0; r < catalog::RegionCount; ++r) {
        m_regionTabs->setTabCaption(r, QString::fromLatin1(catalog::regions()[r].caption));
        addPage(Kind::Unique, r, m_regionTabs->page(r), pictureFolder);
    }
    m_regionTabs->setTabCaption(QuestsTab, QStringLiteral("Quests"));

    auto *questsPage = m_regionTabs->page(QuestsTab);
    auto *questsLayout = new QVBoxLayout(questsPage);
    questsLayout->setContentsMargins(8, 8, 8, 8);
    m_questTabs = new TabControl(catalog::QuestGroupCount, QuestTabsPerRow, TabRowHeight);
    m_questTabs->setObjectName(QStringLiteral("QuestsTab"));
    m_questTabs->setAccessibleName(QStringLiteral("Quest groups"));
    questsLayout->addWidget(m_questTabs);
    for (int g = 0; g < catalog::QuestGroupCount; ++g) {
        m_questTabs->setTabCaption(g, QString::fromLatin1(catalog::questGroups()[g].caption));
        addPage(Kind::Quest, g, m_questTabs->page(g), pictureFolder);
    }
    return m_regionTabs;
}

void TrackerWindow::addPage(Kind kind, int tab, QWidget *page, const QString &pictureFolder)
{
    auto *row = new QHBoxLayout(page);
    row->setContentsMargins(10, 10, 10, 10);
    row->setSpacing(14);
    auto *list = new CheckList;
    list->setObjectName(kind == Kind::Unique ? QStringLiteral("ListOfUniques")
                                             : QStringLiteral("Quests"));
    list->setProperty("tab", tab);
    const QString caption = kind == Kind::Unique
            ? QString::fromLatin1(catalog::regions()[tab].caption)
            : QString::fromLatin1(catalog::questGroups()[tab].caption);
    list->setAccessibleName(caption
                            + (kind == Kind::Unique ? QStringLiteral(" monsters")
                                                    : QStringLiteral(" prerequisites")));
    list->setFixedWidth(kind == Kind::Unique ? 230 : 270);
    const int count =
            kind == Kind::Unique ? catalog::uniqueMonsterCount(tab) : catalog::questCount(tab);
    for (int i = 0; i < count; ++i)
        list->addEntry(entryAt(kind, tab, i)->name);
    // The details are made when the page's first line is selected: until
    // then they show nothing, and thirty of them would slow the start.
    auto *holder = new QWidget;
    auto *holderLayout = new QVBoxLayout(holder);
    holderLayout->setContentsMargins(0, 0, 0, 0);
    row->addWidget(list);
    row->addWidget(holder, 1);
    connect(list, &CheckList::currentRowChanged, holder,
            [holder, holderLayout, kind, tab, pictureFolder](int line) {
                auto *details = holder->findChild<EntryDetails *>();
                if (!details) {
                    details = new EntryDetails(kind, pictureFolder);
                    holderLayout->addWidget(details);
                }
                details->show(tab, line);
            });
    connect(list, &CheckList::toggleRequested, this,
            [this, kind, tab](int line) { toggleLine(kind, tab, line); });
    (kind == Kind::Unique ? m_uniqueLists : m_questLists).push_back(list);
}

CheckList *TrackerWindow::list(Kind kind, int tab) const
{
    return (kind == Kind::Unique ? m_uniqueLists : m_questLists).at(size_t(tab));
}

void TrackerWindow::openFolder(const QString &folder)
{
    m_undo->clear();
    m_folder->open(folder);
    m_publisher->folderOpened();
    if (QSettings settings; settings.value(FolderKey).toString() != folder)
        settings.setValue(FolderKey, folder);
    setWindowTitle(
            QStringLiteral("Huntmark Tracker \u2014 %1").arg(QDir::toNativeSeparators(folder)));
    showFiles();
}

void TrackerWindow::chooseFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(
            this, QStringLiteral("Open Progress Folder"), m_folder->path());
    if (!folder.isEmpty())
        openFolder(folder);
}

void TrackerWindow::toggleLine(Kind kind, int tab, int row)
{
    if (const Entry *entry = entryAt(kind, tab, row))
        toggle(*entry);
}

void TrackerWindow::toggle(const Entry &entry)
{
    const QList<Entry> group = progresstool::sameEvent(entry);
    const bool done = !m_folder->isDone(entry);
    const QString step =
            (done ? QStringLiteral("Mark %1") : QStringLiteral("Unmark %1")).arg(entry.name);
    m_undo->push(new MarkCommand(group, done, step, [this](const QList<Entry> &entries, bool on) {
        return apply(entries, on);
    }));
    if (!m_find->isHidden())
        m_find->refreshMarks();
}

void TrackerWindow::markAll(const QList<Entry> &entries, const QString &stepName)
{
    if (entries.isEmpty())
        return;
    m_undo->push(
            new MarkCommand(entries, true, stepName, [this](const QList<Entry> &group, bool on) {
                return apply(group, on);
            }));
}

bool TrackerWindow::apply(const QList<Entry> &entries, bool done)
{
    QString error;
    if (!m_folder->setDone(entries, done, &error)) {
        showStatus(QStringLiteral("Not saved: ") + error);
        return false;
    }
    showStatus(describe(entries, done));
    Q_EMIT marksWritten();
    return true;
}

// "Hedge Rat King: marked defeated"; a milestone in several groups says in
// how many; a namesake that is another quest says that it stayed.
QString TrackerWindow::describe(const QList<Entry> &entries, bool done) const
{
    const Entry &first = entries.first();
    if (entries.size() > 1 && std::all_of(entries.begin(), entries.end(), [&](const Entry &e) {
            return e.name == first.name;
        })) {
        return QStringLiteral("%1: %2 in %3 quest groups")
                .arg(first.name, done ? QStringLiteral("marked") : QStringLiteral("unmarked"))
                .arg(entries.size());
    }
    if (entries.size() > 1)
        return QStringLiteral("%1 entries %2")
                .arg(entries.size())
                .arg(done ? QStringLiteral("marked") : QStringLiteral("unmarked"));
    QString text = QStringLiteral("%1: %2").arg(
            first.name,
            done ? QStringLiteral("marked ") + doneWord(first.kind)
                 : QStringLiteral("marked not ") + doneWord(first.kind));
    const QList<Entry> others = progresstool::otherNamesakes(first);
    if (!others.isEmpty())
        text += QStringLiteral("; the %1 in %2 is another quest and stays as it is")
                        .arg(first.name, others.first().caption);
    return text;
}

void TrackerWindow::showStatus(const QString &message)
{
    m_status->setText(message);
}

void TrackerWindow::showFiles()
{
    int totals[2] = { 0, 0 };
    for (const Entry &entry : progresstool::catalogEntries()) {
        const bool done = m_folder->isDone(entry);
        list(entry.kind, entry.tab)->setChecked(entry.index, done);
        totals[entry.kind == Kind::Quest] += done;
    }
    for (int r = 0; r < catalog::RegionCount; ++r) {
        int done = 0;
        for (int i = 0; i < catalog::uniqueMonsterCount(r); ++i)
            done += list(Kind::Unique, r)->isChecked(i);
        m_regionTabs->setTabProgress(r, done, catalog::uniqueMonsterCount(r),
                                     doneWord(Kind::Unique));
    }
    for (int g = 0; g < catalog::QuestGroupCount; ++g) {
        int done = 0;
        for (int i = 0; i < catalog::questCount(g); ++i)
            done += list(Kind::Quest, g)->isChecked(i);
        m_questTabs->setTabProgress(g, done, catalog::questCount(g), doneWord(Kind::Quest));
    }
    m_regionTabs->setTabProgress(QuestsTab, totals[1], catalog::QuestCount, doneWord(Kind::Quest));
    m_totals->setText(QStringLiteral("Uniques: %1 of %2 \u00b7 Quests: %3 of %4")
                              .arg(totals[0])
                              .arg(catalog::UniqueMonsterCount)
                              .arg(totals[1])
                              .arg(catalog::QuestCount));
    m_problem->setText(m_folder->problem());
    m_problem->setVisible(!m_folder->problem().isEmpty());
    if (!m_find->isHidden())
        m_find->refreshMarks();
}

void TrackerWindow::reveal(const Entry &entry)
{
    if (entry.kind == Kind::Unique) {
        m_regionTabs->setTab(entry.tab);
    } else {
        m_regionTabs->setTab(QuestsTab);
        m_questTabs->setTab(entry.tab);
    }
    list(entry.kind, entry.tab)->setCurrentRow(entry.index);
}

void TrackerWindow::keyPressEvent(QKeyEvent *event)
{
    if (isFindText(event)) {
        m_find->open(event->text());
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TrackerWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    placeFind();
}

void TrackerWindow::placeFind()
{
    const QWidget *client = centralWidget();
    const int width = 470;
    m_find->setGeometry(client->width() - width - 12, 40, width, m_find->sizeHint().height());
}

// The server holds marks the files do not: asked once, without holding up
// the window.
void TrackerWindow::askAboutServer(const publishing::PublishOutcome &outcome)
{
    auto *question = new QMessageBox(
            QMessageBox::Question, QStringLiteral("Publishing"),
            QStringLiteral("The server holds %1 marked done that this "
                           "folder does not.")
                    .arg(outcome.serverOnly.size() == 1
                                 ? QStringLiteral("1 entry")
                                 : QStringLiteral("%1 entries").arg(outcome.serverOnly.size())),
            QMessageBox::NoButton, this);
    question->setObjectName(QStringLiteral("ServerHasMore"));
    question->setInformativeText(outcome.serverOnly.join(QStringLiteral(", ")));
    question->setAttribute(Qt::WA_DeleteOnClose);
    QPushButton *takeIn =
            question->addButton(QStringLiteral("&Take them in"), QMessageBox::AcceptRole);
    takeIn->setObjectName(QStringLiteral("TakeThemIn"));
    QPushButton *mine =
            question->addButton(QStringLiteral("&Publish mine"), QMessageBox::DestructiveRole);
    mine->setObjectName(QStringLiteral("PublishMine"));
    QPushButton *later = question->addButton(QStringLiteral("&Not now"), QMessageBox::RejectRole);
    later->setObjectName(QStringLiteral("NotNow"));
    question->setDefaultButton(takeIn);
    connect(question, &QMessageBox::buttonClicked, this,
            [this, outcome, takeIn, mine](QAbstractButton *button) {
                if (button == takeIn)
                    takeInServerMarks(outcome);
                else if (button == mine)
                    m_publisher->answer(AutoPublisher::Answer::PublishMine);
                else
                    m_publisher->answer(AutoPublisher::Answer::NotNow);
            });
    question->open();
}

void TrackerWindow::takeInServerMarks(const publishing::PublishOutcome &outcome)
{
    QList<Entry> entries;
    for (const Entry &entry : progresstool::catalogEntries()) {
        const QByteArray &server =
                entry.kind == Kind::Unique ? outcome.serverUniques : outcome.serverQuests;
        if (entry.position <= server.size() && server[entry.position - 1] == '1'
            && !m_folder->isDone(entry))
            entries.append(entry);
    }
    m_publisher->answer(AutoPublisher::Answer::TakeThemIn);
    markAll(entries, QStringLiteral("Take in %1 marks from the server").arg(entries.size()));
}

void TrackerWindow::editAccount()
{
    auto *dialog = new AccountDialog(m_account->account(), m_account->inMemoryOnly(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this,
            [this, dialog] { m_account->save(dialog->account()); });
    dialog->open();
}

// Asked once per run: without a keyring the password is kept in memory.
void TrackerWindow::askPassword(const QString &why)
{
    auto *dialog = new QInputDialog(this);
    dialog->setObjectName(QStringLiteral("PasswordQuestion"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Publishing Password"));
    dialog->setLabelText(why
                         + QStringLiteral("\nPassword for %1 on %2:")
                                   .arg(m_account->account().user, m_account->account().host));
    dialog->setTextEchoMode(QLineEdit::Password);
    connect(dialog, &QInputDialog::textValueSelected, this, [this](const QString &password) {
        m_account->setPasswordForThisRun(password.toUtf8());
    });
    dialog->open();
    if (m_account->inMemoryOnly())
        showStatus(QStringLiteral("No keyring answers: the password is kept only while the "
                                  "tracker runs"));
}
