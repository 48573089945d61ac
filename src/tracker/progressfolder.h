#pragma once

#include "entrynames.h"

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <map>

// The two progress files of one folder as the tracker keeps them: what they
// say, and what stops them from being changed. Every change goes to disk at
// once, through the same code huntmark-progress uses: under the folder's
// lock, read afresh, only the flags asked for changed, both files or
// neither. Changes that another program makes are picked up as they land.
class ProgressFolder : public QObject
{
    Q_OBJECT

public:
    using Entry = progresstool::Entry;
    using Kind = progresstool::Kind;

    explicit ProgressFolder(QObject *parent = nullptr);

    // Starts following `folder`. Whichever progress file is missing is made,
    // nothing done, as "huntmark-progress init" does; existing ones are only
    // read.
    void open(const QString &folder);
    QString path() const { return m_path; }
    QString filePath(Kind kind) const;

    QByteArray flags(Kind kind) const { return m_flags.at(kind); }
    bool isDone(const Entry &entry) const;
    int doneCount(Kind kind) const;

    // Why the files cannot be changed, in words; empty when they can.
    QString problem() const { return m_problem; }

    // Sets `entries` to done or not done on disk before it returns. False,
    // with the reason in `error`, when nothing could be written.
    bool setDone(const QList<Entry> &entries, bool done, QString *error);

    // Reads both files again; `changed` follows when anything differs.
    void reload();

    // How long a change waits for another program that holds the folder.
    static constexpr int LockWaitMs = 3000;

Q_SIGNALS:
    // The flags or the problem changed, by our own change or another's.
    void changed();

private:
    struct Loaded;
    Loaded load() const;
    bool startRecord();
    void watchFiles();
    void take(const Loaded &loaded);

    QString m_path;
    std::map<Kind, QByteArray> m_flags;
    QString m_problem;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
};
