#pragma once

// The hourglass while a lengthy operation runs: shown from construction until
// Restore() or destruction. Nested wait cursors stack.
class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

    // Ends the wait cursor early (a message box about to show); the destructor then does nothing.
    void Restore();
    // Whether any wait cursor is showing.
    static bool IsShowing();

private:
    bool m_showing = false;
};
