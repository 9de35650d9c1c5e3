#pragma once

// Reads the bookmark names of Word documents through the Word bridge. Word is started by
// the first call and shared by the later ones until Close (or destruction) quits it.

#include <memory>
#include <vector>

#include "platform/base/CString.h"
#include "platform/base/Types.h"
#include "platform/com/DispatchDriver.h"

class CWordBookmarkReader {
public:
    CWordBookmarkReader() = default;
    virtual ~CWordBookmarkReader();
    CWordBookmarkReader(const CWordBookmarkReader&) = delete;
    CWordBookmarkReader& operator=(const CWordBookmarkReader&) = delete;

    // The document's bookmark names in the order of their start positions (names that
    // start at the same position by name, case ignored). E_POINTER for a null argument,
    // E_INVALIDARG for a file that does not exist (Word is not started then).
    HRESULT GetBookmarks(const char* path, std::vector<CString>* names);
    // Quits Word when it runs (QuitWord's result), else 0.
    HRESULT Close();

    bool IsWordRunning() const { return m_word != nullptr; }

private:
    std::unique_ptr<COleDispatchDriver> m_word;
};
