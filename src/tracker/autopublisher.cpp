#include "autopublisher.h"

#include "flagfile.h"
#include "progressfolder.h"
#include "publishrecord.h"

#include <QDir>
#include <QFileInfo>

using publishing::PublishOutcome;
using Result = publishing::PublishOutcome::Result;

namespace {

QString timeOfDay(const QDateTime &when, const QString &format)
{
    return when.toString(format);
}

// The reason a publish failed, as the status bar says it.
QString failureInWords(const PublishOutcome &outcome)
{
    switch (outcome.result) {
    case Result::LoginRefused:
        return QStringLiteral("the server refused the login");
    case Result::Unreachable:
        return QStringLiteral("the server cannot be reached");
    case Result::TimedOut:
        return QStringLiteral("the server did not answer in time");
    case Result::FolderBusy:
        return QStringLiteral("another program is working on the progress files");
    default:
        return outcome.reason;
    }
}

int differences(const QByteArray &now, const QByteArray &published, int count)
{
    int changes = 0;
    for (int k = 0; k < count; ++k) {
        const bool done = k < now.size() && now[k] == '1';
        const bool was = k < published.size() && published[k] == '1';
        changes += done != was;
    }
    return changes;
}

} // namespace

AutoPublisher::AutoPublisher(ProgressFolder *folder, QObject *parent)
    : QObject(parent), m_folder(folder)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(SettleMs);
    m_retry.setSingleShot(true);
    connect(&m_settle, &QTimer::timeout, this, &AutoPublisher::startWhenPending);
    connect(&m_retry, &QTimer::timeout, this, &AutoPublisher::startWhenPending);
    connect(&m_publisher, &publishing::Publisher::finished, this, &AutoPublisher::finished);
}

void AutoPublisher::setAccount(const publishing::FtpAccount &account)
{
    const bool first = !m_hasAccount;
    m_options.account = account;
    m_hasAccount = true;
    if (first || !m_publisher.isRunning())
        folderOpened();
}

void AutoPublisher::setClients(const QString &upload, const QString &download, const QString &list)
{
    m_options.uploadClient = upload;
    m_options.downloadClient = download;
    m_options.listClient = list;
}

void AutoPublisher::setDelays(int settleMs, int firstRetryMs)
{
    m_settle.setInterval(settleMs);
    m_firstRetryMs = m_nextRetryMs = firstRetryMs;
}

int AutoPublisher::pendingChanges() const
{
    const publishing::PublishRecord record =
            publishing::PublishRecord::read(m_folder->path(), m_options.account);
    return differences(m_folder->flags(progresstool::Kind::Unique), record.uniques,
                       progresstool::flagCount(progresstool::Kind::Unique))
            + differences(m_folder->flags(progresstool::Kind::Quest), record.quests,
                          progresstool::flagCount(progresstool::Kind::Quest));
}

void AutoPublisher::folderOpened()
{
    if (!m_hasAccount) {
        setState(QStringLiteral("Not published yet: waiting for the account's password"));
        return;
    }
    m_publisher.cancel();
    m_awaitingAnswer = false;
    m_retry.stop();
    m_nextRetryMs = m_firstRetryMs;
    if (pendingChanges() > 0) {
        showPending();
        m_settle.start();
        return;
    }
    const QFileInfo record(QDir(m_folder->path()).filePath(publishing::PublishRecord::FileName));
    setState(record.exists()
                     ? QStringLiteral("Published at %1")
                               .arg(timeOfDay(record.lastModified(), QStringLiteral("HH:mm:ss")))
                     : QStringLiteral("Nothing to publish yet"));
}

void AutoPublisher::changed()
{
    if (m_publisher.isRunning()) {
        m_changedMeanwhile = true;
        return;
    }
    if (m_awaitingAnswer || !m_hasAccount || pendingChanges() == 0)
        return;
    showPending();
    // A failed publish waits for its retry; a new change need not wait as
    // long, the server may be back.
    m_retry.stop();
    m_settle.start();
}

void AutoPublisher::publishNow()
{
    m_awaitingAnswer = false;
    m_settle.stop();
    m_retry.stop();
    if (!m_publisher.isRunning())
        start(false);
}

void AutoPublisher::answer(Answer answer)
{
    switch (answer) {
    case Answer::TakeThemIn:
        // The marks taken in are a change of their own, published as any.
        m_awaitingAnswer = false;
        break;
    case Answer::PublishMine:
        m_awaitingAnswer = false;
        start(true);
        break;
    case Answer::NotNow:
        m_awaitingAnswer = true;
        setState(QStringLiteral("Not published: the server holds marks this folder does not. "
                                "File > Publish Now asks again"));
        break;
    }
}

// Marks taken back before they went out leave nothing to publish.
void AutoPublisher::startWhenPending()
{
    if (pendingChanges() > 0)
        start(false);
    else
        folderOpened();
}

void AutoPublisher::start(bool force)
{
    if (m_publisher.isRunning() || !m_hasAccount)
        return;
    m_settle.stop();
    m_retry.stop();
    m_changedMeanwhile = false;
    m_options.folder = m_folder->path();
    m_options.force = force;
    setState(QStringLiteral("Publishing..."));
    m_publisher.start(m_options);
}

void AutoPublisher::finished(const PublishOutcome &outcome)
{
    switch (outcome.result) {
    case Result::Published:
        m_nextRetryMs = m_firstRetryMs;
        setState(QStringLiteral("Published at %1")
                         .arg(timeOfDay(QDateTime::currentDateTime(), QStringLiteral("HH:mm:ss"))));
        if (m_changedMeanwhile || pendingChanges() > 0) {
            showPending();
            m_settle.start();
        }
        return;
    case Result::ServerHasMore:
        m_awaitingAnswer = true;
        setState(QStringLiteral("Not published: the server holds marks this folder does not"));
        Q_EMIT serverHasMore(outcome);
        return;
    case Result::Interrupted:
        return;
    case Result::LocalFilesBad:
        setState(QStringLiteral("Not published: ") + outcome.reason);
        return;
    default:
        retryLater(failureInWords(outcome));
        return;
    }
}

void AutoPublisher::retryLater(const QString &why)
{
    const QDateTime when = QDateTime::currentDateTime().addMSecs(m_nextRetryMs);
    m_retry.start(m_nextRetryMs);
    setState(QStringLiteral("Not published: %1. Trying again at %2")
                     .arg(why,
                          timeOfDay(when,
                                    m_nextRetryMs >= LongestRetryMs ? QStringLiteral("HH:mm")
                                                                    : QStringLiteral("HH:mm:ss"))));
    m_nextRetryMs = std::min(2 * m_nextRetryMs, LongestRetryMs);
}

void AutoPublisher::showPending()
{
    const int count = pendingChanges();
    if (count == 0)
        return;
    setState(count == 1 ? QStringLiteral("1 change not yet published")
                        : QStringLiteral("%1 changes not yet published").arg(count));
}

void AutoPublisher::setState(const QString &text)
{
    if (text == m_state)
        return;
    m_state = text;
    Q_EMIT stateChanged(text);
}
