#include "progresstool.h"

#include "entrynames.h"
#include "filechanges.h"
#include "flagfile.h"
#include "folderlock.h"
#include "interruption.h"
#include "publisher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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
  init                  start a record: both progress files, nothing done
  mark NAME...          mark unique monsters, quests or milestones as done
  unmark NAME...        mark them as not done
  show                  done/total per region and quest group, and the totals
  show REGION-OR-GROUP  the entries of one tab, [x] for done, in list order
  publish               upload UniquesDefeated.txt and QuestsCleared.txt

A NAME is an entry's name as the viewer lists it, in any case. A name held by
more than one entry is typed with its tab's caption in front:
  huntmark-progress mark "Mudskipper Chief" "Mother Hoarfrost: A Lamp for Rimeholt"
When any name is refused, nothing is written. mark and unmark work on the
files init made; they refuse a folder without them.

Options:
  --folder DIR          the progress files are in DIR (default: the current folder)
  --host HOST           publish: the FTP server (default: %1)
  --user USER           publish: the FTP account (default: %2)
  --password-file FILE  publish: the account's password is the first line of FILE
                        (default: the desktop keyring's password for this server,
                        port and account, else the password the viewer is built with)
  --port PORT           publish: the FTP server's port (default: 21)
  --force               publish: even when it undoes entries done on the server
                        (an entry you unmarked here after publishing it needs none)
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
    bool force = false;
    bool help = false;
    bool version = false;
};

Outcome failure(int status, const QString &message)
{
    return { status, QString(), ProgramName + QStringLiteral(": ") + message + QLatin1Char('\n') };
}

Outcome success(const QString &output)
{
    return { Success, output, QString() };
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

const QStringList ValueOptions { QStringLiteral("--folder"), QStringLiteral("--host"),
                                 QStringLiteral("--user"), QStringLiteral("--password-file"),
                                 QStringLiteral("--port") };
const QStringList PublishOptions { QStringLiteral("--host"), QStringLiteral("--user"),
                                   QStringLiteral("--password-file"), QStringLiteral("--port"),
                                   QStringLiteral("--force") };

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
            return QStringLiteral("--port takes a number from 1 to 65535, not %1")
                    .arg(quoted(value));
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
        } else if (!optionsEnded
                   && (argument == QLatin1String("--help") || argument == QLatin1String("-h"))) {
            options.help = true;
        } else if (!optionsEnded && argument == QLatin1String("--version")) {
            options.version = true;
        } else if (!optionsEnded && argument == QLatin1String("--force")) {
            options.force = true;
            used.append(argument);
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
            files.refusal = failure(Refused,
                                    QStringLiteral("%1 is left as it is: %2")
                                            .arg(folder.shownPath(kind), load.problem));
            return files;
        }
        if (load.status == FlagLoad::Status::Unreadable) {
            files.refusal = failure(
                    FileError,
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

// Waits for the folder's lock; nothing when the command may go on. Reading
// commands go on without a lock where none can be made (a folder that is
// not theirs), since no run of the tool can write there either.
std::optional<Outcome> lockFolder(FolderLock &lock, const Folder &folder, const Context &context,
                                  bool forWriting)
{
    switch (lock.acquire(context.lockWaitMs)) {
    case FolderLock::Result::Locked:
        return std::nullopt;
    case FolderLock::Result::Busy:
        return failure(FileError,
                       QStringLiteral("%1 is still working on the progress files in %2 after %3 s; "
                                      "try again when it has finished")
                               .arg(lock.holder(), folder.path,
                                    QString::number(context.lockWaitMs / 1000.0)));
    case FolderLock::Result::Impossible:
        if (!forWriting)
            return std::nullopt;
        return failure(FileError,
                       QStringLiteral("cannot lock the progress files in %1: %2")
                               .arg(folder.path, lock.problem()));
    case FolderLock::Result::NotAFile:
        return failure(FileError,
                       QStringLiteral("cannot lock the progress files: %1").arg(lock.problem()));
    case FolderLock::Result::Interrupted:
        break;
    }
    return failure(FileError,
                   QStringLiteral("stopped by a signal while waiting for the progress files in %1")
                           .arg(folder.path));
}

// Both files as a reading command sees them: read once another run on the
// folder has finished its write, or why they cannot be read.
LoadedFiles loadBothForReading(const Folder &folder, const Context &context)
{
    FolderLock lock(folder.path);
    if (auto refusal = lockFolder(lock, folder, context, false))
        return { {}, std::move(refusal) };
    return loadFiles(folder, { Kind::Unique, Kind::Quest });
}

// mark and unmark change a record, never start one: in the wrong folder
// they would otherwise make a fresh "nothing done" pair that a publish
// then puts over the real one. show says so too, rather than "nothing done".
std::optional<Outcome> refuseWithoutRecord(const LoadedFiles &files, const Folder &folder)
{
    QStringList missing;
    QStringList present;
    for (Kind kind : { Kind::Unique, Kind::Quest })
        (files.loads.at(kind).status == FlagLoad::Status::Missing ? missing : present)
                .append(flagFileName(kind));
    if (missing.isEmpty())
        return std::nullopt;
    const QString start = QStringLiteral("to start a record there, run \"huntmark-progress init\"");
    if (present.isEmpty())
        return failure(Refused,
                       QStringLiteral("there are no progress files in %1; %2, or give --folder the "
                                      "folder that holds them")
                               .arg(folder.path, start));
    return failure(Refused,
                   QStringLiteral("%1 holds %2 but no %3; %4, which adds the missing file")
                           .arg(folder.path, present.first(), missing.first(), start));
}

Outcome commitFailure(const CommitResult &result, const Folder &folder)
{
    const QString shown = folder.shown.isEmpty() ? result.failedName
                                                 : QDir(folder.shown).filePath(result.failedName);
    return failure(FileError, QStringLiteral("cannot write %1: %2").arg(shown, result.problem));
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

Outcome setFlags(const Options &options, const Folder &folder, const Context &context, char flag)
{
    if (options.operands.isEmpty())
        return failure(UsageError,
                       QStringLiteral("%1 needs at least one name").arg(options.command));

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
        return failure(Refused,
                       refusals.join(QLatin1Char('\n') + ProgramName + QStringLiteral(": ")));

    FolderLock lock(folder.path);
    if (const auto refusal = lockFolder(lock, folder, context, true))
        return *refusal;
    LoadedFiles files = loadFiles(folder, { Kind::Unique, Kind::Quest });
    if (files.refusal)
        return *files.refusal;
    if (const auto refusal = refuseWithoutRecord(files, folder))
        return *refusal;

    QString output;
    std::map<Kind, bool> changed;
    for (const Entry &entry : entries) {
        QByteArray &flags = files.loads[entry.kind].flags;
        const bool already = flags[entry.position - 1] == flag;
        flags[entry.position - 1] = flag;
        changed[entry.kind] = true;
        output += QStringLiteral("[%1] %2%3\n")
                          .arg(flag == '1' ? QStringLiteral("x") : QStringLiteral(" "),
                               entry.qualifiedName(),
                               already ? QStringLiteral(" (already so)") : QString());
    }
    // Both files change together or not at all.
    QList<FileChange> changes;
    for (Kind kind : { Kind::Unique, Kind::Quest }) {
        const FlagLoad &load = files.loads[kind];
        if (changed[kind])
            changes.append({ folder.filePath(kind), flagFileName(kind), load.fileWith(load.flags),
                             load.bytes });
    }
    if (const CommitResult result = commitChanges(changes); !result.committed)
        return commitFailure(result, folder);
    for (Kind kind : { Kind::Unique, Kind::Quest }) {
        const FlagLoad &load = files.loads[kind];
        if (!changed[kind])
            continue;
        output += QStringLiteral("%1: %2 of %3 done\n")
                          .arg(folder.shownPath(kind))
                          .arg(load.flags.count('1'))
                          .arg(flagCount(kind));
    }
    return success(output);
}

// --- init ------------------------------------------------------------------------

// Starts a record: whichever of the two files is missing is made, all "0";
// an existing one is left as it is.
Outcome init(const Options &options, const Folder &folder, const Context &context)
{
    if (!options.operands.isEmpty())
        return failure(UsageError,
                       QStringLiteral("init takes no names: %1").arg(options.operands.join(u' ')));
    FolderLock lock(folder.path);
    if (const auto refusal = lockFolder(lock, folder, context, true))
        return *refusal;
    QList<FileChange> changes;
    QString output;
    for (Kind kind : { Kind::Unique, Kind::Quest }) {
        const QFileInfo info(folder.filePath(kind));
        if (info.exists() || info.isSymLink()) {
            output += QStringLiteral("%1: already there, left as it is\n")
                              .arg(folder.shownPath(kind));
            continue;
        }
        const QByteArray flags(flagCount(kind), '0');
        changes.append({ folder.filePath(kind), flagFileName(kind), flags + "\r\n", std::nullopt });
        output += QStringLiteral("%1: 0 of %2 done\n")
                          .arg(folder.shownPath(kind))
                          .arg(flagCount(kind));
    }
    if (changes.isEmpty())
        return failure(
                Refused,
                QStringLiteral("%1 already holds a record (%2 and %3); init starts one only "
                               "where there is none")
                        .arg(folder.path, flagFileName(Kind::Unique), flagFileName(Kind::Quest)));
    if (const CommitResult result = commitChanges(changes); !result.committed)
        return commitFailure(result, folder);
    return success(output);
}

// --- show ------------------------------------------------------------------------

Outcome showSummary(const LoadedFiles &files)
{
    qsizetype width = 0;
    for (const Tab &tab : catalogTabs())
        width = std::max(width, tab.caption.size());
    QString output;
    for (Kind kind : { Kind::Unique, Kind::Quest }) {
        output += kind == Kind::Unique ? QStringLiteral("Regions\n")
                                       : QStringLiteral("Quest groups\n");
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
        QString message =
                QStringLiteral("no region or quest group is named %1").arg(quoted(typed.trimmed()));
        QStringList captions;
        for (const Tab &tab : lookup.matches.isEmpty() ? lookup.closeOnes : lookup.matches)
            captions.append(tab.caption);
        if (lookup.matches.size() > 1)
            message =
                    QStringLiteral("%1 is a region and a quest group").arg(quoted(typed.trimmed()));
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
                              .arg(flags[entry.position - 1] == '1' ? QLatin1Char('x')
                                                                    : QLatin1Char(' '))
                              .arg(entry.name);
    }
    return success(output);
}

Outcome show(const Options &options, const Folder &folder, const Context &context)
{
    const LoadedFiles files = loadBothForReading(folder, context);
    if (files.refusal)
        return *files.refusal;
    // "Nothing done" from a folder without a record would be a wrong answer.
    if (const auto refusal = refuseWithoutRecord(files, folder))
        return *refusal;
    // A caption with spaces may come in as several words.
    if (!options.operands.isEmpty())
        return showTab(options.operands.join(QLatin1Char(' ')), files);
    return showSummary(files);
}

// --- publish -----------------------------------------------------------------------

std::optional<QByteArray> readPassword(const QString &path, QString *error, int *status)
{
    const QFileInfo info(path);
    *status = FileError;
    if (!info.exists()) {
        *error = QStringLiteral("cannot read the password file %1: no such file").arg(path);
        return std::nullopt;
    }
    // A named pipe would block until someone writes to it, a folder has no
    // first line.
    if (!info.isFile()) {
        *error = QStringLiteral("the password file %1 is not a plain file (%2); give a file "
                                "holding the password on its first line")
                         .arg(path,
                              info.isDir() ? QStringLiteral("a folder")
                                           : QStringLiteral("a pipe or a device"));
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read the password file %1: %2")
                         .arg(path, file.errorString());
        return std::nullopt;
    }
    // As ssh does with keys: a password others can read is no secret.
    if (file.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther)) {
        *status = Refused;
        *error = QStringLiteral("the password file %1 can be read by other users; make it yours "
                                "alone with: "
                                "chmod 600 %1")
                         .arg(path);
        return std::nullopt;
    }
    QByteArray password = file.readLine(4096);
    while (password.endsWith('\n') || password.endsWith('\r'))
        password.chop(1);
    if (password.isEmpty()) {
        *error = QStringLiteral("the password file %1 holds no password on its first line")
                         .arg(path);
        return std::nullopt;
    }
    return password;
}

constexpr int ListedUndoneEntries = 10;

QString undoRefusal(const QStringList &names)
{
    QString list = quotedList(names.mid(0, ListedUndoneEntries));
    if (names.size() > ListedUndoneEntries)
        list += QStringLiteral(" and %1 more").arg(names.size() - ListedUndoneEntries);
    return QStringLiteral(
                   "publishing would undo %1 %2 done on the server: %3; mark %4 done here first, "
                   "or publish with --force to undo %4")
            .arg(names.size())
            .arg(names.size() == 1 ? QStringLiteral("entry") : QStringLiteral("entries"), list,
                 names.size() == 1 ? QStringLiteral("it") : QStringLiteral("them"));
}

// Nothing to publish unless both files are there and read as the viewer
// reads them; and a mark in another terminal finishes first.
std::optional<Outcome> refuseUnpublishable(const Folder &folder, const Context &context)
{
    const LoadedFiles files = loadBothForReading(folder, context);
    if (files.refusal)
        return *files.refusal;
    for (Kind kind : { Kind::Unique, Kind::Quest }) {
        if (files.loads.at(kind).status == FlagLoad::Status::Missing)
            return failure(Refused,
                           QStringLiteral("there is no %1 to publish; start a record with "
                                          "\"huntmark-progress init\" and mark entries first")
                                   .arg(folder.shownPath(kind)));
    }
    return std::nullopt;
}

Outcome publishedOutcome(const publishing::PublishOutcome &published, const Folder &folder,
                         const publishing::FtpAccount &account)
{
    using Result = publishing::PublishOutcome::Result;
    const QString server = account.port > 0
            ? QStringLiteral("%1:%2").arg(account.host).arg(account.port)
            : account.host;
    switch (published.result) {
    case Result::Published: {
        QString output;
        for (Kind kind : { Kind::Unique, Kind::Quest })
            output += QStringLiteral("Uploaded %1 to %2 as %3\n")
                              .arg(folder.shownPath(kind), server, account.user);
        if (!published.merged.isEmpty())
            output += QStringLiteral("Took in what another publisher had marked meanwhile: %1\n")
                              .arg(quotedList(published.merged));
        return success(output);
    }
    case Result::ServerHasMore:
        return failure(Refused, undoRefusal(published.serverOnly));
    case Result::LocalFilesBad:
    case Result::FolderBusy:
        return failure(FileError, published.reason);
    case Result::Interrupted:
        return failure(PublishFailed,
                       QStringLiteral("stopped by a signal; the files on the server are whole, old "
                                      "or new"));
    case Result::Failed:
        // Only where the account may write but not read does --force help.
        if (published.serverUnread)
            return failure(PublishFailed,
                           published.reason
                                   + QStringLiteral(" (--force publishes without reading them)"));
        break;
    default:
        break;
    }
    return failure(PublishFailed, published.reason);
}

Outcome publish(const Options &options, const Folder &folder, const Context &context)
{
    if (!options.operands.isEmpty())
        return failure(
                UsageError,
                QStringLiteral("publish takes no names: %1").arg(options.operands.join(u' ')));

    publishing::FtpAccount account = publishing::builtInAccount();
    account.host = options.host.value_or(account.host);
    account.user = options.user.value_or(account.user);
    account.port = options.port;
    // One line each in the login file: a line break would start another entry.
    for (const QString &value : { account.host, account.user }) {
        if (value.isEmpty() || value.contains(QLatin1Char('\n'))
            || value.contains(QLatin1Char('\r')))
            return failure(UsageError,
                           QStringLiteral("the FTP host and user must be one line of text each"));
    }
    if (options.passwordFile) {
        QString problem;
        int status = FileError;
        const auto password =
                readPassword(QDir(context.workingFolder).absoluteFilePath(*options.passwordFile),
                             &problem, &status);
        if (!password)
            return failure(status, problem);
        account.password = *password;
    } else if (context.useKeyring) {
        // The tracker's account, set up once, serves the tool as well.
        const publishing::KeyringAnswer kept = publishing::readPasswordAndWait(account);
        if (kept.result == publishing::KeyringAnswer::Result::Found)
            account.password = kept.password;
    }
    if (const auto refusal = refuseUnpublishable(folder, context))
        return *refusal;

    publishing::Publisher::Options publishOptions;
    publishOptions.folder = folder.path;
    publishOptions.account = account;
    publishOptions.uploadClient = context.ftpClient;
    publishOptions.downloadClient = context.downloadClient;
    publishOptions.listClient = context.listClient;
    publishOptions.force = options.force;
    publishOptions.lockWaitMs = context.lockWaitMs;
    const publishing::PublishOutcome published =
            publishing::publishAndWait(publishOptions, [] { return interruptingSignal() != 0; });
    return publishedOutcome(published, folder, account);
}

} // namespace

Outcome run(const QStringList &arguments, const Context &context)
{
    const auto parsed = parse(arguments);
    if (const QString *problem = std::get_if<QString>(&parsed))
        return failure(UsageError, *problem);
    const Options &options = std::get<Options>(parsed);
    if (options.help)
        return success(
                HelpText.arg(publishing::builtInAccount().host, publishing::builtInAccount().user));
    if (options.version)
        return success(ProgramName + QStringLiteral(" ") + QStringLiteral(HUNTMARK_VERSION)
                       + QLatin1Char('\n'));

    Folder folder { QDir(context.workingFolder)
                            .absoluteFilePath(options.folder.isEmpty() ? QStringLiteral(".")
                                                                       : options.folder),
                    options.folder };
    folder.path = QDir::cleanPath(folder.path);
    if (!QFileInfo(folder.path).isDir())
        return failure(FileError, QStringLiteral("there is no folder %1").arg(folder.shown));

    if (options.command == QLatin1String("init"))
        return init(options, folder, context);
    if (options.command == QLatin1String("mark"))
        return setFlags(options, folder, context, '1');
    if (options.command == QLatin1String("unmark"))
        return setFlags(options, folder, context, '0');
    if (options.command == QLatin1String("show"))
        return show(options, folder, context);
    if (options.command == QLatin1String("publish"))
        return publish(options, folder, context);
    if (options.command.isEmpty())
        return failure(UsageError, QStringLiteral("no command given (see --help)"));
    return failure(UsageError,
                   QStringLiteral("unknown command %1 (see --help)").arg(quoted(options.command)));
}

} // namespace progresstool
