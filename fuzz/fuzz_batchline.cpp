// The script helper's reading of a script under arbitrary bytes. Whatever
// the text, a line either does nothing, is refused, or names one program
// and its arguments such that nothing a shell or the command interpreter
// would act on is left in them; a deletion names only plain files; and
// what was understood reads the same when written out again.
#include "fuzzcheck.h"
#include "fuzztargets.h"

#include "batchscript.h"

#include <QStringList>

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

bool isControl(QChar c)
{
    return (c.unicode() < 0x20 && c != u'\t') || c.unicode() == 0x7f;
}

bool hasControl(QStringView text)
{
    return std::any_of(text.begin(), text.end(), isControl);
}

// Outside double quotes, a character the command interpreter would act on.
bool hasBareOperator(QStringView line)
{
    bool quoted = false;
    for (QChar c : line) {
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && QStringView(u"|<>&^").contains(c))
            return true;
    }
    return false;
}

// Writes a command back as a line: every word in double quotes, so none of
// them is taken for a built-in or split further.
QString written(const batch::BatchCommand &command)
{
    QString line = u'"' + command.program + u'"';
    for (const QString &argument : command.arguments)
        line += QStringLiteral(" \"") + argument + u'"';
    return line;
}

int checkLine(const QString &line)
{
    const batch::BatchCommand command = batch::parseBatchLine(line);
    using Kind = batch::BatchCommand::Kind;

    if (hasControl(line))
        FUZZ_CHECK(command.kind == Kind::Refused);
    if (command.kind == Kind::External || command.kind == Kind::Delete
        || command.kind == Kind::EchoSetting) {
        FUZZ_CHECK(!line.contains(u'%'));
        FUZZ_CHECK(!hasBareOperator(line));
    }

    switch (command.kind) {
    case Kind::External: {
        FUZZ_CHECK(!command.program.isEmpty());
        FUZZ_CHECK(!command.program.contains(u'"'));
        for (const QString &argument : command.arguments) {
            FUZZ_CHECK(!argument.contains(u'"'));
            FUZZ_CHECK(!hasControl(argument));
        }
        FUZZ_CHECK(!hasControl(command.program));
        const batch::BatchCommand again = batch::parseBatchLine(written(command));
        FUZZ_CHECK(again.kind == Kind::External);
        FUZZ_CHECK(again.program == command.program);
        FUZZ_CHECK(again.arguments == command.arguments);
        break;
    }
    case Kind::Delete:
        FUZZ_CHECK(!command.arguments.isEmpty());
        for (const QString &name : command.arguments) {
            FUZZ_CHECK(batch::isPlainFileName(name));
            FUZZ_CHECK(!name.isEmpty() && name != u"." && name != u"..");
            for (QChar c : QStringView(u"/\\:*?"))
                FUZZ_CHECK(!name.contains(c));
        }
        break;
    case Kind::Nothing:
    case Kind::EchoSetting:
    case Kind::Exit:
    case Kind::Refused:
        FUZZ_CHECK(command.program.isEmpty());
        FUZZ_CHECK(command.arguments.isEmpty());
        break;
    }
    return 0;
}

} // namespace

extern "C" int fuzz_batchline(const uint8_t *data, size_t size)
{
    const QByteArray script(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList lines = batch::splitBatchLines(script);

    // One line per line end, plus a last line without one; none holds a
    // line feed.
    const qsizetype ends = script.count('\n');
    FUZZ_CHECK(lines.size() == ends + (script.isEmpty() || script.endsWith('\n') ? 0 : 1));
    for (const QString &line : lines) {
        FUZZ_CHECK(!line.contains(u'\n'));
        checkLine(line);
    }
    return 0;
}
