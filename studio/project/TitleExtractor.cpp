#include "studio/project/TitleExtractor.h"

#include "platform/base/TextEncoding.h"

void CTitleExtractor::GetTitle(const CString& path, CString& title)
{
    m_buffer.clear();
    ParseFile(path.str());
    if (!m_buffer.empty()) title = CString(leaf::Utf16ToUtf8(m_buffer));
}

BOOL CTitleExtractor::OnWord(std::u16string_view word, WORD state, int line, int, int, LONGLONG, LONGLONG)
{
    if (state & stateTitle) {
        if (word.size() + m_buffer.size() >= kTitleLimit) return FALSE;
        if (!m_buffer.empty()) m_buffer += u' ';
        m_buffer += word;
        return TRUE;
    }
    // Past the title, or too far into a file that has none before its text.
    return m_buffer.empty() && line <= 100 ? TRUE : FALSE;
}

BOOL CTitleExtractor::OnTag(std::u16string_view, std::u16string_view, BOOL, int)
{
    return TRUE;
}
