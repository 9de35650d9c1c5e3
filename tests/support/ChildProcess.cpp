#include "tests/support/ChildProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <optional>
#include <sstream>

#include "tests/support/TempFolder.h"

extern char** environ;

namespace leaf::test {

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

// Where a child's output goes: empty paths leave it on this process's own.
struct Redirection {
    std::string outPath;
    std::string errPath;
    std::string workingFolder;
};

// Starts the child and waits for it: nullopt when it could not start, else its exit
// status (-1 when it did not exit normally).
std::optional<int> SpawnAndWait(const std::string& program, const std::vector<std::string>& arguments,
                                const Redirection& redirection) {
    std::vector<std::string> words = {program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    constexpr int kWrite = O_WRONLY | O_CREAT | O_TRUNC;
    if (!redirection.outPath.empty())
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, redirection.outPath.c_str(), kWrite, 0600);
    if (redirection.errPath.empty()) {
        // Standard error stays this process's own.
    } else if (redirection.errPath == redirection.outPath) {
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, redirection.errPath.c_str(), kWrite, 0600);
    }
    if (!redirection.workingFolder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, redirection.workingFolder.c_str());

    pid_t child = 0;
    const int spawned = program.find('/') == std::string::npos
                            ? posix_spawnp(&child, program.c_str(), &actions, nullptr, argv.data(), environ)
                            : posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return std::nullopt;
    int status = 0;
    if (waitpid(child, &status, 0) == child && WIFEXITED(status))
        return WEXITSTATUS(status);
    return -1;
}

}  // namespace

ChildResult RunChild(const std::string& program, const std::vector<std::string>& arguments,
                     const std::string& workingFolder, ErrorOutput errors) {
    const bool merged = errors == ErrorOutput::Merged;
    TempFolder capture;
    Redirection redirection;
    redirection.outPath = capture / "stdout";
    redirection.errPath = merged ? redirection.outPath : capture / "stderr";
    redirection.workingFolder = workingFolder;

    ChildResult result;
    std::optional<int> status = SpawnAndWait(program, arguments, redirection);
    if (!status)
        return result;
    result.started = true;
    result.exitStatus = *status;
    result.out = ReadAll(redirection.outPath);
    if (!merged)
        result.err = ReadAll(redirection.errPath);
    return result;
}

int RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
    return SpawnAndWait(program, arguments, Redirection{}).value_or(-1);
}

std::string RegsvrPath() { return BinDir() + "/regsvr"; }

ChildResult RunRegsvr(const std::vector<std::string>& arguments) {
    return RunChild(RegsvrPath(), arguments, "", ErrorOutput::Merged);
}

bool RegisterModule(const std::string& pathOrBinName, bool unregister) {
    const std::string module =
        pathOrBinName.find('/') == std::string::npos ? BinDir() + "/" + pathOrBinName : pathOrBinName;
    std::vector<std::string> arguments = {"-s"};
    if (unregister)
        arguments.push_back("-u");
    arguments.push_back(module);
    return RunProgram(RegsvrPath(), arguments) == 0;
}

}  // namespace leaf::test
