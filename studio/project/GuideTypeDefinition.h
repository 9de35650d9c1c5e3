#pragma once

// CGuideTypeDefinition: one kind of guide item a project can have (library image, cover
// image, begin-reading link, ...), read from the program's string resources 2000 to 2007.
// A resource row holds fields separated by line feeds: type; title; kind (1 image, 2 link
// into the sources, 3 page); description (the two characters "\n" mark a line break for
// display); has-default; file-dialog filter or "<dynamic>"; recommended size "WxH";
// bitmap resource id (2100 when missing).

#include <memory>
#include <vector>

#include "platform/base/CString.h"
#include "platform/base/Types.h"

class CGuideTypeDefinition {
public:
    enum Kind : int { kindImage = 1, kindLink = 2, kindPage = 3 };

    // The definition of one resource row; null when the row has fewer than four fields.
    static std::unique_ptr<CGuideTypeDefinition> Parse(const CString& row);

    // The description with each "\n" pair turned into a line break.
    CString GetDisplayDescription() const;

    CString m_strType;
    CString m_strTitle;
    int m_nKind = 0;
    CString m_strDescription;   // as stored, "\n" pairs kept
    BOOL m_bHasDefault = FALSE;
    CString m_strFilter;        // file-dialog filter, or "<dynamic>"
    int m_nWidth = 0;           // recommended size, 0 by 0 when none
    int m_nHeight = 0;
    UINT m_nBitmap = 2100;      // bitmap resource id
};

// The application's name for the same record.
using CGuideTypeInfo = CGuideTypeDefinition;

namespace leaf {

// The string resources that describe the guide types.
inline constexpr UINT kFirstGuideTypeString = 2000;
inline constexpr UINT kLastGuideTypeString = 2007;

// Parses strings 2000 to 2007 of the program's resources into the list (emptied first);
// rows with fewer than four fields are skipped. Always TRUE.
BOOL LoadGuideTypes(std::vector<std::unique_ptr<CGuideTypeDefinition>>& list);

}  // namespace leaf
