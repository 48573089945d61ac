#include "progresstool/progresstool.h"

#include "progresstool/entrynames.h"
#include "progresstool/flagfile.h"
#include "progresstool/publisher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <map>
#include <optional>
#include <variant>

namespace progresstool {

namespace {

const QString ProgramName = QStringLiteral("huntmark-progress");

const QString HelpText = QStringLiteral(R"(Usage: huntmark-progress COMMAND [OPTIONS] [ARGUMENTS]

Marks what you have done in the progress files the Huntmark viewer follows,
and publishes them on the FTP server the viewer fetches from.

Commands:
  mark NAME...          mark unique monsters, quests or milestones as done
  unmark NAME...        mark them as not done
  show                  done/total per region and quest group, and the totals
  show REGION-OR-GROUP  the entries of one tab, [x] for done, in list order
  publish               upload UniquesDefeated.txt and QuestsCleared.txt

A NAME is an entry's name as the viewer lists it, in any case. A name held by
more than one entry is typed with its tab's caption in front:
  huntmark-progress mark "Mudskipper Chief" "Mother Hoarfrost: A Lamp for Rimeholt"
When any name is refused, nothing is written.

Options:
  --folder DIR          the progress files are in DIR (default: the current folder)
  --host HOST           publish: the FTP server (default: %1)
  --user USER           publish: the FTP account (default: %2)
  --password-file FILE  publish: the account's password is the first line of FILE
                        (default: the password the viewer is built with)
  --port PORT           publish: the FTP server's port (default: 21)
  --help                show this help
  --version             show the version

Exit status: 0 done, 1 a name or file refused, 2 a wrong command line,
3 a file could not be read or written, 4 publishing failed.
)");

struct Options
{
    QString command;
    QStringList operands;
    QString folder;
    std::optional<QString> host;
    std::optional<QString> user;
    std::optional<QString> passwordFile;
    int port = 0;
    bool help = false;
    bool version = false;
};

Outcome failure(int status, const QString &message)
{
    return {status, QString(), ProgramName + QStringLiteral(": ") + message + QLatin1Char('\n')};
}

Outcome success(const QString &output)
{
    return {Success, output, QString()};
}

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString quotedList(const QStringList &texts)
{
    QStringList out;
    for (const QString &text : texts)
        out.append(quoted(text));
    return out.join(QStringLiteral(", "));
}

// --- the command line ------------------------------------------------------------

const QStringList ValueOptions{QStringLiteral("--folder"), QStringLiteral("--host"), QStringLiteral("--user"),
                               QStringLiteral("--password-file"), QStringLiteral("--port")};
const QStringList PublishOptions{QStringLiteral("--host"), QStringLiteral("--user"),
                                 QStringLiteral("--password-file"), QStringLiteral("--port")};

std::optional<QString> setOption(Options &options, const QString &name, const QString &value)
{
    if (name == QLatin1String("--folder"))
        options.folder = value;
    else if (name == QLatin1String("--host"))
        options.host = value;
    else if (name == QLatin1String("--user"))
        options.user = value;
    else if (name == QLatin1String("--password-file"))
        options.passwordFile = value;
    else {
        bool ok = false;
        options.port = value.toInt(&ok);
        if (!ok || options.port < 1 || options.port > 65535)
            return QStringLiteral("--port takes a number from 1 to 65535, not %1").arg(quoted(value));
    }
    if (value.isEmpty())
        return QStringLiteral("%1 takes a value").arg(name);
    return std::nullopt;
}

// Options may stand anywhere; "--" ends them.
std::variant<Options, QString> parse(const QStringList &arguments)
{
    Options options;
    QStringList used;
    bool optionsEnded = false;
    for (qsizetype k = 0; k < arguments.size(); ++k) {
        const QString &argument = arguments[k];
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded &&
                   (argument == QLatin1String("--help") || argument == QLatin1String("-h"))) {
            options.help = true;
        } else if (!optionsEnded && argument == QLatin1String("--version")) {
            options.version = true;
        } else if (!optionsEnded && argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            const qsizetype equals = argument.indexOf(QLatin1Char('='));
            const QString name = equals < 0 ? argument : argument.left(equals);
            if (!ValueOptions.contains(name))
                return QStringLiteral("unknown option %1 (see --help)").arg(argument);
            if (equals < 0 && k + 1 >= arguments.size())
                return QStringLiteral("%1 takes a value").arg(name);
            const QString value = equals < 0 ? arguments[++k] : argument.mid(equals + 1);
            if (const auto problem = setOption(options, name, value))
                return *problem;
            used.append(name);
        } else if (options.command.isEmpty()) {
            options.command = argument;
        } else {
            options.operands.append(argument);
        }
    }
    if (options.command != QLatin1String("publish")) {
        for (const QString &name : used) {
            if (PublishOptions.contains(name))
                return QStringLiteral("%1 is an option of publish only").arg(name);
        }
    }
    return options;
}

// --- the files -----------------------------------------------------------------

struct Folder
{
    QString path; // absolute, for the files
    QString shown; // as the user gave it, for messages

    QString filePath(Kind kind) const { return QDir(path).filePath(flagFileName(kind)); }
    QString shownPath(Kind kind) const
    {
        return shown.isEmpty() ? flagFileName(kind) : QDir(shown).filePath(flagFileName(kind));
    }
};

struct LoadedFiles
{
    std::map<Kind, FlagLoad> loads;
    std::optional<Outcome> refusal;
};

LoadedFiles loadFiles(const Folder &folder, std::initializer_list<Kind> kinds)
{
    LoadedFiles files;
    for (Kind kind : kinds) {
        FlagLoad load = loadFlags(folder.filePath(kind), kind);
        if (load.status == FlagLoad::Status::Damaged) {
            files.refusal = failure(
                    Refused,
                    QStringLiteral("%1 is left as it is: %2").arg(folder.shownPath(kind), load.problem));
            return files;
        }
        if (load.status == FlagLoad::Status::Unreadable) {
            files.refusal =
                    failure(FileError,
                            QStringLiteral("cannot read %1: %2").arg(folder.shownPath(kind), load.problem));
            return files;
        }
        files.loads.emplace(kind, std::move(load));
    }
    return files;
}

int doneCount(const QByteArray &flags, int first, int count)
{
    return int(flags.mid(first - 1, count).count('1'));
}

// --- mark and unmark -------------------------------------------------------------

QString refusalOf(const QString &typed, const Lookup<Entry> &lookup)
{
    if (lookup.matches.size() > 1) {
        QString message = QStringLiteral("%1 names %2 entries; type one of these:")
                                  .arg(quoted(typed.trimmed()))
                                  .arg(lookup.matches.size());
        for (const Entry &entry : lookup.matches)
            message += QLatin1Char('\n') + entry.qualifiedName();
        return message;
    }
    QString message = QStringLiteral("no entry is named %1").arg(quoted(typed.trimmed()));
    if (!lookup.closeOnes.isEmpty()) {
        QStringList names;
        for (const Entry &entry : lookup.closeOnes)
            names.append(nameToType(entry));
        message += QStringLiteral("; close names: ") + quotedList(names);
    }
    return message;
}

Outcome setFlags(const Options &options, const Folder &folder, char flag)
{
    if (options.operands.isEmpty())
        return failure(UsageError, QStringLiteral("%1 needs at least one name").arg(options.command));

    // Every name first: one refused name leaves every file as it was.
    QList<Entry> entries;
    QStringList refusals;
    for (const QString &typed : options.operands) {
        const Lookup<Entry> lookup = lookUpEntry(typed);
        if (lookup.matches.size() == 1) {
            if (!entries.contains(lookup.matches.first()))
                entries.append(lookup.matches.first());
        } else {
            refusals.append(refusalOf(typed, lookup));
        }
    }
    if (!refusals.isEmpty())
        return failure(Refused, refusals.join(QLatin1Char('\n') + ProgramName + QStringLiteral(": ")));

    LoadedFiles files = loadFiles(folder, {Kind::Unique, Kind::Quest});
    if (files.refusal)
        return *files.refusal;

    QString output;
    std::map<Kind, bool> changed;
    for (const Entry &entry : entries) {
        QByteArray &flags = files.loads[entry.kind].flags;
        const bool already = flags[entry.position - 1] == flag;
        flags[entry.position - 1] = flag;
        changed[entry.kind] = true;
        output += QStringLiteral("[%1] %2%3\n")
                          .arg(flag == '1' ? QStringLiteral("x") : QStringLiteral(" "), entry.qualifiedName(),
                               already ? QStringLiteral(" (already so)") : QString());
    }
    // A missing file is written too, all "0", so both files are ready to be
    // published after the first mark.
    for (Kind kind : {Kind::Unique, Kind::Quest}) {
        const FlagLoad &load = files.loads[kind];
        if (!changed[kind] && load.status != FlagLoad::Status::Missing)
            continue;
        if (const QString problem = saveFlags(folder.filePath(kind), load.flags); !problem.isEmpty())
            return failure(FileError,
                           QStringLiteral("cannot write %1: %2").arg(folder.shownPath(kind), problem));
        output += QStringLiteral("%1: %2 of %3 done\n")
                          .arg(folder.shownPath(kind))
                          .arg(load.flags.count('1'))
                          .arg(flagCount(kind));
    }
    return success(output);
}

// --- show ------------------------------------------------------------------------

Outcome showSummary(const LoadedFiles &files)
{
    qsizetype width = 0;
    for (const Tab &tab : catalogTabs())
        width = std::max(width, tab.caption.size());
    QString output;
    for (Kind kind : {Kind::Unique, Kind::Quest}) {
        output += kind == Kind::Unique ? QStringLiteral("Regions\n") : QStringLiteral("Quest groups\n");
        const QByteArray &flags = files.loads.at(kind).flags;
        for (const Tab &tab : catalogTabs()) {
            if (tab.kind == kind)
                output += QStringLiteral("  %1  %2/%3\n")
                                  .arg(tab.caption.leftJustified(width))
                                  .arg(doneCount(flags, tab.firstPosition, tab.count))
                                  .arg(tab.count);
        }
    }
    output += QStringLiteral("Unique monsters beaten: %1/%2\n")
                      .arg(files.loads.at(Kind::Unique).flags.count('1'))
                      .arg(flagCount(Kind::Unique));
    output += QStringLiteral("Quests cleared: %1/%2\n")
                      .arg(files.loads.at(Kind::Quest).flags.count('1'))
                      .arg(flagCount(Kind::Quest));
    return success(output);
}

Outcome showTab(const QString &typed, const LoadedFiles &files)
{
    const Lookup<Tab> lookup = lookUpTab(typed);
    if (lookup.matches.size() != 1) {
        QString message = QStringLiteral("no region or quest group is named %1").arg(quoted(typed.trimmed()));
        QStringList captions;
        for (const Tab &tab : lookup.matches.isEmpty() ? lookup.closeOnes : lookup.matches)
            captions.append(tab.caption);
        if (lookup.matches.size() > 1)
            message = QStringLiteral("%1 is a region and a quest group").arg(quoted(typed.trimmed()));
        else if (!captions.isEmpty())
            message += QStringLiteral("; close names: ") + quotedList(captions);
        return failure(Refused, message);
    }
    const Tab &tab = lookup.matches.first();
    const QByteArray &flags = files.loads.at(tab.kind).flags;
    QString output = QStringLiteral("%1  %2/%3\n")
                             .arg(tab.caption)
                             .arg(doneCount(flags, tab.firstPosition, tab.count))
                             .arg(tab.count);
    for (const Entry &entry : catalogEntries()) {
        if (entry.kind == tab.kind && entry.tab == tab.index)
            output += QStringLiteral("[%1] %2\n")
                              .arg(flags[entry.position - 1] == '1' ? QLatin1Char('x') : QLatin1Char(' '))
                              .arg(entry.name);
    }
    return success(output);
}

Outcome show(const Options &options, const Folder &folder)
{
    const LoadedFiles files = loadFiles(folder, {Kind::Unique, Kind::Quest});
    if (files.refusal)
        return *files.refusal;
    // A caption with spaces may come in as several words.
    if (!options.operands.isEmpty())
        return showTab(options.operands.join(QLatin1Char(' ')), files);
    return showSummary(files);
}

// --- publish -----------------------------------------------------------------------

std::optional<QByteArray> readPassword(const QString &path, QString *error)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read the password file %1: %2")
                         .arg(path, file.exists() ? file.errorString() : QStringLiteral("no such file"));
        return std::nullopt;
    }
    QByteArray password = file.readLine(4096);
    while (password.endsWith('\n') || password.endsWith('\r'))
        password.chop(1);
    if (password.isEmpty()) {
        *error = QStringLiteral("the password file %1 holds no password on its first line").arg(path);
        return std::nullopt;
    }
    return password;
}

QString findClient(const QString &client)
{
    if (QDir::isAbsolutePath(client))
        return QFileInfo(client).isExecutable() ? client : QString();
    return QStandardPaths::findExecutable(client);
}

Outcome publish(const Options &options, const Folder &folder, const Context &context)
{
    if (!options.operands.isEmpty())
        return failure(UsageError,
                       QStringLiteral("publish takes no names: %1").arg(options.operands.join(' ')));

    FtpTarget target = configuredTarget();
    target.host = options.host.value_or(target.host);
    target.user = options.user.value_or(target.user);
    target.port = options.port;
    if (options.passwordFile) {
        QString problem;
        const auto password =
                readPassword(QDir(context.workingFolder).absoluteFilePath(*options.passwordFile), &problem);
        if (!password)
            return failure(FileError, problem);
        target.password = *password;
    }

    // Only files the viewer reads as they are go out.
    const LoadedFiles files = loadFiles(folder, {Kind::Unique, Kind::Quest});
    if (files.refusal)
        return *files.refusal;
    for (Kind kind : {Kind::Unique, Kind::Quest}) {
        if (files.loads.at(kind).status == FlagLoad::Status::Missing)
            return failure(Refused,
                           QStringLiteral("there is no %1 to publish; mark or unmark an entry first")
                                   .arg(folder.shownPath(kind)));
    }

    const QString client = findClient(context.ftpClient);
    if (client.isEmpty())
        return failure(PublishFailed,
                       QStringLiteral("%1 not found: install Debian's ncftp package (apt install ncftp)")
                               .arg(context.ftpClient));

    QString problem;
    const std::unique_ptr<QTemporaryFile> login = writeLoginFile(target, &problem);
    if (!login)
        return failure(PublishFailed, problem);

    const QString server =
            target.port > 0 ? QStringLiteral("%1:%2").arg(target.host).arg(target.port) : target.host;
    QString output;
    QStringList uploaded;
    for (Kind kind : {Kind::Unique, Kind::Quest}) {
        const Upload upload =
                uploadFile(client, login->fileName(), target.port, folder.path, flagFileName(kind));
        if (!upload.succeeded) {
            QString message = QStringLiteral("uploading %1 to %2 as %3 failed: %4")
                                      .arg(folder.shownPath(kind), server, target.user, upload.reason);
            if (!uploaded.isEmpty())
                message += QStringLiteral(" (%1 went up)").arg(uploaded.join(QStringLiteral(", ")));
            return failure(PublishFailed, message);
        }
        uploaded.append(flagFileName(kind));
        output +=
                QStringLiteral("Uploaded %1 to %2 as %3\n").arg(folder.shownPath(kind), server, target.user);
    }
    return success(output);
}

} // namespace

Outcome run(const QStringList &arguments, const Context &context)
{
    const auto parsed = parse(arguments);
    if (const QString *problem = std::get_if<QString>(&parsed))
        return failure(UsageError, *problem);
    const Options &options = std::get<Options>(parsed);
    if (options.help)
        return success(HelpText.arg(configuredTarget().host, configuredTarget().user));
    if (options.version)
        return success(ProgramName + QStringLiteral(" ") + QStringLiteral(HUNTMARK_VERSION) +
                       QLatin1Char('\n'));

    Folder folder{QDir(context.workingFolder)
                          .absoluteFilePath(options.folder.isEmpty() ? QStringLiteral(".") : options.folder),
                  options.folder};
    folder.path = QDir::cleanPath(folder.path);
    if (!QFileInfo(folder.path).isDir())
        return failure(FileError, QStringLiteral("there is no folder %1").arg(folder.shown));

    if (options.command == QLatin1String("mark"))
        return setFlags(options, folder, '1');
    if (options.command == QLatin1String("unmark"))
        return setFlags(options, folder, '0');
    if (options.command == QLatin1String("show"))
        return show(options, folder);
    if (options.command == QLatin1String("publish"))
        return publish(options, folder, context);
    if (options.command.isEmpty())
        return failure(UsageError, QStringLiteral("no command given (see --help)"));
    return failure(UsageError,
                   QStringLiteral("unknown command %1 (see --help)").arg(quoted(options.command)));
}

} // namespace progresstool
