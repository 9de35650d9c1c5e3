#pragma once

// CTOCStylePage: page 5 of the Table of Contents wizard (template 254). Lists the styles
// in the style folder beside the program, previews the selected one with sample entries,
// and opens the style editor to make a new style or change a user style (the built-in
// styles cannot be edited).

#include <map>
#include <memory>

#include "studio/project/TOCWizardPages.h"

class CWebPreview;
struct DISPPARAMS;

class CTOCStylePage : public CTOCWizardPage {
public:
    static constexpr int IDC_STYLE = 1017;
    static constexpr int IDC_NEW = 1018;
    static constexpr int IDC_EDIT = 1083;
    static constexpr int IDC_PREVIEW = 1090;

    CTOCStylePage();
    ~CTOCStylePage() override;

    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnKillActive() override;
    LRESULT OnWizardNext() override;
    LRESULT OnWizardBack() override;
    void OnDestroy() override;

    // The chosen style's name and its ".htt" path (set when the page is left forward).
    const CString& GetStyleName() const { return m_styleName; }
    const CString& GetStylePath() const { return m_stylePath; }

    // The preview file made for a style (empty when none is cached).
    CString GetPreviewFile(const CString& name) const;
    // Writes (once per style) and shows the preview of the selected style.
    void UpdatePreview();
    // Writes the preview page of a style: two sample titles, each with six sample headings
    // at levels 2 to 7, without links. FALSE when the style cannot be opened.
    static BOOL WritePreview(const CString& stylePath, const CString& previewPath);

private:
    void OnSelectStyle();
    void OnNewStyle();
    void OnEditStyle();
    void UpdateEditButton();
    CString SelectedName() const;
    void DeletePreviews();
    BOOL OnBeforeNavigate2(DISPPARAMS* params);
    BOOL OnNavigateComplete2(DISPPARAMS* params);

    CString m_styleName;
    CString m_stylePath;
    std::map<CString, CString> m_previews;  // style name -> preview file
    std::unique_ptr<CWebPreview> m_preview;
    BOOL m_permitted = FALSE;
};
