#include "studio/workspace/LeafcraftContentsView.h"

#include <QFrame>
#include <QLabel>

#include "common/ContentType.h"
#include "platform/base/ModulePath.h"
#include "platform/base/Path.h"
#include "platform/ui/Button.h"
#include "platform/ui/Edit.h"
#include "platform/ui/FrameWnd.h"
#include "platform/ui/PeopleService.h"
#include "platform/ui/Resources.h"
#include "platform/ui/WinApp.h"
#include "studio/project/LeafcraftDoc.h"
#include "studio/project/LeafcraftSDK.h"
#include "studio/project/LinkFileDialog.h"
#include "studio/project/PathHelpers.h"
#include "studio/project/TOCWizard.h"
#include "studio/workspace/MainFrame.h"
#include "studio/workspace/WebPreview.h"

IMPLEMENT_DYNCREATE(CLeafcraftContentsView, CLeafcraftBaseView)

namespace {

constexpr UINT IDS_BROWSE = 528;
constexpr UINT IDS_HTML_FILTER = 529;
constexpr UINT IDS_NO_TOC_PATH = 10100;
constexpr UINT IDS_TOC_MISSING = 10102;
constexpr UINT IDS_NO_SOURCES = 10126;
constexpr long DISPID_BEFORENAVIGATE2 = 250;
constexpr long DISPID_NAVIGATECOMPLETE2 = 252;
constexpr int kMaxPath = 260;

// Anchor flags of the form's controls.
constexpr struct {
    int id;
    WORD flags;
} kAnchors[] = {{1012, 0x0010}, {1014, 0x0011}, {1013, 0x0011}, {1017, 0x0010}, {1090, 0x1010}};

bool PreviewableType(const CString& type) {
    return type.CompareNoCase("text/html") == 0 || type.CompareNoCase("text/plain") == 0 ||
           leaf::StartsWithNoCase(type.str(), "image/");
}

}  // namespace

CLeafcraftContentsView::CLeafcraftContentsView()
    : CLeafcraftBaseView(IDD, IDB_BANNER, IDR_MENU),
      m_preview(std::make_unique<CWebPreview>()),
      m_programPath(leaf::GetExecutablePath()) {
    MapControl(IDC_INCLUDE_TOC, BN_CLICKED, [this] { OnIncludeToc(); });
    MapControl(IDC_BROWSE, BN_CLICKED, [this] { OnBrowseToc(); });
    MapControl(IDC_TOC_WIZARD, BN_CLICKED, [this] { OnTocWizard(); });
    MapControl(IDC_TOC_PATH, EN_CHANGE, [this] {
        if (!m_settingField) OnTocPathChange();
    });
    MapEvent(IDC_PREVIEW, DISPID_BEFORENAVIGATE2, [this](DISPPARAMS* params) { return OnBeforeNavigate2(params); });
    MapEvent(IDC_PREVIEW, DISPID_NAVIGATECOMPLETE2, [this](DISPPARAMS* params) { return OnNavigateComplete2(params); });
}

CLeafcraftContentsView::~CLeafcraftContentsView() = default;

void CLeafcraftContentsView::OnInitialUpdate() {
    CLeafcraftBaseView::OnInitialUpdate();
    if (!m_initialised) {
        m_document = dynamic_cast<CLeafcraftDoc*>(GetDocument());
        if (!m_document) {
            if (auto* frame = dynamic_cast<CFrameWnd*>(AfxGetMainWnd())) {
                m_document = dynamic_cast<CLeafcraftDoc*>(frame->GetActiveDocument());
            }
        }
        if (!m_document) return;
        CreatePreviewControl();
        if (auto* edit = GetDlgItemAs<CEdit>(IDC_TOC_PATH)) edit->SetLimitText(kMaxPath);
        // The etched line under "Preview".
        if (auto* line = qobject_cast<QLabel*>(leaf::ui::FindControl(GetWidget(), IDC_LINE))) {
            line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
            line->setFixedHeight(2);
        }
        if (auto* placeholder = qobject_cast<QLabel*>(leaf::ui::FindControl(GetWidget(), IDC_PREVIEW))) {
            placeholder->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            placeholder->setAlignment(Qt::AlignCenter);
        }
        m_anchorHook.Install(this);
        for (const auto& anchor : kAnchors) m_anchorHook.SetAnchor(static_cast<UINT>(anchor.id), anchor.flags);
        m_initialised = TRUE;
    }
    m_settingField = true;
    SetDlgItemText(IDC_TOC_PATH, GetTocPath().c_str());
    m_settingField = false;
    OnTocPathChange();
}

void CLeafcraftContentsView::OnDestroy() {
    m_initialised = FALSE;
    m_preview.reset();
    CLeafcraftBaseView::OnDestroy();
}

CString CLeafcraftContentsView::GetTocPath() {
    if (!m_document) return CString();
    CLCCoverPage* item = m_document->GetGuideItem("toc", TRUE);
    return item ? item->m_strPath : CString();
}

void CLeafcraftContentsView::SetTocPath(const CString& path) {
    if (!m_document) return;
    if (CLCCoverPage* item = m_document->GetGuideItem("toc", TRUE)) item->m_strPath = path;
}

BOOL CLeafcraftContentsView::CreatePreviewControl() {
    if (m_previewUnavailable || !m_preview) return FALSE;
    if (!GetDlgItem(IDC_PREVIEW) || !m_preview->Create(this, IDC_PREVIEW)) {
        // The placeholder keeps its text; everything else works without the preview.
        m_previewUnavailable = TRUE;
        return FALSE;
    }
    return TRUE;
}

void CLeafcraftContentsView::OnTocPathChange() {
    if (!m_document) return;
    CString field;
    GetDlgItemText(IDC_TOC_PATH, field);
    CheckDlgButton(IDC_INCLUDE_TOC, field.IsEmpty() ? BST_UNCHECKED : BST_CHECKED);
    if (field != GetTocPath()) {
        SetTocPath(field);
        m_document->SetModifiedFlag();
    }
    UpdatePreview();
}

void CLeafcraftContentsView::OnIncludeToc() {
    if (!m_document) return;
    if (IsDlgButtonChecked(IDC_INCLUDE_TOC)) {
        if (GetTocPath().IsEmpty() && !m_rememberedPath.IsEmpty()) {
            m_settingField = true;
            SetDlgItemText(IDC_TOC_PATH, m_rememberedPath.c_str());
            m_settingField = false;
            OnTocPathChange();
        }
        return;
    }
    if (const CString stored = GetTocPath(); !stored.IsEmpty()) m_rememberedPath = stored;
    m_settingField = true;
    SetDlgItemText(IDC_TOC_PATH, "");
    m_settingField = false;
    OnTocPathChange();
}

BOOL CLeafcraftContentsView::ChooseTocTarget(const CString& file, const CString& anchor, const CString& folder,
                                             CString& chosenFile, CString& chosenAnchor) {
    CString filter;
    if (auto* frame = dynamic_cast<CMainFrame*>(AfxGetMainWnd()); frame && frame->GetSDKControl()) {
        try {
            filter = frame->GetSDKControl()->GetBrowseFilter();
        } catch (...) {
            filter.Empty();
        }
    }
    if (filter.IsEmpty()) filter = leaf::ui::LoadResString(IDS_HTML_FILTER);
    CLinkFileDialog dialog(leaf::ui::LoadResString(IDS_BROWSE).c_str(), filter.c_str(), this);
    // Without a file the dialog starts in the project's source folder.
    if (!file.IsEmpty()) {
        dialog.SetPathName(file);
    } else if (!folder.IsEmpty()) {
        dialog.SetPathName(folder + "/");
    }
    dialog.SetLinkName(anchor);
    if (dialog.DoModal() != IDOK) return FALSE;
    chosenFile = dialog.GetPathName();
    chosenAnchor = dialog.GetLinkName();
    return TRUE;
}

void CLeafcraftContentsView::OnBrowseToc() {
    if (!m_document) return;
    CString field, file, fragment;
    GetDlgItemText(IDC_TOC_PATH, field);
    SplitFragment(field, file, fragment, FALSE);
    const CString anchor = fragment.IsEmpty() ? CString() : fragment.Mid(1);
    CString chosenFile, chosenAnchor;
    if (!ChooseTocTarget(file, anchor, m_document->m_strSourceFolder, chosenFile, chosenAnchor)) return;
    CString path = chosenFile;
    if (!chosenAnchor.IsEmpty()) path += "#" + chosenAnchor;
    m_settingField = true;
    SetDlgItemText(IDC_TOC_PATH, path.c_str());
    m_settingField = false;
    OnTocPathChange();
}

BOOL CLeafcraftContentsView::RunTocWizard(const CString& proposedPath, CString& tocPath) {
    CTOCWizard wizard(m_document, proposedPath.c_str(), this);
    if (wizard.DoModal() != ID_WIZFINISH) return FALSE;
    tocPath = wizard.GetTocPath();
    return TRUE;
}

void CLeafcraftContentsView::OnTocWizard() {
    if (!m_document) return;
    if (m_document->GetSourceCount() == 0) {
        AfxMessageBox(IDS_NO_SOURCES, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    CString proposed;
    GetDlgItemText(IDC_TOC_PATH, proposed);
    if (proposed.IsEmpty()) {
        CString folder = m_document->m_strSourceFolder;
        if (folder.IsEmpty()) {
            for (int i = 0; i < m_document->GetSourceCount() && folder.IsEmpty(); ++i) {
                if (const CLCSourceFile* source = m_document->GetSourceFile(i)) {
                    folder = CString(leaf::path::FolderPart(source->m_strPath.str()));
                }
            }
        }
        proposed = CString(leaf::path::Join(folder.str(), "Contents.htm"));
    }
    CString tocPath;
    if (!RunTocWizard(proposed, tocPath)) return;
    m_settingField = true;
    SetDlgItemText(IDC_TOC_PATH, tocPath.c_str());
    m_settingField = false;
    OnTocPathChange();
}

BOOL CLeafcraftContentsView::ValidateWorkspace(BOOL report) {
    if (!m_document) return FALSE;
    if (!IsDlgButtonChecked(IDC_INCLUDE_TOC)) return TRUE;
    CString file, fragment;
    SplitFragment(GetTocPath(), file, fragment, FALSE);
    UINT message = 0;
    if (file.IsEmpty()) {
        message = IDS_NO_TOC_PATH;
    } else if (!FileExists(file.c_str())) {
        message = IDS_TOC_MISSING;
    }
    if (message == 0) return TRUE;
    if (report) {
        if (message == IDS_TOC_MISSING) {
            AfxMessageBox(leaf::ui::FormatResString(message, file.c_str()).c_str(), MB_OK | MB_ICONEXCLAMATION);
        } else {
            AfxMessageBox(message, MB_OK | MB_ICONEXCLAMATION);
        }
    }
    if (auto* edit = GetDlgItemAs<CEdit>(IDC_TOC_PATH)) {
        edit->SetSel(0, -1);
        edit->SetFocus();
    }
    return FALSE;
}

void CLeafcraftContentsView::UpdatePreview() {
    if (!m_document || !IsPreviewAvailable() || !m_preview->IsEnabled()) return;
    const CString stored = GetTocPath();
    CString file, fragment;
    SplitFragment(stored, file, fragment, FALSE);
    CString address = stored;
    BOOL defaultStyle = TRUE;
    if (file.IsEmpty() || !FileExists(file.c_str())) {
        address = CWebPreview::ResourceAddress("blank.htm");
        defaultStyle = FALSE;
    } else if (!PreviewableType(GetContentType(file))) {
        address = CWebPreview::ResourceAddress("nopreview.htm");
        defaultStyle = FALSE;
    }
    m_previewAddress = address;
    m_preview->Show(address.c_str(), defaultStyle, defaultStyle);
}

BOOL CLeafcraftContentsView::OnBeforeNavigate2(DISPPARAMS* params) {
    return m_preview ? m_preview->OnBeforeNavigate2(params) : FALSE;
}

BOOL CLeafcraftContentsView::OnNavigateComplete2(DISPPARAMS* params) {
    return m_preview ? m_preview->OnNavigateComplete2(params) : FALSE;
}
