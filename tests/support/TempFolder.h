#pragma once

#include <filesystem>
#include <string>

namespace leaf::test {

// A fresh folder under the system's temporary folder, removed with everything in it
// when the object goes out of scope.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return (m_path / name).string(); }

    // Writes a file below the folder (creating its folders) and returns its full path.
    std::string WriteFile(const std::string& relativePath, const std::string& contents) const;

private:
    std::filesystem::path m_path;
};

// Points LEAF_REGISTRY at a registry root of its own for as long as it lives, and
// restores the previous root afterwards.
class ScopedRegistryRoot {
public:
    ScopedRegistryRoot();
    ~ScopedRegistryRoot();
    ScopedRegistryRoot(const ScopedRegistryRoot&) = delete;
    ScopedRegistryRoot& operator=(const ScopedRegistryRoot&) = delete;

    std::string Path() const { return m_folder.Path().string(); }

private:
    TempFolder m_folder;
    std::string m_previous;
    bool m_hadPrevious = false;
};

// The folder that holds the built programs and modules (build/bin).
std::string BinDir();

}  // namespace leaf::test
