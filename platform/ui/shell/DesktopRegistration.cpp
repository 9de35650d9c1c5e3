#include "platform/ui/shell/DesktopRegistration.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/base/File.h"

extern char** environ;

namespace leaf::ui {
namespace {

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* user = getpwuid(getuid()); user && user->pw_dir)
        return user->pw_dir;
    return {};
}

// The folders of $XDG_DATA_DIRS (default "/usr/local/share:/usr/share"), absolute ones only.
std::vector<std::string> SystemDataFolders() {
    const char* variable = std::getenv("XDG_DATA_DIRS");
    std::string list = variable && *variable ? variable : "/usr/local/share:/usr/share";
    std::vector<std::string> folders;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(':', start);
        if (end == std::string::npos)
            end = list.size();
        std::string folder = list.substr(start, end - start);
        if (!folder.empty() && folder[0] == '/')
            folders.push_back(folder);
        start = end + 1;
    }
    return folders;
}

bool HoldsText(const std::string& path, const std::string& text) {
    std::string contents;
    return ReadFileBytes(path, contents) && contents == text;
}

enum class Placement { AlreadyThere, Written, Failed };

// Puts `text` at <data home>/<relativePath> unless that file already holds it, or, when
// the user has no file of that name, a system data folder's file holds it.
Placement PlaceFile(const std::string& dataHome, const std::string& relativePath, const std::string& text) {
    std::string userFile = dataHome + "/" + relativePath;
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(userFile, error))) {
        if (HoldsText(userFile, text))
            return Placement::AlreadyThere;
    } else {
        for (const std::string& folder : SystemDataFolders())
            if (HoldsText(folder + "/" + relativePath, text))
                return Placement::AlreadyThere;
    }
    std::filesystem::create_directories(std::filesystem::path(userFile).parent_path(), error);
    return WriteFileAtomically(userFile, text) ? Placement::Written : Placement::Failed;
}

// Runs a desktop tool (looked up in PATH) on a folder, quietly, and waits for it. A tool
// that is not installed is no error: the desktop then reads the files themselves.
void RunDesktopTool(const char* tool, const std::string& folder) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::string toolName = tool;
    std::string folderArgument = folder;
    char* arguments[] = {toolName.data(), folderArgument.data(), nullptr};
    pid_t child = 0;
    if (posix_spawnp(&child, tool, &actions, nullptr, arguments, environ) == 0) {
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }
    posix_spawn_file_actions_destroy(&actions);
}

}  // namespace

std::string DesktopDataHome() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/')
        return data;
    // Without a home folder there is no user's data folder (and never "/.local/share").
    std::string home = HomeFolder();
    return home.empty() || home[0] != '/' ? std::string() : home + "/.local/share";
}

DesktopRegistration RegisterDesktopFileType(const DesktopFileType& type) {
    DesktopRegistration result;
    std::string dataHome = DesktopDataHome();
    if (dataHome.empty() || dataHome[0] != '/')
        return result;

    Placement mime = PlaceFile(dataHome, "mime/packages/" + type.mimePackage + ".xml", type.mimeInfo);
    Placement entry = PlaceFile(dataHome, "applications/" + type.desktopEntry + ".desktop", type.entryText);
    result.wroteMimeInfo = mime == Placement::Written;
    result.wroteEntry = entry == Placement::Written;
    result.succeeded = mime != Placement::Failed && entry != Placement::Failed;

    // The desktop reads types from the database compiled from the packages, and the
    // handlers of a type from the cache of the entries' MimeType keys.
    if (result.wroteMimeInfo)
        RunDesktopTool("update-mime-database", dataHome + "/mime");
    if (result.wroteEntry)
        RunDesktopTool("update-desktop-database", dataHome + "/applications");
    return result;
}

bool UnregisterDesktopFileType(const DesktopFileType& type) {
    std::string dataHome = DesktopDataHome();
    if (dataHome.empty())
        return true;
    // The entry is ours when it holds the text this registration writes (its Exec line names
    // the program); the type's package goes only with it, so a registration of the same type
    // by another copy of the program stays whole.
    std::string entry = dataHome + "/applications/" + type.desktopEntry + ".desktop";
    if (!HoldsText(entry, type.entryText))
        return true;
    std::error_code error;
    if (!std::filesystem::remove(entry, error))
        return false;
    RunDesktopTool("update-desktop-database", dataHome + "/applications");
    std::string package = dataHome + "/mime/packages/" + type.mimePackage + ".xml";
    if (!HoldsText(package, type.mimeInfo))
        return true;
    if (!std::filesystem::remove(package, error))
        return false;
    RunDesktopTool("update-mime-database", dataHome + "/mime");
    return true;
}

std::string QuoteDesktopExecArgument(std::string_view argument) {
    auto plain = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '/' || c == '.' || c == '_' || c == '-' || c == '+' || c == ',' || c == '@' ||
               c == ':' || c == '=';
    };
    std::string quoted;
    bool needsQuotes = argument.empty();
    for (char c : argument)
        needsQuotes = needsQuotes || !plain(c);
    if (needsQuotes) {
        quoted += '"';
        for (char c : argument) {
            if (c == '"' || c == '`' || c == '$' || c == '\\')
                quoted += '\\';
            quoted += c;
        }
        quoted += '"';
    } else {
        quoted = argument;
    }
    // The Exec value is a string value: '%' introduces field codes and '\' escapes.
    std::string value;
    for (char c : quoted) {
        if (c == '%')
            value += "%%";
        else if (c == '\\')
            value += "\\\\";
        else
            value += c;
    }
    return value;
}

}  // namespace leaf::ui
