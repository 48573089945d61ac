#include "fetchmonitor.h"

#include "downloadscript.h"
#include "exitstatus.h"
#include "files.h"
#include "hiddenscripts.h"
#include "programfolder.h"
#include "progressfiles.h"

#include <QFile>
#include <QFileInfo>

namespace fetch {

namespace {

// Both downloads of a fetch end well inside this on their own; the limit
// only guards against a client that does not. Ending a script takes up to a
// second, so a fetch is over 45 s after its start at the latest.
constexpr int FetchDeadlineMs = 44000;

// What went wrong, told by the client's exit status and its complaints, in
// the words of Debian's ncftpget.
QString reasonFor(const ScriptOutcome &outcome)
{
    if (outcome.status == fetchprotocol::ExitNotFound)
        return QStringLiteral("no FTP client (ncftpget.exe) was found.");
    const QByteArray &text = outcome.messages;
    if (text.contains("on the server is larger than"))
        return QStringLiteral("the progress file on the server is too large.");
    if (text.contains("of the script was not run"))
        return QStringLiteral("a download line of the script was not run.");
    if (text.contains("not accepted for login") || text.contains("Login incorrect"))
        return QStringLiteral("the FTP server refused the login.");
    for (const char *unreachable : { "refused connection", "timed out", "unknown host",
                                     "could not connect", "Could not connect", "unreachable" }) {
        if (text.contains(unreachable))
            return QStringLiteral("the FTP server cannot be reached.");
    }
    if (text.contains("does not exist") || text.contains("No such file"))
        return QStringLiteral("the FTP server does not have the progress files.");
    return QStringLiteral("the downloads failed.");
}

// When the progress files last arrived whole: the client moves each
// download into place in one rename, which stamps the file's status-change
// time (its modification time is the server's). Both arrive in one fetch, so
// the older of the two is when both were last there; invalid when one is
// missing.
QDateTime lastArrivalOf(const QString &programFolder)
{
    QDateTime arrival;
    for (const QString &name : { progress::UniquesFileName, progress::QuestsFileName }) {
        const QFileInfo file(platform::programFilePath(programFolder, name));
        if (!file.isFile())
            return {};
#ifdef Q_OS_WIN
        const QDateTime time = file.lastModified();
#else
        const QDateTime time = file.metadataChangeTime();
#endif
        if (!arrival.isValid() || time < arrival)
            arrival = time;
    }
    return arrival;
}

QString whyNotStarted()
{
#ifndef Q_OS_WIN
    if (!QFileInfo::exists(scriptHelperPath()))
        return QStringLiteral("the script helper (huntmark-batch) is missing.");
#endif
    return QStringLiteral("the download script could not be started.");
}

} // namespace

FetchMonitor::FetchMonitor(QObject *parent) : QObject(parent), m_scripts(new HiddenScripts(this))
{
    connect(m_scripts, &HiddenScripts::allEnded, this, &FetchMonitor::onScriptsEnded);
}

bool FetchMonitor::startFetch(const QString &programFolder)
{
    if (isRunning())
        return false;
    const QString script = platform::programFilePath(programFolder, DownloadScriptName);
    QString error;
    if (!platform::writeOwnerOnlyFile(script, downloadScript(configuredFtpAccount()), &error)) {
        // As much a fetch that brought nothing as one whose server is down.
        countFailure(QStringLiteral("the download script could not be written: %1.").arg(error));
        return false;
    }
    return start(script, programFolder);
}

void FetchMonitor::recallLastArrival(const QString &programFolder)
{
    if (m_freshness.lastArrival.isValid())
        return;
    m_freshness.lastArrival = lastArrivalOf(programFolder);
    if (m_freshness.lastArrival.isValid())
        Q_EMIT freshnessChanged(m_freshness);
}

bool FetchMonitor::start(const QString &scriptPath, const QString &workingFolder)
{
    const bool wasBusy = m_scripts->isRunning();
    if (!m_scripts->start(scriptPath, workingFolder, FetchDeadlineMs)) {
        // Nothing will run the script, and it holds the password.
        QFile::remove(scriptPath);
        countFailure(whyNotStarted());
        return false;
    }
    if (!wasBusy)
        Q_EMIT busyChanged(true);
    return true;
}

bool FetchMonitor::isRunning() const
{
    return m_scripts->isRunning();
}

void FetchMonitor::onScriptsEnded(const ScriptOutcome &outcome)
{
    Q_EMIT scriptsEnded();
    // Where the platform cannot tell how the downloads went, a script that
    // ran to its end counts as having brought the files.
    if (!outcome.known || outcome.status == 0) {
        m_freshness.failuresInRow = 0;
        m_freshness.reason.clear();
        m_freshness.lastArrival = QDateTime::currentDateTime();
        Q_EMIT freshnessChanged(m_freshness);
    } else {
        countFailure(reasonFor(outcome));
    }
    Q_EMIT busyChanged(false);
}

void FetchMonitor::countFailure(const QString &reason)
{
    ++m_freshness.failuresInRow;
    m_freshness.reason = reason;
    Q_EMIT freshnessChanged(m_freshness);
}

} // namespace fetch
