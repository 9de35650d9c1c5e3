#pragma once

// CAnchorCollector: lists the anchors of an HTML file in document order: every id=
// attribute, and the name= attribute of <a> tags. Neither de-duplicated nor sorted.

#include <vector>

#include "markup/MarkupParserW.h"
#include "platform/base/CString.h"

class CAnchorCollector : public CMarkupParserW {
public:
    // Progress: called with the bytes scanned since the last report and the context;
    // FALSE stops the scan.
    using ProgressCallback = BOOL (*)(LONGLONG units, void* context);

    explicit CAnchorCollector(ProgressCallback progress = nullptr, void* context = nullptr)
        : m_progress(progress), m_context(context)
    {
    }
    ~CAnchorCollector() override = default;

    // Appends the anchors of the file to list; an unreadable file adds nothing.
    void Collect(const CString& path, std::vector<CString>& list);

    BOOL OnWord(std::u16string_view word, WORD state, int line, int paragraph, int wordNumber,
                LONGLONG wordStart, LONGLONG position) override;
    BOOL OnTag(std::u16string_view tagName, std::u16string_view attributes, BOOL endTag, int line) override;

private:
    ProgressCallback m_progress;
    void* m_context;
    std::vector<CString>* m_list = nullptr;
    LONGLONG m_reported = 0;
};
