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

// Points an environment variable at a fresh folder of its own for as long as it lives,
// and restores the variable's previous value afterwards.
class ScopedFolderVariable {
public:
    explicit ScopedFolderVariable(std::string name);
    ~ScopedFolderVariable();
    ScopedFolderVariable(const ScopedFolderVariable&) = delete;
    ScopedFolderVariable& operator=(const ScopedFolderVariable&) = delete;

    std::string Path() const { return m_folder.Path().string(); }

private:
    std::string m_name;
    TempFolder m_folder;
    std::string m_previous;
    bool m_hadPrevious = false;
};

// A registry root of its own (LEAF_REGISTRY), so that no test reads or writes the user's
// settings.
class ScopedRegistryRoot : public ScopedFolderVariable {
public:
    ScopedRegistryRoot() : ScopedFolderVariable("LEAF_REGISTRY") {}
};

// A temporary folder of its own (TMP), so that the temporary files of two test
// processes never meet in a shared folder.
class ScopedTempRoot : public ScopedFolderVariable {
public:
    ScopedTempRoot() : ScopedFolderVariable("TMP") {}
};

// The folder that holds the built programs and modules (build/bin).
std::string BinDir();

}  // namespace leaf::test
