#include "filters/html/LinkCollector.h"

#include <algorithm>
#include <limits>

#include "common/ContentType.h"
#include "common/StyleSheetUrls.h"
#include "common/WideBuffer.h"
#include "platform/base/File.h"
#include "platform/base/TextEncoding.h"

namespace {

// Progress is reported once the scan has moved on by this many bytes.
constexpr LONGLONG kProgressStep = 100;

// The value of a "name=value" item whose name is `prefix` (which ends with '='), as
// 8-bit text; false when the item has another name.
bool ValueOf(const std::u16string& item, std::u16string_view prefix, CString& value) {
    if (!leaf::StartsWithNoCase(std::u16string_view(item), prefix))
        return false;
    value = CString(leaf::Utf16ToUtf8(std::u16string_view(item).substr(prefix.size())));
    return true;
}

// The value of the last item named `prefix`; empty when there is none.
std::u16string LastValueOf(const std::vector<std::u16string>& items, std::u16string_view prefix) {
    for (auto item = items.rbegin(); item != items.rend(); ++item) {
        if (leaf::StartsWithNoCase(std::u16string_view(*item), prefix))
            return item->substr(prefix.size());
    }
    return std::u16string();
}

bool EndsWith(std::u16string_view text, std::u16string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

}  // namespace

CLinkCollector::CLinkCollector(ProgressFunction progress, IFilterHost* host)
    : m_progress(progress),
      m_host(host),
      m_companionRelations{u"file-list", u"edit-time-data", u"ole-object-data", u"original-file", u"main-file",
                           u"preview"} {}

CLinkCollector::~CLinkCollector() = default;

void CLinkCollector::Run(const CString& path, std::vector<CString>& targets) {
    m_targets = &targets;
    m_reported = 0;
    m_stopped = false;
    m_styleText.clear();
    ParseFile(path.str());  // a file that cannot be read simply has no links
    AddStyleTargets(m_styleText);  // a style element the file left open
    m_styleText.clear();
    m_targets = nullptr;

    CFileStatus status;
    if (m_progress != nullptr && CFile::GetStatus(path.c_str(), status)) {
        LONGLONG rest = static_cast<LONGLONG>(status.m_size) - m_reported;
        if (rest > 0 && !m_stopped)
            Report(rest);
    }
}

BOOL CLinkCollector::Report(LONGLONG units) {
    const LONGLONG most = std::numeric_limits<LONG>::max();
    m_reported += units;
    // Units beyond what one call can carry go in several calls.
    while (units > 0) {
        LONG step = static_cast<LONG>(std::min(units, most));
        if (!m_progress(step, m_host)) {
            m_stopped = true;
            return FALSE;
        }
        units -= step;
    }
    return TRUE;
}

BOOL CLinkCollector::OnWord(std::u16string_view, WORD, int, int, int, LONGLONG, LONGLONG position) {
    if (m_progress == nullptr || position < m_reported + kProgressStep)
        return TRUE;
    return Report(position - m_reported);
}

WORD CLinkCollector::GetRawContentMask() {
    return static_cast<WORD>(CMarkupParserW::GetRawContentMask() & ~stateEmbed);
}

CLinkCollector::String CLinkCollector::FormatRawEndTag(WORD state) {
    return CMarkupParserW::FormatRawEndTag(static_cast<WORD>(state & ~stateEmbed));
}

BOOL CLinkCollector::OnChar(char16_t ch, WORD state, int) {
    // The text of a style element, for the files its rules name.
    if ((state & stateStyle) != 0 && (state & stateInTag) == 0)
        m_styleText.push_back(ch);
    return TRUE;
}

BOOL CLinkCollector::OnTag(std::u16string_view tagName, std::u16string_view attributes, BOOL endTag, int) {
    if (endTag && leaf::EqualsNoCase(tagName, u"style")) {
        AddStyleTargets(m_styleText);
        m_styleText.clear();
    }
    if (endTag || attributes.empty() || m_targets == nullptr)
        return TRUE;
    SplitAttributes(attributes, m_items);

    if (!m_officeDocument && leaf::EqualsNoCase(tagName, u"meta"))
        CheckGenerator(m_items);
    if (m_officeDocument && leaf::EqualsNoCase(tagName, u"link") && IsCompanionLink(m_items))
        return TRUE;

    for (const std::u16string& raw : m_items) {
        // A value is read as a browser reads it: "a&amp;b.html" names the file a&b.html.
        const std::u16string item = DecodeAttributeValue(raw);
        CString value;
        if (ValueOf(item, u"src=", value) || ValueOf(item, u"background=", value)) {
            AddTarget(value);
        } else if (ValueOf(item, u"href=", value)) {
            CString path;
            CString fragment;
            SplitFragment(value, path, fragment, FALSE);
            AddTarget(path);
        } else if (ValueOf(item, u"style=", value)) {
            for (const std::string& url : leaf::FindStyleSheetUrls(value.str()))
                AddTarget(CString(url));
        }
    }
    return TRUE;
}

void CLinkCollector::AddStyleTargets(std::u16string_view css) {
    if (css.empty() || m_targets == nullptr)
        return;
    for (const std::string& url : leaf::FindStyleSheetUrls(leaf::Utf16ToUtf8(css)))
        AddTarget(CString(url));
}

void CLinkCollector::AddTarget(const CString& value) {
    // A path crosses the filter interface as a zero-terminated string: a target ends at
    // its first NUL, so that the filter resolves the path that the host will receive.
    const int nul = value.Find('\0');
    CString target = DecodeUrlEscapes(nul >= 0 ? value.Left(nul) : value);
    target.Trim();
    if (!target.IsEmpty())
        m_targets->push_back(target);
}

void CLinkCollector::CheckGenerator(const std::vector<std::u16string>& items) {
    if (!leaf::EqualsNoCase(LastValueOf(items, u"name="), u"Generator"))
        return;
    const std::u16string content = LastValueOf(items, u"content=");
    if (content.starts_with(u"Microsoft ") && (EndsWith(content, u" 9") || EndsWith(content, u" 10")))
        m_officeDocument = TRUE;
}

bool CLinkCollector::IsCompanionLink(const std::vector<std::u16string>& items) const {
    if (m_companionRelations.count(leaf::ToLowerAscii(LastValueOf(items, u"rel="))) != 0)
        return true;
    return leaf::EqualsNoCase(LastValueOf(items, u"id="), u"shLink");
}
