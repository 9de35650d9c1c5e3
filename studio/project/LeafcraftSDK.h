#pragma once

// CLeafcraftSDK: the program's window wrapper of one instance of the build control.
// The control lives in the module registered for its CLSID; the wrapper hosts it as a
// hidden child window with a control id and calls its methods by dispatch id. The
// control's events go to the parent window, whose event sink map takes them by that
// control id (CCmdTarget::MapEvent).

#include "platform/base/CString.h"
#include "platform/com/DispatchDriver.h"
#include "platform/ui/Wnd.h"

namespace leaf {

// The control id under which windows host their build control.
inline constexpr UINT kLeafcraftSDKControlId = 100;

}  // namespace leaf

class CLeafcraftSDK : public CWnd {
public:
    DECLARE_DYNCREATE(CLeafcraftSDK)

    CLeafcraftSDK();
    ~CLeafcraftSDK() override;

    // Creates the control from its CLSID as a child window of `parent` with control id
    // `id`. The window is never shown (style WS_CHILD only). FALSE when the control cannot
    // be created (not registered, module missing) or the window cannot be made.
    virtual BOOL Create(const char* windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id);

    // The control's methods (dispatch ids 1-8, 10-16). A failure of the call itself
    // throws leaf::DispatchError, as the class library's dispatch exception.
    BOOL Initialize();
    LONG GetErrorCode();
    CString GetErrorDetails();
    CString GetBrowseFilter();
    BOOL ValidateSourceFile(const char* path);
    BOOL AddSourceFile(const char* path, LONG flags);
    BOOL AddMetaData(const char* name, const char* attributes, const char* value, LONG flags);
    BOOL AddGuideItem(const char* title, const char* type, const char* href);
    BOOL CreateTourFromTOC(LONG flags);
    BOOL PrepareEBook();
    // String collections; the caller owns the returned reference (null when none).
    leaf::ComPtr<IDispatch> GetMissingFiles();
    leaf::ComPtr<IDispatch> GetExternalFiles();
    BOOL BuildEBook(const char* eBookPath, const char* sourceName, BOOL embedFonts, IDispatch* client);
    BOOL AbortBuild();
    BOOL IsFontEmbeddingAvailable();

private:
    leaf::Variant Call(DISPID dispid, const std::vector<leaf::Variant>& arguments = {});
    BOOL CallBool(DISPID dispid, const std::vector<leaf::Variant>& arguments = {});
};
