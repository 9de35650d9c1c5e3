#pragma once

// CTOCStylePreviewWnd: a small window that draws one sample line ("Level 1" to "Level 7")
// per level of a table-of-contents style, each in its level's font, colour, alignment,
// indents and spacing, the selected level on a light grey band. It scrolls vertically
// when the levels do not fit. Measures are in twips (one point = 20 twips); the window's
// width stands for five inches of indent.

#include "platform/ui/Wnd.h"

class CTOCStyle;
class QWidget;

class CTOCStylePreviewWnd : public CWnd {
public:
    static constexpr int kLineScroll = 300;
    static constexpr int kPageScroll = 1440;

    CTOCStylePreviewWnd() = default;
    ~CTOCStylePreviewWnd() override;

    // Creates the window in place of the placeholder control `id` of `parent`.
    BOOL Create(CWnd* parent, int id, CTOCStyle* style);

    void SetStyle(CTOCStyle* style) { m_style = style; }
    void SetSelectedLevel(int index) { m_selected = index; }
    int GetSelectedLevel() const { return m_selected; }

    // Scrolls so that the selected level is in view, then repaints.
    void ScrollToLevel();
    // Scrolling by lines (300 twips), pages (1440 twips) or to a position; kept within
    // 0 and the range.
    void ScrollBy(int twips);
    void ScrollTo(int twips);
    int GetScrollPosition() const { return m_scrollPosition; }
    int GetScrollRange() const { return m_scrollRange; }

    // Paints the levels onto a painter of the window's size (the window's own painting).
    void Paint(class QPainter& painter);

    // The text drawn for a level (upper case when the level is all caps).
    static CString LevelText(const CTOCStyle& style, int index);

private:
    // The band of each level in twips from the top: top, height.
    struct Band {
        int top = 0;
        int height = 0;
    };
    Band MeasureLevel(class QPainter* painter, int index, int top) const;
    double PixelsPerTwip() const;

    CTOCStyle* m_style = nullptr;
    int m_selected = 0;
    int m_scrollRange = 0;
    int m_scrollPosition = 0;
};
