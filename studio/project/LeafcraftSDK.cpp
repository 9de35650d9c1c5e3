#include "studio/project/LeafcraftSDK.h"

#include "sdk/LeafcraftSDK.h"

IMPLEMENT_DYNCREATE(CLeafcraftSDK, CWnd)

CLeafcraftSDK::CLeafcraftSDK() = default;

CLeafcraftSDK::~CLeafcraftSDK() = default;

BOOL CLeafcraftSDK::Create(const char* windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CreateControl(CLSID_LeafcraftSDK, windowName, style, rect, parent, id);
}

leaf::Variant CLeafcraftSDK::Call(DISPID dispid, const std::vector<leaf::Variant>& arguments) {
    // Without a control the call fails as a call to a disconnected object does.
    IDispatch* control = GetControlDispatch();
    if (!control)
        throw leaf::DispatchError(E_UNEXPECTED, 0, S_OK, "The build control is not created.");
    return leaf::DispatchDriver(control).InvokeHelper(dispid, DISPATCH_METHOD, arguments);
}

BOOL CLeafcraftSDK::CallBool(DISPID dispid, const std::vector<leaf::Variant>& arguments) {
    return Call(dispid, arguments).ToBool() ? TRUE : FALSE;
}

BOOL CLeafcraftSDK::Initialize() {
    return CallBool(sdkdispid::Initialize);
}

LONG CLeafcraftSDK::GetErrorCode() {
    return Call(sdkdispid::GetErrorCode).ToLong();
}

CString CLeafcraftSDK::GetErrorDetails() {
    return CString(Call(sdkdispid::GetErrorDetails).ToUtf8());
}

CString CLeafcraftSDK::GetBrowseFilter() {
    return CString(Call(sdkdispid::GetBrowseFilter).ToUtf8());
}

BOOL CLeafcraftSDK::ValidateSourceFile(const char* path) {
    return CallBool(sdkdispid::ValidateSourceFile, {leaf::Variant(path)});
}

BOOL CLeafcraftSDK::AddSourceFile(const char* path, LONG flags) {
    return CallBool(sdkdispid::AddSourceFile, {leaf::Variant(path), leaf::Variant(flags)});
}

BOOL CLeafcraftSDK::AddMetaData(const char* name, const char* attributes, const char* value, LONG flags) {
    return CallBool(sdkdispid::AddMetaData,
                    {leaf::Variant(name), leaf::Variant(attributes), leaf::Variant(value), leaf::Variant(flags)});
}

BOOL CLeafcraftSDK::AddGuideItem(const char* title, const char* type, const char* href) {
    return CallBool(sdkdispid::AddGuideItem, {leaf::Variant(title), leaf::Variant(type), leaf::Variant(href)});
}

BOOL CLeafcraftSDK::CreateTourFromTOC(LONG flags) {
    return CallBool(sdkdispid::CreateTourFromTOC, {leaf::Variant(flags)});
}

BOOL CLeafcraftSDK::PrepareEBook() {
    return CallBool(sdkdispid::PrepareEBook);
}

leaf::ComPtr<IDispatch> CLeafcraftSDK::GetMissingFiles() {
    return Call(sdkdispid::GetMissingFiles).ToDispatch();
}

leaf::ComPtr<IDispatch> CLeafcraftSDK::GetExternalFiles() {
    return Call(sdkdispid::GetExternalFiles).ToDispatch();
}

BOOL CLeafcraftSDK::BuildEBook(const char* eBookPath, const char* sourceName, BOOL embedFonts, IDispatch* client) {
    leaf::Variant embed(embedFonts != FALSE);  // VT_BOOL
    leaf::Variant callBack(client);            // VT_DISPATCH
    return CallBool(sdkdispid::BuildEBook, {leaf::Variant(eBookPath), leaf::Variant(sourceName), embed, callBack});
}

BOOL CLeafcraftSDK::AbortBuild() {
    return CallBool(sdkdispid::AbortBuild);
}

BOOL CLeafcraftSDK::IsFontEmbeddingAvailable() {
    return CallBool(sdkdispid::IsFontEmbeddingAvailable);
}
