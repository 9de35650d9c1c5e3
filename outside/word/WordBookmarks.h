#pragma once

// Document.Bookmarks (Count, Item by number from 1 or by name) and Bookmark (Name, Start).

#include <vector>

#include "outside/word/DocxPackage.h"
#include "platform/com/DispatchTable.h"

namespace wordstub {

class CWordBookmark final : public leaf::DispatchImpl<CWordBookmark> {
public:
    explicit CWordBookmark(DocxBookmark bookmark) : m_bookmark(std::move(bookmark)) {}
    static const leaf::DispatchTable<CWordBookmark>& GetDispatchTable();

private:
    leaf::Variant Name(const leaf::DispatchArguments&);
    leaf::Variant Start(const leaf::DispatchArguments&);

    DocxBookmark m_bookmark;
};

class CWordBookmarks final : public leaf::DispatchImpl<CWordBookmarks> {
public:
    explicit CWordBookmarks(std::vector<DocxBookmark> bookmarks) : m_bookmarks(std::move(bookmarks)) {}
    static const leaf::DispatchTable<CWordBookmarks>& GetDispatchTable();

private:
    leaf::Variant Count(const leaf::DispatchArguments&);
    leaf::Variant Item(const leaf::DispatchArguments& arguments);

    // Word lists bookmarks by name; their positions stay as the document has them.
    std::vector<DocxBookmark> m_bookmarks;
};

}  // namespace wordstub
