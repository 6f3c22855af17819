#include "logger/platform/posix/process_starter.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <thread>

#include "logger/text/cp1252.h"

extern char** environ;

namespace kelvinor {
namespace {

bool isExecutableFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

std::string ownFolder() {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return {};
    std::string path(buffer, static_cast<std::size_t>(length));
    return path.substr(0, path.rfind('/'));
}

std::string currentFolder() {
    char buffer[PATH_MAX];
    return getcwd(buffer, sizeof buffer) != nullptr ? std::string(buffer) : std::string(".");
}

// A program named without a folder is looked for as Windows does for a
// relative name: the program's own folder, the current folder, then PATH.
// But a name that is an existing file in `workingFolder` (the current folder
// when empty) is that file, run only when it is a program: a log file named
// "date" is opened, never taken for /usr/bin/date.
std::string findProgram(const std::string& name, bool withOwnFolders,
                        const std::string& workingFolder = {}) {
    if (name.empty()) return {};
    const std::string base = workingFolder.empty() ? currentFolder() : workingFolder;
    if (name.find('/') != std::string::npos) {
        const std::string path = name.front() == '/' ? name : base + "/" + name;
        return isExecutableFile(path) ? path : std::string();
    }
    struct stat local {};
    if (withOwnFolders && stat((base + "/" + name).c_str(), &local) == 0)
        return isExecutableFile(base + "/" + name) ? base + "/" + name : std::string();
    std::vector<std::string> folders;
    if (withOwnFolders) {
        folders.push_back(ownFolder());
        folders.push_back(currentFolder());
    }
    const char* searchPath = std::getenv("PATH");
    std::string rest = searchPath != nullptr ? searchPath : "/usr/bin:/bin";
    for (std::size_t start = 0; start <= rest.size();) {
        const std::size_t colon = rest.find(':', start);
        const std::size_t end = colon == std::string::npos ? rest.size() : colon;
        folders.push_back(end > start ? rest.substr(start, end - start) : ".");
        start = end + 1;
    }
    for (const std::string& folder : folders) {
        if (folder.empty()) continue;
        const std::string path = folder + "/" + name;
        if (isExecutableFile(path)) return path;
    }
    return {};
}

pid_t spawn(const std::string& program, const std::vector<std::string>& arguments,
            const std::string& workingFolder, bool hidden) {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    if (!workingFolder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    if (hidden) {
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    // The child gets none of the program's files, sockets or pipes.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    sigset_t noSignals, defaults;
    sigemptyset(&noSignals);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGCHLD);
    posix_spawnattr_setsigmask(&attributes, &noSignals);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if (hidden) flags |= POSIX_SPAWN_SETSID;  // no controlling terminal
    posix_spawnattr_setflags(&attributes, flags);

    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int error =
        posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return error == 0 ? pid : 0;
}

// Runs `program` under a guardian process that leads a session and process
// group of its own, in which the program and all it starts run. The guardian
// ends the whole group when this process ends, however it ends (it asks the
// kernel for a signal at its parent's death), and when the program ends:
// nothing the program left behind in its group outlives it. The guardian
// ends with its group (its exit status is not asked for). Between fork and
// exec only system calls are made.
pid_t spawnGuarded(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& workingFolder, bool hidden) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const char* folder = workingFolder.empty() ? nullptr : workingFolder.c_str();
    const pid_t parent = getpid();
    const pid_t guardian = fork();
    if (guardian != 0) return guardian > 0 ? guardian : 0;

    setsid();
    struct sigaction endGroup {};
    endGroup.sa_handler = [](int) { kill(0, SIGKILL); };
    sigaction(SIGTERM, &endGroup, nullptr);
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) kill(0, SIGKILL);  // the program ended before the request
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    signal(SIGPIPE, SIG_DFL);
    signal(SIGCHLD, SIG_DFL);
    const pid_t child = fork();
    if (child == 0) {
        signal(SIGTERM, SIG_DFL);
        if (folder != nullptr && chdir(folder) != 0) _exit(127);
        if (hidden) {
            const int null = open("/dev/null", O_RDWR);
            dup2(null, 0);
            dup2(null, 1);
            dup2(null, 2);
        }
        close_range(3, ~0U, 0);
        execve(program.c_str(), argv.data(), environ);
        _exit(127);
    }
    int status = 0;
    while (child > 0 && waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    kill(0, SIGKILL);
    _exit(127);
}

// Waits up to `timeoutMs` for the child to end (reaping it); true when it has.
bool ended(pid_t pid, int timeoutMs) {
    if (timeoutMs > 0) {
        const int handle = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
        if (handle >= 0) {
            pollfd ready{handle, POLLIN, 0};
            while (poll(&ready, 1, timeoutMs) < 0 && errno == EINTR) {
            }
            close(handle);
        }
    }
    int status = 0;
    pid_t result;
    while ((result = waitpid(pid, &status, WNOHANG)) < 0 && errno == EINTR) {
    }
    return result != 0;
}

void waitFor(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

void reapInBackground(pid_t pid) {
    std::thread([pid] { waitFor(pid); }).detach();
}

std::string unquoted(const std::string& file) {
    if (file.size() >= 2 && file.front() == '"') {
        const std::size_t close = file.find('"', 1);
        return file.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    }
    return file;
}

}  // namespace

std::vector<std::string> splitCommandLine(const std::string& commandLine) {
    std::vector<std::string> arguments;
    std::size_t i = 0;
    while (i < commandLine.size()) {
        while (i < commandLine.size() && commandLine[i] == ' ') ++i;
        if (i >= commandLine.size()) break;
        std::string argument;
        if (commandLine[i] == '"') {
            const std::size_t close = commandLine.find('"', i + 1);
            const std::size_t end = close == std::string::npos ? commandLine.size() : close;
            argument = commandLine.substr(i + 1, end - i - 1);
            i = end == commandLine.size() ? end : end + 1;
        } else {
            const std::size_t blank = commandLine.find(' ', i);
            const std::size_t end = blank == std::string::npos ? commandLine.size() : blank;
            argument = commandLine.substr(i, end - i);
            i = end;
        }
        arguments.push_back(cp1252ToUtf8(argument));
    }
    return arguments;
}

ProcessHandle PosixProgramStarter::start(
    const std::string& commandLine, const std::string& file,
    const std::string& /*parameters: xdg-open takes the document alone*/,
    const std::string& workingFolder, unsigned options, const WaitingHook& whileWaiting) {
    const bool hidden = (options & kHidden) != 0;
    const bool ownGroup = (options & kOwnGroup) != 0;
    const std::string folder = cp1252ToUtf8(workingFolder);
    pid_t pid = 0;
    const std::vector<std::string> arguments = splitCommandLine(commandLine);
    if (!arguments.empty()) {
        const std::string program = findProgram(arguments.front(), true, folder);
        if (!program.empty())
            pid = ownGroup ? spawnGuarded(program, arguments, folder, hidden)
                           : spawn(program, arguments, folder, hidden);
    }
    if (pid == 0) {
        // Not a program: the desktop opens the document or address with its
        // associated application.
        const std::string target = cp1252ToUtf8(unquoted(file));
        std::string shellFolder = folder;
        if (shellFolder.empty() && target.rfind('/') != std::string::npos) {
            // The document's own folder, when the name has one (a web address has none).
            struct stat info {};
            const std::string part = target.substr(0, target.rfind('/'));
            if (stat(part.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) shellFolder = part;
        }
        const std::string opener = findProgram("xdg-open", false);
        std::vector<std::string> shellArguments = {"xdg-open", target};
        if (!opener.empty() && !target.empty())
            pid = spawn(opener, shellArguments, shellFolder, hidden);
    }
    if (pid == 0) return 0;
    if ((options & kWait) != 0) {
        if (!whileWaiting) {
            waitFor(pid);
        } else {
            // The caller serves its windows between short waits for the end.
            while (!ended(pid, 0)) {
                if (!whileWaiting()) {
                    // The guardian leads the group; a guardian that has not yet
                    // made its group has not started the program either.
                    if (!ownGroup || kill(-pid, SIGKILL) != 0) kill(pid, SIGKILL);
                    waitFor(pid);
                    break;
                }
                if (ended(pid, 10)) break;
            }
        }
        // The process has ended and been reaped: there is nothing left to keep.
        return 1;
    }
    if ((options & kKeepHandle) == 0) {
        reapInBackground(pid);
        return 1;
    }
    std::lock_guard lock(mutex_);
    kept_.insert(pid);
    return pid;
}

void PosixProgramStarter::terminate(ProcessHandle handle) {
    {
        std::lock_guard lock(mutex_);
        if (kept_.erase(handle) == 0) return;  // only our own children, and each once
    }
    const auto pid = static_cast<pid_t>(handle);
    // A guardian leads the group its program runs in (one that has not yet
    // made it has not started the program either).
    if (kill(-pid, SIGKILL) != 0) kill(pid, SIGKILL);
    waitFor(pid);
}

void PosixProgramStarter::release(ProcessHandle handle) {
    {
        std::lock_guard lock(mutex_);
        if (kept_.erase(handle) == 0) return;
    }
    reapInBackground(static_cast<pid_t>(handle));
}

}  // namespace kelvinor
