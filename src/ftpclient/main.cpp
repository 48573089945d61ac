// ncftpget.exe: the download client the viewer's script names, for systems
// where the Windows client does not exist. It hands its arguments to
// Debian's ncftpget unchanged, with two differences that make every
// download whole or nothing:
//  - a download goes into a fresh temporary folder beside the local copy and
//    replaces the copy in one rename only when it completed, so a reader
//    never sees half a file and a failure leaves the copy as it was. There
//    is nothing to resume there: a corrected file on the server always
//    arrives, never skipped for having the local copy's size or appended to
//    it. (Resuming stays on in name because only then does the client give
//    the file the server's time.)
//  - unless told otherwise, the client gives up on a silent server after ten
//    seconds and redials once, so both downloads of a fetch end well inside
//    the minute between fetches.
// Its progress meter stays off unless asked for: nobody watches it, and the
// viewer keeps only the client's last complaints. The exit status is the
// client's.
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

constexpr int NotFoundStatus = 127;
// What the client itself answers when it cannot write the local file.
constexpr int CannotWriteStatus = 3;

struct Options
{
    bool copyToPath = false; // -C: the last argument names the local file
    bool timeoutGiven = false;
    bool redialGiven = false;
    bool meterChosen = false;
    size_t optionsEnd = 0; // where further options go
    size_t firstOperand = 0;
};

// ncftpget's options that take a value, attached or as the next argument.
bool takesValue(char option)
{
    return std::string_view("upPjdtfhIBroWXY").find(option) != std::string_view::npos;
}

Options scanOptions(const std::vector<std::string> &args)
{
    Options options;
    size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg == "--") {
            options.optionsEnd = i;
            options.firstOperand = i + 1;
            return options;
        }
        if (arg.size() < 2 || arg[0] != '-')
            break;
        for (size_t k = 1; k < arg.size(); ++k) {
            const char option = arg[k];
            options.copyToPath |= option == 'C';
            options.timeoutGiven |= option == 't';
            options.redialGiven |= option == 'r';
            options.meterChosen |= option == 'v' || option == 'V';
            if (takesValue(option)) {
                if (k + 1 == arg.size())
                    ++i;
                break;
            }
        }
    }
    options.optionsEnd = options.firstOperand = std::min(i, args.size());
    return options;
}

bool isExecutableFile(const std::string &path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
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

void catchStopSignals()
{
    struct sigaction action
    {
    };
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

int statusOf(int waitStatus)
{
    if (WIFEXITED(waitStatus))
        return WEXITSTATUS(waitStatus);
    return 128 + WTERMSIG(waitStatus);
}

int runClient(const std::string &client, const std::vector<std::string> &arguments)
{
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(client.c_str()));
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);

    pid_t pid = 0;
    if (stopSignal != 0)
        return 128 + stopSignal;
    if (::posix_spawn(&pid, client.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return NotFoundStatus;
    clientPid = pid;
    if (stopSignal != 0)
        ::kill(pid, int(stopSignal));
    int waitStatus = 0;
    while (::waitpid(pid, &waitStatus, 0) < 0 && errno == EINTR) { }
    clientPid = 0;
    return statusOf(waitStatus);
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

// Downloads into a new folder beside the local copy, where the client finds
// no file to resume or keep, then moves the result over the copy.
int downloadWhole(const std::string &client, std::vector<std::string> arguments)
{
    const std::string local = arguments.back();
    std::string folder = folderOf(local) + "/." + nameOf(local) + ".XXXXXX";
    if (::mkdtemp(folder.data()) == nullptr)
        return CannotWriteStatus;
    const std::string download = folder + "/" + nameOf(local);
    arguments.back() = download;

    int status = runClient(client, arguments);
    // A client that reports success without a file has not brought one.
    if (status == 0 && stopSignal == 0 && ::access(download.c_str(), F_OK) != 0)
        status = CannotWriteStatus;
    if (status == 0 && stopSignal == 0 && ::rename(download.c_str(), local.c_str()) != 0)
        status = CannotWriteStatus;
    ::unlink(download.c_str());
    ::rmdir(folder.c_str());
    return status;
}

} // namespace

int main(int argc, char *argv[])
{
    std::vector<std::string> given(argv + 1, argv + argc);
    const Options options = scanOptions(given);

    const std::string client = findClient();
    if (client.empty()) {
        std::fprintf(stderr, "ncftpget.exe: ncftpget was not found on the search path\n");
        return NotFoundStatus;
    }
    catchStopSignals();

    // Options go before the host.
    std::vector<std::string> ours;
    if (!options.timeoutGiven)
        ours.insert(ours.end(), {"-t", "10"});
    if (!options.redialGiven)
        ours.insert(ours.end(), {"-r", "1"});
    if (!options.meterChosen)
        ours.push_back("-V");
    std::vector<std::string> arguments = given;
    arguments.insert(arguments.begin() + long(options.optionsEnd), ours.begin(), ours.end());
    const size_t operands = given.size() - options.firstOperand;

    int status = 0;
    if (options.copyToPath && operands == 3)
        status = downloadWhole(client, arguments);
    else
        status = runClient(client, arguments);
    if (stopSignal != 0) {
        std::signal(int(stopSignal), SIG_DFL);
        ::raise(int(stopSignal));
    }
    return status;
}
