// The application object of pictureintake.so.

#include "filters/framework/FilterClassFactory.h"
#include "filters/image/ImageFilter.h"
#include "filters/image/ImageFilterIds.h"
#include "platform/com/VersionInfo.h"

// The module's version block, read from the file by the build control (which records the
// versions that built each e-book) and by the About box.
LEAF_VERSION_BLOCK(
    LEAF_VERSION_ENTRY("CompanyName", "Tallbrook Systems, Inc.")
    LEAF_VERSION_ENTRY("FileDescription", "Image Leafcraft Input Filter")
    LEAF_VERSION_ENTRY("FileVersion", "2, 0, 2, 0215")
    LEAF_VERSION_ENTRY("InternalName", "pictureintake")
    LEAF_VERSION_ENTRY("ProductName", "Leafcraft")
    LEAF_VERSION_ENTRY("ProductVersion", "1, 0, 0, 1")
    LEAF_VERSION_ENTRY("OLESelfRegister", ""))

namespace {

class CImageFilterApp : public CFilterApp {
public:
    CLSID GetCLSID() const override { return CLSID_ImageFilter; }
    CFilterClassFactory* CreateClassFactory() override { return new (std::nothrow) TFilterClassFactory<CImageFilter>; }
};

CImageFilterApp theApp;

}  // namespace
