#pragma once

// A Word document's dispatch driver with the one member the Word filter calls itself.

#include "platform/base/CString.h"
#include "platform/com/DispatchDriver.h"

class CWordDocument : public COleDispatchDriver {
public:
    CWordDocument() = default;
    explicit CWordDocument(IDispatch* document) : COleDispatchDriver(document) {}

    // SaveAs (dispatch id 102): eleven VARIANT* arguments, no result; FileName, FileFormat
    // and AddToRecentFiles are given, the others passed as missing. Throws the dispatch
    // driver's exception on failure.
    void SaveAs(const CString& fileName, LONG fileFormat, LONG addToRecentFiles) const;
};
