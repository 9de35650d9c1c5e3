#include "studio/project/TitleExtractor.h"

#include "platform/base/TextEncoding.h"

namespace {

// HTML's white space: what a browser collapses in a title.
bool IsHtmlWhiteSpace(char16_t ch) { return ch == u' ' || ch == u'\t' || ch == u'\n' || ch == u'\r' || ch == u'\f'; }

bool IsHighSurrogate(char16_t ch) { return ch >= 0xD800 && ch <= 0xDBFF; }

}  // namespace

void CTitleExtractor::GetTitle(const CString& path, CString& title)
{
    m_buffer.clear();
    m_pendingSpace = false;
    ParseFile(path.str());
    if (!m_buffer.empty()) title = CString(leaf::Utf16ToUtf8(m_buffer));
}

BOOL CTitleExtractor::OnChar(char16_t ch, WORD state, int)
{
    // The title's own characters: not those of its end tag.
    if ((state & stateTitle) == 0 || (state & (stateInTag | stateInAttributes)) != 0) return TRUE;
    if (IsHtmlWhiteSpace(ch)) {
        m_pendingSpace = !m_buffer.empty();
        return TRUE;
    }
    if (m_buffer.size() + (m_pendingSpace ? 2 : 1) > kTitleLimit) {
        // Too long: the title ends with the last whole word that fits (a single longer
        // word is cut at the limit, never inside a surrogate pair).
        if (!m_pendingSpace) {
            if (const size_t space = m_buffer.rfind(u' '); space != std::u16string::npos) m_buffer.resize(space);
            else if (IsHighSurrogate(m_buffer.back())) m_buffer.pop_back();
        }
        return FALSE;
    }
    if (m_pendingSpace) m_buffer += u' ';
    m_pendingSpace = false;
    m_buffer += ch;
    return TRUE;
}

BOOL CTitleExtractor::OnWord(std::u16string_view, WORD state, int line, int, int, LONGLONG, LONGLONG)
{
    // The title's text is gathered character by character (OnChar); words only say when
    // the scan has gone past the title.
    if (state & stateTitle) return TRUE;
    // Past the title, or too far into a file that has none before its text.
    return m_buffer.empty() && line <= 100 ? TRUE : FALSE;
}

BOOL CTitleExtractor::OnTag(std::u16string_view, std::u16string_view, BOOL, int)
{
    return TRUE;
}
