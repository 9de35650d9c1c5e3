#pragma once

// CIntermediateEncoder: streams an intermediate source (the package file, or an HTML
// document as a filter left it in the work folder) into one of the e-book compiler's
// markup streams: every element with its attributes, the text (in runs, as it lies between
// the other calls), every end of an element. On the way it checks with a stack of open tags that the document is well
// formed, turns links (href, src and the url()s of style elements and attributes) to files
// outside the source folder, to converted documents and to renamed files into the items'
// places (CPageLinkMapper), and inserts the link to the style sheet that font embedding
// produced as the first child of the document's head (adding a head before the body
// when the document has none).
//
// Messages go to the control's error details through the host, progress to the host's
// StepProgress. The package file is encoded without a host and without maps: nothing is
// reported and no link is rewritten.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/InputFilter.h"
#include "markup/MarkupParserW.h"
#include "platform/base/CString.h"
#include "sdk/compiler/EBookCompiler.h"
#include "sdk/compiler/PageLinkMapper.h"

class CIntermediateEncoder final : public CMarkupParserW {
public:
    // Source path -> work path (see the control's maps of outside and converted items).
    using WorkPathMap = std::map<std::string, std::string>;

    CIntermediateEncoder(IFilterHost* host, const WorkPathMap* outsideItems, const WorkPathMap* convertedItems);
    ~CIntermediateEncoder() override;

    // The folders of the build, so that relative links are read from each page's folder;
    // without them links are looked up as written.
    void SetFolders(const CString& sourceFolder, const CString& workFolder);

    // The attribute text of the style-sheet link to insert; empty for none.
    void SetLinkAttributes(std::u16string_view attributes) { m_linkAttributes = attributes; }

    // Encodes the file into the stream (not owned; not ended here). lineOut, when given,
    // receives the line of each element and character written. FALSE when the file cannot
    // be read, is not well formed, the stream refuses something or progress answers an
    // abort; the reason, when there is one, is in the host's error details.
    BOOL EncodeFile(const CString& path, IMarkupStream* stream, LONG* lineOut);

    BOOL OnWord(StringView word, WORD state, int line, int paragraph, int wordNumber, LONGLONG wordStart,
                LONGLONG position) override;
    BOOL OnTag(StringView tagName, StringView attributes, BOOL endTag, int line) override;
    BOOL OnChar(char16_t ch, WORD state, int line) override;
    // Line feeds and tabs reach the compiler as they are.
    char16_t TranslateChar(char16_t ch) override { return ch; }

private:
    struct OpenTag {
        std::u16string name;  // as written in the tag
        DWORD flags = 0;
        int line = 0;
    };

    // Closes the element just started without content, or the element an end tag names.
    BOOL CloseElement(const std::u16string& tag, BOOL empty, BOOL endTag, int line);
    // Inserts the style-sheet link after a head start tag.
    BOOL AfterStartTag(const std::u16string& tag, int line);
    BOOL StartElement(const std::u16string& tag, StringView attributeText, BOOL empty, int line);
    void SetLine(int line) {
        if (m_lineOut)
            *m_lineOut = line;
    }
    // Writes the text read since the last call on the stream, in one run.
    BOOL FlushText();
    // Writes the text of the style element read so far, its url()s mapped.
    BOOL FlushStyleText();
    void ReportError(const CString& text);
    BOOL ReportEncodingError(HRESULT result, int line);

    IFilterHost* m_host;
    const WorkPathMap* m_outsideItems;
    const WorkPathMap* m_convertedItems;
    CString m_filePath;
    IMarkupStream* m_stream = nullptr;
    LONG* m_lineOut = nullptr;
    std::vector<OpenTag> m_openTags;
    LONGLONG m_reported = 0;
    std::u16string m_linkAttributes;
    CPageLinkMapper m_links;
    std::u16string m_styleText;  // the style element's text, held until its end tag
    int m_styleLine = 0;
    std::u16string m_text;       // content text not yet written, held until the next call on the stream
    int m_textLine = 0;          // the line of its last character
    bool m_streamFailed = false; // a call on the stream failed: nothing more is written
};
