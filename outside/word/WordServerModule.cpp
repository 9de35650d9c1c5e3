// WordServer.so: the in-process server of the Word automation stand-in. It registers
// "Word.Application" only where the office suite it works with is installed, so that a
// machine without it behaves as one without Word.

#include "outside/word/OfficeRunner.h"
#include "outside/word/WordApplication.h"
#include "outside/word/WordFileTypes.h"
#include "outside/word/WordServer.h"
#include "platform/com/Module.h"
#include "platform/com/VersionInfo.h"

LEAF_VERSION_BLOCK(
    LEAF_VERSION_ENTRY("CompanyName", "Tallbrook Systems, Inc.")
    LEAF_VERSION_ENTRY("FileDescription", "Word Automation Stand-in")
    LEAF_VERSION_ENTRY("FileVersion", "12, 0, 0, 1")
    LEAF_VERSION_ENTRY("InternalName", "WordServer")
    LEAF_VERSION_ENTRY("ProductName", "Word Automation Stand-in")
    LEAF_VERSION_ENTRY("ProductVersion", "12, 0, 0, 1")
    LEAF_VERSION_ENTRY("OLESelfRegister", ""))

namespace {

const leaf::ComModule& ThisModule() {
    static const leaf::ComModule module{{leaf::MakeClassEntry<wordstub::CWordApplication>(
        wordstub::CLSID_WordApplication, wordstub::kWordProgId, wordstub::kWordIndependentProgId,
        wordstub::kWordDescription)}};
    return module;
}

}  // namespace

LEAF_EXPORT_C HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    return ThisModule().GetClassObject(clsid, riid, object);
}

LEAF_EXPORT_C HRESULT DllCanUnloadNow() { return ThisModule().CanUnloadNow(); }

// Without the office suite nothing is registered (an earlier registration is removed)
// and the answer is S_FALSE: done, with nothing to do. With it, the automation server
// and the Word file types are registered, as an installed word processor has them.
LEAF_EXPORT_C HRESULT DllRegisterServer() {
    if (wordstub::FindOfficeProgram().empty()) {
        ThisModule().UnregisterServer();
        wordstub::UnregisterWordFileTypes();
        return S_FALSE;
    }
    static const char addressInModule = 0;
    HRESULT hr = ThisModule().RegisterServer(&addressInModule);
    if (SUCCEEDED(hr) && !wordstub::RegisterWordFileTypes())
        hr = SELFREG_E_CLASS;
    return hr;
}

LEAF_EXPORT_C HRESULT DllUnregisterServer() {
    wordstub::UnregisterWordFileTypes();
    return ThisModule().UnregisterServer();
}
