#include "studio/project/WordBookmarkReader.h"

#include "common/StringSort.h"
#include "common/WordBridge.h"

CWordBookmarkReader::~CWordBookmarkReader() { Close(); }

HRESULT CWordBookmarkReader::Close() {
    if (!m_word)
        return 0;
    return QuitWord(m_word);
}

HRESULT CWordBookmarkReader::GetBookmarks(const char* path, std::vector<CString>* names) {
    if (path == nullptr || names == nullptr)
        return E_POINTER;
    names->clear();
    COleDispatchDriver document;
    HRESULT hr = OpenExistingWordDocument(m_word, &document, path);
    if (FAILED(hr))
        return hr;
    try {
        COleDispatchDriver bookmarks(document.GetProperty(wordid::kDocumentBookmarks).ToDispatch());
        LONG count = bookmarks.GetProperty(wordid::kCollectionCount).ToLong();
        // Each entry starts with the bookmark's start position as eight hexadecimal
        // digits, so that sorting the entries puts them in document order.
        for (LONG i = 1; i <= count; ++i) {
            leaf::Variant index(i);
            COleDispatchDriver bookmark(
                bookmarks.InvokeHelper(wordid::kBookmarksItem, DISPATCH_METHOD, {WordByRef(index)}).ToDispatch());
            CString name(bookmark.GetProperty(wordid::kBookmarkName).ToUtf8());
            LONG start = bookmark.GetProperty(wordid::kBookmarkStart).ToLong();
            CString entry;
            entry.Format("%.8X%s", static_cast<unsigned>(start), name.c_str());
            names->push_back(entry);
        }
    } catch (...) {
        hr = WordExceptionResult();
        names->clear();
        // The document is closed again so that it does not stay open in Word.
        CloseWordDocument(m_word.get(), &document);
        return hr;
    }
    SortStringArray(*names, TRUE);
    for (CString& name : *names)
        name = name.Mid(8);
    CloseWordDocument(m_word.get(), &document);
    return S_OK;
}
