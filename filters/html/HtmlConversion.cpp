#include "filters/html/HtmlConversion.h"

#ifdef LEAF_HAVE_HTML_CONVERTER
#include "filters/html/converter/HtmlConverter.h"
#else
#include <vector>

#include "platform/base/File.h"
#endif

#ifdef LEAF_HAVE_HTML_CONVERTER

BOOL ConvertHtmlDocument(const CString& sourcePath, const CString& destinationPath, HtmlProgressFunction progress,
                         IFilterHost* host, CString& errorText) {
    CHtmlConverter converter(progress, host);
    if (converter.Convert(sourcePath, destinationPath)) {
        errorText.Empty();
        return TRUE;
    }
    errorText = converter.GetErrorText();
    return FALSE;
}

#else

// A module built without the markup converter puts a page into the package as it is:
// the source is copied byte for byte, with the same progress the converter reports.

namespace {

constexpr UINT kBlockSize = 64 * 1024;
constexpr const char* kOperationFailed = "Unable to complete operation.";

}  // namespace

BOOL ConvertHtmlDocument(const CString& sourcePath, const CString& destinationPath, HtmlProgressFunction progress,
                         IFilterHost* host, CString& errorText) {
    errorText.Empty();
    CFile source;
    if (!source.Open(sourcePath.c_str(), CFile::modeRead | CFile::shareDenyNone)) {
        errorText = kOperationFailed;
        return FALSE;
    }
    CFile destination;
    if (!destination.Open(destinationPath.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive)) {
        errorText = "Unable to complete operation.  Try increasing available disk space.";
        return FALSE;
    }
    std::vector<BYTE> block(kBlockSize);
    try {
        for (;;) {
            const UINT read = source.Read(block.data(), kBlockSize);
            if (read == 0)
                break;
            if (progress != nullptr && !progress(static_cast<LONG>(read), host))
                return FALSE;
            destination.Write(block.data(), read);
            if (progress != nullptr && !progress(static_cast<LONG>(read), host))
                return FALSE;
        }
        destination.Close();
    } catch (const CFileException&) {
        errorText = kOperationFailed;
        return FALSE;
    }
    return TRUE;
}

#endif
