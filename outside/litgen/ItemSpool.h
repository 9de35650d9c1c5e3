#pragma once

// CItemSpool: one scratch file beside the e-book that holds the content of every item
// once its stream has ended, so that the writer keeps no more than one item in memory
// however large the book. The archive is written from the spool at the end; the file
// is removed when the spool is closed or destroyed. It is an unnamed file where the file
// system has them (Path() is then its /proc/self/fd name), so a killed writer leaves
// nothing; else it is named <stem><pid>-<n>, and the next spool made with that stem
// removes those whose process no longer runs.

#include <cstdint>
#include <cstdio>
#include <string>

class CItemSpool {
public:
    // Where one item's content lies in the spool.
    struct Range {
        std::uint64_t offset = 0;
        std::uint64_t length = 0;
    };

    CItemSpool() = default;
    ~CItemSpool();
    CItemSpool(const CItemSpool&) = delete;
    CItemSpool& operator=(const CItemSpool&) = delete;

    // Creates a fresh spool file whose name begins with `stem`; false when none could be made.
    bool Create(const std::string& stem);
    bool IsOpen() const { return m_file != nullptr; }
    const std::string& Path() const { return m_path; }

    // Appends content; false (and the spool no longer usable, Error() saying why) when the
    // write fails.
    bool Append(const std::string& content, Range& range);
    // Writes out what is buffered, so that readers of the file see every range.
    bool Flush();
    // Reads one range back; false when it cannot be read.
    bool Read(const Range& range, std::string& content);
    // Closes and removes the file.
    void Remove();
    // The errno value of the last write or flush that failed; 0 when none did.
    int Error() const { return m_error; }

private:
    std::FILE* m_file = nullptr;
    int m_error = 0;
    bool m_unnamed = false;
    std::string m_path;
    std::uint64_t m_size = 0;
};
