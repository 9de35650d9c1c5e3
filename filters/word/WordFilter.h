#pragma once

// CWordFilter: the filter of wordintake.so for ".doc" and ".docx". Word saves each
// document as HTML into the filter's own temporary folder (during Prepare); the HTML
// filter of markupintake, created through COM, then reports and converts that page, with
// the document's folder as the mapping folder, so that the pictures Word writes beside
// the page count as lying beside the document. The page's links are then rewritten to
// name the files where the book holds them.

#include <map>
#include <memory>
#include <vector>

#include "filters/framework/SimpleFilterObject.h"
#include "platform/base/CString.h"
#include "platform/base/ScratchFolder.h"
#include "platform/com/DispatchDriver.h"
#include "platform/com/Unknown.h"

class CWordFilter : public CSimpleFilterObject {
public:
    CWordFilter() = default;
    ~CWordFilter() override;

    HRESULT Initialize() override;
    HRESULT Prepare(LPCOLESTR sourcePath, LPCOLESTR mappingFolder, IFilterHost* host) override;
    HRESULT Convert(LPCOLESTR sourcePath, LPCOLESTR destinationPath, LONG flags, IFilterHost* host) override;
    HRESULT GetSize(LPCOLESTR sourcePath, LONG flags, LONG* units) override;

    // "Word.Application\CurVer" names a version above 8 (Word 9 or later).
    static BOOL IsWordInstalled();
    // A folder that exists.
    static BOOL FolderExists(const char* path);
    // Creates the folder and every missing folder above it; TRUE when it exists afterwards.
    static BOOL CreateFolderPath(const char* path);
    // Deletes a folder with everything in it (never following symbolic links).
    static void DeleteFolderTree(const char* folder);

    const CString& GetTempFolder() const { return m_tempFolder; }

private:
    // "<temporary folder>/wordintake.NNN", the first number from 1 to 998 whose folder
    // this call creates, counting on from the number this process took last; false (no
    // folder, and the reason in m_tempFolderProblem) when every name is taken or none can
    // be made. The folder is marked as this process's while the filter lives, and the
    // folders that filters of processes no longer running left (killed mid-build) go first.
    bool CreateTempFolder();
    // The next free "<temporary folder>/$docNNNN.htm"; FALSE (and empty) past 9999.
    BOOL MakeIntermediateName(CString& name);
    HRESULT SaveDocumentAsHtml(const CString& document, const CString& intermediate, IFilterHost* host);
    // Rewrites the links of the page made for `document` so that they name the files as
    // the book holds them.
    HRESULT PointLinksIntoTheBook(const CString& document, const CString& intermediate, IFilterHost* host);
    // Deletes every page made (in the map or superseded) with its companion folder, and
    // empties the map.
    void DeleteIntermediates();
    // Deletes one page and its "_files" companion folder (errors ignored).
    void DeleteIntermediate(const CString& intermediate);

    std::map<CString, CString> m_documents;  // lower-cased document path -> its HTML file
    std::vector<CString> m_superseded;       // earlier pages of documents prepared again
    bool m_wordChecked = false;
    leaf::ComPtr<IInputFilter> m_htmlFilter;
    std::unique_ptr<COleDispatchDriver> m_word;
    CString m_tempFolder;
    CString m_tempFolderProblem;  // why the last CreateTempFolder made no folder
    leaf::ScratchFolderOwner m_tempFolderOwner;
};
