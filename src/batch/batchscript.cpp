#include "batchscript.h"

#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

#include <algorithm>
#include <optional>
#include <utility>

namespace batch {

namespace {

struct Token
{
    QString text;
    // A quoted command word is never taken for a built-in command, just as
    // the command interpreter looks up "del" in quotes as a program.
    bool quoted = false;
};

struct TokenizedLine
{
    QList<Token> tokens;
    bool hasOperator = false;
};

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// A tab is the only control character a hand-edited script plausibly holds;
// anything else (NUL, a stray carriage return, escape sequences) would reach
// a program's arguments in a form nobody wrote on purpose.
bool isControlCharacter(QChar c)
{
    return (c.unicode() < 0x20 && c != u'\t') || c.unicode() == 0x7f;
}

// Outside quotes the command interpreter would pipe, redirect, chain or
// escape with these; none of that is done here, so running the rest of such a
// line would run something other than what its author meant.
bool isOperatorCharacter(QChar c)
{
    return c == u'|' || c == u'<' || c == u'>' || c == u'&' || c == u'^';
}

QStringView trimBlanks(QStringView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

// "@" only keeps the command interpreter from echoing the line.
QStringView stripEchoSilencer(QStringView text)
{
    while (text.startsWith(u'@'))
        text = trimBlanks(text.sliced(1));
    return text;
}

// Blanks separate tokens; a double quote switches quoting on or off and is
// dropped, so that a"b c"d is the one token "ab cd" and "" an empty one. An
// unclosed quote runs to the end of the line.
TokenizedLine tokenize(QStringView text)
{
    TokenizedLine result;
    Token current;
    bool inToken = false;
    bool inQuotes = false;
    for (QChar c : text) {
        if (c == u'"') {
            inQuotes = !inQuotes;
            current.quoted = true;
            inToken = true;
        } else if (!inQuotes && isBlank(c)) {
            if (inToken)
                result.tokens.append(std::exchange(current, Token()));
            inToken = false;
        } else {
            if (!inQuotes && isOperatorCharacter(c))
                result.hasOperator = true;
            current.text.append(c);
            inToken = true;
        }
    }
    if (inToken)
        result.tokens.append(current);
    return result;
}

bool isCommandWord(const Token &token, QLatin1StringView word)
{
    return !token.quoted && token.text.compare(word, Qt::CaseInsensitive) == 0;
}

QStringList tokenTexts(const QList<Token> &tokens)
{
    QStringList texts;
    texts.reserve(tokens.size());
    for (const Token &token : tokens)
        texts.append(token.text);
    return texts;
}

BatchCommand commandOf(BatchCommand::Kind kind)
{
    BatchCommand command;
    command.kind = kind;
    return command;
}

BatchCommand echoCommand(const QStringList &arguments)
{
    const bool setsEcho = arguments.size() == 1
            && (arguments.front().compare(u"off", Qt::CaseInsensitive) == 0
                || arguments.front().compare(u"on", Qt::CaseInsensitive) == 0);
    // Any other echo only prints, and the output goes nowhere.
    return commandOf(setsEcho ? BatchCommand::EchoSetting : BatchCommand::Nothing);
}

// Switches such as /q or /s contain a separator and are refused with the
// rest: a deletion is only ever of named files in the working directory.
BatchCommand deleteCommand(const QStringList &names)
{
    if (names.isEmpty() || !std::all_of(names.begin(), names.end(), isPlainFileName))
        return commandOf(BatchCommand::Refused);
    BatchCommand command = commandOf(BatchCommand::Delete);
    command.arguments = names;
    return command;
}

BatchCommand externalCommand(const QList<Token> &tokens)
{
    if (tokens.front().text.isEmpty())
        return commandOf(BatchCommand::Refused);
    BatchCommand command = commandOf(BatchCommand::External);
    command.program = tokens.front().text;
    command.arguments = tokenTexts(tokens.sliced(1));
    return command;
}

std::optional<QString> preferredMatch(QStringList matches, const QString &name)
{
    if (matches.isEmpty())
        return std::nullopt;
    if (matches.contains(name))
        return name;
    std::sort(matches.begin(), matches.end());
    return matches.front();
}

QStringList programNameCandidates(const QString &name)
{
    static constexpr QLatin1StringView exeEnding(".exe");
    if (name.size() > exeEnding.size() && name.endsWith(exeEnding, Qt::CaseInsensitive))
        return { name, name.chopped(exeEnding.size()) };
    return { name };
}

} // namespace

QStringList splitBatchLines(const QByteArray &script)
{
    QStringList lines;
    qsizetype start = 0;
    while (start < script.size()) {
        qsizetype end = script.indexOf('\n', start);
        if (end < 0)
            end = script.size();
        QByteArrayView line(script.constData() + start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        lines.append(QString::fromUtf8(line));
        start = end + 1;
    }
    return lines;
}

BatchCommand parseBatchLine(QStringView line)
{
    if (std::any_of(line.begin(), line.end(), isControlCharacter))
        return commandOf(BatchCommand::Refused);

    const TokenizedLine tokenized = tokenize(stripEchoSilencer(trimBlanks(line)));
    const QList<Token> &tokens = tokenized.tokens;
    if (tokens.isEmpty())
        return commandOf(BatchCommand::Nothing);
    const Token &commandWord = tokens.front();
    if (isCommandWord(commandWord, QLatin1StringView("rem")))
        return commandOf(BatchCommand::Nothing);

    // The command interpreter expands %variables% inside quotes as well, so a
    // percent sign anywhere means the line would not say what it seems to.
    if (tokenized.hasOperator || line.contains(u'%'))
        return commandOf(BatchCommand::Refused);

    const QStringList arguments = tokenTexts(tokens.sliced(1));
    if (isCommandWord(commandWord, QLatin1StringView("echo")))
        return echoCommand(arguments);
    if (isCommandWord(commandWord, QLatin1StringView("del")))
        return deleteCommand(arguments);
    if (isCommandWord(commandWord, QLatin1StringView("exit")))
        return commandOf(BatchCommand::Exit);
    return externalCommand(tokens);
}

bool isPlainFileName(QStringView name)
{
    static constexpr QStringView forbidden(u"/\\:*?");
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    return std::none_of(name.begin(), name.end(), [](QChar c) { return forbidden.contains(c); });
}

QString findBatchProgram(const QString &name, const QString &workingDir,
                         const QString &pathVariable)
{
    // A command word with a path in it could run anything anywhere; the
    // script only ever names a tool to be looked up.
    if (!isPlainFileName(name))
        return {};

    QStringList folders { workingDir };
    folders += pathVariable.split(QDir::listSeparator(), Qt::SkipEmptyParts);
    const QStringList candidates = programNameCandidates(name);
    const QDir base(workingDir);
    for (const QString &folder : folders) {
        const QDir dir(base.filePath(folder));
        for (const QString &candidate : candidates) {
            const QFileInfo info(dir.filePath(candidate));
            if (info.isFile() && info.isExecutable())
                return info.absoluteFilePath();
        }
    }
    return {};
}

bool deleteMatchingFile(const QString &workingDir, const QString &name)
{
    if (!isPlainFileName(name))
        return false;

    const QDir dir(workingDir);
    QStringList matches;
    for (const QString &entry : dir.entryList(QDir::Files | QDir::Hidden)) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            matches.append(entry);
    }
    // On Windows a folder cannot hold two names that differ only in case, so
    // the script means exactly one file. Here several may match: the one
    // spelled as written is surely meant; failing that, sorting makes the
    // choice the same on every run instead of hanging on directory order.
    const std::optional<QString> chosen = preferredMatch(matches, name);
    return chosen && QFile::remove(dir.filePath(*chosen));
}

} // namespace batch
