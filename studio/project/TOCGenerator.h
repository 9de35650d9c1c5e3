#pragma once

// CTOCGenerator: one table-of-contents generation run. It walks the project's source files
// in list order and writes an entry for each file title, for each heading of an HTML source
// (found and anchored by CHeadingAnchorer, which rewrites the source) and for each bookmark
// of a Word document, poured into a style file by CTOCWriter.
//
// Entry levels: file titles 1; headings (tag index + 1), one deeper when titles are made;
// bookmarks the bookmark level, one deeper when titles are made. Hrefs are the source's
// path relative to the common source folder, with "#id" for headings and "#name" for
// bookmarks. Titles, paths and bookmark names are written escaped, so that an '&' or '<'
// in them reads back as itself; heading text keeps the character references its source
// wrote (see CTOCWriter).
//
// The run reports progress to a sink (the wizard's progress page, which also keeps the
// window responsive); the sink answering FALSE cancels the run. Failures are shown in a
// message box (10129, 10133, 10134); a cancel shows nothing. After a failure or a cancel
// the partly written table of contents is deleted. When the table of contents is itself one
// of the sources, its headings are not read (it is the file being written).

#include <functional>
#include <memory>
#include <vector>

#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CTOCWriter;

// Bits of the "Import Flags" setting: what entries are made from.
inline constexpr DWORD TOC_IMPORT_TITLES = 0x1;
inline constexpr DWORD TOC_IMPORT_HEADINGS = 0x2;
inline constexpr DWORD TOC_IMPORT_BOOKMARKS = 0x4;

// One source file as the run sees it.
struct CTOCSource {
    CString m_path;   // absolute
    CString m_title;  // the title the project gives it
};

struct CTOCGenerationOptions {
    DWORD m_importFlags = TOC_IMPORT_TITLES | TOC_IMPORT_HEADINGS | TOC_IMPORT_BOOKMARKS;
    std::vector<CString> m_headingTags;  // start tags of heading levels 1, 2, ... (deepest used last)
    CString m_idBaseName = "TOC";
    int m_bookmarkLevel = 1;
};

class CTOCGenerator {
public:
    enum Result { resultSucceeded, resultFailed, resultCancelled };

    // The progress page: the percentage done and the name of the source being read.
    // FALSE once the user has cancelled.
    using ProgressSink = std::function<BOOL(int percent, const CString& name)>;
    // Reads a Word document's bookmark names in document order; FALSE when they cannot be
    // read (no Word, no such file), which is not an error of the run.
    using BookmarkSource = std::function<BOOL(const CString& path, std::vector<CString>& names)>;

    CTOCGenerator(ProgressSink progress, BookmarkSource bookmarks);
    ~CTOCGenerator();
    CTOCGenerator(const CTOCGenerator&) = delete;
    CTOCGenerator& operator=(const CTOCGenerator&) = delete;

    // Writes the table of contents at tocPath from the style file at stylePath.
    Result Run(const std::vector<CTOCSource>& sources, const CString& commonSourceFolder, const CString& tocPath,
               const CString& stylePath, const CTOCGenerationOptions& options);

    // The anchorer's error text of the last run (empty when it left none).
    const CString& GetErrorText() const { return m_errorText; }

    // The call-backs that CHeadingAnchorer calls with the run as its context.
    static BOOL ProgressCallback(LONGLONG units, void* context);
    static BOOL EntryCallback(int level, const CString& text, const CString& id, void* context);

private:
    BOOL StepProgress(LONGLONG units);
    BOOL Generate(const std::vector<CTOCSource>& sources, size_t relativeStart, const CString& tocPath,
                  const CTOCGenerationOptions& options);

    ProgressSink m_progress;
    BookmarkSource m_bookmarks;
    std::unique_ptr<CTOCWriter> m_writer;
    CString m_relativePath;   // of the source being read
    CString m_progressName;
    LONGLONG m_total = 0;
    LONGLONG m_done = 0;
    bool m_cancelled = false;
    CString m_errorText;
};
