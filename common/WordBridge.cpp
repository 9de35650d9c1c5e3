#include "common/WordBridge.h"

#include <deque>
#include <exception>

#include "common/WordAddin.h"
#include "platform/base/File.h"
#include "platform/com/ComRuntime.h"

namespace {

// The argument list of one call of a member that takes VARIANT* arguments: each value
// is kept here (at a stable address) and passed by reference.
class ByRefArguments {
public:
    ByRefArguments& Add(const VARIANT& value) {
        m_values.emplace_back(value);
        return *this;
    }
    ByRefArguments& AddLong(LONG value) { return Add(leaf::Variant(value)); }
    ByRefArguments& AddMissing() { return Add(WordMissingArgument()); }

    std::vector<leaf::Variant> References() {
        std::vector<leaf::Variant> references;
        for (leaf::Variant& value : m_values)
            references.push_back(WordByRef(value));
        return references;
    }

private:
    std::deque<leaf::Variant> m_values;
};

leaf::Variant CallByRef(const COleDispatchDriver& object, DISPID dispid, ByRefArguments& arguments) {
    return object.InvokeHelper(dispid, DISPATCH_METHOD, arguments.References());
}

// Close(SaveChanges = long 0, OriginalFormat and RouteDocument missing) of a document or
// of the documents collection.
void CloseWithoutSaving(const COleDispatchDriver& object, DISPID dispid) {
    ByRefArguments arguments;
    arguments.AddLong(0).AddMissing().AddMissing();
    CallByRef(object, dispid, arguments);
}

COleDispatchDriver GetDocuments(const COleDispatchDriver& application) {
    return COleDispatchDriver(application.GetProperty(wordid::kApplicationDocuments).ToDispatch());
}

}  // namespace

const VARIANT& WordMissingArgument() {
    static const leaf::Variant missing = leaf::Variant::Missing();
    return missing;
}

const VARIANT& WordDontSave() {
    static const leaf::Variant dontSave(LONG{0});
    return dontSave;
}

leaf::Variant WordByRef(VARIANT& value) {
    leaf::Variant reference;
    reference.vt = VT_BYREF | VT_VARIANT;
    reference.pvarVal = &value;
    return reference;
}

HRESULT WordExceptionResult() {
    try {
        throw;
    } catch (const leaf::DispatchError& error) {
        if (error.Result() == DISP_E_EXCEPTION && error.ExceptionCode() != S_OK)
            return error.ExceptionCode();
        return FAILED(error.Result()) ? error.Result() : E_FAIL;
    } catch (...) {
        return E_FAIL;
    }
}

CString WordExceptionText() {
    CString text;
    try {
        throw;
    } catch (const leaf::DispatchError& error) {
        text = error.Description().empty() ? CString(error.what()) : CString(error.Description());
    } catch (const std::exception& error) {
        text = error.what();
    } catch (...) {
        text = "Unknown error.";
    }
    return text.GetLength() > 255 ? text.Left(255) : text;
}

HRESULT StartWord(COleDispatchDriver* application) {
    if (application == nullptr || application->GetDispatch() != nullptr)
        return E_INVALIDARG;

    // Word starts without loading the reading add-in: its load-at-start-up bit is cleared
    // for the start and the user's value written back afterwards.
    DWORD loadBehavior = 0;
    BOOL haveBehavior = GetWordAddinLoadBehavior(GetWordAddinName(), &loadBehavior);
    if (!haveBehavior) {
        UseShortWordAddinName();
        haveBehavior = GetWordAddinLoadBehavior(GetWordAddinName(), &loadBehavior);
    }
    bool cleared = false;
    if (haveBehavior && (loadBehavior & 1) != 0)
        cleared = SetWordAddinLoadBehavior(GetWordAddinName(), loadBehavior & ~DWORD{1}) != FALSE;

    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID("Word.Application", &clsid);
    if (SUCCEEDED(hr)) {
        leaf::ComPtr<IDispatch> word;
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDispatch, word.ReceiveVoid());
        if (SUCCEEDED(hr)) {
            application->AttachDispatch(word.Get());
            hr = S_OK;
        }
    }

    if (cleared)
        SetWordAddinLoadBehavior(GetWordAddinName(), loadBehavior);
    return hr;
}

HRESULT QuitWord(std::unique_ptr<COleDispatchDriver>& application) {
    if (!application)
        return S_FALSE;
    if (application->GetDispatch() == nullptr)
        return E_INVALIDARG;
    HRESULT hr = S_OK;
    try {
        COleDispatchDriver documents = GetDocuments(*application);
        ByRefArguments addArguments;
        addArguments.AddMissing().AddMissing().AddMissing().AddLong(0);
        COleDispatchDriver blank(CallByRef(documents, wordid::kDocumentsAdd, addArguments).ToDispatch());
        blank.InvokeHelper(wordid::kDocumentActivate, DISPATCH_METHOD, {});
        CloseWithoutSaving(blank, wordid::kDocumentClose);

        ByRefArguments quitArguments;
        quitArguments.Add(WordDontSave()).AddMissing().AddMissing();
        CallByRef(*application, wordid::kApplicationQuit, quitArguments);
    } catch (...) {
        hr = WordExceptionResult();
    }
    application->ReleaseDispatch();
    application.reset();
    return hr;
}

HRESULT OpenWordDocument(COleDispatchDriver* application, COleDispatchDriver* document, const char* path,
                         BOOL visible) {
    if (application == nullptr || application->GetDispatch() == nullptr || document == nullptr ||
        document->GetDispatch() != nullptr || path == nullptr)
        return E_INVALIDARG;
    COleDispatchDriver documents;
    try {
        documents = GetDocuments(*application);
        ByRefArguments arguments;
        arguments.Add(leaf::Variant(path)).AddLong(0).AddLong(1).AddLong(0);
        for (int i = 0; i < 7; ++i)
            arguments.AddMissing();
        arguments.AddLong(visible ? 1 : 0);
        leaf::Variant opened = CallByRef(documents, wordid::kDocumentsOpen, arguments);
        leaf::ComPtr<IDispatch> dispatch = opened.ToDispatch();
        if (!dispatch)
            return E_FAIL;
        document->AttachDispatch(dispatch.Get());
        return S_OK;
    } catch (...) {
        HRESULT hr = WordExceptionResult();
        // Whatever the failed open left behind is closed, unsaved.
        try {
            if (documents && documents.GetProperty(wordid::kCollectionCount).ToLong() > 0)
                CloseWithoutSaving(documents, wordid::kDocumentsClose);
        } catch (...) {
        }
        return hr;
    }
}

HRESULT EnsureWordStarted(std::unique_ptr<COleDispatchDriver>& application) {
    if (application)
        return S_OK;
    auto word = std::make_unique<COleDispatchDriver>();
    HRESULT hr = StartWord(word.get());
    if (FAILED(hr))
        return hr;
    application = std::move(word);
    return S_OK;
}

HRESULT OpenExistingWordDocument(std::unique_ptr<COleDispatchDriver>& application, COleDispatchDriver* document,
                                 const char* path) {
    if (path == nullptr)
        return E_INVALIDARG;
    CFileStatus status;
    if (!CFile::GetStatus(path, status))
        return E_INVALIDARG;
    HRESULT hr = EnsureWordStarted(application);
    if (FAILED(hr))
        return hr;
    return OpenWordDocument(application.get(), document, path, FALSE);
}

HRESULT CloseWordDocument(COleDispatchDriver* application, COleDispatchDriver* document) {
    if (application == nullptr || application->GetDispatch() == nullptr || document == nullptr ||
        document->GetDispatch() == nullptr)
        return E_INVALIDARG;
    try {
        document->InvokeHelper(wordid::kDocumentActivate, DISPATCH_METHOD, {});
        CloseWithoutSaving(*document, wordid::kDocumentClose);
    } catch (...) {
        return WordExceptionResult();
    }
    return S_OK;
}
