#pragma once

// Identity of the Word automation stand-in (WordServer.so), its automation error codes
// and the dispatch ids of the members it answers.

#include "platform/base/Types.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Guid.h"

namespace wordstub {

inline constexpr CLSID CLSID_WordApplication = leaf::MakeGuid("{6E3D2A7B-51C4-4F0E-9B8A-2C7D1E4F6A93}");
inline constexpr const char* kWordProgId = "Word.Application.12";
inline constexpr const char* kWordIndependentProgId = "Word.Application";
inline constexpr const char* kWordDescription = "Word Automation Stand-in";
inline constexpr const char* kWordVersion = "12.0";

// Automation errors, as Word numbers them (0x800A0000 + its error number).
inline constexpr SCODE kWordErrorFileNotFound = static_cast<SCODE>(0x800A1436);   // 5174
inline constexpr SCODE kWordErrorCommandFailed = static_cast<SCODE>(0x800A1066);  // 4198
inline constexpr SCODE kWordErrorBadIndex = static_cast<SCODE>(0x800A16A5);       // 5797 (no such member)
inline constexpr SCODE kWordErrorNoValue = static_cast<SCODE>(0x800A1790);        // 6032 (value not set)
inline constexpr SCODE kWordErrorQuit = static_cast<SCODE>(0x800A11FD);           // 4605 (not available)

// Document formats of SaveAs that the stand-in writes.
inline constexpr LONG kFormatDocument = 0;
inline constexpr LONG kFormatText = 2;
inline constexpr LONG kFormatRtf = 6;
inline constexpr LONG kFormatHtml = 8;
inline constexpr LONG kFormatXmlDocument = 12;
inline constexpr LONG kFormatDocumentDefault = 16;

namespace dispid {
inline constexpr DISPID ApplicationDocuments = 6;
inline constexpr DISPID ApplicationVersion = 24;
inline constexpr DISPID ApplicationQuit = 1105;
inline constexpr DISPID CollectionItem = 0;
inline constexpr DISPID CollectionCount = 2;
inline constexpr DISPID DocumentsAdd = 14;
inline constexpr DISPID DocumentsOpen = 15;
inline constexpr DISPID DocumentsClose = 1105;
inline constexpr DISPID DocumentFullName = 1;
inline constexpr DISPID DocumentBookmarks = 4;
inline constexpr DISPID DocumentSaveAs = 102;
inline constexpr DISPID DocumentActivate = 113;
inline constexpr DISPID DocumentBuiltInProperties = 1000;
inline constexpr DISPID DocumentClose = 1105;
inline constexpr DISPID BookmarkName = 0;
inline constexpr DISPID BookmarkStart = 3;
inline constexpr DISPID PropertyValue = 0;
inline constexpr DISPID PropertyName = 3;
}  // namespace dispid

}  // namespace wordstub
