// The application object of testintake.so.

#include "filters/framework/FilterClassFactory.h"
#include "tests/filters/framework/testfilter/TestFilter.h"
#include "tests/filters/framework/testfilter/TestFilterIds.h"

namespace {

class CTestFilterApp : public CFilterApp {
public:
    CLSID GetCLSID() const override { return CLSID_TestFilter; }
    CFilterClassFactory* CreateClassFactory() override { return new (std::nothrow) TFilterClassFactory<CTestFilter>; }
};

CTestFilterApp theApp;

}  // namespace
