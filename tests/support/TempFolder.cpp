#include "tests/support/TempFolder.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>
#include <utility>

namespace leaf::test {

TempFolder::TempFolder() {
    // Named in lower case only, so that a path a test makes below it is its own lower-cased
    // form: code that looks a path up by its lower-cased name then meets the file of that
    // very name every time, not only when the random letters happen to be small ones.
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = "leaftest-";
        for (int i = 0; i < 8; ++i)
            name += kLetters[random() % (sizeof kLetters - 1)];
        const std::filesystem::path path = std::filesystem::temp_directory_path() / name;
        if (mkdir(path.c_str(), 0700) == 0) {
            m_path = path;
            return;
        }
        if (errno != EEXIST)
            break;
    }
    throw std::runtime_error("cannot create a temporary folder");
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

ScopedVariable::ScopedVariable(std::string name, const std::string& value) : m_name(std::move(name)) {
    if (const char* previous = std::getenv(m_name.c_str())) {
        m_previous = previous;
        m_hadPrevious = true;
    }
    setenv(m_name.c_str(), value.c_str(), 1);
}

ScopedVariable::~ScopedVariable() {
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
