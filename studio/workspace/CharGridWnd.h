#pragma once

// CCharGridWnd: a child window that draws a set of characters in one font (20 points,
// the given weight and slant), black on white, line after line as the width allows.

#include <string>
#include <vector>

#include <QFont>

#include "platform/ui/Wnd.h"

class CCharGridWnd : public CWnd {
public:
    // `characters` is 8-bit (UTF-8) text; they are drawn sorted, characters outside ASCII
    // first.
    CCharGridWnd(const char* faceName, LONG weight, BOOL italic, const char* characters);

    // Creates the window (child, visible, bordered) with id `id` in `rect` of `parent`.
    BOOL Create(const RECT& rect, CWnd* parent, UINT id);

    // The font the characters are drawn in.
    QFont Font() const;
    // The characters in drawing order.
    const std::string& GetCharacters() const { return m_characters; }
    // The lines the characters take at a given width in pixels: every line holds at least
    // one character.
    std::vector<std::string> LayoutLines(int width) const;

private:
    CString m_strFaceName;
    LONG m_nWeight;
    BOOL m_bItalic;
    std::string m_characters;
};
