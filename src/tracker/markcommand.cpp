#include "markcommand.h"

MarkCommand::MarkCommand(QList<progresstool::Entry> entries, bool done, const QString &text,
                         Apply apply)
    : QUndoCommand(text), m_entries(std::move(entries)), m_done(done), m_apply(std::move(apply))
{
}

void MarkCommand::redo()
{
    if (!m_apply(m_entries, m_done))
        setObsolete(true);
}

void MarkCommand::undo()
{
    m_apply(m_entries, !m_done);
}
