#include "outside/word/OfficeRunner.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/base/Environment.h"
#include "platform/base/File.h"

extern char** environ;

namespace wordstub {

namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat info;
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

std::string SearchPath(const char* name) {
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        std::string folder = folders.substr(start, end - start);
        if (!folder.empty()) {
            std::string candidate = folder + "/" + name;
            if (IsExecutableFile(candidate))
                return candidate;
        }
        start = end + 1;
    }
    return std::string();
}

// The supervisor's answer to the end of the thread that started it: the whole group goes.
void KillOwnGroup(int) {
    ::kill(0, SIGKILL);
}

// The supervisor (see StartSupervised), in the child after fork: only calls that are safe
// there (the parent has other threads) until the program is executed.
[[noreturn]] void Supervise(char* const* argv, char* const* environment, pid_t starter, int nullFd) {
    ::setpgid(0, 0);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction action = {};
    action.sa_handler = KillOwnGroup;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
#ifdef __linux__
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
#endif
    if (::getppid() != starter)
        KillOwnGroup(0);  // the starter ended before the request was made
    for (int target = STDIN_FILENO; target <= STDERR_FILENO; ++target) {
        if (nullFd == target)
            ::fcntl(target, F_SETFD, 0);
        else
            ::dup2(nullFd, target);
    }
    const pid_t program = ::fork();
    if (program == 0) {
        ::execve(argv[0], argv, environment);  // the handler above does not survive the exec
        ::_exit(127);
    }
    int status = 0;
    while (program > 0 && ::waitpid(program, &status, 0) < 0) {
        if (errno != EINTR)
            ::_exit(127);
    }
    if (program < 0)
        ::_exit(127);
    ::_exit(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
}

// Runs the program (arguments[0]) as the only child of a supervisor process that leads a
// process group of its own, with standard input and output on /dev/null, and with this
// process's environment but for the temporary folder variables, which name
// `temporaryFolder`. The supervisor exits with the program's status (128 and the signal's
// number when a signal ended it).
// When the thread that started it ends first, because this process was killed, the
// kernel tells the supervisor (where the platform allows), which then kills the whole
// group: nothing the program started (the office suite runs its main process as a child
// of its own) outlives the build. The supervisor's process id, which is the group's id,
// or -1.
pid_t StartSupervised(std::vector<std::string>& arguments, const std::string& temporaryFolder) {
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    constexpr const char* kTemporaryVariables[] = {"TMPDIR", "TMP", "TEMP"};
    std::vector<std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view variable = *entry;
        const bool replaced = std::any_of(std::begin(kTemporaryVariables), std::end(kTemporaryVariables),
                                          [&](std::string_view name) {
                                              return variable.size() > name.size() && variable.starts_with(name) &&
                                                     variable[name.size()] == '=';
                                          });
        if (!replaced)
            variables.emplace_back(variable);
    }
    for (const char* name : kTemporaryVariables)
        variables.push_back(std::string(name) + "=" + temporaryFolder);
    std::vector<char*> environment;
    for (std::string& variable : variables)
        environment.push_back(variable.data());
    environment.push_back(nullptr);
    const int nullFd = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (nullFd < 0)
        return -1;
    const pid_t starter = ::getpid();
    const pid_t supervisor = ::fork();
    if (supervisor == 0)
        Supervise(argv.data(), environment.data(), starter, nullFd);
    ::close(nullFd);
    if (supervisor > 0)
        ::setpgid(supervisor, supervisor);  // the group exists before this returns, as a kill may need it
    return supervisor;
}

}  // namespace

std::string FindOfficeProgram() {
    if (const char* configured = std::getenv("LEAF_SOFFICE")) {
        std::string program = configured;
        if (program.empty())
            return std::string();
        if (program.find('/') == std::string::npos)
            return SearchPath(program.c_str());
        return IsExecutableFile(program) ? program : std::string();
    }
    std::string program = SearchPath("soffice");
    return program.empty() ? SearchPath("libreoffice") : program;
}

PrivateFolder::PrivateFolder(const std::string& parent) {
    const std::string folder = parent.empty() ? leaf::GetTempFolder() : parent;
    const std::string prefix = parent.empty() ? "wordstub." : ".wordstub.";
    leaf::RemoveStaleScratchFolders(folder, [&prefix](std::string_view name) {
        return name.size() == prefix.size() + 6 && name.starts_with(prefix);
    });
    std::string pattern = folder + "/" + prefix + "XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        return;
    m_path = pattern;
    // Unmarked, the folder still works; only a kill would then leave it behind.
    m_owner.Claim(m_path);
}

PrivateFolder::~PrivateFolder() {
    if (m_path.empty())
        return;
    // Still locked while it goes, so that no other run takes it for a killed one's.
    leaf::DeleteTree(m_path);
    m_owner.Unlock();
}

std::string FileUrl(const std::string& path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (unsigned char ch : path) {
        bool plain = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
                     ch == '/' || ch == '-' || ch == '_' || ch == '.' || ch == '~';
        if (plain) {
            url += static_cast<char>(ch);
        } else {
            url += '%';
            url += kHex[ch >> 4];
            url += kHex[ch & 0xF];
        }
    }
    return url;
}

OfficeConversion ConvertWithOffice(const std::string& sourcePath, const std::string& format,
                                   const std::string& extension, const std::string& outputFolder,
                                   int timeoutSeconds) {
    OfficeConversion result;
    std::string program = FindOfficeProgram();
    if (program.empty()) {
        result.error = "The office program is not installed.";
        return result;
    }
    std::error_code ignored;
    std::string source = std::filesystem::absolute(sourcePath, ignored).string();
    if (source.empty())
        source = sourcePath;
    PrivateFolder profileFolder;
    const std::string& profile = profileFolder.Path();
    if (profile.empty()) {
        result.error = "Could not create a private profile folder.";
        return result;
    }

    std::vector<std::string> arguments = {program,
                                          "-env:UserInstallation=" + FileUrl(profile),
                                          "--headless",
                                          "--invisible",
                                          "--nodefault",
                                          "--nolockcheck",
                                          "--nologo",
                                          "--norestore",
                                          "--convert-to",
                                          format,
                                          "--outdir",
                                          outputFolder,
                                          source};
    // The suite's own temporary files go into the private folder too, so that those of a
    // killed conversion go with it.
    const std::string temporaryFolder = profile + "/tmp";
    ::mkdir(temporaryFolder.c_str(), 0700);
    const pid_t child = StartSupervised(arguments, temporaryFolder);
    const bool spawned = child > 0;

    bool finished = false;
    int status = 0;
    if (spawned) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
        for (;;) {
            pid_t done = ::waitpid(child, &status, WNOHANG);
            if (done == child) {
                finished = true;
                break;
            }
            if (done < 0)
                break;
            if (std::chrono::steady_clock::now() >= deadline) {
                ::kill(-child, SIGKILL);
                ::waitpid(child, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        // Whatever the program left running in its group goes too.
        ::kill(-child, SIGKILL);
    }
    std::string stem = std::filesystem::path(source).stem().string();
    std::string output = outputFolder + "/" + stem + "." + extension;
    if (!spawned) {
        result.error = "The office program could not be started.";
    } else if (!finished) {
        result.error = "The office program did not finish in time.";
    } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !std::filesystem::is_regular_file(output, ignored)) {
        result.error = "The office program could not convert the document.";
    } else {
        result.succeeded = true;
        result.outputPath = output;
    }
    return result;
}

}  // namespace wordstub
