#pragma once

// CLinkCollector: reads one HTML file with the UTF-16 scanner and collects the targets
// of its links: every src= value, every href= value without its fragment, and the
// background= picture of a page or table, and the files named by url(...) in style
// attributes and style elements. Character references in values are decoded first;
// values are %XX-decoded and trimmed; empty ones are dropped. Links to the companion files that an Office word processor writes
// beside a page it saved (file list, edit-time data, preview, ...) are left out, since
// they are no part of the document.
//
// The collector reports the file's size as progress while it reads, when it was given a
// progress function.

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "common/InputFilter.h"
#include "markup/MarkupParserW.h"
#include "platform/base/CString.h"

class CLinkCollector : public CMarkupParserW {
public:
    // Answers FALSE to stop the parse; the host may be null.
    using ProgressFunction = BOOL (*)(LONG units, IFilterHost* host);

    // Both may be null: then no progress is reported.
    CLinkCollector(ProgressFunction progress, IFilterHost* host);
    ~CLinkCollector() override;

    // Appends the link targets of the file (an 8-bit path) to targets, in document order.
    // A file that cannot be read contributes nothing.
    void Run(const CString& path, std::vector<CString>& targets);

    // The file was made by an Office word processor (its Generator meta tag says so).
    BOOL IsOfficeDocument() const { return m_officeDocument; }

    // The progress function asked to stop during the last Run.
    bool WasStopped() const { return m_stopped; }

protected:
    BOOL OnWord(std::u16string_view word, WORD state, int line, int paragraph, int wordNumber,
                LONGLONG wordStart, LONGLONG position) override;
    BOOL OnTag(std::u16string_view tagName, std::u16string_view attributes, BOOL endTag, int line) override;
    // Gathers the text of style elements.
    BOOL OnChar(char16_t ch, WORD state, int line) override;
    // The scanner's raw-content elements without "embed": an embed element usually has no
    // end tag, and treating it as raw would hide every link behind it, leaving those files
    // out of the book.
    WORD GetRawContentMask() override;
    // The end tag that closes the raw element open in `state`, the embed element left aside.
    String FormatRawEndTag(WORD state) override;

private:
    // Marks the file as made by an Office word processor when the meta tag's items name
    // such a generator.
    void CheckGenerator(const std::vector<std::u16string>& items);
    // A link tag of an Office page that names one of its companion files.
    bool IsCompanionLink(const std::vector<std::u16string>& items) const;
    void AddTarget(const CString& value);
    // The targets of the url(...) references in style-sheet text.
    void AddStyleTargets(std::u16string_view css);
    BOOL Report(LONGLONG units);

    ProgressFunction m_progress;
    IFilterHost* m_host;
    LONGLONG m_reported = 0;
    bool m_stopped = false;
    std::vector<CString>* m_targets = nullptr;
    BOOL m_officeDocument = FALSE;
    std::set<std::u16string> m_companionRelations;
    std::vector<std::u16string> m_items;
    std::u16string m_styleText;  // the text of the style element being read
};
