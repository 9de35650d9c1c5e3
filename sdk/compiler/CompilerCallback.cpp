#include "sdk/compiler/CompilerCallback.h"

#include "platform/base/TextEncoding.h"

CCompilerCallback::CCompilerCallback(CString& currentFile, LONG& currentLine, CString& errorText, FireFunction fire)
    : m_currentFile(currentFile), m_currentLine(currentLine), m_errorText(errorText), m_fire(std::move(fire)) {}

HRESULT CCompilerCallback::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (riid != IID_IUnknown && riid != IID_ICompilerCallback)
        return E_NOINTERFACE;
    *object = static_cast<ICompilerCallback*>(this);
    AddRef();
    return S_OK;
}

HRESULT CCompilerCallback::Message(LONG type, LONG code, LPCOLESTR text) {
    // Never fails and never stops the compiler: whatever happens while firing stays here.
    try {
        CString message(text ? leaf::Utf16ToUtf8(std::u16string_view(text)) : std::string());
        if (type == kCompilerError && m_errorText.IsEmpty())
            m_errorText = message;
        if (m_deferring)
            m_queue.push_back({type, code, m_currentLine, message});
        else if (m_fire)
            m_fire(type, code, message, m_currentFile, m_currentLine);
    } catch (...) {
    }
    return S_OK;
}

void CCompilerCallback::Defer() {
    m_currentFile = "(unknown)";
    m_currentLine = 0;
    m_queue.clear();
    m_deferring = TRUE;
}

void CCompilerCallback::Flush(const CString* filePath) {
    if (filePath)
        m_currentFile = *filePath;
    // Firing pumps the client's messages; a message arriving meanwhile joins the queue.
    while (!m_queue.empty()) {
        QueuedMessage message = std::move(m_queue.front());
        m_queue.erase(m_queue.begin());
        if (m_fire)
            m_fire(message.type, message.code, message.text, m_currentFile, message.line);
    }
    m_deferring = FALSE;
}

void CCompilerCallback::StopDeferring() {
    m_deferring = FALSE;
    m_queue.clear();
}

void CCompilerCallback::Reset() {
    StopDeferring();
    m_currentFile.Empty();
    m_currentLine = 0;
}
