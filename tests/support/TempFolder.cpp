#include "tests/support/TempFolder.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <utility>

namespace leaf::test {

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "leaftest-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder");
    m_path = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string TempFolder::WriteFile(const std::string& relativePath, const std::string& contents) const {
    std::filesystem::path file = m_path / relativePath;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
    return file.string();
}

ScopedFolderVariable::ScopedFolderVariable(std::string name) : m_name(std::move(name)) {
    if (const char* previous = std::getenv(m_name.c_str())) {
        m_previous = previous;
        m_hadPrevious = true;
    }
    setenv(m_name.c_str(), m_folder.Path().c_str(), 1);
}

ScopedFolderVariable::~ScopedFolderVariable() {
    if (m_hadPrevious)
        setenv(m_name.c_str(), m_previous.c_str(), 1);
    else
        unsetenv(m_name.c_str());
}

std::string BinDir() {
    if (const char* dir = std::getenv("LEAF_BIN_DIR"))
        return dir;
    return LEAF_DEFAULT_BIN_DIR;
}

}  // namespace leaf::test
