#pragma once

// CPageEncoding: what encoding a page of a build takes besides the page itself: the maps
// of the outside and converted items, the build's folders and the style sheet to link.
// It holds copies, taken from the compile site when the compile step starts, so that
// pages can be encoded with it on worker threads while the client's thread goes on.

#include <map>
#include <string>

#include "common/InputFilter.h"
#include "platform/base/CString.h"
#include "sdk/compiler/CompileSite.h"
#include "sdk/compiler/EBookCompiler.h"

class CPageEncoding {
public:
    explicit CPageEncoding(const ICompileSite& site);

    // Encodes the page at `path` into the stream (not ended here), reporting to the host;
    // see CIntermediateEncoder::EncodeFile.
    BOOL Encode(const CString& path, IMarkupStream& stream, IFilterHost* host, LONG* lineOut) const;

private:
    std::map<std::string, std::string> m_outsideItems;
    std::map<std::string, std::string> m_convertedItems;
    CString m_sourceFolder;
    CString m_workFolder;
    CString m_styleSheet;
};
