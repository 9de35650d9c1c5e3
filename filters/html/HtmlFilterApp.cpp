#include "filters/html/HtmlFilterApp.h"

#include <new>

#include "filters/framework/FilterClassFactory.h"
#include "filters/html/HtmlFilter.h"
#include "filters/html/HtmlFilterIds.h"

CLSID CHtmlFilterApp::GetCLSID() const {
    return CLSID_HtmlFilter;
}

CFilterClassFactory* CHtmlFilterApp::CreateClassFactory() {
    return new (std::nothrow) TFilterClassFactory<CHtmlFilter>;
}
