#include "sdk/compiler/IntermediateEncoder.h"

#include <algorithm>
#include <limits>

#include "common/ContentType.h"
#include "common/LinkEscape.h"
#include "common/WideBuffer.h"
#include "markup/MarkupTables.h"
#include "platform/base/File.h"
#include "platform/base/TextEncoding.h"

namespace {

constexpr DWORD kTagHasNoEnd = 0x4;

// Text goes to the stream in runs of at most this many characters: the scanner reports
// characters one by one, and one stream call per character costs more than the text.
constexpr size_t kTextRunLength = 4096;

std::string Narrow(std::u16string_view text) { return leaf::Utf16ToUtf8(text); }

// A mapped link or style goes back to the compiler as attribute text, in which '&'
// begins a reference.
std::u16string AttributeText(const std::string& text) { return leaf::Utf8ToUtf16(leaf::EscapeAttributeText(text)); }

LONG ClampUnits(LONGLONG units) {
    return static_cast<LONG>(std::min<LONGLONG>(units, std::numeric_limits<LONG>::max()));
}

}  // namespace

CIntermediateEncoder::CIntermediateEncoder(IFilterHost* host, const WorkPathMap* outsideItems,
                                           const WorkPathMap* convertedItems)
    : m_host(host),
      m_outsideItems(outsideItems),
      m_convertedItems(convertedItems),
      m_links(outsideItems, convertedItems, std::string(), std::string()) {}

void CIntermediateEncoder::SetFolders(const CString& sourceFolder, const CString& workFolder) {
    m_links = CPageLinkMapper(m_outsideItems, m_convertedItems, sourceFolder.str(), workFolder.str());
}

CIntermediateEncoder::~CIntermediateEncoder() = default;

BOOL CIntermediateEncoder::EncodeFile(const CString& path, IMarkupStream* stream, LONG* lineOut) {
    if (path.IsEmpty() || stream == nullptr)
        return FALSE;
    m_stream = stream;
    m_lineOut = lineOut;
    m_reported = 0;
    m_filePath = path;
    m_openTags.clear();
    m_styleText.clear();
    m_text.clear();
    m_streamFailed = false;
    m_links.SetPage(path.str());

    const int result = ParseFile(path.str());
    // The text read before the parse ended reaches the stream however it ended, as it
    // would have character by character.
    if (!m_streamFailed && !FlushText() && result == parseDone)
        return FALSE;
    CString message;
    switch (result) {
    case parseDone:
        if (!FlushStyleText())
            return FALSE;
        break;
    case parseOpenFailed:
        message.Format("Unable to open the intermediate source file \"%s\".", m_filePath.c_str());
        ReportError(message);
        return FALSE;
    case parseException:
        message.Format("An unexpected error occurred while parsing and encoding the intermediate source file \"%s\".",
                       m_filePath.c_str());
        ReportError(message);
        return FALSE;
    default:
        return FALSE;  // a handler stopped the parse and reported why
    }

    if (!m_openTags.empty()) {
        CString list;
        for (auto tag = m_openTags.rbegin(); tag != m_openTags.rend(); ++tag) {
            if (!list.IsEmpty())
                list += ", ";
            list += "<" + CString(Narrow(tag->name)) + ">";
        }
        message.Format("The intermediate source file \"%s\" is not well-formed.\n"
                       "The following tag(s) were left un-closed: %s.",
                       m_filePath.c_str(), list.c_str());
        ReportError(message);
        m_openTags.clear();
        return FALSE;
    }

    CFileStatus status;
    if (m_host && CFile::GetStatus(path.c_str(), status)) {
        const LONGLONG rest = static_cast<LONGLONG>(status.m_size) - m_reported;
        if (rest >= 1)
            return m_host->StepProgress(ClampUnits(rest)) >= 0;
    }
    return TRUE;
}

BOOL CIntermediateEncoder::OnWord(StringView, WORD, int, int, int, LONGLONG, LONGLONG position) {
    if (!m_host)
        return TRUE;
    const LONGLONG delta = position - m_reported;
    if (delta < 100)
        return TRUE;
    m_reported = position;
    return m_host->StepProgress(ClampUnits(delta)) >= 0;
}

BOOL CIntermediateEncoder::OnChar(char16_t ch, WORD state, int line) {
    // Tag text, comments and declarations (except inside a style element, whose rules
    // may be wrapped in a comment), and comment blocks are not content.
    if ((state & (stateInTag | stateInAttributes)) != 0 || (state & stateCommentBlock) != 0 ||
        ((state & stateComment) != 0 && (state & stateStyle) == 0))
        return TRUE;
    if ((state & stateStyle) != 0 && (m_outsideItems != nullptr || m_convertedItems != nullptr)) {
        // Style rules are written at the element's end, when their url()s can be mapped.
        if (m_styleText.empty())
            m_styleLine = line;
        m_styleText.push_back(ch);
        return TRUE;
    }
    m_text.push_back(ch);
    m_textLine = line;
    return m_text.size() < kTextRunLength || FlushText();
}

BOOL CIntermediateEncoder::FlushText() {
    if (m_text.empty())
        return TRUE;
    SetLine(m_textLine);
    const HRESULT hr = m_stream->WriteText(m_text.data(), static_cast<LONG>(m_text.size()));
    m_text.clear();
    if (FAILED(hr))
        return ReportEncodingError(hr, m_textLine);
    return TRUE;
}

BOOL CIntermediateEncoder::FlushStyleText() {
    if (m_styleText.empty())
        return TRUE;
    if (!FlushText())
        return FALSE;
    std::u16string text = std::move(m_styleText);
    m_styleText.clear();
    const std::string css = Narrow(text);
    const std::string mapped = m_links.MapStyleUrls(css);
    if (mapped != css)
        text = leaf::Utf8ToUtf16(mapped);
    SetLine(m_styleLine);
    const HRESULT hr = m_stream->WriteText(text.data(), static_cast<LONG>(text.size()));
    if (FAILED(hr))
        return ReportEncodingError(hr, m_styleLine);
    return TRUE;
}

BOOL CIntermediateEncoder::OnTag(StringView tagName, StringView attributes, BOOL endTag, int line) {
    std::u16string tag(tagName);
    // "<br/>" closes itself; on an end tag ("</p/>") the slash changes nothing.
    BOOL empty = FALSE;
    if (!tag.empty() && tag.back() == u'/') {
        tag.pop_back();
        empty = !endTag;
    }
    // "<//>" names no element: there is nothing to stream or to close.
    if (tag.empty())
        return TRUE;
    if (!FlushStyleText())
        return FALSE;
    if (leaf::EqualsNoCase(tag, u"?xml") || leaf::EqualsNoCase(tag, u"!DOCTYPE"))
        return TRUE;
    if ((leaf::markup::GetTagFlags(std::u16string_view(tag)) & kTagHasNoEnd) != 0)
        empty = TRUE;

    if (endTag)
        return CloseElement(tag, empty, TRUE, line);

    // A document without a head gets one before its body, to hold the style-sheet link.
    if (leaf::EqualsNoCase(tag, u"body") && !m_linkAttributes.empty()) {
        if (!OnTag(u"head", u"", FALSE, line) || !OnTag(u"head", u"", TRUE, line))
            return FALSE;
    }
    return StartElement(tag, attributes, empty, line);
}

BOOL CIntermediateEncoder::StartElement(const std::u16string& tag, StringView attributeText, BOOL empty, int line) {
    std::vector<std::u16string> tokens;
    SplitAttributes(attributeText, tokens);
    if (!tokens.empty() && tokens.back() == u"/") {
        tokens.pop_back();
        empty = TRUE;
    }

    if (!FlushText())
        return FALSE;
    leaf::ComPtr<IUnknown> object;
    HRESULT hr = m_stream->CreateElement(object.Receive());
    if (FAILED(hr))
        return ReportEncodingError(hr, line);
    leaf::ComPtr<IMarkupElement> element;
    if (object)
        hr = object->QueryInterface(IID_IMarkupElement, element.ReceiveVoid());
    object = nullptr;
    if (FAILED(hr) || !element)
        return ReportEncodingError(FAILED(hr) ? hr : E_NOINTERFACE, line);
    hr = element->SetName(tag.c_str(), static_cast<LONG>(tag.size()));
    if (FAILED(hr))
        return ReportEncodingError(hr, line);

    for (const std::u16string& token : tokens) {
        if (token.empty())
            continue;
        const size_t equals = token.find(u'=');
        std::u16string name = token.substr(0, equals);
        std::u16string value = equals == std::u16string::npos ? std::u16string() : token.substr(equals + 1);
        // A link is read as a browser reads the value ("o&amp;2.gif" names o&2.gif); a
        // value whose links change is written back as attribute text.
        const bool isHref = leaf::EqualsNoCase(name, u"href");
        if (isHref || leaf::EqualsNoCase(name, u"src")) {
            const std::string link = Narrow(DecodeAttributeValue(value));
            const std::string mapped =
                m_links.Map(link, isHref ? CPageLinkMapper::Kind::Hyperlink : CPageLinkMapper::Kind::Resource);
            if (mapped != link)
                value = AttributeText(mapped);
        } else if (leaf::EqualsNoCase(name, u"style")) {
            const std::string css = Narrow(DecodeAttributeValue(value));
            const std::string mapped = m_links.MapStyleUrls(css);
            if (mapped != css)
                value = AttributeText(mapped);
        }
        hr = element->AddAttribute(name.c_str(), static_cast<LONG>(name.size()), value.c_str(),
                                   static_cast<LONG>(value.size()));
        if (FAILED(hr))
            return ReportEncodingError(hr, line);
    }

    SetLine(line);
    hr = m_stream->StartElement(element, empty ? FALSE : TRUE);
    if (FAILED(hr))
        return ReportEncodingError(hr, line);
    element = nullptr;
    m_openTags.push_back({tag, leaf::markup::GetTagFlags(std::u16string_view(tag)), line});
    if (empty)
        return CloseElement(tag, TRUE, FALSE, line);
    return AfterStartTag(tag, line);
}

BOOL CIntermediateEncoder::CloseElement(const std::u16string& tag, BOOL empty, BOOL endTag, int line) {
    if (!m_openTags.empty() && m_openTags.back().name == tag) {
        m_openTags.pop_back();
        if (!empty) {
            if (!FlushText())
                return FALSE;
            SetLine(line);
            const HRESULT hr = m_stream->EndElement();
            if (FAILED(hr))
                return ReportEncodingError(hr, line);
        }
        return endTag ? TRUE : AfterStartTag(tag, line);
    }
    if (empty)
        return TRUE;  // the end tag of an element that has none

    CString message;
    if (m_openTags.empty()) {
        message.Format("The intermediate source file \"%s\" is not well-formed.\n"
                       "The \"</%s>\" tag on line %d has no matching start tag.",
                       m_filePath.c_str(), Narrow(tag).c_str(), line);
    } else {
        const OpenTag& top = m_openTags.back();
        message.Format("The intermediate source file \"%s\" is not well-formed.\n"
                       "The \"<%s>\" tag on line %d is not properly closed prior to the \"</%s>\" tag on line %d.",
                       m_filePath.c_str(), Narrow(top.name).c_str(), top.line, Narrow(tag).c_str(), line);
    }
    ReportError(message);
    return FALSE;
}

BOOL CIntermediateEncoder::AfterStartTag(const std::u16string& tag, int line) {
    if (!leaf::EqualsNoCase(tag, u"head") || m_linkAttributes.empty())
        return TRUE;
    const std::u16string attributes = m_linkAttributes;
    if (!OnTag(u"link", attributes, FALSE, line))
        return FALSE;
    m_linkAttributes.clear();
    return TRUE;
}

void CIntermediateEncoder::ReportError(const CString& text) {
    if (m_host)
        m_host->SetErrorDetails(leaf::Utf8ToUtf16(text.str()).c_str());
}

BOOL CIntermediateEncoder::ReportEncodingError(HRESULT result, int line) {
    m_streamFailed = true;
    CString message;
    message.Format("An unexpected encoding error (0x%.8X) occurred while parsing and encoding line %d of the "
                   "intermediate source file \"%s\".",
                   static_cast<unsigned>(result), line, m_filePath.c_str());
    ReportError(message);
    return FALSE;
}
