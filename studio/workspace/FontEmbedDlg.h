#pragma once

// CFontEmbedDlg (template 248, "Select Fonts to Embed"): lists the fonts the build
// control found in the book, with their status and number of characters used, lets the
// author tick the ones to embed and remembers each choice in the project. OK writes the
// choices into the font objects; Cancel stops the build (the caller's answer).

#include <memory>
#include <vector>

#include "platform/ui/Dialog.h"
#include "platform/ui/ImageList.h"
#include "studio/project/EmbedFontList.h"

class CLeafcraftDoc;
class CListCtrl;

class CFontEmbedDlg : public CDialog {
public:
    // Images of the tick column.
    enum TickImage { kUnticked = 0, kTicked = 1, kUnavailable = 2, kUnused = 3, kUnknown = 4 };

    // One font of the list with what the dialog shows of it, read once.
    struct FontRow {
        CEmbedFont font;
        CString name;
        LONG weight = 0;
        LONG italic = 0;
        LONG kind = 0;
        CString characters;   // 8-bit (UTF-8) text
        int characterCount = 0;
        CString displayText;
    };

    CFontEmbedDlg(IDispatch* fontList, CLeafcraftDoc* document, CWnd* parent);
    ~CFontEmbedDlg() override;

    BOOL OnInitDialog() override;
    void OnOK() override;

    // Handlers of the list (1135).
    void OnClickFont(int item, bool onImage);
    void OnDblClkFont(int item);
    void OnColumnClick(int column);
    // The space key while the list has the focus: toggles the selected rows. TRUE when the
    // key press was consumed.
    BOOL OnChar(UINT ch);

    int GetSortColumn() const { return m_nSortColumn; }

    // The display text of a font: face name, then " Bold" and " Italic" where they apply.
    static CString FontDisplayText(const CString& name, LONG weight, LONG italic);

private:
    CListCtrl* List() const;
    void SortBy(int column, BOOL ascending);
    void ToggleRow(int item);

    CEmbedFontList m_fontList;
    std::vector<std::unique_ptr<FontRow>> m_fonts;
    CLeafcraftDoc* m_pDoc;
    CImageList m_images;
    int m_nSortColumn = 1;
    BOOL m_bAscending[10] = {TRUE, TRUE, TRUE, TRUE, TRUE, TRUE, TRUE, TRUE, TRUE, TRUE};
};
