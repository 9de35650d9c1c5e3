// The application object of pictureintake.so.

#include "filters/framework/FilterClassFactory.h"
#include "filters/image/ImageFilter.h"
#include "filters/image/ImageFilterIds.h"

namespace {

class CImageFilterApp : public CFilterApp {
public:
    CLSID GetCLSID() const override { return CLSID_ImageFilter; }
    CFilterClassFactory* CreateClassFactory() override { return new (std::nothrow) TFilterClassFactory<CImageFilter>; }
};

CImageFilterApp theApp;

}  // namespace
