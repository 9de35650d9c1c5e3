#include "platform/ui/RecentFileList.h"

#include <algorithm>
#include <cstdio>

#include "platform/base/Path.h"
#include "platform/ui/Menu.h"
#include "platform/ui/WinApp.h"

CRecentFileList::CRecentFileList(UINT start, const char* section, const char* entryFormat, int size, int maxDisplayLength)
    : m_start(start),
      m_section(section ? section : ""),
      m_entryFormat(entryFormat ? entryFormat : "File%d"),
      m_maxDisplayLength(maxDisplayLength),
      m_entries(static_cast<size_t>(std::clamp(size, 0, 16))) {}

CString CRecentFileList::operator[](int index) const {
    return index >= 0 && index < GetSize() ? m_entries[static_cast<size_t>(index)] : CString();
}

void CRecentFileList::Add(const char* path) {
    if (!path || !*path || m_entries.empty()) return;
    CString entry(path);
    // The entry moves to the top: an equal one further down goes, else the last falls off.
    // Entries are equal when they name one file, whatever the letter case; two files whose
    // names differ only in case are two entries.
    const std::string key = leaf::path::CaseKey(path);
    size_t found = m_entries.size() - 1;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (!m_entries[i].IsEmpty() && leaf::path::CaseKey(m_entries[i].str()) == key) {
            found = i;
            break;
        }
    }
    for (size_t i = found; i > 0; --i) m_entries[i] = m_entries[i - 1];
    m_entries[0] = entry;
}

void CRecentFileList::Remove(int index) {
    if (index < 0 || index >= GetSize()) return;
    m_entries.erase(m_entries.begin() + index);
    m_entries.emplace_back();
}

BOOL CRecentFileList::GetDisplayName(CString& name, int index, const char* currentFolder, int currentFolderLength,
                                     BOOL atLeastName) const {
    name.Empty();
    CString path = (*this)[index];
    if (path.IsEmpty()) return FALSE;
    // Entries in the current folder show their name; others their path, shortened in the
    // middle ("/home/.../name.lcp") when it is longer than the display length.
    CString folder = currentFolder ? CString(currentFolder).Left(currentFolderLength) : CString();
    int slash = path.ReverseFind('/');
    CString fileName = slash < 0 ? path : path.Mid(slash + 1);
    if (!folder.IsEmpty() && slash >= 0 && path.Left(slash).CompareNoCase(folder) == 0) {
        name = fileName;
        return TRUE;
    }
    if (m_maxDisplayLength <= 0 || path.GetLength() <= m_maxDisplayLength) {
        name = path;
        return TRUE;
    }
    if (atLeastName && fileName.GetLength() + 4 >= m_maxDisplayLength) {
        name = fileName;
        return TRUE;
    }
    int keep = m_maxDisplayLength - fileName.GetLength() - 4;   // room for ".../"
    int firstSlash = path.Find('/', 1);
    CString head = firstSlash > 0 && firstSlash <= keep ? path.Left(firstSlash + 1) : CString();
    name = head + ".../" + fileName;
    return TRUE;
}

void CRecentFileList::UpdateMenu(CCmdUI* update) {
    if (!update) return;
    CMenu* menu = update->m_pMenu;
    if (!menu) return;
    // The placeholder or the items shown the last time go; the entries take their place.
    const UINT position = update->m_nIndex;
    CString placeholderText;
    if (menu->GetMenuItemID(static_cast<int>(position)) == m_start)
        menu->GetMenuString(position, placeholderText, MF_BYPOSITION);
    if (placeholderText.IsEmpty() || placeholderText[0] == '&') placeholderText = "Recent File";
    for (int i = 0; i < GetSize(); ++i) menu->RemoveMenu(m_start + static_cast<UINT>(i), MF_BYCOMMAND);
    CString first;
    if (!GetDisplayName(first, 0, nullptr, 0)) {
        // No entries: the placeholder shows grayed with its own text.
        menu->InsertMenu(position, MF_BYPOSITION | MF_STRING | MF_GRAYED, m_start, placeholderText.c_str());
        update->m_nIndexMax = menu->GetMenuItemCount();
        update->m_bEnableChanged = TRUE;
        return;
    }
    UINT at = position;
    for (int i = 0; i < GetSize(); ++i) {
        CString name;
        if (!GetDisplayName(name, i, nullptr, 0)) break;
        name.Replace("&", "&&");   // a "&" in a path is not a mnemonic
        char number[16];
        std::snprintf(number, sizeof number, "&%d ", (i + 1) % 10);
        menu->InsertMenu(at++, MF_BYPOSITION | MF_STRING, m_start + static_cast<UINT>(i), (CString(number) + name).c_str());
    }
    // The record points at the last item added; the items are enabled.
    update->m_nIndex = at - 1;
    update->m_nIndexMax = menu->GetMenuItemCount();
    update->m_bEnableChanged = TRUE;
}

void CRecentFileList::ReadList() {
    CWinApp* app = AfxGetApp();
    if (!app) return;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        char entry[32];
        std::snprintf(entry, sizeof entry, m_entryFormat.c_str(), static_cast<int>(i + 1));
        m_entries[i] = app->GetProfileString(m_section.c_str(), entry, "");
    }
    // Gaps close up, so the first empty entry ends the list.
    std::stable_partition(m_entries.begin(), m_entries.end(), [](const CString& e) { return !e.IsEmpty(); });
}

void CRecentFileList::WriteList() {
    CWinApp* app = AfxGetApp();
    if (!app) return;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        char entry[32];
        std::snprintf(entry, sizeof entry, m_entryFormat.c_str(), static_cast<int>(i + 1));
        app->WriteProfileString(m_section.c_str(), entry, m_entries[i].c_str());
    }
}
