#pragma once

// Checks of a built e-book with readers nobody here wrote: epubcheck (Debian package
// epubcheck), which every test that builds a book runs on it, and calibre's
// ebook-convert and ebook-meta, where calibre is installed.

#include <string>

#include <gtest/gtest.h>

namespace leaf::test {

// Success when epubcheck reports no error and no fatal error for the e-book; the failure
// message holds epubcheck's error lines. Also a failure when epubcheck cannot be run.
::testing::AssertionResult PassesEpubCheck(const std::string& eBookPath);

// What calibre made of an e-book.
struct CalibreReading {
    bool converted = false;  // ebook-convert BOOK.epub OUT.txt exited with 0
    std::string text;        // the text it wrote
    std::string title;       // as ebook-meta reads it
    std::string authors;
    std::string log;         // both programs' output, for failure messages
};

// Whether calibre's ebook-convert is on the PATH.
bool HasCalibre();
// Reads the e-book with calibre (the caller checks HasCalibre first).
CalibreReading ReadWithCalibre(const std::string& eBookPath);

// Expects calibre to convert the e-book and find its title and author; where calibre is
// not installed, says that this check was skipped.
void ExpectCalibreReads(const std::string& eBookPath, const std::string& title, const std::string& author);

}  // namespace leaf::test
