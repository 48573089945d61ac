#pragma once

#include "publisher.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>

class ProgressFolder;

// Publishes the progress files by itself: a while after the last change, so
// that a burst of clicks goes up as one upload; again and again, backing off
// to once a minute, while the server cannot take it; and at start when the
// files hold changes the last publish did not (the folder's record of what
// it published last says which). It says where things stand in words.
//
// When the server holds entries done that the files do not, it uploads
// nothing and asks once, through serverHasMore(); until answer() comes it
// only publishes when told to (Publish Now).
class AutoPublisher : public QObject
{
    Q_OBJECT

public:
    enum class Answer { TakeThemIn, PublishMine, NotNow };

    AutoPublisher(ProgressFolder *folder, QObject *parent = nullptr);

    // The account to publish with; nothing goes out before one is set.
    void setAccount(const publishing::FtpAccount &account);
    publishing::FtpAccount account() const { return m_options.account; }
    // The clients to run, for a test's own.
    void setClients(const QString &upload, const QString &download, const QString &list);
    // The quiet time after a change, and the first wait after a failure (it
    // doubles up to a minute).
    void setDelays(int settleMs, int firstRetryMs);

    // A change reached the files.
    void changed();
    // Publishes at once, whatever waits; asks again about a server with more.
    void publishNow();
    void answer(Answer answer);
    // Looks at the record once the folder is open: pending changes go out.
    void folderOpened();

    bool isRunning() const { return m_publisher.isRunning(); }
    int pendingChanges() const;
    QString stateText() const { return m_state; }

    static constexpr int SettleMs = 2000;
    static constexpr int FirstRetryMs = 5000;
    static constexpr int LongestRetryMs = 60000;

Q_SIGNALS:
    void stateChanged(const QString &text);
    // The server holds these flag texts, with entries done the files do not.
    void serverHasMore(const publishing::PublishOutcome &outcome);

private:
    void start(bool force);
    void startWhenPending();
    void finished(const publishing::PublishOutcome &outcome);
    void retryLater(const QString &why);
    void showPending();
    void setState(const QString &text);

    ProgressFolder *m_folder;
    publishing::Publisher m_publisher;
    publishing::Publisher::Options m_options;
    QTimer m_settle;
    QTimer m_retry;
    int m_firstRetryMs = FirstRetryMs;
    int m_nextRetryMs = FirstRetryMs;
    bool m_changedMeanwhile = false;
    bool m_hasAccount = false;
    bool m_awaitingAnswer = false; // the server holds more: no upload by itself
    QString m_state;
};
