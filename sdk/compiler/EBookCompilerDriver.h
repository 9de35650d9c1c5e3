#pragma once

// CEBookCompilerDriver: the compile step of a build. It loads the e-book compiler module,
// starts an e-book, streams the package file through the compiler's package stream, then
// answers the compiler's requests for every style sheet, HTML document and other item by
// encoding the item's work copy into the stream the compiler hands over, and finally lets
// the compiler write the e-book. Where the site allows worker threads, the pages are
// encoded ahead of time on them (CPagesEncodedAhead) and each page's calls are made on
// the compiler's stream from the calling thread when the compiler asks for the page, so
// the compiler is called from the calling thread only, in the same order as without. Progress is counted in bytes of the sources (step 3);
// the compiler's messages go through the control's call-back, held back while the item
// they concern is not yet known.
//
// The module is loaded for one Compile call and unloaded on every way out, after the
// writer and every stream are released. Every failure after the writer exists cancels
// it, so no e-book is written; an abort noticed at any point, even after the last
// progress call, does the same.

#include <memory>
#include <string>

#include "platform/base/CString.h"
#include "sdk/compiler/CompileSite.h"
#include "sdk/compiler/EBookCompiler.h"
#include "sdk/compiler/PageEncoding.h"
#include "sdk/compiler/PagesEncodedAhead.h"

class CEBookCompilerDriver {
public:
    explicit CEBookCompilerDriver(ICompileSite& site) : m_site(site) {}
    ~CEBookCompilerDriver();

    // libraryPath: the compiler module (the control passes LITGen.so from its own folder).
    // The work folder has no trailing '/'. FALSE with the site's error set on failure.
    BOOL Compile(const CString& libraryPath, const CString& eBookPath, const CString& packagePath,
                 const CString& workFolder, const CString& source);

    // The file path of an item stream: its URL without a leading "file://"; empty when
    // the stream gives none.
    template <class Stream>
    static CString GetStreamFilePath(Stream* stream);

    BOOL EncodeCssItems(ICssStream* css, CString& path);
    BOOL EncodeHtmlItems(IMarkupStream* stream, CString& path);
    BOOL EncodeBinaryItems(IBinaryStream* stream, CString& path);

private:
    // The progress detail becomes the current file relative to the work folder.
    void SetCurrentItem(const CString& workFolder);
    BOOL EncodePackage(IEBookWriter* writer, const CString& packagePath);
    // Starts encoding the pages the site expects the compiler to ask for on worker
    // threads, where the site allows workers.
    void StartEncodingAhead();

    ICompileSite& m_site;
    std::shared_ptr<const CPageEncoding> m_pageEncoding;
    std::unique_ptr<CPagesEncodedAhead> m_pagesAhead;
};

CString StreamUrlToPath(BSTR url);

template <class Stream>
CString CEBookCompilerDriver::GetStreamFilePath(Stream* stream) {
    BSTR url = nullptr;
    if (stream == nullptr || FAILED(stream->GetUrl(&url)))
        return CString();
    CString path = StreamUrlToPath(url);
    SysFreeString(url);
    return path;
}
