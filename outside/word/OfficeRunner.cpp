#include "outside/word/OfficeRunner.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
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

std::string MakePrivateFolder(const std::string& parent) {
    std::string pattern = parent.empty() ? leaf::GetTempFolder() + "/wordstub.XXXXXX" : parent + "/.wordstub.XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr)
        return std::string();
    return std::string(buffer.data());
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
    std::string profile = MakePrivateFolder();
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
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // Its own process group, so that a time-out ends everything it started.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t child = -1;
    int spawned = posix_spawn(&child, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);

    bool finished = false;
    int status = 0;
    if (spawned == 0) {
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
    leaf::DeleteTree(profile);

    std::string stem = std::filesystem::path(source).stem().string();
    std::string output = outputFolder + "/" + stem + "." + extension;
    if (spawned != 0) {
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
