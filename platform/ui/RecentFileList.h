#pragma once

// CRecentFileList: the recent-file list of the File menu (most recent first), kept in
// the profile section "Recent File List" as File1..FileN. The menu shows the entries as
// commands ID_FILE_MRU_FILE1 (57616) onwards in place of the placeholder item 57616;
// with an empty list the placeholder shows grayed with its own text.

#include <string>
#include <vector>

#include "platform/base/CString.h"
#include "platform/ui/WinDefs.h"

class CCmdUI;
class CWinApp;

inline constexpr UINT ID_FILE_MRU_FILE1 = 0xE110;    // 57616
inline constexpr UINT ID_FILE_MRU_FILE16 = 0xE11F;   // 57631

class CRecentFileList {
public:
    CRecentFileList(UINT start, const char* section, const char* entryFormat, int size, int maxDisplayLength = 30);
    virtual ~CRecentFileList() = default;

    int GetSize() const { return static_cast<int>(m_entries.size()); }
    // The path of entry i ("" when empty or out of range).
    CString operator[](int index) const;
    // Puts the path at the top (removing an entry that names the same file, letter case
    // aside: two files whose names differ only in case stay two entries); the last one
    // falls off a full list.
    virtual void Add(const char* path);
    virtual void Remove(int index);
    // The menu text of entry i: the file name, or the path shortened to the display
    // length; FALSE for an empty entry. With `atLeastName` the file name is never cut.
    BOOL GetDisplayName(CString& name, int index, const char* currentFolder, int currentFolderLength,
                        BOOL atLeastName = TRUE) const;
    // Fills the menu behind a command-update record of item 57616: the entries become
    // items "&1 name" ... with commands 57616 onwards; with none, the placeholder stays
    // grayed.
    virtual void UpdateMenu(CCmdUI* update);

    // The profile: WriteList stores every entry (clearing the unused ones), ReadList
    // loads them.
    virtual void ReadList();
    virtual void WriteList();

private:
    UINT m_start;
    std::string m_section;
    std::string m_entryFormat;
    int m_maxDisplayLength;
    std::vector<CString> m_entries;
};
