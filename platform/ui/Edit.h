#pragma once

// CEdit: a single-line (QLineEdit) or multi-line (QPlainTextEdit) edit field. Every
// change of its text, by a person or by code, sends EN_CHANGE.

#include "platform/ui/ResourceScript.h"
#include "platform/ui/Wnd.h"

class CEdit : public CWnd {
public:
    void SetLimitText(UINT maximum);   // 0: no limit
    UINT GetLimitText() const;
    void SetReadOnly(BOOL readOnly = TRUE);
    BOOL IsReadOnly() const;
    void SetSel(int start, int end);   // -1 as start removes the selection; end -1: to the end
    void GetSel(int& start, int& end) const;
    void ReplaceSel(const char* text);
    // Types text as a person would: at the cursor, within the limit and the field's rules.
    void TypeText(const char* text);

    // Template flags: number (digits only), readonly, multiline, password; option limit=N.
    static QWidget* CreateFromTemplate(const leaf::ui::ResourceNode& node);
};
