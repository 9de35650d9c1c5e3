#pragma once

// CSplashWnd: the picture shown while the program starts. It stays at least its minimum
// time and until start-up asks it to go (RequestHide); HideSplashScreen removes it at
// once, and so does a modal window that shows (a question of the start-up), which it must
// not cover. At most one exists; it deletes itself when its window is gone.

#include <QPixmap>

#include "platform/ui/Wnd.h"

class CSplashWnd : public CWnd {
public:
    static constexpr UINT IDB_SPLASH = 300;
    static constexpr UINT_PTR kTimerId = 1;

    // Makes the splash the current one and shows it; on failure nothing stays.
    static void ShowSplashScreen(UINT bitmapId, UINT minimumMs);
    // Asks the splash to go once its minimum time is over (at once when it is over).
    static void RequestHide();
    // Removes the splash now and repaints the main window, when there is one.
    static void HideSplashScreen();
    // The current splash, null while there is none.
    static CSplashWnd* GetCurrent() { return s_current; }

    // Loads the picture and creates the window, centred and topmost; FALSE on failure.
    BOOL Create(UINT bitmapId, UINT minimumMs);

    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    UINT GetMinimumTime() const { return m_minimumMs; }
    bool IsTimeUp() const { return m_timeUp; }
    bool IsHideRequested() const { return m_hideRequested; }

protected:
    CSplashWnd() = default;
    ~CSplashWnd() override;
    void OnTimer(UINT_PTR id) override;
    void PostNcDestroy() override;

private:
    static CSplashWnd* s_current;

    QPixmap m_bitmap;
    int m_width = 0;
    int m_height = 0;
    UINT m_minimumMs = 0;
    bool m_timeUp = false;
    bool m_hideRequested = false;
};
