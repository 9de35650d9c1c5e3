#pragma once

// Reads built-in document properties ("Title", "Author", ...) of Word documents through
// the Word bridge. Word is started by the first call and shared by the later ones until
// Close (or destruction) quits it.

#include <memory>

#include "platform/base/CString.h"
#include "platform/base/Types.h"
#include "platform/com/DispatchDriver.h"
#include "platform/com/Variant.h"

class CWordPropertyReader {
public:
    CWordPropertyReader() = default;
    virtual ~CWordPropertyReader();
    CWordPropertyReader(const CWordPropertyReader&) = delete;
    CWordPropertyReader& operator=(const CWordPropertyReader&) = delete;

    // The property's value as text (numbers "%d" or "%f", dates and currency formatted,
    // strings as they are, other types empty). E_POINTER for a null argument, E_INVALIDARG
    // for a file that does not exist, E_FAIL when the document has no such collection
    // or the property is not an object; a failing call's own HRESULT otherwise.
    HRESULT GetProperty(const char* path, const char* propertyName, CString* text);
    // Quits Word when it runs (QuitWord's result), else 0.
    HRESULT Close();

    bool IsWordRunning() const { return m_word != nullptr; }

private:
    std::unique_ptr<COleDispatchDriver> m_word;
};

// A property value as text, by its type (see GetProperty). References are followed.
CString WordPropertyValueText(const VARIANT& value);
