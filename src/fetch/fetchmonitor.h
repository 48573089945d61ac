#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

namespace fetch {

class HiddenScripts;
struct ScriptOutcome;

// How fresh the followed progress is, as the fetches so far tell it.
struct Freshness
{
    // Three fetches in a row that bring nothing make it a warning.
    static constexpr int FailuresBeforeWarning = 3;

    // When the files last arrived; invalid until they first do.
    QDateTime lastArrival;
    // Fetches in a row since then that brought nothing.
    int failuresInRow = 0;
    // Why the last of them brought nothing, in words a user follows.
    QString reason;

    bool isStale() const { return failuresInRow >= FailuresBeforeWarning; }
};

// Runs the window's download scripts, tells when the last of them has ended,
// and keeps count of how fresh the progress is.
class FetchMonitor : public QObject
{
    Q_OBJECT

public:
    explicit FetchMonitor(QObject *parent);

    // Writes the download script into the program folder and runs it there,
    // hidden. One fetch at a time: while one runs, this writes and starts
    // nothing (a second would only download the same files over the first,
    // whose script deletes the script file when it ends). Returns whether a
    // fetch started; a script that cannot be written starts none and counts
    // as a fetch that brought nothing.
    bool startFetch(const QString &programFolder);
    bool isRunning() const;
    // Takes the time the progress files in the program folder last arrived,
    // in this run or an earlier one, as the last arrival, until a fetch
    // tells better; tells it as any fetch would.
    void recallLastArrival(const QString &programFolder);
    const Freshness &freshness() const { return m_freshness; }

Q_SIGNALS:
    // Every script has ended; what they downloaded is on disk.
    void scriptsEnded();
    // After every fetch that ended or could not start, once the files that
    // arrived have been read.
    void freshnessChanged(const fetch::Freshness &freshness);
    // A script started while none ran, or the last one has ended; the
    // freshness already tells how it went.
    void busyChanged(bool busy);

private:
    bool start(const QString &scriptPath, const QString &workingFolder);
    void onScriptsEnded(const fetch::ScriptOutcome &outcome);
    void countFailure(const QString &reason);

    HiddenScripts *m_scripts;
    Freshness m_freshness;
};

} // namespace fetch
