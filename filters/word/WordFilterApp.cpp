// The application object of wordintake.so.

#include "filters/framework/FilterClassFactory.h"
#include "filters/word/WordFilter.h"
#include "filters/word/WordFilterIds.h"
#include "platform/com/VersionInfo.h"

// The module's version block, read from the file by the build control (which records the
// versions that built each e-book) and by the About box.
LEAF_VERSION_BLOCK(
    LEAF_VERSION_ENTRY("CompanyName", "Tallbrook Systems, Inc.")
    LEAF_VERSION_ENTRY("FileDescription", "Word Leafcraft Input Filter")
    LEAF_VERSION_ENTRY("FileVersion", "2, 0, 2, 0215")
    LEAF_VERSION_ENTRY("InternalName", "wordintake")
    LEAF_VERSION_ENTRY("ProductName", "Leafcraft")
    LEAF_VERSION_ENTRY("ProductVersion", "1, 0, 0, 1")
    LEAF_VERSION_ENTRY("OLESelfRegister", ""))

namespace {

class CWordFilterApp : public CFilterApp {
public:
    CWordFilterApp() : CFilterApp(IDS_WORD_FILTER_KEY_TEMPLATE) {}
    CLSID GetCLSID() const override { return CLSID_WordFilter; }
    CFilterClassFactory* CreateClassFactory() override { return new (std::nothrow) TFilterClassFactory<CWordFilter>; }
};

CWordFilterApp theApp;

}  // namespace
