#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/base/Environment.h"
#include "platform/base/LocalTime.h"
#include "platform/base/ModulePath.h"

namespace {

void MarkerInThisProgram() {}

TEST(ModulePath, FindsTheRunningProgram) {
    const std::string executable = leaf::GetExecutablePath();
    ASSERT_FALSE(executable.empty());
    EXPECT_EQ(std::filesystem::path(executable).filename(), "test_platform_base");
    EXPECT_EQ(leaf::GetModulePath(reinterpret_cast<const void*>(&MarkerInThisProgram)), executable);
    // An address inside the C library belongs to a shared object, not to the program.
    const std::string library = leaf::GetModulePath(reinterpret_cast<const void*>(&getpid));
    EXPECT_NE(library, executable);
    EXPECT_NE(library.find("libc"), std::string::npos) << library;
}

TEST(LocalTime, FormatsInClassicLocaleWithoutLimit) {
    const time_t when = 86400 * 365;  // 1971-01-01 00:00:00 UTC
    EXPECT_EQ(leaf::FormatUtcTime(when, "%Y-%m-%d %H:%M:%S %a %b"), "1971-01-01 00:00:00 Fri Jan");
    std::string longFormat;
    for (int i = 0; i < 2000; ++i)
        longFormat += "%Y";
    EXPECT_EQ(leaf::FormatUtcTime(when, longFormat.c_str()).size(), 8000u);
    EXPECT_EQ(leaf::FormatUtcTime(when, ""), "");

    const char* previous = std::getenv("TZ");
    const std::string saved = previous ? previous : "";
    setenv("TZ", "UTC-2", 1);
    tzset();
    const std::string local = leaf::FormatLocalTime(when, "%H:%M");
    if (previous)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
    EXPECT_EQ(local, "02:00");
}

TEST(Environment, TempFolderOrder) {
    const char* names[] = {"TMP", "TEMP", "TMPDIR"};
    std::string saved[3];
    bool had[3];
    for (int i = 0; i < 3; ++i) {
        const char* value = std::getenv(names[i]);
        had[i] = value != nullptr;
        saved[i] = value ? value : "";
    }
    setenv("TMP", "/first/", 1);
    setenv("TEMP", "/second", 1);
    setenv("TMPDIR", "/third", 1);
    const std::string fromTmp = leaf::GetTempFolder();
    unsetenv("TMP");
    const std::string fromTemp = leaf::GetTempFolder();
    setenv("TEMP", "", 1);
    const std::string fromTmpDir = leaf::GetTempFolder();
    unsetenv("TEMP");
    unsetenv("TMPDIR");
    const std::string fromSystem = leaf::GetTempFolder();
    for (int i = 0; i < 3; ++i) {
        if (had[i])
            setenv(names[i], saved[i].c_str(), 1);
        else
            unsetenv(names[i]);
    }
    EXPECT_EQ(fromTmp, "/first");
    EXPECT_EQ(fromTemp, "/second");
    EXPECT_EQ(fromTmpDir, "/third");
    EXPECT_EQ(fromSystem, "/tmp");
}

}  // namespace
