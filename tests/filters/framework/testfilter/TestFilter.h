#pragma once

// The filter of testintake.so: a plain copy filter for ".tst" and ".test" files with an
// option page. Its sources name their dependencies on lines of their own:
//   dep NAME      a file NAME beside the source (mapped below the mapping folder, if any)
//   srcdep NAME   a file NAME in the host's source folder

#include "filters/framework/FilterObject.h"

class CTestFilter : public CFilterObject {
public:
    CTestFilter();

    HRESULT Initialize() override;
    HRESULT Prepare(LPCOLESTR sourcePath, LPCOLESTR mappingFolder, IFilterHost* host) override;
    HRESULT Convert(LPCOLESTR sourcePath, LPCOLESTR destinationPath, LONG flags, IFilterHost* host) override;
    HRESULT GetSize(LPCOLESTR sourcePath, LONG flags, LONG* units) override;

protected:
    std::unique_ptr<CFilterPageFace> CreatePropertyPage(IUnknown* owner, UINT dialogId) override;
};
