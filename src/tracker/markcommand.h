#pragma once

#include "entrynames.h"

#include <QUndoCommand>

#include <functional>

// One undoable step: a set of entries (an entry with its namesakes, or what
// the server held) turned done or not done together. `apply` writes the
// change and says whether it landed; a step that did not land is dropped.
class MarkCommand : public QUndoCommand
{
public:
    using Apply = std::function<bool(const QList<progresstool::Entry> &, bool done)>;

    MarkCommand(QList<progresstool::Entry> entries, bool done, const QString &text, Apply apply);

    void redo() override;
    void undo() override;

private:
    QList<progresstool::Entry> m_entries;
    bool m_done;
    Apply m_apply;
};
