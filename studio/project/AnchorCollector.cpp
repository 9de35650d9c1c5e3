#include "studio/project/AnchorCollector.h"

#include <sys/stat.h>

#include "platform/base/CString.h"
#include "platform/base/Path.h"
#include "platform/base/TextEncoding.h"

void CAnchorCollector::Collect(const CString& path, std::vector<CString>& list)
{
    m_list = &list;
    m_reported = 0;
    ParseFile(path.str());
    if (m_progress) {
        struct stat info;
        std::optional<std::string> found = leaf::path::Resolve(path.str());
        if (found && ::stat(found->c_str(), &info) == 0) {
            LONGLONG rest = static_cast<LONGLONG>(info.st_size) - m_reported;
            if (rest > 0) m_progress(rest, m_context);
        }
    }
    m_list = nullptr;
}

BOOL CAnchorCollector::OnWord(std::u16string_view, WORD, int, int, int, LONGLONG, LONGLONG position)
{
    if (m_progress && position - m_reported >= 100) {
        LONGLONG units = position - m_reported;
        m_reported = position;
        return m_progress(units, m_context);
    }
    return TRUE;
}

BOOL CAnchorCollector::OnTag(std::u16string_view tagName, std::u16string_view attributes, BOOL endTag, int)
{
    if (endTag || attributes.empty() || !m_list) return TRUE;
    std::vector<std::u16string> tokens;
    SplitAttributes(attributes, tokens);
    bool isAnchorTag = leaf::EqualsNoCase(tagName, u"a");
    for (const std::u16string& token : tokens) {
        std::u16string_view text = token;
        if (leaf::StartsWithNoCase(text, u"id=")) {
            m_list->push_back(CString(leaf::Utf16ToUtf8(text.substr(3))));
        } else if (isAnchorTag && leaf::StartsWithNoCase(text, u"name=")) {
            m_list->push_back(CString(leaf::Utf16ToUtf8(text.substr(5))));
        }
    }
    return TRUE;
}
