#include "outside/word/WordBookmarks.h"

#include <algorithm>

#include "outside/word/WordServer.h"
#include "platform/base/CString.h"

namespace wordstub {

namespace {

const leaf::DispInterfaceDescription& BookmarkInterface() {
    static const leaf::DispInterfaceDescription description{
        "Bookmark",
        leaf::MakeGuid("{6E3D2A7B-51C4-4F0E-9B8A-2C7D1E4F6A94}"),
        "A bookmark of a document",
        {{"Name", dispid::BookmarkName, leaf::MemberKind::PropertyGet, VT_BSTR},
         {"Start", dispid::BookmarkStart, leaf::MemberKind::PropertyGet, VT_I4}}};
    return description;
}

const leaf::DispInterfaceDescription& BookmarksInterface() {
    static const leaf::DispInterfaceDescription description{
        "Bookmarks",
        leaf::MakeGuid("{6E3D2A7B-51C4-4F0E-9B8A-2C7D1E4F6A95}"),
        "The bookmarks of a document",
        {{"Item", dispid::CollectionItem, leaf::MemberKind::Method, VT_DISPATCH, {{"Index", VT_VARIANT}}},
         {"Count", dispid::CollectionCount, leaf::MemberKind::PropertyGet, VT_I4}}};
    return description;
}

}  // namespace

const leaf::DispatchTable<CWordBookmark>& CWordBookmark::GetDispatchTable() {
    static const leaf::DispatchTable<CWordBookmark> table(
        BookmarkInterface(), {{dispid::BookmarkName, leaf::MemberKind::PropertyGet, &CWordBookmark::Name},
                              {dispid::BookmarkStart, leaf::MemberKind::PropertyGet, &CWordBookmark::Start}});
    return table;
}

leaf::Variant CWordBookmark::Name(const leaf::DispatchArguments&) { return leaf::Variant(m_bookmark.name); }

leaf::Variant CWordBookmark::Start(const leaf::DispatchArguments&) {
    return leaf::Variant(static_cast<LONG>(m_bookmark.start));
}

const leaf::DispatchTable<CWordBookmarks>& CWordBookmarks::GetDispatchTable() {
    static const leaf::DispatchTable<CWordBookmarks> table(
        BookmarksInterface(), {{dispid::CollectionItem, leaf::MemberKind::Method, &CWordBookmarks::Item},
                               {dispid::CollectionCount, leaf::MemberKind::PropertyGet, &CWordBookmarks::Count}});
    return table;
}

leaf::Variant CWordBookmarks::Count(const leaf::DispatchArguments&) {
    return leaf::Variant(static_cast<LONG>(m_bookmarks.size()));
}

leaf::Variant CWordBookmarks::Item(const leaf::DispatchArguments& arguments) {
    leaf::Variant index;
    if (FAILED(VariantCopyInd(&index, &arguments[0])))
        throw leaf::AutomationException(DISP_E_TYPEMISMATCH);
    const DocxBookmark* found = nullptr;
    if (index.vt == VT_BSTR) {
        std::string name = index.ToUtf8();
        for (const DocxBookmark& bookmark : m_bookmarks)
            if (leaf::CompareNoCase(bookmark.name, name) == 0)
                found = &bookmark;
    } else {
        leaf::Variant number;
        if (FAILED(VariantChangeType(&number, &index, 0, VT_I4)))
            throw leaf::AutomationException(DISP_E_TYPEMISMATCH);
        // Word numbers its bookmarks in alphabetical order of their names.
        std::vector<const DocxBookmark*> sorted;
        for (const DocxBookmark& bookmark : m_bookmarks)
            sorted.push_back(&bookmark);
        std::stable_sort(sorted.begin(), sorted.end(), [](const DocxBookmark* a, const DocxBookmark* b) {
            return leaf::CompareNoCase(a->name, b->name) < 0;
        });
        if (number.lVal >= 1 && static_cast<std::size_t>(number.lVal) <= sorted.size())
            found = sorted[number.lVal - 1];
    }
    if (found == nullptr)
        throw leaf::AutomationException(kWordErrorBadIndex, "The requested member of the collection does not exist.",
                                        "Word");
    return leaf::Variant(static_cast<IDispatch*>(new CWordBookmark(*found)));
}

}  // namespace wordstub
