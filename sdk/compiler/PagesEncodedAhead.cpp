#include "sdk/compiler/PagesEncodedAhead.h"

CPagesEncodedAhead::CPagesEncodedAhead(std::shared_ptr<const CPageEncoding> encoding,
                                       const std::vector<CString>& pages, size_t workers, size_t window)
    : m_pool(workers, window) {
    for (const CString& path : pages) {
        const size_t key = m_keys.size();
        if (!m_keys.emplace(path.str(), key).second)
            continue;  // a page named twice is encoded once
        m_pool.Submit(key, [encoding, path](size_t, const std::atomic<bool>& stop) {
            auto page = std::make_unique<Page>();
            page->recording = std::make_unique<CMarkupCallRecording>(stop);
            CMarkupCallRecording& recording = *page->recording;
            page->result = encoding->Encode(path, recording.Stream(), &recording.Host(), recording.LineOut());
            recording.Compact();
            return page;
        });
    }
}

std::unique_ptr<CPagesEncodedAhead::Page> CPagesEncodedAhead::Take(const CString& path) {
    auto found = m_keys.find(path.str());
    if (found == m_keys.end() || found->second < m_next)
        return nullptr;
    m_next = found->second + 1;
    std::unique_ptr<Page> page = m_pool.Take(found->second);
    return page && page->recording->IsComplete() ? std::move(page) : nullptr;
}
