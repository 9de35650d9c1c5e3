#pragma once

// CCharSubsetDlg (template 761, "Character Subset"): the characters a book uses in one
// font, drawn in that font by a character grid in place of the placeholder 1141.

#include <memory>

#include "platform/ui/Dialog.h"
#include "studio/workspace/AnchorHook.h"
#include "studio/workspace/MinMaxHook.h"

class CCharGridWnd;

class CCharSubsetDlg : public CDialog {
public:
    CCharSubsetDlg(const char* faceName, LONG weight, BOOL italic, const char* characters, CWnd* parent);
    ~CCharSubsetDlg() override;

    BOOL OnInitDialog() override;
    void OnDestroy() override;

    CCharGridWnd* GetGrid() const { return m_grid.get(); }

private:
    CString m_strFaceName;
    LONG m_nWeight;
    BOOL m_bItalic;
    CString m_strCharacters;
    std::unique_ptr<CCharGridWnd> m_grid;
    // The first size is the smallest; the grid follows the right and bottom edges.
    CMinMaxHook m_minMaxHook;
    CAnchorHook m_anchorHook;
};
