#include "tabswriter.h"

#include "files.h"

#include <QFile>
#include <QFileInfo>

#include <utility>

namespace tabmemory {

namespace {

// A regular file with exactly these bytes; anything else in its place (a
// folder, a pipe, another line) is replaced.
bool fileHolds(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() != bytes.size())
        return false;
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(bytes.size() + 1) == bytes;
}

} // namespace

void TabsWriter::save(const QString &path, const QByteArray &line)
{
    if (m_restoring)
        m_held = HeldSave { path, line };
    else
        platform::replaceFileAtomically(path, line);
}

void TabsWriter::writeHeldSave()
{
    m_restoring = false;
    if (!m_held)
        return;
    const HeldSave held = *std::exchange(m_held, std::nullopt);
    if (!fileHolds(held.path, held.line))
        platform::replaceFileAtomically(held.path, held.line);
}

TabsWriter::Restore::Restore(TabsWriter &writer) : m_writer(writer)
{
    m_writer.m_restoring = true;
}

TabsWriter::Restore::~Restore()
{
    m_writer.writeHeldSave();
}

} // namespace tabmemory
