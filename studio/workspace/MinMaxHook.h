#pragma once

// CMinMaxHook: a minimum and a maximum tracking size for a window. A null size leaves
// that bound alone; the size -1, -1 stands for the window's outer size at installation.
// The bounds answer WM_GETMINMAXINFO (before the window's own handling, which may still
// change them) and are applied to the window when the hook is installed.

#include "platform/ui/WndHook.h"

class CMinMaxHook : public CWndHook {
public:
    // FALSE for a null window or when hooking fails.
    BOOL Install(CWnd* window, const SIZE* minimum = nullptr, const SIZE* maximum = nullptr);
    SIZE GetMinimum() const { return m_minimum; }
    SIZE GetMaximum() const { return m_maximum; }
    // Asks the window (through its hooks) for its tracking sizes and applies them.
    void ApplyTrackingSizes();

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual void OnGetMinMaxInfo(MINMAXINFO* info);

private:
    static constexpr LONG kNone = -2;
    CWnd* m_window = nullptr;
    SIZE m_minimum{kNone, kNone};
    SIZE m_maximum{kNone, kNone};
};
