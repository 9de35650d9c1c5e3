#pragma once

// CLeafcraftSrcFilesView: the Source Files workspace. It lists the project's source
// files in reading order (title, path below the common source folder, size, type, date)
// and adds files from the open-file dialog, from drops and from the clipboard (folders
// with every file inside them), removes, reorders, renames (the title) and sorts them,
// shows their properties, offers the verbs that the registry defines for each file's
// type and checks the list before the author leaves the workspace or builds. List item
// i always shows source record i of the document.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/ImageList.h"

#include "studio/workspace/AnchorHook.h"
#include "studio/workspace/CmdUIHook.h"
#include "studio/workspace/LeafcraftBaseView.h"
#include "studio/workspace/ListColumnFitter.h"
#include "studio/workspace/SourceListLogic.h"

class CLeafcraftDoc;
class CListCtrl;

class CLeafcraftSrcFilesView : public CLeafcraftBaseView {
public:
    DECLARE_DYNCREATE(CLeafcraftSrcFilesView)

    static constexpr UINT IDD = 260;
    static constexpr UINT IDB_BANNER = 330;
    static constexpr UINT IDR_MENU = 110;
    static constexpr UINT IDC_SOURCE_LIST = 1032;
    static constexpr UINT IDC_SOURCE_FOLDER = 1047;
    static constexpr UINT ID_EDIT_PASTE = 57637;
    static constexpr UINT ID_ADD = 1033;
    static constexpr UINT ID_REMOVE = 1034;
    static constexpr UINT ID_MOVE_UP = 1035;
    static constexpr UINT ID_PROPERTIES = 1036;
    static constexpr UINT ID_MOVE_DOWN = 1037;
    static constexpr UINT ID_SORT = 43000;
    static constexpr UINT ID_REFRESH = 43001;
    static constexpr UINT ID_RENAME = 43002;
    static constexpr UINT ID_SHELL_VERB_FIRST = 50100;
    static constexpr UINT ID_SHELL_VERB_LAST = 50198;

    CLeafcraftSrcFilesView();
    ~CLeafcraftSrcFilesView() override;

    void OnInitialUpdate() override;
    // FALSE (after telling why when `report` is set) when the sources have no common
    // folder or a source is not valid for the build control.
    BOOL ValidateWorkspace(BOOL report) override;

    // Commands.
    void OnPaste();
    void OnAdd();
    void OnRemove();
    void OnRename();
    void OnMoveUp();
    void OnMoveDown();
    void OnSort();
    void OnRefresh();
    void OnProperties();
    void OnShellVerb(UINT id);
    // Sorts the list and the document's sources under a sort value (as the Sort
    // Source Files dialog gives it).
    void SortItems(int sortValue);
    // Files dropped at a point in the list's coordinates; (0,0) counts as a paste.
    void OnDropFiles(const std::vector<CString>& names, POINT point);
    // Files dropped on the form outside the list (WM_DROPFILES, the point in the view's
    // coordinates).
    void OnDropFiles(HDROP drop) override;
    // The context menu: `point` in screen coordinates, (-1,-1) from the keyboard.
    void OnContextMenu(CWnd* window, POINT point);

    // The verbs of a file's type (LoadShellVerbs in SourceListLogic.h), kept for the
    // context menu and the verb commands.
    BOOL LoadShellVerbs(const CString& path);
    const std::vector<leaf::ShellVerb>& GetShellVerbs() const { return m_verbs; }

    CListCtrl* GetListCtrl() const;
    CLeafcraftDoc* GetLeafcraftDoc() const { return m_document; }
    // The selected item indices, ascending.
    const std::vector<int>& GetSelectedItems() const { return m_selected; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    // Inserts one item (and, with `addToDocument`, first the record) at `position`,
    // which grows by one when an item was inserted.
    void InsertSourceItem(const CString& path, int& position, BOOL select, BOOL addToDocument);
    // Inserts the files of a folder, then those of its sub-folders.
    void AddFolderFiles(const CString& folder, int& position, BOOL select, BOOL addToDocument);
    // Exchanges an item with its neighbour above (up) or below, in the list and in the document.
    void SwapItems(int index, BOOL up);
    void RefreshDisplayPaths();
    int CompareSourceItems(int first, int second, int sortValue) const;
    // Where added files go: asks the Add File Location dialog when the list has items;
    // FALSE when the user cancels. `dropPoint` is null for Add and Paste.
    BOOL ChooseInsertPosition(const POINT* dropPoint, int& position);
    // Adds files (and folders, after them) at the position, under the wait cursor.
    void AddFiles(const std::vector<CString>& names, int position, bool foldersToo);
    // The build control's answers, through the main frame's control: its browse filter,
    // and whether a source is valid (errorCode: the control's error code, or -1 when
    // there is no control to ask).
    virtual CString GetBrowseFilter();
    virtual BOOL ValidateSourceFile(const CString& path, LONG& errorCode);

private:
    void OnItemChanged(NMHDR* header, LRESULT* result);
    void OnListKeyDown(NMHDR* header, LRESULT* result);
    void OnEndLabelEdit(NMHDR* header, LRESULT* result);
    void OnDblClk(NMHDR* header, LRESULT* result);
    void RebuildSelection();
    void FillItemColumns(int item, const CString& path);
    void OnUpdateCommand(CCmdUI* ui);
    // The small icon of a file's type in the list's image list.
    int IconFor(const CString& path);

    CLeafcraftDoc* m_document = nullptr;
    bool m_initialised = false;
    std::vector<int> m_selected;
    int m_itemCount = 0;
    int m_duplicates = 0;
    CString m_refused;   // the first file of an add that the document refused as unreadable
    std::vector<leaf::ShellVerb> m_verbs;
    CImageList m_smallImages;
    std::map<std::string, int> m_iconIndex;   // lower-cased extension -> image
    CAnchorHook m_anchorHook;
    CCmdUIHook m_cmdUIHook;
    CListColumnFitter m_columnFitter;
    std::unique_ptr<QObject> m_dropFilter;
    std::unique_ptr<QObject> m_menuKeyFilter;
    std::unique_ptr<QObject> m_formMenuFilter;
};
