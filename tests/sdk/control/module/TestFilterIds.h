#pragma once

// Identities of the test input filters that the control's tests register.

#include "platform/com/Guid.h"

inline constexpr CLSID CLSID_TestSdkFilter = leaf::MakeGuid("{5C2E7A10-3B41-4E0F-9D6A-1F0C2B7E9A01}");
inline constexpr CLSID CLSID_TestBrokenFilter = leaf::MakeGuid("{5C2E7A10-3B41-4E0F-9D6A-1F0C2B7E9A02}");
inline constexpr CLSID CLSID_TestFontEmbedder = leaf::MakeGuid("{5C2E7A10-3B41-4E0F-9D6A-1F0C2B7E9A03}");

inline constexpr const char* kTestFilterProgId = "LeafcraftTest.SdkFilter";
inline constexpr const char* kBrokenFilterProgId = "LeafcraftTest.BrokenFilter";
// Not written under "Leafcraft.FontEmbedder" by the module; a test maps that ProgID to
// this class when it wants an embedder.
inline constexpr const char* kTestFontEmbedderProgId = "LeafcraftTest.FontEmbedder";
