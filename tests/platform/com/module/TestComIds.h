#pragma once

// Identities and dispatch ids of the test automation server (testcomobject.so), shared
// by the module and the tests that drive it.

#include "platform/com/Guid.h"
#include "platform/com/Dispatch.h"

namespace testcom {

inline constexpr GUID LIBID_TestComLib = leaf::MakeGuid("{6C1E2D3A-4B5C-4D6E-8F70-112233445566}");
inline constexpr CLSID CLSID_TestObject = leaf::MakeGuid("{6C1E2D3A-4B5C-4D6E-8F70-112233445501}");
inline constexpr IID DIID__DTestObject = leaf::MakeGuid("{6C1E2D3A-4B5C-4D6E-8F70-112233445502}");
inline constexpr IID DIID__DTestObjectEvents = leaf::MakeGuid("{6C1E2D3A-4B5C-4D6E-8F70-112233445503}");
inline constexpr IID DIID__DTestCollection = leaf::MakeGuid("{6C1E2D3A-4B5C-4D6E-8F70-112233445504}");

inline constexpr const char* kProgId = "LeafTest.TestObject.1";
inline constexpr const char* kVersionIndependentProgId = "LeafTest.TestObject";

// _DTestObject
inline constexpr DISPID DISPID_Describe = 1;   // BSTR Describe(BSTR text)
inline constexpr DISPID DISPID_Add = 2;        // I4 Add(I4 a, I4 b)
inline constexpr DISPID DISPID_Configure = 3;  // BSTR Configure(BSTR name, BOOL enabled, [optional] VARIANT extra)
inline constexpr DISPID DISPID_Fire = 4;       // BOOL Fire(I4 count)
inline constexpr DISPID DISPID_GetItems = 5;   // IDispatch GetItems()
inline constexpr DISPID DISPID_Fail = 6;       // BOOL Fail(BSTR message): raises E_INVALIDARG
inline constexpr DISPID DISPID_Name = 7;       // property BSTR Name
inline constexpr DISPID DISPID_Scale = 8;      // R8 Scale(R8 value, [optional] I4 factor)

// _DTestObjectEvents
inline constexpr DISPID DISPID_OnTick = 1;  // OnTick(I4 index, BSTR text)
inline constexpr DISPID DISPID_OnDone = 2;  // OnDone(I4 count)

// _DTestCollection
inline constexpr DISPID DISPID_Count = 1;
inline constexpr DISPID DISPID_Item = 2;

}  // namespace testcom
