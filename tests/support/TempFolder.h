#pragma once

#include <filesystem>
#include <string>
#include <utility>

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

// Sets an environment variable for as long as it lives, and restores its previous value
// (or its absence) afterwards, so that no test leaves it changed for the tests after it.
class ScopedVariable {
public:
    ScopedVariable(std::string name, const std::string& value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    std::string m_name;
    std::string m_previous;
    bool m_hadPrevious = false;
};

// Points an environment variable at a fresh folder of its own for as long as it lives,
// and restores the variable's previous value afterwards.
class ScopedFolderVariable {
public:
    explicit ScopedFolderVariable(std::string name) : m_variable(std::move(name), m_folder.Path().string()) {}

    std::string Path() const { return m_folder.Path().string(); }

private:
    TempFolder m_folder;
    ScopedVariable m_variable;
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
