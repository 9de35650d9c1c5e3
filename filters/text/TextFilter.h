#pragma once

// CTextFilter: the filter of plainintake.so for ".txt". A text file needs no other file
// and becomes one HTML page whose text stands in a preformatted block (see
// CPlainTextConverter). A file that begins with the UTF-16 byte-order mark gives a
// UTF-16 page; any other file keeps its bytes.

#include "filters/framework/FilterObject.h"

class CTextFilter : public CFilterObject {
public:
    static constexpr const char* kProfileSection = "Text Filter";
    static constexpr const char* kTabStopEntry = "TabStop";
    static constexpr int kDefaultTabStop = 4;
    static constexpr int kMaxTabStop = 64;

    CTextFilter();

    HRESULT Initialize() override;
    HRESULT Prepare(LPCOLESTR sourcePath, LPCOLESTR mappingFolder, IFilterHost* host) override;
    HRESULT Convert(LPCOLESTR sourcePath, LPCOLESTR destinationPath, LONG flags, IFilterHost* host) override;
    HRESULT GetSize(LPCOLESTR sourcePath, LONG flags, LONG* units) override;

    int GetTabStop() const { return m_tabStop; }
    // A value outside 1..64 counts as 4.
    void SetTabStop(int tabStop);

protected:
    // The option page (dialog 4000): the filter's setting between the profile and the page.
    std::unique_ptr<CFilterPageFace> CreatePropertyPage(IUnknown* owner, UINT dialogId) override;

private:
    int m_tabStop = kDefaultTabStop;
};
