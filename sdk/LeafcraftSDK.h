#pragma once

// The build control's public face for C++ clients: its identities, the flag and error
// enumerations of its type library, and the dispatch ids of its three dispatch
// interfaces. Clients create the control by ProgID (kLeafcraftSDKProgId) or CLSID and
// call it through IDispatch::Invoke with these ids; the type library "LeafcraftTypeLib"
// publishes the same names for late-bound clients.

#include "platform/com/Dispatch.h"
#include "platform/com/Guid.h"

inline constexpr GUID LIBID_LeafcraftTypeLib = leaf::MakeGuid("{EEA72FED-2DB0-462F-963C-326E391E1AFD}");
inline constexpr CLSID CLSID_LeafcraftSDK = leaf::MakeGuid("{12B6725F-5CC8-4C79-8446-C4E16A3CEEB8}");
inline constexpr IID DIID__DLeafcraftSDK = leaf::MakeGuid("{1F9305B5-538A-4BB9-93BB-6D2E7925B907}");
inline constexpr IID DIID__DLeafcraftSDKEvents = leaf::MakeGuid("{C31601A4-C2DA-40CD-8F6F-5736D1EE955D}");
inline constexpr IID DIID__DStringCollection = leaf::MakeGuid("{87E53626-01E5-4468-8446-B86F2F0017E2}");

inline constexpr const char* kLeafcraftSDKProgId = "Leafcraft.SDK";
inline constexpr WORD kLeafcraftTypeLibMajor = 1;
inline constexpr WORD kLeafcraftTypeLibMinor = 0;

// Flag bits of AddSourceFile, AddMetaData and CreateTourFromTOC.
enum enumFlags : LONG {
    LCF_SPINE = 1,               // AddSourceFile: the file is in the reading order
    LCF_DUBLIN_CORE = 2,         // AddMetaData: a Dublin Core item
    LCF_SUPPLEMENTAL = 4,        // AddMetaData: a supplemental item
    LCF_HTML_GUIDE_ITEM = 8,     // AddSourceFile: an HTML page a guide item refers to
    LCF_OVERWRITETOUR = 1,       // CreateTourFromTOC: replace an existing chapter tour
    LCF_SCAN_DEPENDENCIES = 0x10000,  // given to the filters' GetSize during a preparation
};

// The error codes the control keeps (GetErrorCode); 0 after a successful call.
enum enumErrorCodes : LONG {
    LCERR_NONE = 0,
    LCERR_ABORTED = 1,
    LCERR_UNINITIALIZED = 10,
    LCERR_POINTER = 11,
    LCERR_ILLEGAL = 12,
    LCERR_INVALIDARG = 13,
    LCERR_UNEXPECTED = 14,
    LCERR_NO_FILTERS = 21,
    LCERR_MISSING_FILE = 30,
    LCERR_INVALID_FILE = 31,
    LCERR_INVALID_FILE_TYPE = 32,
    LCERR_OPEN_PKG_FILE = 40,
    LCERR_NOSPINEFILES = 50,
    LCERR_NOSOURCEFOLDER = 51,
    LCERR_MISSINGSRCFILES = 52,
    LCERR_CREATETARGETDIR = 60,
    LCERR_CREATEPACKAGEFILE = 61,
    LCERR_COPYFAIL = 62,
    LCERR_CONVERTFAIL = 63,
    LCERR_CREATEEBOOK = 64,
    LCERR_ENCODEPACKAGE = 65,
    LCERR_ENCODEHTML = 66,
    LCERR_ENCODECSS = 67,
    LCERR_ENCODEBINARY = 68,
    LCERR_LITGEN_LOAD = 70,
    LCERR_LITGEN_ACCESS = 71,
    LCERR_LITGEN_CREATE = 72,
    LCERR_LITGEN_INITIALIZE = 73,
    LCERR_TOUR_NO_TOC = 80,
    LCERR_TOUR_INVALID_TOC = 81,
    LCERR_TOUR_ALREADY_EXISTS = 82,
    LCERR_TOUR_NO_TOC_LINKS = 83,
    LCWARN_INVALIDDEPENDENCIES = 100,
};

// _DLeafcraftSDK: every member is a method.
namespace sdkdispid {
inline constexpr DISPID Initialize = 1;
inline constexpr DISPID GetErrorCode = 2;
inline constexpr DISPID GetErrorDetails = 3;
inline constexpr DISPID GetBrowseFilter = 4;
inline constexpr DISPID ValidateSourceFile = 5;
inline constexpr DISPID AddSourceFile = 6;
inline constexpr DISPID AddMetaData = 7;
inline constexpr DISPID AddGuideItem = 8;
inline constexpr DISPID ImportPackageFile = 9;
inline constexpr DISPID CreateTourFromTOC = 10;
inline constexpr DISPID PrepareEBook = 11;
inline constexpr DISPID GetMissingFiles = 12;
inline constexpr DISPID GetExternalFiles = 13;
inline constexpr DISPID BuildEBook = 14;
inline constexpr DISPID AbortBuild = 15;
inline constexpr DISPID IsFontEmbeddingAvailable = 16;
inline constexpr DISPID AddTour = 17;
inline constexpr DISPID AddTourSite = 18;
}  // namespace sdkdispid

// _DLeafcraftSDKEvents.
namespace sdkeventid {
inline constexpr DISPID OnUpdateProgress = 1;
inline constexpr DISPID OnLITGenMessage = 2;
inline constexpr DISPID OnSDKMessage = 3;
}  // namespace sdkeventid

// _DStringCollection: Count and Item are read-only properties; Item counts from 1.
namespace collectiondispid {
inline constexpr DISPID Count = 1;
inline constexpr DISPID Item = 2;
inline constexpr DISPID NewEnum = DISPID_NEWENUM;
}  // namespace collectiondispid

// The call-back a BuildEBook client offers: dispatch id 1 of its object, called as a
// method with the font list (VT_DISPATCH), answering VT_I4 (0 cancels the build).
inline constexpr DISPID kSelectEmbeddedFontsDispid = 1;
