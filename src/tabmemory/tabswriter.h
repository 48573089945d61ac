#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace tabmemory {

// Writes the tab memory, each line replacing the file whole. Restoring the
// remembered tabs selects both tabs in turn and each selection saves; while
// a restore runs, the saves are held and only the line it ends on is
// written, and not even that when the file holds it already. A start-up
// then writes nothing in the usual case, and a restore cut short never
// leaves a half-restored line behind.
class TabsWriter
{
public:
    // Writes `line` to `path` now, or once the running restore ends. A file
    // that cannot be written is left as it is.
    void save(const QString &path, const QByteArray &line);

    // Holds the saves for as long as it lives.
    class Restore
    {
    public:
        explicit Restore(TabsWriter &writer);
        ~Restore();
        Restore(const Restore &) = delete;
        Restore &operator=(const Restore &) = delete;

    private:
        TabsWriter &m_writer;
    };

private:
    struct HeldSave
    {
        QString path;
        QByteArray line;
    };

    void writeHeldSave();

    bool m_restoring = false;
    std::optional<HeldSave> m_held;
};

} // namespace tabmemory
