// The hive files: their location and syntax, damaged files, and several processes
// sharing one registry.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/registry/HiveStore.h"
#include "platform/registry/Registry.h"
#include "platform/registry/RegistryKey.h"
#include "tests/platform/registry/RegistryTestSupport.h"
#include "tests/support/TempFolder.h"

namespace leaf::test {
namespace {

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs `body` in a child process and returns its exit status (0: success).
template <typename Body>
pid_t StartChild(Body body) {
    pid_t child = fork();
    if (child == 0) {
        int status = body();
        _exit(status);
    }
    return child;
}

int WaitForChild(pid_t child) {
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

TEST(HiveFileTest, WritesTheExportSyntaxUnderTheRootFolder) {
    ScopedRegistryRoot scoped;  // restores the root afterwards
    std::string root = scoped.Path() + "/not/yet/there";
    setenv("LEAF_REGISTRY", root.c_str(), 1);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKey(HKEY_CURRENT_USER, "Software", &key), ERROR_SUCCESS);
    EXPECT_FALSE(std::filesystem::exists(root)) << "reading creates nothing";
    RegCloseKey(key);

    RegistryKey settings = RegistryKey::Create(HKEY_CURRENT_USER, "Software\\Tallbrook Systems, Inc.\\Leafcraft\\SDK");
    ASSERT_TRUE(settings.WriteString("TempFolder", "/tmp/a \"b\"\\c"));
    ASSERT_TRUE(settings.WriteDword("AutoDelete", 42));
    ASSERT_TRUE(settings.WriteString("", "default"));
    ASSERT_TRUE(settings.WriteBinary("Blob", {0x01, 0xab}));
    ASSERT_EQ(SetValue(settings.Handle(), "Expand", REG_EXPAND_SZ, "%A%"), ERROR_SUCCESS);

    std::string text = ReadWholeFile(root + "/HKEY_CURRENT_USER.reg");
    EXPECT_EQ(text,
              "Windows Registry Editor Version 5.00\n"
              "\n"
              "[HKEY_CURRENT_USER]\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software]\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Tallbrook Systems, Inc.]\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Tallbrook Systems, Inc.\\Leafcraft]\n"
              "\n"
              "[HKEY_CURRENT_USER\\Software\\Tallbrook Systems, Inc.\\Leafcraft\\SDK]\n"
              "\"TempFolder\"=\"/tmp/a \\\"b\\\"\\\\c\"\n"
              "\"AutoDelete\"=dword:0000002a\n"
              "@=\"default\"\n"
              "\"Blob\"=hex:01,ab\n"
              "\"Expand\"=hex(2):25,41,25,00\n"
              "\n"
              "; end of registry hive\n");
    EXPECT_FALSE(std::filesystem::exists(root + "/HKEY_LOCAL_MACHINE.reg"));
}

TEST(HiveFileTest, ReadsHandWrittenFilesWithContinuationLines) {
    ScopedRegistryRoot root;
    std::ofstream(root.Path() + "/HKEY_USERS.reg", std::ios::binary)
        << "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
           "\r\n"
           "; a comment\r\n"
           "[HKEY_USERS\\.Default\\Software\\Tallbrook Systems, Inc.\\Leafcraft\\Filters\\.htm]\r\n"
           "@=\"Leafcraft.HtmlFilter\"\r\n"
           "\"List\"=hex(7):61,00,62,\\\r\n"
           "  00,00\r\n"
           "\"Mask\"=dword:FFFFFFFF\r\n"
           "\r\n"
           "[hkey_users\\.Default\\Software\\Tallbrook Systems, Inc.\\Leafcraft\\Filters\\.txt]\r\n"
           "@=\"Leafcraft.TextFilter\"\r\n"
           "\r\n"
           "; end of registry hive\r\n";
    RegistryKey filters = RegistryKey::Open(HKEY_USERS, ".Default\\Software\\Tallbrook Systems, Inc.\\Leafcraft\\Filters");
    ASSERT_TRUE(filters.IsOpen());
    EXPECT_EQ(filters.SubKeyNames(), (std::vector<std::string>{".htm", ".txt"}));
    RegistryKey htm = RegistryKey::Open(filters.Handle(), ".HTM");
    EXPECT_EQ(htm.ReadString(), "Leafcraft.HtmlFilter");
    EXPECT_EQ(htm.ReadDword("Mask"), 0xFFFFFFFFu);
    EXPECT_EQ(QueryValue(htm.Handle(), "List").data, std::string("a\0b\0\0", 5));
}

struct DamagedHive {
    const char* label;
    // Makes the damaged text from a good one.
    std::string (*damage)(const std::string& good);
};

std::vector<DamagedHive> DamagedHives() {
    return {
        {"cutInTheMiddleOfALine", [](const std::string& good) { return good.substr(0, good.find("dword:") + 9); }},
        {"cutAtALineEnd", [](const std::string& good) { return good.substr(0, good.find("\"Second\"")); }},
        {"cutBeforeTheLastLineEnd", [](const std::string& good) { return good.substr(0, good.size() - 1); }},
        {"empty", [](const std::string&) { return std::string(); }},
        {"noHeader", [](const std::string& good) { return good.substr(good.find('\n') + 1); }},
        {"unclosedQuote",
         [](const std::string& good) {
             std::string bad = good;
             bad.replace(bad.find("\"one\""), 5, "\"one");
             return bad;
         }},
        {"badHexDigit",
         [](const std::string& good) {
             std::string bad = good;
             bad.replace(bad.find("hex:01"), 6, "hex:0g");
             return bad;
         }},
        {"shortDword",
         [](const std::string& good) {
             std::string bad = good;
             bad.replace(bad.find("dword:00000001"), 14, "dword:1");
             return bad;
         }},
        {"keyOfAnotherHive",
         [](const std::string& good) {
             std::string bad = good;
             bad.replace(bad.find("[HKEY_CURRENT_USER\\Software]"), 28, "[HKEY_LOCAL_MACHINE\\Software]");
             return bad;
         }},
        {"keyTooDeep",
         [](const std::string& good) {
             std::string deep = "[HKEY_CURRENT_USER\\Software";
             for (int i = 0; i < 50000; ++i)
                 deep += "\\Level";
             std::string bad = good;
             bad.insert(bad.find("; end of registry hive"), deep + "]\n\n");
             return bad;
         }},
        {"valueBeforeAnyKey",
         [](const std::string& good) {
             std::string bad = good;
             bad.insert(bad.find('\n') + 1, "\"Stray\"=\"x\"\n");
             return bad;
         }},
        {"textAfterTheEnd", [](const std::string& good) { return good + "[HKEY_CURRENT_USER\\Late]\n"; }},
        {"binaryGarbage", [](const std::string& good) { return good.substr(0, 60) + std::string("\0\xff\x01", 3) + good.substr(60); }},
    };
}

TEST(HiveFileTest, DamagedHivesGiveBadDbAndAreNeverWrittenOver) {
    for (const DamagedHive& damaged : DamagedHives()) {
        SCOPED_TRACE(damaged.label);
        ScopedRegistryRoot root;
        {
            RegistryKey key = RegistryKey::Create(HKEY_CURRENT_USER, "Software\\Damage");
            ASSERT_TRUE(key.WriteString("First", "one"));
            ASSERT_TRUE(key.WriteDword("Count", 1));
            ASSERT_TRUE(key.WriteBinary("Bytes", {1, 2}));
            ASSERT_TRUE(key.WriteString("Second", "two"));
        }
        ASSERT_TRUE(RegistryKey::Create(HKEY_LOCAL_MACHINE, "Software\\Other").IsOpen());
        HKEY opened = nullptr;
        ASSERT_EQ(RegOpenKey(HKEY_CURRENT_USER, "Software\\Damage", &opened), ERROR_SUCCESS);

        std::string path = root.Path() + "/HKEY_CURRENT_USER.reg";
        std::string bad = damaged.damage(ReadWholeFile(path));
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bad;

        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKey(HKEY_CURRENT_USER, "Software\\Damage", &key), ERROR_BADDB);
        EXPECT_EQ(RegCreateKey(HKEY_CURRENT_USER, "Software\\New", &key), ERROR_BADDB);
        EXPECT_EQ(QueryValue(opened, "First").result, ERROR_BADDB);
        EXPECT_EQ(SetValue(opened, "First", REG_SZ, "changed"), ERROR_BADDB);
        EXPECT_EQ(RegDeleteValue(opened, "First"), ERROR_BADDB);
        EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "Software\\Damage"), ERROR_BADDB);
        char name[32];
        EXPECT_EQ(RegEnumKey(HKEY_CURRENT_USER, 0, name, sizeof name), ERROR_BADDB);
        EXPECT_EQ(ReadWholeFile(path), bad) << "the damaged file is left exactly as it was";
        EXPECT_TRUE(RegistryKey::Open(HKEY_LOCAL_MACHINE, "Software\\Other").IsOpen()) << "other hives still work";
        RegCloseKey(opened);
    }
}

TEST(HiveFileTest, ARepairedHiveIsReadAgain) {
    ScopedRegistryRoot root;
    std::string path = root.Path() + "/HKEY_CURRENT_USER.reg";
    std::ofstream(path, std::ios::binary) << "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\X]\n";
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKey(HKEY_CURRENT_USER, "Software\\X", &key), ERROR_BADDB);
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        << "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\X]\n; end of registry hive\n";
    ASSERT_EQ(RegOpenKey(HKEY_CURRENT_USER, "Software\\X", &key), ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST(HiveFileTest, ChangesCommittedByAnotherProcessAreSeenAtOnce) {
    ScopedRegistryRoot root;
    RegistryKey key = RegistryKey::Create(HKEY_CURRENT_USER, "Software\\Shared");
    ASSERT_TRUE(key.WriteDword("Value", 1));
    EXPECT_EQ(key.ReadDword("Value"), 1u);

    for (DWORD round = 2; round < 6; ++round) {
        pid_t child = StartChild([round] {
            RegistryKey other = RegistryKey::Open(HKEY_CURRENT_USER, "Software\\Shared");
            // Same size each round: only the identity of the replaced file tells.
            return other.WriteDword("Value", round) ? 0 : 1;
        });
        ASSERT_EQ(WaitForChild(child), 0);
        EXPECT_EQ(key.ReadDword("Value"), round) << "the open handle reads the other process's value";
    }
    pid_t child = StartChild([] { return RegDeleteKey(HKEY_CURRENT_USER, "Software\\Shared") == ERROR_SUCCESS ? 0 : 1; });
    ASSERT_EQ(WaitForChild(child), 0);
    EXPECT_EQ(QueryValue(key.Handle(), "Value").result, ERROR_KEY_DELETED);
}

TEST(HiveFileTest, ConcurrentWritersInTwoProcessesLoseNothing) {
    ScopedRegistryRoot root;
    constexpr int kValuesPerWriter = 200;
    auto writer = [](int id) {
        return [id] {
            RegistryKey key = RegistryKey::Create(HKEY_CURRENT_USER, "Software\\Race");
            for (int i = 0; i < kValuesPerWriter; ++i) {
                std::string name = "writer" + std::to_string(id) + "-" + std::to_string(i);
                if (!key.WriteDword(name, static_cast<DWORD>(id * 1000 + i)))
                    return 1;
            }
            return 0;
        };
    };
    pid_t first = StartChild(writer(1));
    pid_t second = StartChild(writer(2));
    ASSERT_EQ(WaitForChild(first), 0);
    ASSERT_EQ(WaitForChild(second), 0);

    RegistryKey key = RegistryKey::Open(HKEY_CURRENT_USER, "Software\\Race");
    ASSERT_EQ(key.ValueNames().size(), 2u * kValuesPerWriter);
    for (int id = 1; id <= 2; ++id)
        for (int i = 0; i < kValuesPerWriter; ++i)
            EXPECT_EQ(key.ReadDword("writer" + std::to_string(id) + "-" + std::to_string(i)),
                      static_cast<DWORD>(id * 1000 + i));
    std::vector<std::string> leftovers;
    for (const auto& entry : std::filesystem::directory_iterator(root.Path()))
        leftovers.push_back(entry.path().filename().string());
    std::sort(leftovers.begin(), leftovers.end());
    EXPECT_EQ(leftovers, (std::vector<std::string>{"HKEY_CURRENT_USER.reg", "HKEY_CURRENT_USER.reg.lock"}))
        << "no temporary files are left behind";
}

TEST(HiveFileTest, TheRootFolderFallsBackToTheConfigFolders) {
    ScopedRegistryRoot restoresTheRoot;
    const char* savedXdg = std::getenv("XDG_CONFIG_HOME");
    std::string savedXdgText = savedXdg ? savedXdg : "";
    const char* savedHome = std::getenv("HOME");
    std::string savedHomeText = savedHome ? savedHome : "";

    unsetenv("LEAF_REGISTRY");
    setenv("XDG_CONFIG_HOME", "/config/here", 1);
    EXPECT_EQ(registry::RegistryRootFolder(), "/config/here/leafcraft/registry");
    setenv("XDG_CONFIG_HOME", "relative", 1);
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(registry::RegistryRootFolder(), "/home/someone/.config/leafcraft/registry");
    setenv("LEAF_REGISTRY", "/explicit", 1);
    EXPECT_EQ(registry::RegistryRootFolder(), "/explicit");

    savedXdg ? setenv("XDG_CONFIG_HOME", savedXdgText.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
    savedHome ? setenv("HOME", savedHomeText.c_str(), 1) : unsetenv("HOME");
}

TEST(HiveFileTest, AProgramsTreeWithARegistryHoldsTheMachineHives) {
    TempFolder tree;
    std::string program = tree / "bin/leafstudio";
    EXPECT_EQ(registry::ProgramRegistryFolder(program), "") << "no registry folder beside bin";
    std::filesystem::create_directories(tree.Path() / "registry");
    EXPECT_EQ(registry::ProgramRegistryFolder(program), "") << "a folder without a machine hive is not one";
    tree.WriteFile("registry/HKEY_LOCAL_MACHINE.reg", "Windows Registry Editor Version 5.00\n\n; end of registry hive\n");
    EXPECT_EQ(registry::ProgramRegistryFolder(program), tree / "registry");
    EXPECT_EQ(registry::ProgramRegistryFolder(""), "");

    // LEAF_REGISTRY holds every hive.
    ScopedRegistryRoot explicitRoot;
    EXPECT_EQ(registry::MachineRegistryFolder(), explicitRoot.Path());
    EXPECT_EQ(registry::HiveFolder(registry::Hive::CurrentUser), explicitRoot.Path());
    EXPECT_EQ(registry::HiveFolder(registry::Hive::Users), explicitRoot.Path());
}

}  // namespace
}  // namespace leaf::test
