#pragma once

// CCompilerCallback: the control's ICompilerCallback. It is embedded in the control and
// lives exactly as long as it, so it counts no references. Each message of the e-book
// compiler is tagged with the file and line the control is working on and fired; the
// first error's text is kept for the control's error details. While the control waits
// for the compiler's next item it does not yet know which item a message concerns, so
// messages are queued (Defer) and fired once the item is known (Flush).
//
// The current file, current line and compiler error text are the control's own fields;
// the call-back works on them by reference.

#include <functional>
#include <vector>

#include "platform/base/CString.h"
#include "sdk/compiler/EBookCompiler.h"

class CCompilerCallback final : public ICompilerCallback {
public:
    // Fires one message (the control applies its message filter there).
    using FireFunction =
        std::function<void(LONG type, LONG code, const CString& text, const CString& filePath, LONG line)>;

    CCompilerCallback(CString& currentFile, LONG& currentLine, CString& errorText, FireFunction fire);
    ~CCompilerCallback() = default;

    CCompilerCallback(const CCompilerCallback&) = delete;
    CCompilerCallback& operator=(const CCompilerCallback&) = delete;

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override { return 0; }
    ULONG Release() override { return 0; }
    HRESULT Message(LONG type, LONG code, LPCOLESTR text) override;

    // Current file "(unknown)", line 0, queue emptied; messages are queued from now on.
    void Defer();
    // The queued messages are fired, oldest first, with filePath (when given) as the
    // current file; queuing stops.
    void Flush(const CString* filePath);
    // Queuing stops and the queued messages are dropped.
    void StopDeferring();
    // No current file, line 0, queuing stopped and the queue dropped.
    void Reset();
    void SetCurrentFile(const CString& filePath) { m_currentFile = filePath; }
    const CString& GetCurrentFile() const { return m_currentFile; }

    BOOL IsDeferring() const { return m_deferring; }
    size_t QueuedCount() const { return m_queue.size(); }

private:
    struct QueuedMessage {
        LONG type;
        LONG code;
        LONG line;
        CString text;
    };

    CString& m_currentFile;
    LONG& m_currentLine;
    CString& m_errorText;
    FireFunction m_fire;
    BOOL m_deferring = FALSE;
    std::vector<QueuedMessage> m_queue;
};
