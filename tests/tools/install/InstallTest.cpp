// build-book and leafstudio as a new user runs them: from the build with no variable set
// (they find the modules the build registered beside them, and keep the user's own
// settings in the user's folders), and after `make install` (programs, registered
// modules, desktop entry and project file type), until `make uninstall` takes it all away.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/base/File.h"
#include "platform/com/Guid.h"
#include "platform/registry/RegistryKey.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/EpubCheck.h"
#include "tests/support/TempFolder.h"

extern char** environ;

namespace leaf::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSdkClsid = "{12B6725F-5CC8-4C79-8446-C4E16A3CEEB8}";

// Sets and unsets environment variables, and puts back what was there when it goes.
class ScopedEnvironment {
public:
    ~ScopedEnvironment() {
        for (const auto& [name, value] : m_saved)
            value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
    }
    void Set(const std::string& name, const std::string& value) {
        Save(name);
        setenv(name.c_str(), value.c_str(), 1);
    }
    void Unset(const std::string& name) {
        Save(name);
        unsetenv(name.c_str());
    }

private:
    void Save(const std::string& name) {
        if (m_saved.count(name))
            return;
        const char* value = std::getenv(name.c_str());
        m_saved[name] = value ? std::optional<std::string>(value) : std::nullopt;
    }
    std::map<std::string, std::optional<std::string>> m_saved;
};

// An empty home of its own, the user's folders in it, nothing else set.
struct TemporaryHome {
    TemporaryHome() {
        environment.Unset("LEAF_REGISTRY");
        environment.Unset("XDG_DATA_DIRS");
        environment.Set("HOME", folder.Path().string());
        environment.Set("XDG_CONFIG_HOME", ConfigHome());
        environment.Set("XDG_DATA_HOME", DataHome());
        environment.Set("QT_QPA_PLATFORM", "offscreen");
    }
    std::string ConfigHome() const { return folder / ".config"; }
    std::string DataHome() const { return folder / ".local/share"; }
    std::string UserRegistry() const { return ConfigHome() + "/leafcraft/registry"; }

    TempFolder folder;
    ScopedEnvironment environment;
};

std::string ReadText(const std::string& path) {
    std::string contents;
    ReadFileBytes(path, contents);
    return contents;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

bool HaveTool(const std::string& tool) { return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0; }

// Reads a key of another registry folder, as a program pointed there would.
template <typename Read>
auto InRegistry(const std::string& folder, Read read) {
    ScopedEnvironment environment;
    environment.Set("LEAF_REGISTRY", folder);
    return read();
}

bool SdkRegisteredIn(const std::string& folder, std::string* server = nullptr) {
    return InRegistry(folder, [&] {
        RegistryKey key = RegistryKey::Open(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kSdkClsid + "\\InprocServer32");
        if (server)
            *server = key.IsOpen() ? key.ReadString().value_or("") : "";
        return key.IsOpen() || RegistryKey::Open(HKEY_CLASSES_ROOT, "Leafcraft.SDK").IsOpen();
    });
}

// The sample book's arguments for build-book, writing `output`.
std::vector<std::string> SampleBookArguments(const std::string& output) {
    std::vector<std::string> arguments = {"--title", "The Lamplighter of Fenwick Lane", "--author", "The Leafcraft Authors",
                                          "--toc", std::string(LEAF_SAMPLE_BOOK_DIR) + "/toc.html", output};
    std::istringstream list(ReadText(std::string(LEAF_SAMPLE_BOOK_DIR) + "/book.list"));
    std::string line;
    while (std::getline(list, line))
        if (!line.empty() && line[0] != '#')
            arguments.push_back(std::string(LEAF_SAMPLE_BOOK_DIR) + "/" + line);
    return arguments;
}

// A started leafstudio: its output goes to a file; Close sends it SIGTERM, as a session's
// end or a terminal's Ctrl+C does, and waits for its exit.
class RunningProgram {
public:
    RunningProgram(const std::string& program, const std::string& outputPath) : m_outputPath(outputPath) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        std::string name = program;
        char* argv[] = {name.data(), nullptr};
        if (posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv, environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~RunningProgram() {
        if (m_pid > 0 && !m_status) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }

    // Waits until `ready` holds (true) or the program has ended (false).
    bool WaitUntil(const std::function<bool()>& ready) {
        while (m_pid > 0 && !m_status) {
            if (ready())
                return true;
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid)
                m_status = status;
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    // SIGTERM, then the exit status (-1 when it did not exit normally).
    int Close() {
        if (m_pid > 0 && !m_status) {
            kill(m_pid, SIGTERM);
            int status = 0;
            while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
            }
            m_status = status;
        }
        return m_status && WIFEXITED(*m_status) ? WEXITSTATUS(*m_status) : -1;
    }
    std::string Output() const { return ReadText(m_outputPath); }

private:
    std::string m_outputPath;
    pid_t m_pid = -1;
    std::optional<int> m_status;
};

// Starts leafstudio, waits until its start-up has registered the project type with the
// desktop, closes it and returns its exit status; the output in `output`.
int StartAndClose(const std::string& program, const TemporaryHome& home, std::string& output) {
    RunningProgram studio(program, home.folder / "leafstudio.out");
    std::string entry = home.DataHome() + "/applications/leafstudio.desktop";
    bool started = studio.WaitUntil([&] { return fs::exists(entry); });
    int status = studio.Close();
    output = studio.Output();
    return started ? status : -2;
}

int ProfileValue(const std::string& registry, const char* section, const char* entry) {
    return InRegistry(registry, [&] {
        RegistryKey key = RegistryKey::Open(
            HKEY_CURRENT_USER, std::string("Software\\Tallbrook Systems, Inc.\\Leafcraft\\") + section);
        return key.IsOpen() ? static_cast<int>(key.ReadDword(entry).value_or(0)) : 0;
    });
}

TEST(RunFromTheBuild, BuildBookAndLeafstudioFindTheBuiltModulesWithNothingSet) {
    TemporaryHome home;
    std::string book = home.folder / "sample-book.epub";
    ChildResult built = RunChild(BinDir() + "/build-book", SampleBookArguments(book));
    EXPECT_EQ(built.exitStatus, 0) << built.out << built.err;
    EXPECT_TRUE(PassesEpubCheck(book));

    std::string output;
    EXPECT_EQ(StartAndClose(BinDir() + "/leafstudio", home, output), 0) << output;
    EXPECT_FALSE(Contains(output, "not registered")) << output;
    EXPECT_FALSE(Contains(output, "Unable to create")) << output;
    // The user's settings went to the user's registry; the machine-wide keys stayed in
    // the build's.
    EXPECT_EQ(ProfileValue(home.UserRegistry(), "Settings", "What's New"), 1);
    EXPECT_FALSE(fs::exists(home.UserRegistry() + "/HKEY_LOCAL_MACHINE.reg"));
    EXPECT_FALSE(SdkRegisteredIn(home.UserRegistry()));
}

TEST(RunFromTheBuild, WithoutARegisteredControlBothSayHowToRegisterIt) {
    TemporaryHome home;
    ScopedRegistryRoot empty;  // a registry that holds nothing
    std::string hint = "Register it with:  " + BinDir() + "/regsvr " + BinDir() + "/leafsdk.so";

    ChildResult book = RunChild(BinDir() + "/build-book", SampleBookArguments(home.folder / "book.epub"));
    EXPECT_EQ(book.exitStatus, 3);
    EXPECT_TRUE(Contains(book.err, "not registered in " + empty.Path())) << book.err;
    EXPECT_TRUE(Contains(book.err, hint)) << book.err;

    ChildResult studio = RunChild(BinDir() + "/leafstudio", {}, "", ErrorOutput::Merged);
    EXPECT_NE(studio.exitStatus, 0);
    EXPECT_TRUE(Contains(studio.out, "Unable to create the Leafcraft SDK control")) << studio.out;
    EXPECT_TRUE(Contains(studio.out, hint)) << studio.out;
}

// Every file below the folder (links included), relative to it.
std::vector<std::string> FilesBelow(const std::string& folder) {
    std::vector<std::string> files;
    std::error_code error;
    if (!fs::exists(folder))
        return files;
    for (const auto& entry : fs::recursive_directory_iterator(folder, error))
        if (!entry.is_directory(error) || entry.is_symlink(error))
            files.push_back(fs::relative(entry.path(), folder).string());
    return files;
}

ChildResult Make(const std::vector<std::string>& arguments) {
    ScopedEnvironment environment;
    // Not a part of an outer make's job server.
    for (const char* name : {"MAKEFLAGS", "MFLAGS", "MAKELEVEL", "MAKEOVERRIDES"})
        environment.Unset(name);
    std::vector<std::string> all = {"--no-print-directory", "-C", LEAF_SOURCE_DIR};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return RunChild("make", all, "", ErrorOutput::Merged);
}

// The modules `make install` registers (the Makefile's REGISTERED_MODULES).
std::vector<std::string> ModulesTheMakefileRegisters() {
    ChildResult printed = Make({"-s", "--eval", "leaf-print-modules: ; @echo $(REGISTERED_MODULES)", "leaf-print-modules"});
    std::vector<std::string> modules;
    std::istringstream words(printed.out);
    for (std::string module; words >> module;)
        modules.push_back(module);
    return modules;
}

// The server module of every class registered in a registry folder.
std::vector<std::string> RegisteredServers(const std::string& registry) {
    return InRegistry(registry, [] {
        std::vector<std::string> servers;
        RegistryKey classes = RegistryKey::Open(HKEY_CLASSES_ROOT, "CLSID");
        for (const std::string& clsid : classes.SubKeyNames()) {
            RegistryKey server = RegistryKey::Open(classes.Handle(), clsid + "\\InprocServer32");
            if (server.IsOpen())
                servers.push_back(server.ReadString().value_or(""));
        }
        return servers;
    });
}

bool Registered(const std::string& registry, const std::string& key) {
    return InRegistry(registry, [&] { return RegistryKey::Open(HKEY_CLASSES_ROOT, key).IsOpen(); });
}

// The lines of a registry folder's hive files that hold `text`.
std::vector<std::string> HiveLinesHolding(const std::string& registry, const std::string& text) {
    std::vector<std::string> found;
    for (const std::string& file : FilesBelow(registry)) {
        std::istringstream lines(ReadText(registry + "/" + file));
        for (std::string line; std::getline(lines, line);)
            if (Contains(line, text))
                found.push_back(file + ": " + line);
    }
    return found;
}

TEST(MakeInstall, InstallsRegistersAndUninstallsWithoutALeftover) {
    if (!HaveTool("make") || !HaveTool("desktop-file-validate") || !HaveTool("xdg-mime") ||
        !HaveTool("update-mime-database"))
        GTEST_SKIP() << "make, desktop-file-utils, xdg-utils or shared-mime-info is not installed";
    TemporaryHome home;
    TempFolder install;
    const std::string prefix = install / "prefix";
    // The desktop looks for the installed type where the prefix puts it, before the system's
    // own folders (where an application for EPUB publications may be).
    const std::string systemData = "/usr/local/share:/usr/share";
    home.environment.Set("XDG_DATA_DIRS", prefix + "/share:" + systemData);
    const bool haveEpubApplication = !RunChild("xdg-mime", {"query", "default", "application/epub+zip"}).out.empty();

    ChildResult installed = Make({"install-built", std::string("INSTALL_FROM=") + LEAF_BUILD_DIR, "PREFIX=" + prefix});
    ASSERT_EQ(installed.exitStatus, 0) << installed.out;
    const std::string libDir = fs::canonical(prefix + "/lib/leafcraft").string();
    const std::string program = libDir + "/leafstudio";

    // The desktop entry and the project file type.
    std::string entry = prefix + "/share/applications/leafstudio.desktop";
    ChildResult valid = RunChild("desktop-file-validate", {entry}, "", ErrorOutput::Merged);
    EXPECT_EQ(valid.exitStatus, 0) << valid.out;
    EXPECT_EQ(valid.out, "");
    EXPECT_TRUE(Contains(ReadText(entry), "\nExec=" + program + " %f\n")) << ReadText(entry);
    std::string project = install.WriteFile("My Book.lcp", "");
    ChildResult type = RunChild("xdg-mime", {"query", "filetype", project});
    EXPECT_EQ(type.out, "application/x-leafcraft-project\n") << type.err;
    ChildResult handler = RunChild("xdg-mime", {"query", "default", "application/x-leafcraft-project"});
    EXPECT_EQ(handler.out, "leafstudio.desktop\n") << handler.err;
    EXPECT_TRUE(fs::exists(prefix + "/share/icons/hicolor/scalable/apps/leafstudio.svg"));
    EXPECT_TRUE(fs::exists(prefix + "/share/icons/hicolor/scalable/mimetypes/application-x-leafcraft-project.svg"));

    // Every module the Makefile registers is registered in the user's registry, from where
    // it was installed (the Word stand-in only where LibreOffice converts for it), and the
    // reading program's stand-in where the desktop has an application for EPUB publications.
    const std::vector<std::string> modules = ModulesTheMakefileRegisters();
    ASSERT_FALSE(modules.empty());
    const std::vector<std::string> servers = RegisteredServers(home.UserRegistry());
    for (const std::string& module : modules) {
        if (module == "WordServer" && !HaveTool("soffice"))
            continue;
        const std::string path = libDir + "/" + module + ".so";
        EXPECT_NE(std::find(servers.begin(), servers.end(), path), servers.end()) << path << " is not registered";
    }
    std::string readerFolder = InRegistry(home.UserRegistry(), [] {
        return RegistryKey::Open(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\EBook").ReadString("InstallDir").value_or("");
    });
    EXPECT_EQ(readerFolder, haveEpubApplication ? libDir + "/reader" : "");

    // The installed programs run with nothing set: build-book builds the sample book, and
    // leafstudio registers the project type with the desktop as it starts (here, where the
    // desktop does not look in the prefix, in the user's own data folder), just as the
    // install put it in the prefix.
    std::string book = home.folder / "installed.epub";
    ChildResult built = RunChild(prefix + "/bin/build-book", SampleBookArguments(book));
    EXPECT_EQ(built.exitStatus, 0) << built.out << built.err;
    EXPECT_TRUE(PassesEpubCheck(book));
    home.environment.Set("XDG_DATA_DIRS", systemData);
    {
        RunningProgram studio(prefix + "/bin/leafstudio", home.folder / "installed.out");
        // The first run's last start-up step marks the profile.
        ASSERT_TRUE(studio.WaitUntil([&] { return ProfileValue(home.UserRegistry(), "Settings", "What's New") == 1; }))
            << studio.Output();
        EXPECT_EQ(studio.Close(), 0) << studio.Output();
    }
    for (const char* file : {"applications/leafstudio.desktop", "mime/packages/leafcraft.xml"})
        EXPECT_EQ(ReadText(home.DataHome() + "/" + file), ReadText(prefix + "/share/" + file)) << file;
    EXPECT_TRUE(Registered(home.UserRegistry(), ".lcp"));
    EXPECT_EQ(InRegistry(home.UserRegistry(), [] {
                  return RegistryKey::Open(HKEY_CLASSES_ROOT, "Leafcraft.Document\\shell\\open\\command")
                      .ReadString()
                      .value_or("");
              }),
              "\"" + program + "\" \"%1\"");

    ChildResult removed = Make({"uninstall", "PREFIX=" + prefix});
    ASSERT_EQ(removed.exitStatus, 0) << removed.out;
    EXPECT_EQ(FilesBelow(prefix), std::vector<std::string>{});
    EXPECT_EQ(FilesBelow(home.DataHome()), std::vector<std::string>{});
    // No key of the installation is left: none names a file of it, nor the project type
    // its program registered.
    EXPECT_EQ(HiveLinesHolding(home.UserRegistry(), libDir), std::vector<std::string>{});
    EXPECT_EQ(HiveLinesHolding(home.UserRegistry(), prefix), std::vector<std::string>{});
    EXPECT_FALSE(Registered(home.UserRegistry(), ".lcp"));
    EXPECT_FALSE(Registered(home.UserRegistry(), "Leafcraft.Document"));
    EXPECT_FALSE(SdkRegisteredIn(home.UserRegistry()));
    EXPECT_FALSE(Registered(home.UserRegistry(), "Leafcraft.HtmlFilter"));
}

}  // namespace
}  // namespace leaf::test
