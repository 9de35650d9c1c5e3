#pragma once

// CTOCStyleDlg: the table-of-contents style editor (template 257). Makes a new style
// (optionally based on an existing one) or changes a user style level by level, shows the
// result in a CTOCStylePreviewWnd, and saves it as "<program folder>/TOCStyle/<name>.htt".

#include <vector>

#include "platform/ui/Dialog.h"
#include "studio/project/TOCStyle.h"
#include "studio/project/TOCStylePreviewWnd.h"

class CSpinButtonCtrl;

class CTOCStyleDlg : public CDialog {
public:
    static constexpr UINT IDD = 257;
    static constexpr int IDC_NAME = 2000;
    static constexpr int IDC_NAME_READONLY = 2001;
    static constexpr int IDC_LEVEL = 2002;
    static constexpr int IDC_BASE = 2003;
    static constexpr int IDC_FONT = 2005;
    static constexpr int IDC_FONT_STYLE = 2006;
    static constexpr int IDC_SIZE = 2007;
    static constexpr int IDC_COLOR = 2008;
    static constexpr int IDC_ALL_CAPS = 2009;
    static constexpr int IDC_UNDERLINE = 2010;
    static constexpr int IDC_ALIGNMENT = 2011;
    static constexpr int IDC_LEFT_INDENT = 2012;
    static constexpr int IDC_RIGHT_INDENT = 2013;
    static constexpr int IDC_SPACE_BEFORE = 2014;
    static constexpr int IDC_SPACE_AFTER = 2015;
    static constexpr int IDC_LEFT_SPIN = 2016;
    static constexpr int IDC_RIGHT_SPIN = 2017;
    static constexpr int IDC_BEFORE_SPIN = 2018;
    static constexpr int IDC_AFTER_SPIN = 2019;
    static constexpr int IDC_PREVIEW = 1021;

    // An empty style name makes a new style.
    explicit CTOCStyleDlg(const char* styleName = nullptr, CWnd* parent = nullptr);
    ~CTOCStyleDlg() override;

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnHelp() override;

    // The style's name (for a new style, the name it was saved under).
    const CString& GetStyleName() const { return m_styleName; }
    const CTOCStyle& GetStyle() const { return m_style; }
    int GetCurrentLevel() const { return m_level; }
    CTOCStylePreviewWnd& GetPreview() { return m_preview; }

    // Whether a new style's name is taken: cut at its first '.', it equals "(none)", "none"
    // or one of the existing styles (case ignored).
    BOOL StyleExists(const CString& name) const;
    // Splits a choice-list string: "text | hex value | text | hex value ...".
    static std::vector<std::pair<CString, DWORD>> ParseChoices(const CString& text);

private:
    void FillChoices(int comboId, UINT stringId);
    void SelectByData(int comboId, DWORD data);
    void SelectByText(int comboId, const CString& text);
    DWORD SelectedData(int comboId) const;
    // Shows the fields of a level (index 0 to 6).
    void ShowLevel(int index);
    // Checks the indents and spacings of the level shown; FALSE after a message.
    BOOL ValidateLevel();
    CTOCLevelStyle& Current() { return m_style.GetLevel(m_level); }
    void RefreshPreview();

    void OnLevelChanged();
    void OnBaseChanged();
    void OnFontChanged();
    void OnFontStyleChanged();
    void OnSizeChanged();
    void OnColorChanged();
    void OnAllCapsClicked();
    void OnUnderlineClicked();
    void OnAlignmentChanged();
    void OnIndentChanged(int editId);
    void OnSpacingChanged(int editId);
    void OnIndentSpin(NMHDR* header, LRESULT* result);
    void OnSpacingSpin(NMHDR* header, LRESULT* result);
    // Reads a spin notification of an indent or spacing field: its step, the field it
    // moves and that field's text. The dialog moves the field itself, so the control's own
    // step is refused. Null when no level is shown or the spin is missing.
    CSpinButtonCtrl* ReadSpin(NMHDR* header, LRESULT* result, int& delta, int& editId, CString& text);
    void SetIndentText(int editId, double inches);
    void SetSpacingText(int editId, int points);

    CString m_styleName;
    CString m_programFolder;
    std::vector<CString> m_existingStyles;
    int m_level = -1;
    BOOL m_initialised = FALSE;
    BOOL m_newStyle;
    CTOCStylePreviewWnd m_preview;
    CTOCStyle m_style;
    bool m_updating = false;  // fields being filled by code
};
