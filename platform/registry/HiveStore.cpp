#include "platform/registry/HiveStore.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/base/CString.h"
#include "platform/base/File.h"
#include "platform/registry/HiveText.h"
#include "platform/registry/WinError.h"

namespace leaf::registry {
namespace {

// Holds a flock on a hive's lock file for as long as it lives.
class HiveLock {
public:
    ~HiveLock() {
        if (m_fd >= 0)
            close(m_fd);  // closing releases the lock
    }

    // Shared lock for reading; succeeds without a lock when no lock file exists yet
    // (nobody has written the hive through it).
    bool LockShared(const std::string& lockPath) {
        m_fd = open(lockPath.c_str(), O_RDONLY | O_CLOEXEC);
        if (m_fd < 0)
            return errno == ENOENT;
        return FlockRetrying(LOCK_SH);
    }

    bool LockExclusive(const std::string& lockPath) {
        std::error_code error;
        std::filesystem::create_directories(std::filesystem::path(lockPath).parent_path(), error);
        m_fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        return m_fd >= 0 && FlockRetrying(LOCK_EX);
    }

private:
    bool FlockRetrying(int operation) {
        while (flock(m_fd, operation) != 0) {
            if (errno != EINTR)
                return false;
        }
        return true;
    }

    int m_fd = -1;
};

std::string HivePath(Hive hive) {
    return HiveFolder(hive) + "/" + std::string(HiveRootName(hive)) + ".reg";
}

// The running program's file, read once: the process does not move.
const std::string& RunningProgramFile() {
    static const std::string file = [] {
        std::error_code error;
        std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
        return error ? std::string() : path.string();
    }();
    return file;
}

void AddStandardKeys(Hive hive, RegistryNode& root) {
    switch (hive) {
    case Hive::CurrentUser:
        root.ChildNamed("Software");
        break;
    case Hive::LocalMachine:
        root.ChildNamed("Software").ChildNamed("Classes");
        break;
    case Hive::Users:
        root.ChildNamed(".Default");
        break;
    }
}

}  // namespace

std::string_view HiveRootName(Hive hive) {
    switch (hive) {
    case Hive::CurrentUser: return "HKEY_CURRENT_USER";
    case Hive::LocalMachine: return "HKEY_LOCAL_MACHINE";
    case Hive::Users: return "HKEY_USERS";
    }
    return {};
}

std::string RegistryRootFolder() {
    if (const char* root = std::getenv("LEAF_REGISTRY"); root && *root)
        return root;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/')
        return std::string(config) + "/leafcraft/registry";
    std::string home;
    if (const char* variable = std::getenv("HOME"); variable && *variable)
        home = variable;
    else if (const passwd* user = getpwuid(getuid()); user && user->pw_dir)
        home = user->pw_dir;
    return home + "/.config/leafcraft/registry";
}

std::string ProgramRegistryFolder(const std::string& programFile) {
    if (programFile.empty())
        return {};
    std::filesystem::path folder = std::filesystem::path(programFile).parent_path().parent_path() / "registry";
    std::error_code error;
    if (!std::filesystem::is_regular_file(folder / (std::string(HiveRootName(Hive::LocalMachine)) + ".reg"), error))
        return {};
    return folder.lexically_normal().string();
}

std::string MachineRegistryFolder() {
    if (const char* root = std::getenv("LEAF_REGISTRY"); root && *root)
        return root;
    if (std::string folder = ProgramRegistryFolder(RunningProgramFile()); !folder.empty())
        return folder;
    return RegistryRootFolder();
}

std::string HiveFolder(Hive hive) {
    return hive == Hive::CurrentUser ? RegistryRootFolder() : MachineRegistryFolder();
}

bool IsStandardKey(Hive hive, const std::vector<std::string>& path) {
    auto is = [&](std::initializer_list<std::string_view> names) {
        if (path.size() != names.size())
            return false;
        size_t i = 0;
        for (std::string_view name : names)
            if (!EqualsNoCase(path[i++], name))
                return false;
        return true;
    };
    switch (hive) {
    case Hive::CurrentUser: return is({"Software"});
    case Hive::LocalMachine: return is({"Software"}) || is({"Software", "Classes"});
    case Hive::Users: return is({".Default"});
    }
    return false;
}

HiveStore::FileIdentity HiveStore::IdentityOf(const struct stat& info) {
    return FileIdentity{info.st_dev, info.st_ino, info.st_size,
                        info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec,
                        info.st_ctim.tv_sec * 1000000000LL + info.st_ctim.tv_nsec};
}

HiveStore& HiveStore::Instance() {
    static HiveStore store;
    return store;
}

LONG HiveStore::Load(Hive hive, const std::string& path, CachedHive& cache, bool reuseSameText) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        if (errno != ENOENT && errno != ENOTDIR)
            return ERROR_CANTREAD;
        cache = CachedHive{};
        cache.known = true;
        cache.tree.emplace(std::string(HiveRootName(hive)));
        AddStandardKeys(hive, *cache.tree);
        return ERROR_SUCCESS;
    }
    std::string text;
    if (!ReadFileBytes(path, text))
        return ERROR_CANTREAD;
    FileIdentity identity = IdentityOf(info);
    bool sameText = cache.known && cache.present && cache.text == text;
    cache.known = true;
    cache.present = true;
    cache.identity = identity;
    if (sameText && reuseSameText)
        return cache.tree ? ERROR_SUCCESS : ERROR_BADDB;
    cache.text = std::move(text);
    cache.tree = ParseHiveText(cache.text, HiveRootName(hive));
    if (!cache.tree)
        return ERROR_BADDB;
    AddStandardKeys(hive, *cache.tree);
    return ERROR_SUCCESS;
}

LONG HiveStore::Refresh(Hive hive, const std::string& path, CachedHive& cache, bool locked) {
    if (!locked && cache.known) {
        struct stat info {};
        bool unchanged;
        if (stat(path.c_str(), &info) != 0) {
            unchanged = !cache.present && (errno == ENOENT || errno == ENOTDIR);
        } else {
            FileIdentity identity = IdentityOf(info);
            unchanged = cache.present && cache.identity == identity;
        }
        if (unchanged)
            return cache.tree ? ERROR_SUCCESS : ERROR_BADDB;
    }
    if (locked)
        return Load(hive, path, cache, true);
    HiveLock lock;
    if (!lock.LockShared(path + ".lock"))
        return ERROR_CANTREAD;
    return Load(hive, path, cache, true);
}

LONG HiveStore::Read(Hive hive, const Reader& read) {
    std::lock_guard guard(m_mutex);
    std::string path = HivePath(hive);
    CachedHive& cache = m_cache[path];
    if (LONG result = Refresh(hive, path, cache, false); result != ERROR_SUCCESS)
        return result;
    return read(*cache.tree);
}

LONG HiveStore::Modify(Hive hive, const Changer& change) {
    std::lock_guard guard(m_mutex);
    std::string path = HivePath(hive);
    CachedHive& cache = m_cache[path];
    HiveLock lock;
    if (!lock.LockExclusive(path + ".lock"))
        return ERROR_CANTWRITE;
    // Under the lock the file is always read again and compared by its bytes, so a
    // change is never applied to a stale tree.
    if (LONG result = Refresh(hive, path, cache, true); result != ERROR_SUCCESS)
        return result;

    bool changed = false;
    LONG result = change(*cache.tree, changed);
    if (result != ERROR_SUCCESS || !changed)
        return result;

    std::string text = FormatHiveText(*cache.tree, HiveRootName(hive));
    if (!WriteFileAtomically(path, text)) {
        cache = CachedHive{};  // the tree holds a change that was not stored
        return ERROR_CANTWRITE;
    }
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        cache = CachedHive{};
        return ERROR_SUCCESS;
    }
    cache.known = true;
    cache.present = true;
    cache.identity = IdentityOf(info);
    cache.text = std::move(text);
    return ERROR_SUCCESS;
}

}  // namespace leaf::registry
