#pragma once

// CLinkFileDialog: picks a file and, optionally, a place inside it: the "Link name:" list
// offers the anchors of an HTML file or the bookmarks of a Word document. The dialog
// (template 247) has the file-name field with a Browse button that opens the common
// file-open dialog, and the drop-down list of link names, which is filled again whenever
// the chosen file changes. OK needs an existing file; the caller then reads the path and
// the link name (empty for none).

#include <memory>
#include <vector>

#include "platform/ui/Dialog.h"
#include "studio/project/AnchorCollector.h"

class CWordBookmarkReader;

class CLinkFileDialog : public CDialog {
public:
    enum { IDD = 247 };
    static constexpr int IDC_FILE_NAME = 1152;
    static constexpr int IDC_BROWSE = 1153;
    static constexpr int IDC_CONTROLS_MARK = 1119;
    static constexpr int IDC_LINK_NAME = 1136;

    // title: the caption (null keeps the template's); filter: the file dialog's filter.
    CLinkFileDialog(const char* title, const char* filter, CWnd* parent = nullptr);
    ~CLinkFileDialog() override;

    // The file to start with (before DoModal).
    void SetPathName(const CString& path) { m_path = path; }
    const CString& GetPathName() const { return m_path; }
    // The chosen link name; empty for none.
    const CString& GetLinkName() const { return m_linkName; }
    // Selects a link name (before DoModal: the one to preselect).
    void SetLinkName(const CString& name) { m_linkName = name; }

    BOOL OnInitDialog() override;
    void OnOK() override;

protected:
    // The bookmarks of a Word document; FALSE when Word cannot read them.
    virtual BOOL ReadBookmarks(const CString& path, std::vector<CString>& names);

private:
    void OnBrowse();
    void OnFileNameChange();
    void OnLinkNameChange();
    // Fills the link list for the file now in the file-name field.
    void FillLinkList();

    CString m_title;
    CString m_filter;
    CString m_path;
    CString m_linkName;
    bool m_filling = false;
    CAnchorCollector m_anchorCollector;
    std::unique_ptr<CWordBookmarkReader> m_bookmarkReader;
};
