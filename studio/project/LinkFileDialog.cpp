#include "studio/project/LinkFileDialog.h"

#include "common/ContentType.h"
#include "platform/ui/ComboBox.h"
#include "platform/ui/PeopleService.h"
#include "platform/ui/WaitCursor.h"
#include "studio/project/PathHelpers.h"
#include "studio/project/WordBookmarkReader.h"

namespace {

bool EndsWithNoCase(const CString& text, const char* suffix)
{
    CString end = text.Right(static_cast<int>(std::string_view(suffix).size()));
    return end.GetLength() == static_cast<int>(std::string_view(suffix).size()) && end.CompareNoCase(suffix) == 0;
}

}  // namespace

CLinkFileDialog::CLinkFileDialog(const char* title, const char* filter, CWnd* parent)
    : CDialog(IDD, parent), m_title(title), m_filter(filter)
{
    MapControl(IDC_BROWSE, BN_CLICKED, &CLinkFileDialog::OnBrowse);
    MapControl(IDC_FILE_NAME, EN_CHANGE, &CLinkFileDialog::OnFileNameChange);
    MapControl(IDC_LINK_NAME, CBN_SELCHANGE, &CLinkFileDialog::OnLinkNameChange);
}

CLinkFileDialog::~CLinkFileDialog()
{
    if (m_bookmarkReader) m_bookmarkReader->Close();
}

BOOL CLinkFileDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (!m_title.IsEmpty()) SetWindowText(m_title.c_str());
    m_filling = true;
    SetDlgItemText(IDC_FILE_NAME, m_path.c_str());
    m_filling = false;
    FillLinkList();
    return TRUE;
}

void CLinkFileDialog::OnBrowse()
{
    leaf::ui::FileDialogRequest request;
    request.filter = m_filter.str();
    CString current;
    GetDlgItemText(IDC_FILE_NAME, current);
    int slash = current.ReverseFind('/');
    if (slash >= 0) {
        request.initialFolder = current.Left(slash).str();
        request.initialName = current.Mid(slash + 1).str();
    }
    if (!m_title.IsEmpty()) request.title = m_title.str();
    std::vector<std::string> chosen = leaf::ui::People().ChooseFiles(GetWidget(), request);
    if (!chosen.empty()) SetDlgItemText(IDC_FILE_NAME, chosen.front().c_str());
}

void CLinkFileDialog::OnFileNameChange()
{
    if (!m_filling) FillLinkList();
}

void CLinkFileDialog::OnLinkNameChange()
{
    if (m_filling) return;
    auto* list = GetDlgItemAs<CComboBox>(IDC_LINK_NAME);
    if (!list) return;
    int selected = list->GetCurSel();
    m_linkName.Empty();
    if (selected >= 0) list->GetLBText(selected, m_linkName);
}

BOOL CLinkFileDialog::ReadBookmarks(const CString& path, std::vector<CString>& names)
{
    if (!m_bookmarkReader) m_bookmarkReader = std::make_unique<CWordBookmarkReader>();
    return m_bookmarkReader->GetBookmarks(path.c_str(), &names) >= 0 ? TRUE : FALSE;
}

void CLinkFileDialog::FillLinkList()
{
    auto* list = GetDlgItemAs<CComboBox>(IDC_LINK_NAME);
    if (!list) return;
    m_filling = true;
    list->ResetContent();
    CString path;
    GetDlgItemText(IDC_FILE_NAME, path);
    if (FileExists(path.c_str())) {
        if (EndsWithNoCase(path, ".htm") || EndsWithNoCase(path, ".html")) {
            CWaitCursor wait;
            std::vector<CString> anchors;
            m_anchorCollector.Collect(path, anchors);
            list->AddString("");
            for (const CString& anchor : anchors) list->AddString(anchor.c_str());
        } else if (EndsWithNoCase(path, ".doc") || IsWordContentType(GetContentType(path))) {
            // A ".doc" name, or a name whose registered type is a Word one (".docx").
            CWaitCursor wait;
            std::vector<CString> bookmarks;
            if (ReadBookmarks(path, bookmarks)) {
                list->AddString("");
                for (const CString& bookmark : bookmarks) list->AddString(bookmark.c_str());
            }
        }
    }
    // The remembered link name stays chosen when the new list offers it.
    int found = m_linkName.IsEmpty() ? -1 : list->FindString(-1, m_linkName.c_str());
    if (found >= 0) {
        list->SetCurSel(found);
    } else {
        list->SetCurSel(list->GetCount() > 0 ? 0 : -1);
        m_linkName.Empty();
    }
    m_filling = false;
}

void CLinkFileDialog::OnOK()
{
    CString path;
    GetDlgItemText(IDC_FILE_NAME, path);
    if (!FileExists(path.c_str())) {
        CString message;
        message.Format("%s\nFile not found.\nCheck the file name and try again.", path.c_str());
        AfxMessageBox(message.c_str(), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    m_path = path;
    m_linkName.Empty();
    if (auto* list = GetDlgItemAs<CComboBox>(IDC_LINK_NAME); list && list->GetCurSel() >= 0)
        list->GetLBText(list->GetCurSel(), m_linkName);
    CDialog::OnOK();
}
