#include "sdk/control/LeafcraftTypeLib.h"

#include "sdk/LeafcraftSDK.h"

namespace {

using leaf::MemberKind;

leaf::TypeLibDescription MakeLibrary() {
    leaf::TypeLibDescription library{
        "LeafcraftTypeLib",
        LIBID_LeafcraftTypeLib,
        kLeafcraftTypeLibMajor,
        kLeafcraftTypeLibMinor,
        "Leafcraft SDK ActiveX Control",
        {},
        {},
        {},
    };

    library.enums.push_back({"enumFlags",
                             "",
                             {{"LCF_SPINE", LCF_SPINE},
                              {"LCF_DUBLIN_CORE", LCF_DUBLIN_CORE},
                              {"LCF_SUPPLEMENTAL", LCF_SUPPLEMENTAL},
                              {"LCF_HTML_GUIDE_ITEM", LCF_HTML_GUIDE_ITEM},
                              {"LCF_OVERWRITETOUR", LCF_OVERWRITETOUR},
                              {"LCF_SCAN_DEPENDENCIES", LCF_SCAN_DEPENDENCIES}}});
    library.enums.push_back({"enumErrorCodes",
                             "",
                             {{"LCERR_NONE", LCERR_NONE},
                              {"LCERR_ABORTED", LCERR_ABORTED},
                              {"LCERR_UNINITIALIZED", LCERR_UNINITIALIZED},
                              {"LCERR_POINTER", LCERR_POINTER},
                              {"LCERR_ILLEGAL", LCERR_ILLEGAL},
                              {"LCERR_INVALIDARG", LCERR_INVALIDARG},
                              {"LCERR_UNEXPECTED", LCERR_UNEXPECTED},
                              {"LCERR_NO_FILTERS", LCERR_NO_FILTERS},
                              {"LCERR_MISSING_FILE", LCERR_MISSING_FILE},
                              {"LCERR_INVALID_FILE", LCERR_INVALID_FILE},
                              {"LCERR_INVALID_FILE_TYPE", LCERR_INVALID_FILE_TYPE},
                              {"LCERR_OPEN_PKG_FILE", LCERR_OPEN_PKG_FILE},
                              {"LCERR_NOSPINEFILES", LCERR_NOSPINEFILES},
                              {"LCERR_NOSOURCEFOLDER", LCERR_NOSOURCEFOLDER},
                              {"LCERR_MISSINGSRCFILES", LCERR_MISSINGSRCFILES},
                              {"LCERR_CREATETARGETDIR", LCERR_CREATETARGETDIR},
                              {"LCERR_CREATEPACKAGEFILE", LCERR_CREATEPACKAGEFILE},
                              {"LCERR_COPYFAIL", LCERR_COPYFAIL},
                              {"LCERR_CONVERTFAIL", LCERR_CONVERTFAIL},
                              {"LCERR_CREATEEBOOK", LCERR_CREATEEBOOK},
                              {"LCERR_ENCODEPACKAGE", LCERR_ENCODEPACKAGE},
                              {"LCERR_ENCODEHTML", LCERR_ENCODEHTML},
                              {"LCERR_ENCODECSS", LCERR_ENCODECSS},
                              {"LCERR_ENCODEBINARY", LCERR_ENCODEBINARY},
                              {"LCERR_LITGEN_LOAD", LCERR_LITGEN_LOAD},
                              {"LCERR_LITGEN_ACCESS", LCERR_LITGEN_ACCESS},
                              {"LCERR_LITGEN_CREATE", LCERR_LITGEN_CREATE},
                              {"LCERR_LITGEN_INITIALIZE", LCERR_LITGEN_INITIALIZE},
                              {"LCERR_TOUR_NO_TOC", LCERR_TOUR_NO_TOC},
                              {"LCERR_TOUR_INVALID_TOC", LCERR_TOUR_INVALID_TOC},
                              {"LCERR_TOUR_ALREADY_EXISTS", LCERR_TOUR_ALREADY_EXISTS},
                              {"LCERR_TOUR_NO_TOC_LINKS", LCERR_TOUR_NO_TOC_LINKS},
                              {"LCWARN_INVALIDDEPENDENCIES", LCWARN_INVALIDDEPENDENCIES}}});

    using namespace sdkdispid;
    library.interfaces.push_back(
        {"_DLeafcraftSDK",
         DIID__DLeafcraftSDK,
         "Dispatch interface for Leafcraft SDK Control",
         {
             {"Initialize", Initialize, MemberKind::Method, VT_BOOL},
             {"GetErrorCode", GetErrorCode, MemberKind::Method, VT_I4},
             {"GetErrorDetails", GetErrorDetails, MemberKind::Method, VT_BSTR},
             {"GetBrowseFilter", GetBrowseFilter, MemberKind::Method, VT_BSTR},
             {"ValidateSourceFile", ValidateSourceFile, MemberKind::Method, VT_BOOL, {{"pszSrcFilePath", VT_BSTR}}},
             {"AddSourceFile", AddSourceFile, MemberKind::Method, VT_BOOL,
              {{"pszSrcFilePath", VT_BSTR}, {"lFlags", VT_I4}}},
             {"AddMetaData", AddMetaData, MemberKind::Method, VT_BOOL,
              {{"pszName", VT_BSTR}, {"pszAttribs", VT_BSTR}, {"pszValue", VT_BSTR}, {"lFlags", VT_I4}}},
             {"AddGuideItem", AddGuideItem, MemberKind::Method, VT_BOOL,
              {{"pszTitle", VT_BSTR}, {"pszType", VT_BSTR}, {"pszHREF", VT_BSTR}}},
             {"ImportPackageFile", ImportPackageFile, MemberKind::Method, VT_BOOL, {{"pszPkgFilePath", VT_BSTR}}},
             {"CreateTourFromTOC", CreateTourFromTOC, MemberKind::Method, VT_BOOL, {{"lFlags", VT_I4}}},
             {"PrepareEBook", PrepareEBook, MemberKind::Method, VT_BOOL},
             {"GetMissingFiles", GetMissingFiles, MemberKind::Method, VT_DISPATCH},
             {"GetExternalFiles", GetExternalFiles, MemberKind::Method, VT_DISPATCH},
             {"BuildEBook", BuildEBook, MemberKind::Method, VT_BOOL,
              {{"pszEBookPath", VT_BSTR},
               {"pszSource", VT_BSTR},
               {"vbEmbedFonts", VT_VARIANT, true},
               {"vpISDKClient", VT_VARIANT, true}}},
             {"AbortBuild", AbortBuild, MemberKind::Method, VT_BOOL},
             {"IsFontEmbeddingAvailable", IsFontEmbeddingAvailable, MemberKind::Method, VT_BOOL},
             {"AddTour", AddTour, MemberKind::Method, VT_I4, {{"pszTitle", VT_BSTR}, {"pszID", VT_BSTR}}},
             {"AddTourSite", AddTourSite, MemberKind::Method, VT_BOOL,
              {{"lTourIndex", VT_I4}, {"pszTitle", VT_BSTR}, {"pszHREF", VT_BSTR}}},
         }});

    using namespace sdkeventid;
    const std::vector<leaf::ParamDescription> messageParams = {{"lType", VT_I4},
                                                               {"lCode", VT_I4},
                                                               {"pszMessage", VT_BSTR},
                                                               {"pszFilePath", VT_BSTR},
                                                               {"lLineNum", VT_I4}};
    library.interfaces.push_back(
        {"_DLeafcraftSDKEvents",
         DIID__DLeafcraftSDKEvents,
         "Event interface for Leafcraft SDK Control",
         {
             {"OnUpdateProgress", OnUpdateProgress, MemberKind::Method, VT_EMPTY,
              {{"lPercent", VT_I4}, {"lStep", VT_I4}, {"pszDetails", VT_BSTR}}},
             {"OnLITGenMessage", OnLITGenMessage, MemberKind::Method, VT_EMPTY, messageParams},
             {"OnSDKMessage", OnSDKMessage, MemberKind::Method, VT_EMPTY, messageParams},
         }});

    library.interfaces.push_back({"_DStringCollection",
                                  DIID__DStringCollection,
                                  "Dispatch interface for String Collection",
                                  {
                                      {"Count", collectiondispid::Count, MemberKind::PropertyGet, VT_I4},
                                      {"Item", collectiondispid::Item, MemberKind::PropertyGet, VT_BSTR,
                                       {{"nIndex", VT_I4}}},
                                      {"_NewEnum", collectiondispid::NewEnum, MemberKind::PropertyGet, VT_UNKNOWN},
                                  }});

    library.coclasses.push_back(
        {"LeafcraftSDK", CLSID_LeafcraftSDK, "Leafcraft SDK Control", DIID__DLeafcraftSDK, DIID__DLeafcraftSDKEvents});
    return library;
}

}  // namespace

const leaf::TypeLibDescription& LeafcraftTypeLibrary() {
    static const leaf::TypeLibDescription library = MakeLibrary();
    return library;
}

const leaf::DispInterfaceDescription& LeafcraftSDKInterface() { return LeafcraftTypeLibrary().interfaces[0]; }

const leaf::DispInterfaceDescription& LeafcraftSDKEventsInterface() { return LeafcraftTypeLibrary().interfaces[1]; }

const leaf::DispInterfaceDescription& StringCollectionInterface() { return LeafcraftTypeLibrary().interfaces[2]; }
