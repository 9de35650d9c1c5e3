// The stand-in for the desktop reading program (build/bin/reader/MSReader.exe). It shows
// e-books in the desktop's own e-book application:
//
//   MSReader.exe EBOOK         opens the e-book with the desktop (xdg-open, else gio open)
//   MSReader.exe               starts the desktop's application for EPUB publications
//   MSReader.exe --register    registers the program's folder as the reading program's,
//                              where the desktop has an application for EPUB
//                              publications; elsewhere removes an earlier registration,
//                              so that the authoring program finds no Reader
//   MSReader.exe --unregister  removes the registration
//
// The registration goes where the programs of the same tree look: LEAF_REGISTRY when it
// is set, else the registry folder of the tree the program lies in (two folders up, as
// for build/bin/reader), else the user's registry.
//
// Exit status: 0 done; 1 a wrong command line or an e-book that does not exist; 2 the
// registry refused the change; 3 the desktop has no application or no opener; 4 the
// opener or the application reported a failure.

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "outside/reader/ChildProcess.h"
#include "outside/reader/DesktopApplications.h"
#include "outside/reader/EBookName.h"
#include "outside/reader/ReaderRegistration.h"
#include "platform/base/ModulePath.h"
#include "platform/base/Path.h"

namespace {

constexpr const char* kName = "MSReader.exe";

enum ExitStatus { kDone = 0, kUsage = 1, kRegistry = 2, kNoApplication = 3, kFailed = 4 };

std::string ProgramFolder() { return leaf::path::FolderPart(leaf::GetExecutablePath()); }

// The programs of this tree lie one folder up from this one and find the machine-wide
// keys in the tree's registry folder beside their own; so does this program.
void UseTheTreesRegistry() {
    const char* chosen = std::getenv("LEAF_REGISTRY");
    if (chosen != nullptr && *chosen != '\0')
        return;
    std::string tree = leaf::path::FolderPart(leaf::path::FolderPart(ProgramFolder()));
    std::string registry = leaf::path::Join(tree, "registry");
    struct stat info;
    if (!tree.empty() && ::stat(leaf::path::Join(registry, "HKEY_LOCAL_MACHINE.reg").c_str(), &info) == 0 &&
        S_ISREG(info.st_mode))
        setenv("LEAF_REGISTRY", registry.c_str(), 1);
}

int Register() {
    std::string folder = ProgramFolder();
    if (folder.empty()) {
        std::fprintf(stderr, "%s: cannot tell where the program lies\n", kName);
        return kRegistry;
    }
    if (reader::DefaultApplicationFor(reader::kEpubMediaType).empty()) {
        std::fprintf(stderr, "%s: the desktop has no application for EPUB publications; not registered\n", kName);
        return reader::UnregisterReader(folder) ? kDone : kRegistry;
    }
    return reader::RegisterReader(folder) ? kDone : kRegistry;
}

int Unregister() {
    std::string folder = ProgramFolder();
    return folder.empty() || reader::UnregisterReader(folder) ? kDone : kRegistry;
}

int StartApplication() {
    std::string id = reader::DefaultApplicationFor(reader::kEpubMediaType);
    std::string entry = reader::FindDesktopEntry(id);
    std::vector<std::string> command = entry.empty() ? std::vector<std::string>() : reader::ReadLaunchCommand(entry);
    if (command.empty()) {
        std::fprintf(stderr, "%s: the desktop has no application for EPUB publications\n", kName);
        return kNoApplication;
    }
    return reader::RunAndWait(command) == 0 ? kDone : kFailed;
}

int Open(const std::string& given) {
    std::error_code error;
    std::string path = std::filesystem::absolute(given, error).lexically_normal().string();
    struct stat info;
    if (error || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        std::fprintf(stderr, "%s: %s: no such e-book\n", kName, given.c_str());
        return kUsage;
    }
    std::string name = reader::DesktopNameFor(path);
    std::vector<std::string> command;
    if (!reader::FindOnPath("xdg-open").empty())
        command = {"xdg-open", name};
    else if (!reader::FindOnPath("gio").empty())
        command = {"gio", "open", name};
    if (command.empty()) {
        std::fprintf(stderr, "%s: neither xdg-open nor gio is installed\n", kName);
        return kNoApplication;
    }
    return reader::RunAndWait(command) == 0 ? kDone : kFailed;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.empty())
        return StartApplication();
    if (arguments.size() == 1 && (arguments[0] == "--register" || arguments[0] == "--unregister")) {
        UseTheTreesRegistry();
        return arguments[0] == "--register" ? Register() : Unregister();
    }
    if (arguments.size() == 1 && !arguments[0].empty() && arguments[0].front() != '-')
        return Open(arguments[0]);
    if (arguments.size() == 2 && arguments[0] == "--")
        return Open(arguments[1]);
    std::fprintf(stderr, "usage: %s [--register | --unregister | [--] EBOOK]\n", kName);
    return kUsage;
}
