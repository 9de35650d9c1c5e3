#pragma once

// CHeadingAnchorer: finds the headings of one HTML source and gives each an id, so that a
// table of contents can link to them. Headings are recognised by one start tag per level
// ("<h1>", "<p class=Heading2>", ...); each heading with text is reported (level, text, id)
// through the entry call-back, and the source is rewritten with "id=..." added to every
// heading start tag that has none. Ids that an earlier run added (they carry the prefix
// "_LC<base>-") are removed first, so a second run numbers the headings afresh from 1.
//
// Only changed tags are rebuilt; every other character, tags and entity references
// included, is copied as read. A UTF-16 source stays UTF-16 in its byte order, with its
// byte-order mark; an 8-bit source is written in the system's 8-bit encoding (UTF-8),
// except a legacy source whose non-ASCII bytes are no UTF-8 at all, which is written back
// in Windows-1252. Line ends come out as CR LF. The rewritten copy is written beside the source and takes its place
// only when at least one heading was reported and nothing failed; otherwise the source is
// left untouched.

#include <string>
#include <vector>

#include "markup/MarkupParserW.h"
#include "platform/base/CString.h"
#include "platform/base/File.h"
#include "platform/base/Types.h"

class CHeadingAnchorer : public CMarkupParserW {
public:
    // A heading: its level, its text (8-bit), its id and the caller's context. FALSE stops.
    using EntryCallback = BOOL (*)(int level, const CString& text, const CString& id, void* context);
    // Work done since the last report, in file positions. FALSE stops (the user cancelled).
    using ProgressCallback = BOOL (*)(LONGLONG units, void* context);

    // Characters of heading text after which spaces are shown as "...".
    static constexpr int kMaxHeadingText = 200;

    CHeadingAnchorer(EntryCallback onEntry, ProgressCallback onProgress, void* context);
    ~CHeadingAnchorer() override;

    // Anchors the headings of one source. headingTags[i] is the start tag of the headings
    // reported at level i + levelBase. FALSE on failure or cancel; GetErrorText then
    // describes a failure (it stays empty for a cancel).
    BOOL AnchorHeadings(const char* sourcePath, int levelBase, const std::vector<CString>& headingTags,
                        const char* idBaseName = "TOC");

    const CString& GetErrorText() const { return m_errorText; }
    // The path of the rewritten copy written last (it no longer exists after the call).
    const CString& GetTemporaryPath() const { return m_temporaryPath; }

    BOOL OnWord(std::u16string_view word, WORD state, int line, int paragraph, int wordNumber,
                LONGLONG wordStart, LONGLONG position) override;
    BOOL OnTag(std::u16string_view tagName, std::u16string_view attributes, BOOL endTag, int line) override;
    BOOL OnChar(char16_t ch, WORD state, int line) override;
    char16_t TranslateChar(char16_t ch) override;
    int GetCharClass(char16_t ch) override;
    BOOL DecodeEntity(std::u16string_view text, std::u16string& entityText, std::u16string& replacement) override;

private:
    struct HeadingRule {
        std::u16string tagName;                 // lower case
        std::vector<std::u16string> attributes;  // "name=value" tokens
    };

    // Turns the heading tags into rules; FALSE (with the error text) for a malformed tag.
    BOOL BuildRules(const std::vector<CString>& headingTags);
    int FindMatchingRule(const std::u16string& name, const std::vector<std::u16string>& attributes) const;
    // Writes the byte-order mark before the first output of a UTF-16 source.
    void BeginOutput();
    // Adds output bytes; flushed to the temporary file in blocks.
    void WriteOutput(std::string_view bytes);
    void WriteChar(char16_t ch);
    void FlushOutput();
    // Puts the rewritten copy in place of the source, keeping the previous version in the
    // trash where there is one.
    BOOL ReplaceSource();
    BOOL ReportProgress(LONGLONG position);
    // Writes the characters read but not yet written.
    void WriteRaw(std::u16string_view text);
    // Forgets them (once written).
    void ClearRaw();

    EntryCallback m_onEntry;
    ProgressCallback m_onProgress;
    void* m_context;

    CFile m_output;
    std::string m_outputBuffer;
    bool m_firstOutput = true;
    bool m_reportedHeading = false;
    int m_levelBase = 1;
    int m_openRule = -1;
    std::string m_headingText;
    std::string m_headingId;
    bool m_legacyBytes = false;       // an 8-bit source written back in Windows-1252
    char16_t m_outputSurrogate = 0;   // first half of a pair not yet written (8-bit output)
    char16_t m_headingSurrogate = 0;  // first half of a pair not yet added to the heading text
    // Characters read but not yet written: what the scanner takes in without a call-back
    // (the '<' and '>' of tags, a '<' that opens no tag) and the tag being read, which
    // starts at m_tagStart.
    std::u16string m_raw;
    size_t m_rawLastGreater = std::u16string::npos;  // index of the last '>' in m_raw
    size_t m_tagStart = std::u16string::npos;
    std::vector<HeadingRule> m_rules;
    LONGLONG m_reportedPosition = 0;
    CString m_sourcePath;
    CString m_temporaryPath;
    CString m_errorText;
    std::string m_idPrefix;
    int m_idCounter = 1;
};
