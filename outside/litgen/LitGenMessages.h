#pragma once

// The codes of the messages the e-book compiler reports through ICompilerCallback.

#include "platform/base/Types.h"

namespace litgen {

inline constexpr LONG kMsgBadEBookPath = 1001;      // error: the e-book cannot be created there
inline constexpr LONG kMsgBadPackage = 1002;        // error: the package names no items
inline constexpr LONG kMsgBadHref = 1003;           // error: an item's href leaves the work folder
inline constexpr LONG kMsgDuplicateHref = 1004;     // error: two items share one href
inline constexpr LONG kMsgNotStreamed = 1005;       // error: an item was never streamed or not ended
inline constexpr LONG kMsgEndedTwice = 1006;        // error: a stream was ended twice
inline constexpr LONG kMsgWriteAfterEnd = 1007;     // error: a stream was written after its end
inline constexpr LONG kMsgStrayEndElement = 1008;   // error: an element end without an open element
inline constexpr LONG kMsgWriteFailed = 1009;       // error: the e-book file could not be written
inline constexpr LONG kMsgUnclosedElements = 2001;  // warning: a markup item ended with open elements
inline constexpr LONG kMsgNotAPicture = 2002;       // warning: a picture's bytes are not of its type
inline constexpr LONG kMsgMadeValid = 2003;         // warning: a page's markup was changed to be valid XHTML
inline constexpr LONG kMsgMissingReferences = 2004; // warning: a style sheet's references to absent files were taken out
inline constexpr LONG kMsgForeignPicture = 2005;    // warning: a picture of a type that readers need not show

}  // namespace litgen
