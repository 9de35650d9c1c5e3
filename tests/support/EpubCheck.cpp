#include "tests/support/EpubCheck.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

namespace leaf::test {

namespace {

constexpr const char* kEpubCheckJar = "/usr/bin/epubcheck";

bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');)
        if (!folder.empty() && access((folder + "/" + program).c_str(), X_OK) == 0)
            return true;
    return false;
}

std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

// The value of one "Name : value" line of ebook-meta's output.
std::string MetaField(const std::string& output, const std::string& name) {
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(name, 0) != 0)
            continue;
        const size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        const size_t start = line.find_first_not_of(' ', colon + 1);
        return start == std::string::npos ? std::string() : line.substr(start);
    }
    return {};
}

// epubcheck and calibre take a file for an EPUB by its name: a book of another name is
// read through an ".epub" link to it in `folder`. Empty when no link could be made.
std::string EpubName(const std::string& eBookPath, const TempFolder& folder) {
    if (eBookPath.ends_with(".epub"))
        return eBookPath;
    const std::string link = folder / "book.epub";
    std::error_code error;
    std::filesystem::create_symlink(std::filesystem::absolute(eBookPath), link, error);
    return error ? std::string() : link;
}

}  // namespace

::testing::AssertionResult PassesEpubCheck(const std::string& eBookPath) {
    if (access(kEpubCheckJar, R_OK) != 0 || !OnPath("java"))
        return ::testing::AssertionFailure()
               << "epubcheck cannot be run (Debian package epubcheck, which make test installs)";
    // Java keeps preferences below the home folder: it gets one of its own.
    TempFolder home;
    const std::string checked = EpubName(eBookPath, home);
    if (checked.empty())
        return ::testing::AssertionFailure() << "no link to " << eBookPath << " could be made";
    const ChildResult result = RunChild("java", {"-Duser.home=" + home.Path().string(), "-jar", kEpubCheckJar, checked},
                                        "", ErrorOutput::Merged);
    if (!result.started)
        return ::testing::AssertionFailure() << "java could not be started";
    std::string errors;
    std::istringstream lines(result.out);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("ERROR", 0) == 0 || line.rfind("FATAL", 0) == 0)
            errors += line + "\n";
    if (result.exitStatus != 0 || !errors.empty())
        return ::testing::AssertionFailure() << "epubcheck finds errors in " << eBookPath << ":\n"
                                             << (errors.empty() ? result.out : errors);
    return ::testing::AssertionSuccess();
}

bool HasCalibre() { return OnPath("ebook-convert") && OnPath("ebook-meta"); }

CalibreReading ReadWithCalibre(const std::string& eBookPath) {
    CalibreReading reading;
    TempFolder scratch;
    const std::string text = scratch / "book.txt";
    const std::string book = EpubName(eBookPath, scratch);
    // calibre keeps its settings below the home folder and its configuration folder.
    ScopedFolderVariable home("HOME");
    ScopedFolderVariable config("XDG_CONFIG_HOME");
    const ChildResult converted = RunChild("ebook-convert", {book, text}, "", ErrorOutput::Merged);
    reading.converted = converted.started && converted.exitStatus == 0;
    reading.text = ReadAll(text);
    const ChildResult meta = RunChild("ebook-meta", {book}, "", ErrorOutput::Merged);
    reading.title = MetaField(meta.out, "Title");
    reading.authors = MetaField(meta.out, "Author(s)");
    reading.log = converted.out + meta.out;
    return reading;
}

void ExpectCalibreReads(const std::string& eBookPath, const std::string& title, const std::string& author) {
    if (!HasCalibre()) {
        // Said plainly, not in the test framework's own words: CTest would take a line that
        // looks like the framework's skip notice for the whole test being skipped, and report
        // a failed epubcheck of the same test as skipped too.
        std::cout << "note: calibre (ebook-convert) is not installed, so " << eBookPath << " was not read with it\n";
        return;
    }
    const CalibreReading reading = ReadWithCalibre(eBookPath);
    EXPECT_TRUE(reading.converted) << reading.log;
    EXPECT_EQ(title, reading.title) << reading.log;
    EXPECT_NE(std::string::npos, reading.authors.find(author)) << reading.log;
    EXPECT_FALSE(reading.text.empty()) << reading.log;
}

}  // namespace leaf::test
