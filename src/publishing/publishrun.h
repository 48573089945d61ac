#pragma once

#include "clientrun.h"
#include "loginfile.h"
#include "publisher.h"
#include "publishrecord.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QObject>
#include <QTemporaryDir>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <optional>

// One publish from start to outcome, step by step from the event loop:
//   read the local files (under the folder's lock) and the server's;
//   refuse when the server holds more than this folder and its record allow;
//   upload both, read them back; while a rival's upload replaced ours, take
//   its marks into the local files and upload again after a random pause;
//   once the server holds ours twice in a row, write the record and remove
//   leftover uploads of earlier runs.
namespace publishing {

class PublishRun : public QObject
{
    Q_OBJECT

public:
    PublishRun(const Publisher::Options &options, QObject *parent = nullptr);
    ~PublishRun() override;

    void start();
    void cancel();

Q_SIGNALS:
    void finished(const publishing::PublishOutcome &outcome);

private:
    enum class Step { ReadServer, Upload, ReadBack, ListLeftovers, RemoveLeftovers };
    // The two files' flag texts, uniques first.
    using FlagPair = std::array<QByteArray, 2>;

    void prepare();
    // Runs `work` under the folder's lock, trying again from the event loop
    // while another run holds it; finishes the publish when it gives up.
    void withFolderLock(const std::function<void()> &work);
    void tryLockedWork();
    void takeSnapshot();
    void readServer();
    void upload();
    void readBack();
    void listLeftovers();
    void removeLeftovers(const QStringList &names);
    void clientFinished(const publishing::ClientResult &result);
    void serverRead(const FlagPair &server);
    void readBackDone(const FlagPair &server);
    void takeInRivalMarks(const FlagPair &server, bool thenUpload);
    void recordPublished();
    void published();
    void afterRandomPause(void (PublishRun::*next)(), int atLeastMs = 0);

    void runClient(Step step, const QString &client, const QStringList &arguments,
                   const QString &folder);
    FlagPair serverFlags(const QString &folder) const;
    QString serverName() const;
    QString folderPath(const QString &name) const;
    void fail(PublishOutcome::Result result, const QString &reason);
    void finish(PublishOutcome outcome);

    Publisher::Options m_options;
    QDeadlineTimer m_deadline;
    QTemporaryDir m_work;
    std::unique_ptr<LoginFile> m_login;
    ClientRun m_client;
    Step m_step = Step::ReadServer;
    QTimer m_pause;
    QTimer m_lockRetry;
    QDeadlineTimer m_lockDeadline;
    std::function<void()> m_lockedWork;
    QString m_uploadClient;
    QString m_downloadClient;
    QString m_listClient;
    QString m_suffix;
    FlagPair m_local; // what goes up next: the local files' flags
    std::array<QByteArray, 2> m_localBytes; // the local files as they were read
    FlagPair m_record;
    FlagPair m_lastServer;
    QStringList m_merged;
    int m_uploads = 0;
    int m_confirmations = 0;
    QElapsedTimer m_readToRename; // from the read an upload rests on to its rename
    qint64 m_readToRenameMs = 0;
    bool m_done = false;
};

// The name of a temporary upload of ours: `<file>.part.<pid>.<random>`.
QString uploadSuffix();
// Whether `name` is a temporary upload that a run of ours left.
bool isLeftoverUpload(const QString &name);

} // namespace publishing
