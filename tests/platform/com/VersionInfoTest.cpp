#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "platform/com/VersionInfo.h"
#include "tests/platform/com/ServerFixture.h"
#include "tests/support/TempFolder.h"

namespace {

std::vector<std::uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

TEST(VersionInfoTest, ReadsTheBlockFromTheModuleFile) {
    std::optional<leaf::VersionInfo> info = leaf::ReadFileVersionInfo(leaf::test::TestObjectModulePath());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->Query("CompanyName"), "Leafcraft Test Works");
    EXPECT_EQ(info->Query("fileversion"), "2, 0, 2, 0215");
    EXPECT_EQ(info->Query("OLESelfRegister"), "");
    EXPECT_FALSE(info->Query("Comments"));
    EXPECT_EQ(info->Entries().size(), 5u);
}

TEST(VersionInfoTest, Win32ShapedQueries) {
    std::string path = leaf::test::TestObjectModulePath();
    DWORD handle = 1;
    DWORD size = GetFileVersionInfoSize(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    EXPECT_EQ(handle, 0u);
    std::vector<std::uint8_t> block(size);
    ASSERT_TRUE(GetFileVersionInfo(path.c_str(), 0, size, block.data()));
    EXPECT_FALSE(GetFileVersionInfo(path.c_str(), 0, size - 1, block.data()));

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValue(block.data(), "\\StringFileInfo\\040904B0\\ProductVersion", &value, &length));
    EXPECT_STREQ(static_cast<const char*>(value), "1, 0, 0, 1");
    EXPECT_EQ(length, 11u);
    EXPECT_FALSE(VerQueryValue(block.data(), "\\StringFileInfo\\040904B0\\Missing", &value, &length));
    EXPECT_FALSE(VerQueryValue(block.data(), "\\StringFileInfo\\ProductVersion", &value, &length));

    ASSERT_TRUE(VerQueryValue(block.data(), "\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, value, sizeof fixed);
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed.dwFileVersionMS, 0x00020000u);
    EXPECT_EQ(fixed.dwFileVersionLS, 0x000200D7u);  // 2, 215
    EXPECT_EQ(fixed.dwProductVersionLS, 0x00000001u);
}

TEST(VersionInfoTest, FilesWithoutABlockOrDamagedOnesGiveNothing) {
    leaf::test::TempFolder folder;
    EXPECT_FALSE(leaf::ReadFileVersionInfo(folder / "missing.so"));
    EXPECT_FALSE(leaf::ReadFileVersionInfo(folder.WriteFile("text.so", "not an ELF file at all")));
    EXPECT_FALSE(leaf::ReadFileVersionInfo(leaf::test::NoEntryModulePath())) << "a module without a block";
    EXPECT_EQ(GetFileVersionInfoSize(leaf::test::NoEntryModulePath().c_str(), nullptr), 0u);
    EXPECT_FALSE(leaf::ReadFileVersionInfo(folder.Path().string())) << "a folder";

    // Copies of the real module cut at many lengths, including inside the section
    // headers at the end of the file, must be read safely (no block, or the whole one).
    std::vector<std::uint8_t> image = ReadAll(leaf::test::TestObjectModulePath());
    ASSERT_GT(image.size(), 4096u);
    std::vector<std::size_t> cuts = {0, 3, 63, 64, 100, image.size() / 2, image.size() - 65, image.size() - 1};
    for (std::size_t cut : cuts) {
        std::string copy(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(cut));
        std::string path = folder.WriteFile("cut.so", copy);
        std::optional<leaf::VersionInfo> info = leaf::ReadFileVersionInfo(path);
        if (info) {
            EXPECT_EQ(info->Query("CompanyName"), "Leafcraft Test Works") << cut;
        }
        EXPECT_FALSE(leaf::FindVersionSection(std::span(image.data(), cut)) && cut < 64) << cut;
    }
}

TEST(VersionInfoTest, HostileSectionHeadersAreBoundsChecked) {
    std::vector<std::uint8_t> image = ReadAll(leaf::test::TestObjectModulePath());
    ASSERT_TRUE(leaf::FindVersionSection(image));
    auto patched = [&](std::size_t offset, std::uint64_t value, int bytes) {
        std::vector<std::uint8_t> copy = image;
        for (int i = 0; i < bytes; ++i)
            copy[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
        return copy;
    };
    EXPECT_FALSE(leaf::FindVersionSection(patched(0x28, ~0ull, 8)));       // section table beyond the file
    EXPECT_FALSE(leaf::FindVersionSection(patched(0x28, ~0ull - 10, 8)));  // offset that wraps around
    EXPECT_FALSE(leaf::FindVersionSection(patched(0x3A, 8, 2)));           // entries too small
    EXPECT_FALSE(leaf::FindVersionSection(patched(0x3E, 0xFFF0, 2)));      // names section out of range
    EXPECT_FALSE(leaf::FindVersionSection(patched(4, 1, 1)));              // 32-bit class
    // Every section's size made huge: nothing is read past the end.
    std::uint64_t table = 0;
    for (int i = 7; i >= 0; --i)
        table = (table << 8) | image[0x28 + static_cast<std::size_t>(i)];
    std::size_t count = image[0x3C] | (image[0x3D] << 8);
    std::vector<std::uint8_t> hostile = image;
    for (std::size_t s = 0; s < count; ++s)
        for (int i = 0; i < 8; ++i)
            hostile[table + s * 64 + 32 + static_cast<std::size_t>(i)] = 0xFF;
    EXPECT_FALSE(leaf::FindVersionSection(hostile));
}

TEST(VersionInfoTest, BlockParsingNeedsTheMagicAndTerminatedStrings) {
    auto parse = [](std::string_view text) {
        return leaf::VersionInfo::Parse(
            std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    };
    using namespace std::string_view_literals;
    auto good = parse("LEAFVERSION1\0A\0one\0B\0\0\0\0\0"sv);
    ASSERT_TRUE(good);
    EXPECT_EQ(good->Query("a"), "one");
    EXPECT_EQ(good->Query("B"), "");
    EXPECT_FALSE(parse("LEAFVERSION2\0A\0one\0\0"sv));
    EXPECT_FALSE(parse("LEAFVERSION1\0A\0unterminated"sv));
    EXPECT_FALSE(parse("LEAFVERSION1\0Key-without-value\0"sv));
    EXPECT_TRUE(parse("LEAFVERSION1\0"sv));
}

}  // namespace
