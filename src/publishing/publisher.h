#pragma once

#include "keyring.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

// Publishing the two progress files on the FTP server, for huntmark-progress
// and for any window that publishes by itself. A publish reads what the
// server holds first, uploads both files under temporary names of its own
// that the client renames over the live files, then reads the server's files
// back: when a rival publish replaced ours meanwhile, the two are merged and
// uploaded again, so that publishers at once all land. The clients run as
// processes watched from the event loop; nothing here ever blocks it.
namespace publishing {

struct FtpAccount
{
    QString host;
    QString user;
    QByteArray password;
    int port = 0; // 0: the client's default
};

// The host, account and password the viewer is built to fetch from.
FtpAccount builtInAccount();

struct PublishOutcome
{
    enum class Result {
        Published, // the server holds every entry of this folder (read back and checked)
        ServerHasMore, // the server holds entries done that the folder does not (and that
                       // this folder did not deliberately undo): nothing uploaded
        LoginRefused,
        Unreachable,
        ClientMissing,
        LocalFilesBad,
        Failed,
        Interrupted,
        TimedOut,
        FolderBusy // another run held the folder's lock all the time
    };
    Result result = Result::Failed;
    QString reason; // one line in words, for a status bar or standard error
    QStringList serverOnly; // entry names done on the server only (ServerHasMore)
    QByteArray serverUniques; // the server's flag texts as read (ServerHasMore), catalog order
    QByteArray serverQuests;
    bool serverUnread = false; // the server's files could not be read before uploading
    QStringList merged; // entries another publisher had done, taken into the local files
    int uploads = 0; // rounds of uploading both files it took
};

class PublishRun;

class Publisher : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        QString folder; // the two progress files lie here
        FtpAccount account;
        QString uploadClient = QStringLiteral("ncftpput");
        QString downloadClient = QStringLiteral("ncftpget");
        QString listClient = QStringLiteral("ncftpls"); // finds leftover uploads to remove
        bool force = false; // publish even when the server holds more ("Publish mine")
        int deadlineMs = 45000; // the whole publish ends within this
        int lockWaitMs = 10000; // how long it waits for the folder's lock
    };

    explicit Publisher(QObject *parent = nullptr);
    ~Publisher() override;

    // Returns at once; runs the clients as processes from the event loop and
    // emits finished() once. A start while a publish runs is ignored.
    void start(const Options &options);
    bool isRunning() const;
    // Ends the clients; the server keeps a whole file. finished() follows
    // with Interrupted.
    void cancel();

Q_SIGNALS:
    void finished(const publishing::PublishOutcome &outcome);

private:
    void runFinished(const publishing::PublishOutcome &outcome);

    std::unique_ptr<PublishRun> m_run;
};

// For command-line callers: runs start() in a local event loop until
// finished. `interrupted`, when given, is asked now and then; when it says
// yes the publish is cancelled.
PublishOutcome publishAndWait(const Publisher::Options &options, bool (*interrupted)() = nullptr);

} // namespace publishing

Q_DECLARE_METATYPE(publishing::PublishOutcome)
