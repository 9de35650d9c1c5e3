#pragma once

// The hives as files. Each hive is one text file (HiveText.h) in the registry root
// folder. A read uses the parsed tree kept from the last call while the file's identity
// (device, inode, size, times) is unchanged, and reads the file again, under a shared
// lock, when another process has replaced it. A change takes an exclusive lock on the
// hive's lock file, reads the current file, applies the change, writes the file
// atomically and releases the lock, so concurrent writers in several processes lose
// nothing. A hive file that does not parse makes every call on it fail with
// ERROR_BADDB, and is never written over.

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

#include "platform/base/Types.h"
#include "platform/registry/RegistryTree.h"

namespace leaf::registry {

enum class Hive { CurrentUser, LocalMachine, Users };

// "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS".
std::string_view HiveRootName(Hive hive);

// The user's registry folder, which holds HKEY_CURRENT_USER: $LEAF_REGISTRY, else
// $XDG_CONFIG_HOME/leafcraft/registry, else ~/.config/leafcraft/registry. Looked up on
// every call, so a change of the environment takes effect at once.
std::string RegistryRootFolder();

// The folder of the machine-wide hives (HKEY_LOCAL_MACHINE with the classes root, and
// HKEY_USERS): $LEAF_REGISTRY when it is set; else the registry folder of the running
// program's tree (ProgramRegistryFolder), where a build registers what it built; else
// the user's registry folder. So a program run from a build tree finds the modules
// built beside it, while the user's own keys stay in the user's folder.
std::string MachineRegistryFolder();

// The folder "registry" beside the folder that holds `programFile` (<bin>/../registry),
// when it holds a machine hive (HKEY_LOCAL_MACHINE.reg); else empty.
std::string ProgramRegistryFolder(const std::string& programFile);

// The folder that holds the hive's file.
std::string HiveFolder(Hive hive);

// Keys that every hive has and that cannot be deleted: HKEY_CURRENT_USER\Software,
// HKEY_LOCAL_MACHINE\Software\Classes (the classes root) and HKEY_USERS\.Default.
bool IsStandardKey(Hive hive, const std::vector<std::string>& path);

class HiveStore {
public:
    static HiveStore& Instance();

    using Reader = std::function<LONG(const RegistryNode& root)>;
    // Returns ERROR_SUCCESS with `changed` set when the tree must be written.
    using Changer = std::function<LONG(RegistryNode& root, bool& changed)>;

    // Runs `read` on the hive's current tree and returns its result, or the error that
    // kept the hive from being read (ERROR_BADDB, ERROR_CANTREAD).
    LONG Read(Hive hive, const Reader& read);
    // Runs `change` on the hive's current tree under the write lock and stores the result
    // when it reports a change. Errors: those of Read, and ERROR_CANTWRITE.
    LONG Modify(Hive hive, const Changer& change);

private:
    struct FileIdentity {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        long long modified = 0;  // nanoseconds
        long long changed = 0;
        bool operator==(const FileIdentity&) const = default;
    };

    struct CachedHive {
        bool known = false;          // false: nothing has been read yet
        bool present = false;        // the file exists
        FileIdentity identity;
        std::string text;            // the bytes last read or written
        std::optional<RegistryNode> tree;  // nullopt: the file is malformed
    };

    static FileIdentity IdentityOf(const struct stat& info);
    LONG Refresh(Hive hive, const std::string& path, CachedHive& cache, bool locked);
    LONG Load(Hive hive, const std::string& path, CachedHive& cache, bool reuseSameText);

    std::mutex m_mutex;
    std::map<std::string, CachedHive> m_cache;  // by hive file path
};

}  // namespace leaf::registry
