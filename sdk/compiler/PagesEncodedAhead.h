#pragma once

// CPagesEncodedAhead: encodes the pages of a compile step ahead of time on worker threads
// (CWorkAheadPool), each page into a recording of its calls (CMarkupCallRecording), while
// the client's thread hands one page after the other to the compiler and replays each
// page's recording on the compiler's stream when it reaches that page. The pages are
// those the compiler is expected to ask for, in that order; a page it asks for otherwise
// is encoded on the client's thread. At most `window` pages are held encoded ahead, so
// the recordings stay bounded whatever the size of the book; destroying this stops the
// encodings that run and waits for them.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/WorkAheadPool.h"
#include "platform/base/CString.h"
#include "sdk/compiler/MarkupCallRecording.h"
#include "sdk/compiler/PageEncoding.h"

class CPagesEncodedAhead {
public:
    struct Page {
        BOOL result = FALSE;  // what the encoding returned
        std::unique_ptr<CMarkupCallRecording> recording;
    };

    CPagesEncodedAhead(std::shared_ptr<const CPageEncoding> encoding, const std::vector<CString>& pages,
                       size_t workers, size_t window);

    // The encoding of the page at `path`, made ahead and complete; null when there is none
    // (the caller then encodes the page itself). Pages are taken in their order; one
    // passed over is not encoded.
    std::unique_ptr<Page> Take(const CString& path);

private:
    std::map<std::string, size_t> m_keys;  // page path -> its place
    size_t m_next = 0;                     // the places before it are taken or passed over
    CWorkAheadPool<Page> m_pool;           // last: its workers end first
};
