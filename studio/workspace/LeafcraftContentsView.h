#pragma once

// CLeafcraftContentsView: the Table of Contents workspace. The author names the HTML page
// that serves as the e-book's table of contents (the project's guide item of type "toc"),
// sees it in a live preview, and can start the Table of Contents wizard that generates
// such a page. Unticking the box clears the path and remembers it; ticking it again
// brings the remembered path back.

#include <memory>

#include "studio/workspace/AnchorHook.h"
#include "studio/workspace/LeafcraftBaseView.h"

class CLeafcraftDoc;
class CWebPreview;
struct DISPPARAMS;

class CLeafcraftContentsView : public CLeafcraftBaseView {
public:
    DECLARE_DYNCREATE(CLeafcraftContentsView)
    static constexpr UINT IDD = 262;
    static constexpr UINT IDB_BANNER = 332;
    static constexpr UINT IDR_MENU = 112;
    static constexpr int IDC_INCLUDE_TOC = 1011;
    static constexpr int IDC_TOC_PATH = 1012;
    static constexpr int IDC_TOC_WIZARD = 1013;
    static constexpr int IDC_BROWSE = 1014;
    static constexpr int IDC_LINE = 1017;
    static constexpr int IDC_PREVIEW = 1090;

    CLeafcraftContentsView();
    ~CLeafcraftContentsView() override;

    void OnInitialUpdate() override;
    void OnDestroy() override;
    BOOL ValidateWorkspace(BOOL report) override;

    // The path of the document's "toc" guide item (made when missing); empty without a
    // document.
    CString GetTocPath();
    void SetTocPath(const CString& path);

    // The preview: made in place of the placeholder 1090, refreshed on every path change.
    BOOL CreatePreviewControl();
    void UpdatePreview();
    BOOL OnBeforeNavigate2(DISPPARAMS* params);
    BOOL OnNavigateComplete2(DISPPARAMS* params);

    // Handlers of the form's controls.
    void OnTocPathChange();
    void OnIncludeToc();
    void OnBrowseToc();
    void OnTocWizard();

    CLeafcraftDoc* GetProjectDocument() const { return m_document; }
    // The address the preview was last sent to ("" before the first).
    const CString& GetPreviewAddress() const { return m_previewAddress; }
    BOOL IsPreviewAvailable() const { return !m_previewUnavailable && m_preview != nullptr; }
    const CString& GetRememberedPath() const { return m_rememberedPath; }

protected:
    // Asks for a file and a place in it: the proposed file and anchor, the folder to start
    // in. TRUE with the choice (anchor empty for none) unless cancelled.
    virtual BOOL ChooseTocTarget(const CString& file, const CString& anchor, const CString& folder,
                                 CString& chosenFile, CString& chosenAnchor);
    // Runs the Table of Contents wizard; TRUE (with its output path) when it finished.
    virtual BOOL RunTocWizard(const CString& proposedPath, CString& tocPath);

private:
    BOOL m_initialised = FALSE;
    BOOL m_previewUnavailable = FALSE;
    std::unique_ptr<CWebPreview> m_preview;
    CLeafcraftDoc* m_document = nullptr;
    CString m_programPath;
    CString m_rememberedPath;
    CString m_previewAddress;
    CAnchorHook m_anchorHook;
    bool m_settingField = false;
};
