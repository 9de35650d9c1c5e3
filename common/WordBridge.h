#pragma once

// The Word bridge: plain functions that drive Word's automation server ("Word.Application")
// through late-bound IDispatch calls. Word is outside the program; where no automation
// server is registered, every function fails with the HRESULT of the failed creation.
//
// Every function returns an HRESULT. A failing dispatch call inside one of them becomes
// its result: an automation error gives the member's own error code, any other failure
// of the call its HRESULT, anything else E_FAIL.

#include <memory>

#include "platform/base/CString.h"
#include "platform/base/Types.h"
#include "platform/com/DispatchDriver.h"
#include "platform/com/HResult.h"
#include "platform/com/Variant.h"

// Word's dispatch ids of the members the bridge (and the Word filter) call.
namespace wordid {
inline constexpr DISPID kApplicationDocuments = 6;     // property get -> Documents
inline constexpr DISPID kApplicationQuit = 1105;       // method (SaveChanges, OriginalFormat, RouteDocument)
inline constexpr DISPID kCollectionCount = 2;          // Documents.Count, Bookmarks.Count
inline constexpr DISPID kDocumentsAdd = 14;            // method (Template, NewTemplate, DocumentType, Visible)
inline constexpr DISPID kDocumentsOpen = 15;           // method, twelve arguments -> Document
inline constexpr DISPID kDocumentsClose = 1105;        // method (SaveChanges, OriginalFormat, RouteDocument)
inline constexpr DISPID kDocumentActivate = 113;       // method
inline constexpr DISPID kDocumentClose = 1105;         // method (SaveChanges, OriginalFormat, RouteDocument)
inline constexpr DISPID kDocumentSaveAs = 102;         // method, eleven arguments
inline constexpr DISPID kDocumentBookmarks = 4;        // property get -> Bookmarks
inline constexpr DISPID kDocumentBuiltInProperties = 1000;  // property get -> document properties
inline constexpr DISPID kBookmarksItem = 0;            // method (Index) -> Bookmark
inline constexpr DISPID kBookmarkName = 0;             // property get -> BSTR
inline constexpr DISPID kBookmarkStart = 3;            // property get -> long
inline constexpr DISPID kPropertiesItem = 0;           // property get (name) -> property
inline constexpr DISPID kPropertyValue = 0;            // property get -> VARIANT
inline constexpr LONG kFormatHtml = 8;                 // SaveAs FileFormat: HTML
}  // namespace wordid

// The value passed for every optional argument that is not given (VT_ERROR holding
// DISP_E_PARAMNOTFOUND), and Word's "do not save changes" value (VT_I4 0).
const VARIANT& WordMissingArgument();
const VARIANT& WordDontSave();

// A VARIANT* argument (Word's members take their arguments by reference): a
// VT_BYREF|VT_VARIANT value pointing at `value`, which must outlive the call.
leaf::Variant WordByRef(VARIANT& value);

// The HRESULT of an exception caught around dispatch calls (see above). Call only
// inside a catch block.
HRESULT WordExceptionResult();
// Its text, for messages: an automation error's description, else the error's message
// (at most 255 characters).
CString WordExceptionText();

// Starts Word into `application` (which must hold no dispatch yet): the add-in's
// "LoadBehavior" load-at-start-up bit is cleared while Word starts and restored after.
HRESULT StartWord(COleDispatchDriver* application);
// Ends Word: a blank document is added, activated and closed unsaved, then the
// application quits without saving. The driver is released and deleted whatever
// happened (`application` is null afterwards). S_FALSE for a null driver.
HRESULT QuitWord(std::unique_ptr<COleDispatchDriver>& application);
// Starts Word into `application` when it holds none yet (StartWord's result on failure,
// `application` then stays null); S_OK when Word runs already.
HRESULT EnsureWordStarted(std::unique_ptr<COleDispatchDriver>& application);
// Opens an existing document for reading, invisibly, starting Word first when needed:
// E_INVALIDARG for a file that does not exist (Word is not started then), else as
// EnsureWordStarted and OpenWordDocument.
HRESULT OpenExistingWordDocument(std::unique_ptr<COleDispatchDriver>& application, COleDispatchDriver* document,
                                 const char* path);
// Opens a document read-only, not added to the recent files, into `document` (which must
// hold no dispatch yet). On failure every open document is closed unsaved.
HRESULT OpenWordDocument(COleDispatchDriver* application, COleDispatchDriver* document, const char* path,
                         BOOL visible);
// Activates and closes a document without saving.
HRESULT CloseWordDocument(COleDispatchDriver* application, COleDispatchDriver* document);
