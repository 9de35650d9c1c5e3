#pragma once

// CTOCWriter: pours table-of-contents entries into a style file (".htt"). Open copies the
// style file up to its "%TABLEOFCONTENTS%" line into the output, AddEntry writes one entry
// line each, Close copies the rest of the style file. Entries of a level whose rule holds
// "text-transform: uppercase" (even inside a comment) are written in upper case.
//
// Entry lines:
//   <div class="LevelN"><a class="LevelN" href="HREF">TEXT</a></div>   (with an href)
//   <div class="LevelN">TEXT</div>                                     (without, for previews)
// Text and href are HTML as written: heading text comes as it stood in its source, and a
// complete character reference in it ("&amp;", "&eacute;", "&#233;") stands for its
// character. Everything else that could break the page is written as a reference: '<',
// '>', an '&' that begins no complete reference, and in the href a '"'. Plain text (a
// file's title, a path, a bookmark name) goes through EscapeText first, so that its own
// '&' stays a character.

#include <memory>
#include <vector>

#include "platform/base/CString.h"
#include "platform/base/File.h"
#include "platform/base/Types.h"

class CTOCWriter {
public:
    explicit CTOCWriter(const char* templatePath);
    ~CTOCWriter();
    CTOCWriter(const CTOCWriter&) = delete;
    CTOCWriter& operator=(const CTOCWriter&) = delete;

    // Opens the template and creates the output, then copies the template up to the
    // placeholder line (not copied). FALSE when either file cannot be opened or copying
    // fails (both are closed then).
    BOOL Open(const char* outputPath);
    // Writes one entry line (level 1 to 7); href may be null or empty for an entry
    // without a link. FALSE when writing fails.
    BOOL AddEntry(int level, const char* text, const char* href = nullptr);
    // Copies the rest of the template and closes both files. FALSE when writing fails.
    BOOL Close();

    // Plain text as HTML: '&', '<', '>' and '"' written as character references.
    static CString EscapeText(const CString& text);

    const CString& GetTemplatePath() const { return m_templatePath; }
    // Whether entries of that level (1 to 7) are put in upper case.
    BOOL IsAllCaps(int level) const;

private:
    void CloseFiles();

    CString m_templatePath;
    std::unique_ptr<CStdioFile> m_template;
    std::unique_ptr<CStdioFile> m_output;
    std::vector<BYTE> m_allCaps;  // by level index, 0 where not set
};
