#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

class QProcess;
class QTimer;

namespace fetch {

// How the last script run ended, as far as the platform can tell.
struct ScriptOutcome
{
    // Whether the fields below mean anything: the Windows command
    // interpreter tells nothing of how a script's programs went.
    bool known = false;
    // 0 when every program the script ran succeeded; 127 when one was not
    // found; otherwise the status of the last one that failed.
    int status = 0;
    // The end of what the programs wrote to their error output.
    QByteArray messages;
};

// Runs command scripts in hidden processes of their own and never waits for
// them; tells when the last one running has ended. A script runs with
// `workingFolder` as its working directory, since every name in it is
// relative.
//
// On Windows the command interpreter runs the script. Elsewhere our own
// script helper (huntmark-batch, installed beside the viewer) runs it, in a
// process group of its own that ends, with everything it started, when the
// scripts are stopped or this object goes.
class HiddenScripts : public QObject
{
    Q_OBJECT

public:
    explicit HiddenScripts(QObject *parent = nullptr);
    // Stops every script still running.
    ~HiddenScripts() override;

    // Returns false when nothing could be started. A script still running
    // `deadlineMs` after its start is ended as stopAll() ends it and counts
    // as failed; a negative deadline lets it run as long as it takes.
    bool start(const QString &scriptPath, const QString &workingFolder, int deadlineMs = -1);
    bool isRunning() const;
    // Ends every script still running within about a second, with the
    // programs it started, and removes its script file (which may hold a
    // password). Emits nothing.
    void stopAll();

Q_SIGNALS:
    // The last script running has ended, on its own.
    void allEnded(const fetch::ScriptOutcome &lastOutcome);

private:
    struct Run
    {
        QString scriptPath;
        QProcess *process = nullptr;
        // Also the id of the run's process group; kept, since the process
        // forgets it once it has ended.
        qint64 pid = 0;
        QByteArray messages;
        // Ended at its deadline.
        bool stopped = false;
    };

    void onMessages(QProcess *process);
    void onFinished(QProcess *process);
    void endOverdue(QProcess *process);
    void watchScriptFiles();

    QList<Run> m_runs;
    QTimer *m_poll = nullptr;
};

// Where the script helper is looked for: beside the running executable unless
// set otherwise (tests run from another folder than the program's).
QString scriptHelperPath();
void setScriptHelperPath(const QString &path);

} // namespace fetch
