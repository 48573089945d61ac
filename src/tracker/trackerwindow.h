#pragma once

#include "entrynames.h"
#include "publisher.h"

#include <QMainWindow>

#include <vector>

class AutoPublisher;
class CheckList;
class PublishingAccount;
class EntryDetails;
class FindPanel;
class ProgressFolder;
class QLabel;
class QUndoStack;
class TabControl;

// Huntmark Tracker's window: the viewer's region tabs and quest groups, with
// a check box on every line that the player clicks to mark what they have
// done. Every mark is in the progress files before the click returns.
class TrackerWindow : public QMainWindow
{
    Q_OBJECT

public:
    using Entry = progresstool::Entry;
    using Kind = progresstool::Kind;

    // Follows the progress files in `folder`; pictures come from
    // `pictureFolder`.
    TrackerWindow(const QString &folder, const QString &pictureFolder, QWidget *parent = nullptr);

    void openFolder(const QString &folder);
    ProgressFolder *progressFolder() const { return m_folder; }
    QUndoStack *undoStack() const { return m_undo; }
    FindPanel *findPanel() const { return m_find; }
    AutoPublisher *autoPublisher() const { return m_publisher; }
    TabControl *regionTabs() const { return m_regionTabs; }
    TabControl *questTabs() const { return m_questTabs; }
    CheckList *list(Kind kind, int tab) const;

    // Turns an entry and its namesakes done or not done, as one step.
    void toggle(const Entry &entry);
    // Marks entries done as one undoable step (what the server held).
    void markAll(const QList<Entry> &entries, const QString &stepName);
    // Selects the entry's tabs and line, as if clicked.
    void reveal(const Entry &entry);
    void showStatus(const QString &message);

    // The default folder: the tracker's own data folder.
    static QString defaultFolder();

Q_SIGNALS:
    // A change of ours reached the files.
    void marksWritten();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildMenus();
    QWidget *buildTabs(const QString &pictureFolder);
    void addPage(Kind kind, int tab, QWidget *page, const QString &pictureFolder);
    bool apply(const QList<Entry> &entries, bool done);
    QString describe(const QList<Entry> &entries, bool done) const;
    void showFiles();
    void placeFind();
    void chooseFolder();
    void toggleLine(Kind kind, int tab, int row);
    void askAboutServer(const publishing::PublishOutcome &outcome);
    void takeInServerMarks(const publishing::PublishOutcome &outcome);
    void editAccount();
    void askPassword(const QString &why);

    ProgressFolder *m_folder;
    QUndoStack *m_undo;
    QLabel *m_totals;
    QLabel *m_problem;
    QLabel *m_status;
    TabControl *m_regionTabs = nullptr;
    TabControl *m_questTabs = nullptr;
    std::vector<CheckList *> m_uniqueLists;
    std::vector<CheckList *> m_questLists;
    FindPanel *m_find;
    PublishingAccount *m_account;
    AutoPublisher *m_publisher;
    QLabel *m_publishState;
};
