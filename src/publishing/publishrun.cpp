#include "publishrun.h"

#include "entrynames.h"
#include "filechanges.h"
#include "flagfile.h"
#include "folderlock.h"
#include "mergedecision.h"

#include "firstfield.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>

namespace publishing {

using progresstool::Kind;

namespace {

constexpr std::array Kinds { Kind::Unique, Kind::Quest };
// A rival's upload that was on its way when ours was read back lands within
// this pause; the random part keeps rivals from moving in step.
constexpr int ShortestPauseMs = 150;
constexpr int LongestPauseMs = 700;
constexpr int LockRetryMs = 20;
// The server has to say twice in a row that it holds ours.
constexpr int ConfirmationsNeeded = 2;
// A temporary upload older than this by the server's clock belongs to a run
// that ended without renaming it.
constexpr qint64 LeftoverAgeSeconds = 5 * 60;
// Leftovers are removed only while this much of the deadline is left.
constexpr int LeftoverTimeMs = 5000;

const QRegularExpression &leftoverPattern()
{
    static const QRegularExpression pattern(
            QStringLiteral("^(UniquesDefeated|QuestsCleared)\\.txt\\.part\\.\\d+\\.[0-9a-f]{8}$"));
    return pattern;
}

QString findClient(const QString &client)
{
    if (QDir::isAbsolutePath(client))
        return QFileInfo(client).isExecutable() ? client : QString();
    return QStandardPaths::findExecutable(client);
}

int index(Kind kind)
{
    return kind == Kind::Unique ? 0 : 1;
}

QByteArray padded(const QByteArray &flags, Kind kind)
{
    return flags.isEmpty() ? QByteArray(progresstool::flagCount(kind), '0') : flags;
}

QStringList entryNames(const QByteArray &mask, Kind kind)
{
    QStringList names;
    for (const progresstool::Entry &entry : progresstool::catalogEntries()) {
        if (entry.kind == kind && mask[entry.position - 1] == '1')
            names.append(progresstool::nameToType(entry));
    }
    return names;
}

PublishOutcome::Result resultOf(ClientResult::Kind kind)
{
    switch (kind) {
    case ClientResult::Kind::LoginRefused:
        return PublishOutcome::Result::LoginRefused;
    case ClientResult::Kind::Unreachable:
        return PublishOutcome::Result::Unreachable;
    case ClientResult::Kind::TimedOut:
        return PublishOutcome::Result::TimedOut;
    case ClientResult::Kind::Cancelled:
        return PublishOutcome::Result::Interrupted;
    default:
        return PublishOutcome::Result::Failed;
    }
}

// The MLSD line's time of last change, in seconds since the epoch (UTC).
std::optional<qint64> modifiedAt(const QByteArray &facts)
{
    static const QRegularExpression modify(QStringLiteral("(?:^|;)modify=(\\d{14})"));
    const QRegularExpressionMatch match = modify.match(QString::fromLatin1(facts));
    if (!match.hasMatch())
        return std::nullopt;
    QDateTime when = QDateTime::fromString(match.captured(1), QStringLiteral("yyyyMMddHHmmss"));
    if (!when.isValid())
        return std::nullopt;
    when.setTimeSpec(Qt::UTC);
    return when.toSecsSinceEpoch();
}

} // namespace

QString uploadSuffix()
{
    return QStringLiteral(".part.%1.%2")
            .arg(QCoreApplication::applicationPid())
            .arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
}

bool isLeftoverUpload(const QString &name)
{
    return leftoverPattern().match(name).hasMatch();
}

PublishRun::PublishRun(const Publisher::Options &options, QObject *parent)
    : QObject(parent), m_options(options), m_deadline(options.deadlineMs)
{
    m_pause.setSingleShot(true);
    m_lockRetry.setSingleShot(true);
    connect(&m_client, &ClientRun::finished, this, &PublishRun::clientFinished);
    connect(&m_lockRetry, &QTimer::timeout, this, &PublishRun::tryLockedWork);
}

PublishRun::~PublishRun() = default;

void PublishRun::start()
{
    // Queued, so that finished() never comes before start() returns.
    QTimer::singleShot(0, this, &PublishRun::prepare);
}

void PublishRun::cancel()
{
    if (m_done)
        return;
    if (m_client.isRunning()) {
        m_client.cancel();
        return;
    }
    m_pause.stop();
    m_lockRetry.stop();
    fail(PublishOutcome::Result::Interrupted,
         QStringLiteral("stopped; the files on the server are whole, old or new"));
}

QString PublishRun::serverName() const
{
    const FtpAccount &account = m_options.account;
    return account.port > 0 ? QStringLiteral("%1:%2").arg(account.host).arg(account.port)
                            : account.host;
}

QString PublishRun::folderPath(const QString &name) const
{
    return QDir(m_work.path()).filePath(name);
}

void PublishRun::fail(PublishOutcome::Result result, const QString &reason)
{
    PublishOutcome outcome;
    outcome.result = result;
    outcome.reason = reason;
    finish(outcome);
}

void PublishRun::finish(PublishOutcome outcome)
{
    if (m_done)
        return;
    m_done = true;
    outcome.merged = m_merged;
    outcome.uploads = m_uploads;
    Q_EMIT finished(outcome);
}

void PublishRun::prepare()
{
    for (const QString &value : { m_options.account.host, m_options.account.user }) {
        // One line each in the login file: a line break would start another entry.
        if (value.isEmpty() || value.contains(QLatin1Char('\n'))
            || value.contains(QLatin1Char('\r')))
            return fail(PublishOutcome::Result::Failed,
                        QStringLiteral("the FTP host and user must be one line of text each"));
    }
    m_uploadClient = findClient(m_options.uploadClient);
    m_downloadClient = findClient(m_options.downloadClient);
    m_listClient = findClient(m_options.listClient);
    for (const auto &[found, name] : { std::pair { m_uploadClient, m_options.uploadClient },
                                       { m_downloadClient, m_options.downloadClient } }) {
        if (found.isEmpty())
            return fail(PublishOutcome::Result::ClientMissing,
                        QStringLiteral("%1 not found: install Debian's ncftp package (apt "
                                       "install ncftp)")
                                .arg(name));
    }
    if (!m_work.isValid())
        return fail(PublishOutcome::Result::Failed,
                    QStringLiteral("cannot make a temporary folder: %1").arg(m_work.errorString()));
    for (const QString &name :
         { QStringLiteral("server"), QStringLiteral("upload"), QStringLiteral("readback") }) {
        if (!QDir(m_work.path()).mkdir(name))
            return fail(PublishOutcome::Result::Failed,
                        QStringLiteral("cannot make a temporary folder in %1").arg(m_work.path()));
    }
    QString problem;
    m_login = std::make_unique<LoginFile>(m_options.account, &problem);
    if (!m_login->valid())
        return fail(PublishOutcome::Result::Failed, problem);
    m_suffix = uploadSuffix();
    withFolderLock([this] { takeSnapshot(); });
}

void PublishRun::withFolderLock(const std::function<void()> &work)
{
    m_lockDeadline = QDeadlineTimer(m_options.lockWaitMs);
    m_lockedWork = work;
    tryLockedWork();
}

// The lock is held only for the moment the work takes, never across a
// client run, so that a mark made meanwhile waits a moment at most.
void PublishRun::tryLockedWork()
{
    if (m_done)
        return;
    const std::function<void()> work = m_lockedWork;
    progresstool::FolderLock lock(m_options.folder);
    switch (lock.acquire(0)) {
    case progresstool::FolderLock::Result::Locked:
    case progresstool::FolderLock::Result::Impossible: // a folder no run may write to
        m_lockedWork = {};
        work();
        return;
    case progresstool::FolderLock::Result::NotAFile:
        return fail(PublishOutcome::Result::LocalFilesBad, lock.problem());
    case progresstool::FolderLock::Result::Interrupted:
        return fail(PublishOutcome::Result::Interrupted,
                    QStringLiteral("stopped while waiting for the progress files"));
    case progresstool::FolderLock::Result::Busy:
        break;
    }
    if (m_lockDeadline.hasExpired() || m_deadline.hasExpired())
        return fail(PublishOutcome::Result::FolderBusy,
                    QStringLiteral("%1 is still working on the progress files in %2")
                            .arg(lock.holder(), m_options.folder));
    m_lockRetry.start(LockRetryMs);
}

// The local files as they are now: what goes up next.
void PublishRun::takeSnapshot()
{
    const PublishRecord record = PublishRecord::read(m_options.folder, m_options.account);
    m_record = { padded(record.uniques, Kind::Unique), padded(record.quests, Kind::Quest) };
    for (Kind kind : Kinds) {
        const QString name = progresstool::flagFileName(kind);
        const progresstool::FlagLoad load =
                progresstool::loadFlags(QDir(m_options.folder).filePath(name), kind);
        if (load.status != progresstool::FlagLoad::Status::Read)
            return fail(
                    PublishOutcome::Result::LocalFilesBad,
                    load.status == progresstool::FlagLoad::Status::Missing
                            ? QStringLiteral("there is no %1 to publish").arg(name)
                            : QStringLiteral("%1 cannot be published: %2").arg(name, load.problem));
        m_local[index(kind)] = load.flags;
        m_localBytes[index(kind)] = load.bytes;
    }
    // "Publish mine" needs no look at the server first.
    if (m_options.force)
        upload();
    else
        readServer();
}

void PublishRun::runClient(Step step, const QString &client, const QStringList &arguments,
                           const QString &folder)
{
    const int remaining = int(m_deadline.remainingTime());
    if (m_deadline.hasExpired() || remaining <= 0)
        return fail(PublishOutcome::Result::TimedOut,
                    QStringLiteral("publishing to %1 did not finish within %2 s")
                            .arg(serverName())
                            .arg(m_options.deadlineMs / 1000));
    m_step = step;
    m_client.start(client,
                   ClientRun::commonArguments(*m_login, m_options.account.port, remaining)
                           + arguments,
                   folder, *m_login, remaining);
}

void PublishRun::readServer()
{
    m_readToRename.start();
    const QString folder = folderPath(QStringLiteral("server"));
    runClient(Step::ReadServer, m_downloadClient,
              { QStringLiteral("-V"), QStringLiteral("-Z"), QStringLiteral("."),
                progresstool::flagFileName(Kind::Unique), progresstool::flagFileName(Kind::Quest) },
              folder);
}

void PublishRun::upload()
{
    // What goes up is the snapshot, not the live files: a mark made
    // meanwhile goes with the next publish, never half of it with this one.
    for (Kind kind : Kinds) {
        const int at = index(kind);
        QFile file(QDir(folderPath(QStringLiteral("upload")))
                           .filePath(progresstool::flagFileName(kind)));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || file.write(m_localBytes[at]) != m_localBytes[at].size() || !file.flush())
            return fail(PublishOutcome::Result::Failed,
                        QStringLiteral("cannot copy %1 for the upload: %2")
                                .arg(progresstool::flagFileName(kind), file.errorString()));
    }
    ++m_uploads;
    m_confirmations = 0;
    if (!m_readToRename.isValid())
        m_readToRename.start();
    runClient(Step::Upload, m_uploadClient,
              { QStringLiteral("-V"), QStringLiteral("-S"), m_suffix, QStringLiteral("."),
                progresstool::flagFileName(Kind::Unique), progresstool::flagFileName(Kind::Quest) },
              folderPath(QStringLiteral("upload")));
}

void PublishRun::readBack()
{
    runClient(Step::ReadBack, m_downloadClient,
              { QStringLiteral("-V"), QStringLiteral("-Z"), QStringLiteral("."),
                progresstool::flagFileName(Kind::Unique), progresstool::flagFileName(Kind::Quest) },
              folderPath(QStringLiteral("readback")));
}

void PublishRun::listLeftovers()
{
    if (m_listClient.isEmpty() || m_deadline.remainingTime() < LeftoverTimeMs)
        return published();
    const QString url = QStringLiteral("ftp://%1/").arg(serverName());
    runClient(Step::ListLeftovers, m_listClient, { QStringLiteral("-m"), url },
              folderPath(QStringLiteral("server")));
}

void PublishRun::removeLeftovers(const QStringList &names)
{
    if (names.isEmpty() || m_deadline.remainingTime() < LeftoverTimeMs)
        return published();
    QStringList arguments { QStringLiteral("-1") };
    for (const QString &name : names)
        arguments << QStringLiteral("-Y") << QStringLiteral("DELE ") + name;
    arguments << QStringLiteral("ftp://%1/").arg(serverName());
    runClient(Step::RemoveLeftovers, m_listClient, arguments, folderPath(QStringLiteral("server")));
}

PublishRun::FlagPair PublishRun::serverFlags(const QString &folder) const
{
    FlagPair flags;
    for (Kind kind : Kinds) {
        const int count = progresstool::flagCount(kind);
        // Read as the viewer reads it: only "1" is done.
        const auto scan = progress::scanFlagFile(
                QDir(folder).filePath(progresstool::flagFileName(kind)), 0, count);
        QByteArray done(count, '0');
        for (qsizetype at = 0; scan && at < std::min<qsizetype>(count, scan->head.size()); ++at)
            done[at] = scan->head[at] == '1' ? '1' : '0';
        flags[index(kind)] = done;
    }
    return flags;
}

void PublishRun::clientFinished(const ClientResult &result)
{
    const Step step = m_step;
    const bool read = step == Step::ReadServer || step == Step::ReadBack;
    if (step == Step::ListLeftovers || step == Step::RemoveLeftovers) {
        // Tidying up never turns a publish into a failure.
        if (result.kind == ClientResult::Kind::Cancelled)
            return fail(PublishOutcome::Result::Interrupted, result.reason);
        if (step == Step::RemoveLeftovers || result.kind != ClientResult::Kind::Succeeded)
            return published();
        // The newest file on the server is the one just published: its
        // time is the server's now, whatever the clocks here say.
        qint64 newest = 0;
        QList<std::pair<QString, qint64>> parts;
        for (const QByteArray &line : result.output.split('\n')) {
            const qsizetype space = line.indexOf("; ");
            const auto when = modifiedAt(line.left(space));
            if (space < 0 || !when)
                continue;
            newest = std::max(newest, *when);
            const QString name = QString::fromUtf8(line.mid(space + 2).trimmed());
            if (isLeftoverUpload(name))
                parts.append({ name, *when });
        }
        QStringList old;
        for (const auto &[name, when] : parts) {
            if (newest - when > LeftoverAgeSeconds)
                old.append(name);
        }
        return removeLeftovers(old);
    }
    const bool fileMissing = read && result.kind == ClientResult::Kind::NoSuchFile;
    if (result.kind != ClientResult::Kind::Succeeded && !fileMissing) {
        const QString what = step == Step::Upload
                ? QStringLiteral("uploading %1 and %2 to %3 as %4")
                          .arg(progresstool::flagFileName(Kind::Unique),
                               progresstool::flagFileName(Kind::Quest), serverName(),
                               m_options.account.user)
                : QStringLiteral("reading the files on %1 as %2")
                          .arg(serverName(), m_options.account.user);
        PublishOutcome outcome;
        outcome.result = resultOf(result.kind);
        outcome.reason = result.kind == ClientResult::Kind::Cancelled
                ? QStringLiteral("stopped; the files on the server are whole, old or new")
                : QStringLiteral("%1 failed: %2").arg(what, result.reason);
        outcome.serverUnread = step == Step::ReadServer;
        return finish(outcome);
    }
    if (fileMissing && step == Step::ReadBack) {
        // Files it has just uploaded are not there to read: an account that
        // may write but not read. The upload stands, unchecked.
        PublishOutcome outcome;
        outcome.result = PublishOutcome::Result::Published;
        outcome.reason = QStringLiteral("published to %1 as %2; the account may not read the "
                                        "files back, so nothing checked that they stayed")
                                 .arg(serverName(), m_options.account.user);
        return finish(outcome);
    }
    switch (step) {
    case Step::ReadServer:
        return serverRead(serverFlags(folderPath(QStringLiteral("server"))));
    case Step::Upload:
        m_readToRenameMs = m_readToRename.elapsed();
        m_readToRename.invalidate();
        return readBack();
    case Step::ReadBack:
        return readBackDone(serverFlags(folderPath(QStringLiteral("readback"))));
    default:
        return;
    }
}

void PublishRun::serverRead(const FlagPair &server)
{
    PublishOutcome refusal;
    for (Kind kind : Kinds) {
        const int at = index(kind);
        refusal.serverOnly += entryNames(serverOnly(m_local[at], server[at], m_record[at]), kind);
    }
    if (refusal.serverOnly.isEmpty())
        return upload();
    refusal.result = PublishOutcome::Result::ServerHasMore;
    refusal.reason = QStringLiteral("%1 holds %2 done that this folder does not: %3")
                             .arg(serverName())
                             .arg(refusal.serverOnly.size())
                             .arg(refusal.serverOnly.join(QStringLiteral(", ")));
    refusal.serverUniques = server[0];
    refusal.serverQuests = server[1];
    finish(refusal);
}

void PublishRun::readBackDone(const FlagPair &server)
{
    m_lastServer = server;
    bool holdsOurs = true;
    for (Kind kind : Kinds) {
        const int at = index(kind);
        holdsOurs = holdsOurs && serverHoldsOurs(m_local[at], server[at], m_record[at]);
    }
    m_readToRename.start();
    if (!holdsOurs) {
        // A rival's upload replaced ours: take its marks in and go again.
        withFolderLock([this] { takeInRivalMarks(m_lastServer, true); });
        return;
    }
    if (server != m_local) {
        // A rival's upload that already holds ours, and more.
        withFolderLock([this] { takeInRivalMarks(m_lastServer, false); });
        return;
    }
    if (++m_confirmations < ConfirmationsNeeded) {
        // A rival that read the server before our upload landed may still
        // put its own over ours: its read-to-rename takes about as long as
        // ours did, so look again once that has surely passed.
        return afterRandomPause(&PublishRun::readBack, 2 * int(m_readToRenameMs));
    }
    withFolderLock([this] { recordPublished(); });
}

// The local files with the rival's marks taken in, flag characters only,
// both files or neither; then either upload the result or look again.
void PublishRun::takeInRivalMarks(const FlagPair &server, bool thenUpload)
{
    QList<progresstool::FileChange> changes;
    for (Kind kind : Kinds) {
        const int at = index(kind);
        const QString path = QDir(m_options.folder).filePath(progresstool::flagFileName(kind));
        const progresstool::FlagLoad load = progresstool::loadFlags(path, kind);
        if (load.status != progresstool::FlagLoad::Status::Read)
            return fail(PublishOutcome::Result::LocalFilesBad,
                        QStringLiteral("%1 cannot take in another publisher's marks: %2")
                                .arg(progresstool::flagFileName(kind),
                                     load.problem.isEmpty() ? QStringLiteral("it is gone")
                                                            : load.problem));
        const QByteArray mergedFlags = merged(load.flags, server[at], m_record[at]);
        for (qsizetype k = 0; k < mergedFlags.size(); ++k) {
            if (mergedFlags[k] != load.flags[k]) {
                QByteArray one(mergedFlags.size(), '0');
                one[k] = '1';
                for (const QString &name : entryNames(one, kind)) {
                    if (!m_merged.contains(name))
                        m_merged.append(name);
                }
            }
        }
        const QByteArray bytes = load.fileWith(mergedFlags);
        if (mergedFlags != load.flags)
            changes.append({ path, progresstool::flagFileName(kind), bytes, load.bytes });
        m_local[at] = mergedFlags;
        m_localBytes[at] = bytes;
    }
    if (!changes.isEmpty()) {
        const progresstool::CommitResult result = progresstool::commitChanges(changes);
        if (!result.committed)
            return fail(
                    PublishOutcome::Result::LocalFilesBad,
                    QStringLiteral("cannot write %1: %2").arg(result.failedName, result.problem));
    }
    if (thenUpload)
        return afterRandomPause(&PublishRun::upload);
    m_confirmations = 0;
    afterRandomPause(&PublishRun::readBack);
}

void PublishRun::afterRandomPause(void (PublishRun::*next)(), int atLeastMs)
{
    m_pause.disconnect(this);
    connect(&m_pause, &QTimer::timeout, this, next);
    const qint64 wanted =
            atLeastMs + QRandomGenerator::global()->bounded(ShortestPauseMs, LongestPauseMs);
    // Never past the deadline: the step after the pause then says so.
    const qint64 pauseMs = std::min<qint64>(wanted, m_deadline.remainingTime());
    m_pause.start(int(std::max<qint64>(pauseMs, 0)));
}

// Runs under the folder's lock: the record of what the server now holds,
// then the leftovers of earlier runs.
void PublishRun::recordPublished()
{
    {
        const QString path = QDir(m_options.folder).filePath(PublishRecord::FileName);
        QFile before(path);
        const std::optional<QByteArray> old = before.open(QIODevice::ReadOnly)
                ? std::optional<QByteArray>(before.readAll())
                : std::nullopt;
        // A record that cannot be written costs only the next publish's
        // knowledge of deliberate undos; the publish itself stands.
        progresstool::commitChanges(
                { { path, PublishRecord::FileName,
                    PublishRecord::bytes(m_options.account, m_local[0], m_local[1]), old } });
    }
    listLeftovers();
}

void PublishRun::published()
{
    PublishOutcome outcome;
    outcome.result = PublishOutcome::Result::Published;
    outcome.reason =
            QStringLiteral("published to %1 as %2").arg(serverName(), m_options.account.user);
    finish(outcome);
}

} // namespace publishing
