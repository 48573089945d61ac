// ncftpget.exe: the download client the viewer's script names, for systems
// where the Windows client does not exist. It hands its arguments to
// Debian's ncftpget, with differences that make every download whole or
// nothing, bounded in time and size, and keep the password to its owner:
//  - the password leaves this program's own arguments first thing, so the
//    process list never shows it; the account and password reach the client
//    through a login file (-f) that exists only in memory, handed over as an
//    inherited descriptor. A login file given by the caller (the script
//    helper hands one over the same way) is passed on as it is.
//  - a download goes into a fresh owner-only folder beside the local copy and
//    replaces the copy in one rename only when it is whole: the client
//    succeeded, and it received exactly the bytes the server announced for
//    the file before sending it (its conversation log tells; a server that
//    announces nothing is taken at its word). A reader never sees half a
//    file, and a failure leaves the copy as it was. There is nothing to
//    resume there: a corrected file on the server always arrives. (Resuming
//    stays on in name because only then does the client give the file the
//    server's time.)
//  - a progress file is a few hundred bytes: a remote file over 1 MiB is
//    refused, and the client cannot write more than that in the first place.
//  - the client gives up on a silent server after ten seconds and redials
//    once, unless told otherwise, and it is ended when a download has taken
//    18 seconds whatever the server does (a server that keeps sending a byte
//    now and then never trips its idle timeout). Both downloads of a fetch
//    thus end within 45 seconds, well inside the minute between fetches.
// Its progress meter stays off unless asked for: nobody watches it, and the
// viewer keeps only the last complaints. The exit status is the client's, or
// this program's own when it refused a download.
#include "childend.h"
#include "clientcommandline.h"
#include "downloadtemporary.h"
#include "exitstatus.h"
#include "memoryfile.h"
#include "quithandlers.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// What the client itself answers when it cannot write the local file or the
// transfer failed.
constexpr int CannotWriteStatus = 3;
constexpr int RefusedStatus = 3;
// As timeout(1) answers.
constexpr int TimedOutStatus = 124;

constexpr long long MaxDownloadBytes = 1024 * 1024;
constexpr auto DownloadDeadline = std::chrono::seconds(18);
// A client asked to end gets this long before it is killed.
constexpr auto KillGrace = std::chrono::seconds(1);
constexpr auto PollInterval = std::chrono::milliseconds(20);

const Clock::time_point startTime = Clock::now();

void complain(const std::string &text)
{
    std::fprintf(stderr, "ncftpget.exe: %s\n", text.c_str());
}

// Overwrites the password in the arguments the process list shows; the
// parsed copy keeps it.
void wipePasswords(char *argv[], const fetchprotocol::CommandLine &line)
{
    for (const fetchprotocol::Option &option : line.options) {
        if (option.letter == 'p' && option.value) {
            char *text = argv[option.valueArgument + 1] + option.valueOffset;
            std::memset(text, 0, std::strlen(text));
        }
    }
}

bool isExecutableFile(const std::string &path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)
            && ::access(path.c_str(), X_OK) == 0;
}

// Debian's client, found on the search path. This program is named
// differently, so it never finds itself.
std::string findClient()
{
    const char *path = std::getenv("PATH");
    std::string_view folders = path ? path : "";
    while (true) {
        const size_t end = folders.find(':');
        const std::string_view folder = folders.substr(0, end);
        if (!folder.empty()) {
            const std::string candidate = std::string(folder) + "/ncftpget";
            if (isExecutableFile(candidate))
                return candidate;
        }
        if (end == std::string_view::npos)
            return {};
        folders.remove_prefix(end + 1);
    }
}

volatile sig_atomic_t clientPid = 0;
volatile sig_atomic_t stopSignal = 0;

// The viewer ends a fetch with SIGTERM to the whole process group; the
// client is passed the signal too, so that it ends even when signalled
// alone, and the temporary download is removed once it has.
void onStopSignal(int signal)
{
    stopSignal = signal;
    if (clientPid > 0)
        ::kill(pid_t(clientPid), signal);
}

struct ClientRun
{
    int status = 0;
    bool timedOut = false;
};

// Starts the client with no file of it growing past the size limit (a write
// beyond it fails instead of ending the client), and ends it at the
// deadline.
pid_t startClient(const std::string &client, const std::vector<std::string> &arguments)
{
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(client.c_str()));
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);

    const pid_t self = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Should this program die without passing a stop on (SIGKILL), the
        // client ends too rather than download on beside the next fetch.
        processes::endWithParent(self, SIGTERM, fetchprotocol::exitStatusKilledBy(SIGTERM));
        const rlimit limit { rlim_t(MaxDownloadBytes + 1), rlim_t(MaxDownloadBytes + 1) };
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::signal(SIGXFSZ, SIG_IGN);
        ::execv(client.c_str(), argv.data());
        ::_exit(fetchprotocol::ExitNotFound);
    }
    return pid;
}

ClientRun runClient(const std::string &client, const std::vector<std::string> &arguments)
{
    if (stopSignal != 0)
        return { fetchprotocol::exitStatusKilledBy(stopSignal), false };
    const pid_t pid = startClient(client, arguments);
    if (pid < 0)
        return { fetchprotocol::ExitNotFound, false };
    clientPid = pid;
    if (stopSignal != 0)
        ::kill(pid, int(stopSignal));

    ClientRun run;
    Clock::time_point killAt = Clock::time_point::max();
    int waitStatus = 0;
    while (true) {
        const pid_t ended = ::waitpid(pid, &waitStatus, WNOHANG);
        if (ended == pid || (ended < 0 && errno != EINTR))
            break;
        const Clock::time_point now = Clock::now();
        if (!run.timedOut && now - startTime >= DownloadDeadline) {
            run.timedOut = true;
            killAt = now + KillGrace;
            ::kill(pid, SIGTERM);
        } else if (now >= killAt) {
            ::kill(pid, SIGKILL);
            killAt = Clock::time_point::max();
        }
        std::this_thread::sleep_for(PollInterval);
    }
    clientPid = 0;
    run.status = fetchprotocol::exitStatusFromWait(waitStatus);
    return run;
}

std::string folderOf(const std::string &path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string &path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string readText(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::optional<long long> fileSize(const std::string &path)
{
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return info.st_size;
}

std::optional<long long> number(std::string_view digits)
{
    if (digits.empty() || digits.size() > 18
        || digits.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    return std::stoll(std::string(digits));
}

bool sameLetters(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i]))
            != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// The lines of the client's conversation log, without their time stamps.
std::vector<std::string_view> logLines(std::string_view log)
{
    constexpr size_t StampLength = 21; // "2026-12-07 03:06:04  "
    std::vector<std::string_view> lines;
    while (!log.empty()) {
        const size_t end = log.find('\n');
        std::string_view line = log.substr(0, end);
        lines.push_back(line.size() >= StampLength ? line.substr(StampLength) : std::string_view());
        if (end == std::string_view::npos)
            break;
        log.remove_prefix(end + 1);
    }
    return lines;
}

// The "size" fact of an MLST answer: "  modify=...;size=159;type=file; /name".
std::optional<long long> sizeFact(std::string_view line)
{
    line.remove_prefix(std::min(line.find_first_not_of(' '), line.size()));
    std::string_view facts = line.substr(0, line.find(' '));
    while (!facts.empty()) {
        const size_t end = facts.find(';');
        const std::string_view fact = facts.substr(0, end);
        const size_t equals = fact.find('=');
        if (equals != std::string_view::npos && sameLetters(fact.substr(0, equals), "size"))
            return number(fact.substr(equals + 1));
        if (end == std::string_view::npos)
            break;
        facts.remove_prefix(end + 1);
    }
    return std::nullopt;
}

// The size the server gave for the file just before the client asked for
// it: the answer to MLST or, from a server without it, to SIZE ("213: 159").
std::optional<long long> announcedSize(const std::string &log)
{
    std::optional<long long> size;
    std::string_view asked;
    for (const std::string_view line : logLines(log)) {
        if (line.starts_with("Cmd: ")) {
            if (line.starts_with("Cmd: RETR "))
                return size;
            asked = line.substr(5, 4);
            continue;
        }
        if (asked == "MLST" && !size)
            size = sizeFact(line);
        else if (asked == "SIZE" && line.starts_with("213: "))
            size = number(line.substr(5));
    }
    return std::nullopt;
}

// What the client brought, and whether it is the whole file.
int judgeDownload(const ClientRun &run, const std::string &remote, const std::string &conversation,
                  const std::string &download)
{
    const std::optional<long long> announced = announcedSize(readText(conversation));
    const std::optional<long long> received = fileSize(download);
    if ((announced && *announced > MaxDownloadBytes)
        || (received && *received > MaxDownloadBytes)) {
        complain(remote + " on the server is larger than " + std::to_string(MaxDownloadBytes)
                 + " bytes; the local copy stays as it was");
        return RefusedStatus;
    }
    if (run.timedOut) {
        complain("the download of " + remote + " did not finish within "
                 + std::to_string(DownloadDeadline.count()) + " s; the local copy stays as it was");
        return TimedOutStatus;
    }
    if (run.status != 0)
        return run.status;
    // A client that reports success without a file has not brought one.
    if (!received)
        return CannotWriteStatus;
    if (announced && *received != *announced) {
        complain(remote + " arrived with " + std::to_string(*received) + " of the "
                 + std::to_string(*announced)
                 + " bytes the server announced; the local copy stays as it was");
        return RefusedStatus;
    }
    return 0;
}

// Marks a fresh download folder as this client's, so that a run killed
// before it could clean up leaves a folder the viewer knows to remove.
bool markAsOurs(const std::string &marker)
{
    const int fd = ::open(marker.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

// Downloads into a new folder beside the local copy, where the client finds
// no file to resume or keep, then moves the result over the copy.
int downloadWhole(const std::string &client, fetchprotocol::CommandLine line)
{
    const std::string local = line.operands.back();
    const std::string remote = line.operands[1];
    std::string folder =
            folderOf(local) + "/" + fetchprotocol::downloadTemporaryTemplate(nameOf(local));
    if (::mkdtemp(folder.data()) == nullptr)
        return CannotWriteStatus;
    const std::string marker = folder + "/" + std::string(fetchprotocol::DownloadTemporaryMarker);
    if (!markAsOurs(marker)) {
        ::rmdir(folder.c_str());
        return CannotWriteStatus;
    }
    const std::string download = folder + "/" + nameOf(local);
    const std::string conversation =
            folder + "/" + std::string(fetchprotocol::DownloadConversationName);
    line.operands.back() = download;
    line.options.push_back({ 'd', conversation });

    const ClientRun run = runClient(client, fetchprotocol::formatCommandLine(line));
    int status = stopSignal != 0 ? run.status : judgeDownload(run, remote, conversation, download);
    if (status == 0 && stopSignal == 0 && ::rename(download.c_str(), local.c_str()) != 0)
        status = CannotWriteStatus;
    ::unlink(download.c_str());
    ::unlink(conversation.c_str());
    ::unlink(marker.c_str());
    ::rmdir(folder.c_str());
    return status;
}

int runPlain(const std::string &client, const fetchprotocol::CommandLine &line)
{
    const ClientRun run = runClient(client, fetchprotocol::formatCommandLine(line));
    if (run.timedOut) {
        complain("the client did not finish within " + std::to_string(DownloadDeadline.count())
                 + " s");
        return TimedOutStatus;
    }
    return run.status;
}

void addOption(fetchprotocol::CommandLine &line, char letter,
               std::optional<std::string> value = std::nullopt)
{
    line.options.push_back({ letter, std::move(value) });
}

} // namespace

int main(int argc, char *argv[])
{
    fetchprotocol::CommandLine line =
            fetchprotocol::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    wipePasswords(argv, line);

    const std::string client = findClient();
    if (client.empty()) {
        complain("ncftpget was not found on the search path");
        return fetchprotocol::ExitNotFound;
    }
    processes::catchQuitSignals(onStopSignal, processes::Interrupted::Fail);

    if (!line.has('t'))
        addOption(line, 't', "10");
    if (!line.has('r'))
        addOption(line, 'r', "1");
    if (!line.has('v') && !line.has('V'))
        addOption(line, 'V');
    // In memory only, inherited by the client, which opens it as /dev/fd/N.
    std::optional<processes::MemoryFile> login;
    if (const std::string text = fetchprotocol::takeLogin(line); !text.empty()) {
        login.emplace("ncftpget-login", text, processes::MemoryFile::Inherited::ByEveryChild);
        if (!login->valid()) {
            complain("no login file could be made");
            return CannotWriteStatus;
        }
        fetchprotocol::useLoginFile(line, login->path());
    }

    const int status = line.has('C') && line.operands.size() == 3 ? downloadWhole(client, line)
                                                                  : runPlain(client, line);
    if (stopSignal != 0)
        processes::endBySignal(int(stopSignal));
    return status;
}
