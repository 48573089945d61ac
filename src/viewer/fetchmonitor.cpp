#include "viewer/fetchmonitor.h"

#include "platform/scriptlauncher.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>

namespace {

constexpr int LabelWidth = 260;
const QColor MutedColour(0x70, 0x70, 0x70);
const QColor WarningColour(0xb0, 0x3a, 0x00);
// Both downloads of a fetch end well inside this on their own; the limit
// only guards against a client that does not. Ending a script takes up to a
// second, so a fetch is over 45 s after its start at the latest.
constexpr int FetchDeadlineMs = 44000;

// What went wrong, told by the client's exit status and its complaints, in
// the words of Debian's ncftpget.
QString reasonFor(const platform::ScriptOutcome &outcome)
{
    if (outcome.status == 127)
        return QStringLiteral("no FTP client (ncftpget.exe) was found.");
    const QByteArray &text = outcome.messages;
    if (text.contains("on the server is larger than"))
        return QStringLiteral("the progress file on the server is too large.");
    if (text.contains("of the script was not run"))
        return QStringLiteral("a download line of the script was not run.");
    if (text.contains("not accepted for login") || text.contains("Login incorrect"))
        return QStringLiteral("the FTP server refused the login.");
    for (const char *unreachable : {"refused connection", "timed out", "unknown host", "could not connect",
                                    "Could not connect", "unreachable"}) {
        if (text.contains(unreachable))
            return QStringLiteral("the FTP server cannot be reached.");
    }
    if (text.contains("does not exist") || text.contains("No such file"))
        return QStringLiteral("the FTP server does not have the progress files.");
    return QStringLiteral("the downloads failed.");
}

QString whyNotStarted()
{
#ifndef Q_OS_WIN
    if (!QFileInfo::exists(platform::scriptHelperPath()))
        return QStringLiteral("the script helper (huntmark-batch) is missing.");
#endif
    return QStringLiteral("the download script could not be started.");
}

QString clockText(const QDateTime &time)
{
    return time.toString(QStringLiteral("HH:mm"));
}

} // namespace

FetchMonitor::FetchMonitor(QLabel *strip, QObject *parent)
    : QObject(parent), m_scripts(new platform::HiddenScripts(this)),
      m_label(new QLabel(strip->parentWidget()))
{
    m_label->setObjectName(QStringLiteral("LabelUpdated"));
    const QRect area = strip->geometry();
    m_label->setGeometry(area.right() + 1 - LabelWidth - strip->indent(), area.top(), LabelWidth,
                         area.height());
    m_label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont font = strip->font();
    font.setWeight(QFont::Normal);
    font.setPointSizeF(font.pointSizeF() - 1);
    m_label->setFont(font);
    m_label->raise();
    connect(m_scripts, &platform::HiddenScripts::allEnded, this, &FetchMonitor::onScriptsEnded);
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
        emit busyChanged(true);
    return true;
}

bool FetchMonitor::isRunning() const
{
    return m_scripts->isRunning();
}

void FetchMonitor::setLastChange(const QDateTime &time)
{
    m_lastChange = time;
    if (m_lastArrival.isValid() && m_failuresInRow < FailuresBeforeWarning)
        showFresh();
}

void FetchMonitor::onScriptsEnded(const platform::ScriptOutcome &outcome)
{
    emit scriptsEnded();
    // Where the platform cannot tell how the downloads went, a script that
    // ran to its end counts as having brought the files.
    if (!outcome.known || outcome.status == 0) {
        m_failuresInRow = 0;
        m_lastArrival = QDateTime::currentDateTime();
        showFresh();
    } else {
        countFailure(reasonFor(outcome));
    }
    emit busyChanged(false);
}

void FetchMonitor::countFailure(const QString &reason)
{
    if (++m_failuresInRow >= FailuresBeforeWarning)
        showStale(reason);
}

void FetchMonitor::showFresh()
{
    const QString change = m_lastChange.isValid() ? QStringLiteral("last change ") + clockText(m_lastChange)
                                                  : QStringLiteral("no change yet");
    m_label->setText(QStringLiteral("checked %1 \u00b7 %2").arg(clockText(m_lastArrival), change));
    m_label->setToolTip(QStringLiteral("The progress files last arrived from the FTP server at %1.")
                                .arg(clockText(m_lastArrival)));
    QPalette palette = m_label->palette();
    palette.setColor(QPalette::WindowText, MutedColour);
    m_label->setPalette(palette);
}

void FetchMonitor::showStale(const QString &reason)
{
    const QString since = m_lastArrival.isValid()
            ? QStringLiteral("no update since ") + clockText(m_lastArrival)
            : QStringLiteral("no update yet");
    m_label->setText(since);
    m_label->setToolTip(
            QStringLiteral("The last %1 fetches brought nothing: %2").arg(m_failuresInRow).arg(reason));
    QPalette palette = m_label->palette();
    palette.setColor(QPalette::WindowText, WarningColour);
    m_label->setPalette(palette);
}
