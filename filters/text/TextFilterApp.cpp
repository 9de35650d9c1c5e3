// The application object of plainintake.so.

#include "filters/framework/FilterClassFactory.h"
#include "filters/text/TextFilter.h"
#include "filters/text/TextFilterIds.h"

namespace {

class CTextFilterApp : public CFilterApp {
public:
    CLSID GetCLSID() const override { return CLSID_TextFilter; }
    CFilterClassFactory* CreateClassFactory() override { return new (std::nothrow) TFilterClassFactory<CTextFilter>; }
};

CTextFilterApp theApp;

}  // namespace
