#pragma once

// CDialog: a dialog built from a dialog template (Resources().FindDialog). A template
// marked "child" makes a child dialog (a page, a form), any other a QDialog window.
// DoModal runs OnInitDialog first (which may end the dialog before it shows), then the
// modal loop; OK (IDOK) and Cancel (IDCANCEL, Escape, the close box) go to OnOK and
// OnCancel, which may keep the dialog open; EndDialog ends it with a code. The Help
// button (1081) asks for help with the dialog's help id. A "%s" in the caption becomes
// the application's name.

#include <QPointer>

#include "platform/ui/Wnd.h"

class QDialog;

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId = 0, CWnd* parent = nullptr);
    ~CDialog() override;

    // Runs the dialog modally: IDOK, IDCANCEL or what EndDialog gave; -1 when the
    // template does not exist.
    virtual int DoModal();
    // Creates the dialog modeless (child templates inside `parent`). FALSE on failure or
    // when OnInitDialog ended it.
    virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);
    void EndDialog(int result);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void OnHelp();

    UINT GetTemplateId() const { return m_templateId; }
    BOOL IsModal() const { return m_modal; }
    // The result EndDialog recorded, -1 while none.
    int GetEndResult() const { return m_endResult; }

    UINT m_nIDHelp = 0;

    BOOL OnCmdMsg(UINT id, int code, void* extra, LRESULT* result = nullptr, bool probe = false) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    // Builds the window from the template without initialising it.
    BOOL CreateFromTemplate(UINT templateId, CWnd* parent, bool modal, bool forceChild = false);

    CWnd* m_pParentWnd = nullptr;

private:
    friend class DialogWindow;
    UINT m_templateId = 0;
    bool m_modal = false;
    bool m_inLoop = false;
    int m_endResult = -1;
};

namespace leaf::ui {

// Runs a QDialog modally through the people seam: once it shows, People() is told, so a
// test script answers it. Returns the dialog's result.
int RunModalLoop(QDialog& dialog, UINT templateId);

// Grabs a widget (and its children) to a PNG file; false when it cannot be written.
bool GrabToPng(QWidget* widget, const std::string& path);

}  // namespace leaf::ui
