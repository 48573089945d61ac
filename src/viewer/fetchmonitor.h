#pragma once

#include <QDateTime>
#include <QObject>

class QLabel;

namespace platform {
class HiddenScripts;
struct ScriptOutcome;
} // namespace platform

// Runs the window's download scripts, tells when the last of them has ended,
// and keeps the small label that says how fresh the progress is: when the
// files last arrived, and why they have not arrived for a while.
class FetchMonitor : public QObject
{
    Q_OBJECT

public:
    // Three fetches in a row that bring nothing make the label a warning.
    static constexpr int FailuresBeforeWarning = 3;

    // The label, LabelUpdated, goes on top of the right end of `strip`.
    FetchMonitor(QLabel *strip, QObject *parent);

    // Starts a script; false when nothing could be started.
    bool start(const QString &scriptPath, const QString &workingFolder);
    bool isRunning() const;

    // When the followed progress last changed, told beside the time of the
    // last check: "checked 14:05 · last change 13:58".
    void setLastChange(const QDateTime &time);

signals:
    // Every script has ended; what they downloaded is on disk.
    void scriptsEnded();
    // A script started while none ran, or the last one has ended; the label
    // already tells how it went.
    void busyChanged(bool busy);

private:
    void onScriptsEnded(const platform::ScriptOutcome &outcome);
    void countFailure(const QString &reason);
    void showFresh();
    void showStale(const QString &reason);

    platform::HiddenScripts *m_scripts;
    QLabel *m_label;
    QDateTime m_lastArrival;
    QDateTime m_lastChange;
    int m_failuresInRow = 0;
};
