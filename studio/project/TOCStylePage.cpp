#include "studio/project/TOCStylePage.h"

#include <cstdio>

#include "platform/base/Environment.h"
#include "platform/base/Path.h"
#include "platform/com/DispatchDriver.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/PeopleService.h"
#include "platform/ui/WaitCursor.h"
#include "studio/project/TOCGenerator.h"
#include "studio/project/TOCStyle.h"
#include "studio/project/TOCStyleDlg.h"
#include "studio/project/TOCWizard.h"
#include "studio/project/TOCWriter.h"
#include "studio/workspace/HtmlDocument.h"
#include "studio/workspace/WebPreview.h"

namespace {

constexpr UINT IDS_NO_STYLE = 924;
constexpr UINT IDD_TOC_IMPORT = 251;
constexpr UINT IDD_TOC_LEVELS = 252;
constexpr UINT IDD_TOC_BOOKMARKS = 253;
constexpr long DISPID_BEFORENAVIGATE2 = 250;
constexpr long DISPID_NAVIGATECOMPLETE2 = 252;

}  // namespace

CTOCStylePage::CTOCStylePage() : CTOCWizardPage(254), m_preview(std::make_unique<CWebPreview>()) {
    MapControl(IDC_STYLE, CBN_SELCHANGE, [this] { OnSelectStyle(); });
    MapControl(IDC_NEW, BN_CLICKED, [this] { OnNewStyle(); });
    MapControl(IDC_EDIT, BN_CLICKED, [this] { OnEditStyle(); });
    MapEvent(IDC_PREVIEW, DISPID_BEFORENAVIGATE2, [this](DISPPARAMS* params) { return OnBeforeNavigate2(params); });
    MapEvent(IDC_PREVIEW, DISPID_NAVIGATECOMPLETE2, [this](DISPPARAMS* params) { return OnNavigateComplete2(params); });
}

CTOCStylePage::~CTOCStylePage() { DeletePreviews(); }

BOOL CTOCStylePage::OnInitDialog() {
    CTOCWizardPage::OnInitDialog();
    if (auto* combo = GetDlgItemAs<CComboBox>(IDC_STYLE)) {
        combo->ResetContent();
        for (const CString& name : leaf::toc::ListStyleNames()) combo->AddString(name.c_str());
        const CString stored = leaf::toc::ProfileString("Selected Style", "");
        int index = stored.IsEmpty() ? -1 : combo->FindStringExact(-1, stored.c_str());
        if (index < 0 && combo->GetCount() > 0) index = 0;
        combo->SetCurSel(index);
    }
    m_preview->Create(this, IDC_PREVIEW);
    UpdateEditButton();
    UpdatePreview();
    return TRUE;
}

BOOL CTOCStylePage::OnSetActive() {
    SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
    return CTOCWizardPage::OnSetActive();
}

BOOL CTOCStylePage::OnKillActive() {
    DeletePreviews();
    return CTOCWizardPage::OnKillActive();
}

void CTOCStylePage::OnDestroy() {
    DeletePreviews();
    CTOCWizardPage::OnDestroy();
}

CString CTOCStylePage::SelectedName() const {
    CString name;
    if (auto* combo = GetDlgItemAs<CComboBox>(IDC_STYLE); combo && combo->GetCurSel() >= 0) {
        combo->GetLBText(combo->GetCurSel(), name);
    }
    return name;
}

void CTOCStylePage::UpdateEditButton() {
    const CString name = SelectedName();
    if (CWnd* edit = GetDlgItem(IDC_EDIT)) edit->EnableWindow(!name.IsEmpty() && !leaf::toc::IsBuiltInStyle(name));
}

CString CTOCStylePage::GetPreviewFile(const CString& name) const {
    const auto found = m_previews.find(name);
    return found == m_previews.end() ? CString() : found->second;
}

BOOL CTOCStylePage::WritePreview(const CString& stylePath, const CString& previewPath) {
    CTOCWriter writer(stylePath.c_str());
    if (!writer.Open(previewPath.c_str())) return FALSE;
    for (int title = 1; title <= 2; ++title) {
        CString text;
        text.Format("Sample title %d", title);
        writer.AddEntry(1, text.c_str());
        for (int heading = 1; heading <= 6; ++heading) {
            text.Format("Sample heading %d", heading);
            writer.AddEntry(heading + 1, text.c_str());
        }
    }
    return writer.Close();
}

void CTOCStylePage::UpdatePreview() {
    const CString name = SelectedName();
    if (name.IsEmpty() || !m_preview->IsEnabled()) return;
    CWaitCursor wait;
    CString file = GetPreviewFile(name);
    if (file.IsEmpty()) {
        file = CString(leaf::path::Join(leaf::GetTempFolder(), "$" + name.str() + ".htm"));
        if (!WritePreview(leaf::toc::GetStylePath(name), file)) {
            std::remove(file.c_str());
            return;
        }
        m_previews[name] = file;
    }
    m_preview->Show(file.c_str(), FALSE, TRUE);
}

void CTOCStylePage::DeletePreviews() {
    for (const auto& [name, file] : m_previews) std::remove(file.c_str());
    m_previews.clear();
}

BOOL CTOCStylePage::OnBeforeNavigate2(DISPPARAMS* params) { return m_preview->OnBeforeNavigate2(params); }

BOOL CTOCStylePage::OnNavigateComplete2(DISPPARAMS*) {
    // The reader's default look for tables of contents goes under the style's own rules.
    try {
        CHtmlDocument document(m_preview->Browser().GetDocument());
        if (document) {
            leaf::ComPtr<IDispatch> sheet;
            sheet.Attach(document.CreateStyleSheet(CWebPreview::ResourceAddress("ReaderDefault-TOC.css").c_str(), 0));
        }
    } catch (const leaf::DispatchError&) {
        // The preview shows the style's rules alone.
    }
    m_preview->FinishPage(FALSE);
    return TRUE;
}

void CTOCStylePage::OnSelectStyle() {
    UpdateEditButton();
    UpdatePreview();
}

void CTOCStylePage::OnNewStyle() {
    CTOCStyleDlg editor(nullptr, this);
    if (editor.DoModal() != IDOK) return;
    if (auto* combo = GetDlgItemAs<CComboBox>(IDC_STYLE)) {
        int index = combo->FindStringExact(-1, editor.GetStyleName().c_str());
        if (index < 0) index = combo->AddString(editor.GetStyleName().c_str());
        combo->SetCurSel(index);
    }
    OnSelectStyle();
}

void CTOCStylePage::OnEditStyle() {
    const CString name = SelectedName();
    if (name.IsEmpty() || leaf::toc::IsBuiltInStyle(name)) return;
    CTOCStyleDlg editor(name.c_str(), this);
    if (editor.DoModal() != IDOK) return;
    if (auto cached = m_previews.find(name); cached != m_previews.end()) {
        std::remove(cached->second.c_str());
        m_previews.erase(cached);
    }
    UpdatePreview();
}

LRESULT CTOCStylePage::OnWizardNext() {
    const CString name = SelectedName();
    if (name.IsEmpty()) {
        AfxMessageBox(IDS_NO_STYLE, MB_OK | MB_ICONEXCLAMATION);
        return -1;
    }
    m_styleName = name;
    m_stylePath = leaf::toc::GetStylePath(name);
    leaf::toc::WriteProfileString("Selected Style", name.c_str());
    return 0;
}

LRESULT CTOCStylePage::OnWizardBack() {
    CTOCWizard* wizard = GetWizard();
    const DWORD flags = wizard ? wizard->GetImportFlags() : 0;
    if (flags & TOC_IMPORT_BOOKMARKS) return IDD_TOC_BOOKMARKS;
    if (flags & TOC_IMPORT_HEADINGS) return IDD_TOC_LEVELS;
    return IDD_TOC_IMPORT;
}
