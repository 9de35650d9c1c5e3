#include "sdk/control/TOCLinkCollector.h"

#include <algorithm>

#include "markup/MarkupTables.h"
#include "platform/base/CString.h"
#include "platform/base/File.h"

namespace {

constexpr std::u16string_view kEllipsis = u"...";

char16_t LowerAscii(char16_t ch) {
    return (ch >= 'A' && ch <= 'Z') ? static_cast<char16_t>(ch + ('a' - 'A')) : ch;
}

bool IsHighSurrogate(char16_t ch) { return ch >= 0xD800 && ch <= 0xDBFF; }

bool IsHtmlWhiteSpace(char16_t ch) { return ch == u' ' || ch == u'\t' || ch == u'\n' || ch == u'\r' || ch == u'\f'; }

// "href=..." in any letter case: the value behind the '=' (SplitAttributes has already
// joined "href = 'x'" into "href=x").
bool TakeHref(const std::u16string& token, std::u16string& href) {
    static constexpr std::u16string_view kHref = u"href=";
    if (!leaf::StartsWithNoCase(std::u16string_view(token), kHref))
        return false;
    href = token.substr(kHref.size());
    return true;
}

}  // namespace

CTocLinkCollector::CTocLinkCollector(ProgressCallback progress, void* context)
    : m_progress(progress), m_context(context) {}

CTocLinkCollector::~CTocLinkCollector() = default;

int CTocLinkCollector::ParseFile(std::string_view path, std::vector<CTocLink>& links) {
    m_links = &links;
    const int result = ParseFile(path);
    m_links = nullptr;
    return result;
}

int CTocLinkCollector::ParseFile(std::string_view path) {
    m_reportedPosition = 0;
    ForgetLink();
    const int result = CMarkupParserW::ParseFile(path);
    // What the words did not report: the rest of the file.
    CFileStatus status;
    if (m_progress != nullptr && CFile::GetStatus(std::string(path).c_str(), status)) {
        const LONGLONG rest = static_cast<LONGLONG>(status.m_size) - m_reportedPosition;
        if (rest > 0)
            m_progress(static_cast<LONG>(std::min<LONGLONG>(rest, 0x7FFFFFFF)), m_context);
    }
    ForgetLink();
    return result;
}

BOOL CTocLinkCollector::OnWord(std::u16string_view, WORD, int, int, int, LONGLONG, LONGLONG position) {
    if (m_progress == nullptr || position - m_reportedPosition < 100)
        return TRUE;
    const LONGLONG advanced = position - m_reportedPosition;
    m_reportedPosition = position;
    return m_progress(static_cast<LONG>(std::min<LONGLONG>(advanced, 0x7FFFFFFF)), m_context);
}

BOOL CTocLinkCollector::OnTag(std::u16string_view tagName, std::u16string_view attributes, BOOL endTag, int) {
    const bool isAnchor = tagName.size() == 1 && LowerAscii(tagName[0]) == 'a';
    if (!isAnchor)
        return TRUE;
    if (endTag) {
        if (m_inLink && !m_text.empty() && !m_href.empty() && m_links != nullptr)
            m_links->push_back(CTocLink{m_text, m_href});
        ForgetLink();
        return TRUE;
    }
    // A start tag inside an open link starts a new link.
    ForgetLink();
    std::vector<std::u16string> tokens;
    SplitAttributes(attributes, tokens);
    for (const std::u16string& token : tokens) {
        if (TakeHref(token, m_href)) {
            // The href as the page means it: "a&amp;b.html" names the file a&b.html.
            m_href = DecodeAttributeValue(m_href);
            break;
        }
    }
    m_inLink = m_href.empty() ? FALSE : TRUE;
    return TRUE;
}

BOOL CTocLinkCollector::OnChar(char16_t ch, WORD state, int) {
    if ((state & (stateInTag | stateInAttributes)) != 0 || !m_inLink)
        return TRUE;
    if (IsHtmlWhiteSpace(ch)) {
        m_pendingSpace = !m_text.empty();
        return TRUE;
    }
    if (m_pendingSpace && m_text.size() < kMaxTitleLength)
        m_text.push_back(u' ');
    m_pendingSpace = false;
    if (m_text.size() < kMaxTitleLength) {
        m_text.push_back(ch);
    } else if (!m_text.ends_with(kEllipsis)) {
        // A character cut in half would leave half a surrogate pair before the dots.
        if (IsHighSurrogate(m_text.back()))
            m_text.pop_back();
        m_text.append(kEllipsis);
    }
    return TRUE;
}

char16_t CTocLinkCollector::TranslateChar(char16_t ch) {
    return ch;
}

int CTocLinkCollector::GetCharClass(char16_t ch) {
    return ch == ' ' ? leaf::markup::kSeparator : leaf::markup::kWordChar;
}

BOOL CTocLinkCollector::DecodeEntity(std::u16string_view, std::u16string&, std::u16string&) {
    return FALSE;
}

void CTocLinkCollector::ForgetLink() {
    m_inLink = FALSE;
    m_text.clear();
    m_pendingSpace = false;
    m_href.clear();
}
