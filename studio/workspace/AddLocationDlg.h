#pragma once

// The Add File Location dialog (template 211): where added files go in the source file
// list. Its choice, kept in "Settings"/"Add Location": 0 top, 1 selected location, 2 end.

#include <QObject>
#include <memory>

#include "platform/ui/Dialog.h"

class CAddLocationDlg : public CDialog {
public:
    enum { IDD = 211 };
    static constexpr int kTop = 0;
    static constexpr int kSelected = 1;
    static constexpr int kEnd = 2;

    explicit CAddLocationDlg(CWnd* parent = nullptr);
    ~CAddLocationDlg() override;

    int GetLocation() const { return m_location; }

    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    int m_location = kSelected;
    std::unique_ptr<QObject> m_doubleClicks;
};
