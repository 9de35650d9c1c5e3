// The one application object of markupintake.so.

#include "filters/html/HtmlFilterApp.h"
#include "platform/com/VersionInfo.h"

// The module's version block, read from the file by the build control (which records the
// versions that built each e-book) and by the About box.
LEAF_VERSION_BLOCK(
    LEAF_VERSION_ENTRY("CompanyName", "Tallbrook Systems, Inc.")
    LEAF_VERSION_ENTRY("FileDescription", "HTML Leafcraft Input Filter")
    LEAF_VERSION_ENTRY("FileVersion", "2, 0, 2, 0215")
    LEAF_VERSION_ENTRY("InternalName", "markupintake")
    LEAF_VERSION_ENTRY("ProductName", "Leafcraft")
    LEAF_VERSION_ENTRY("ProductVersion", "1, 0, 0, 1")
    LEAF_VERSION_ENTRY("OLESelfRegister", ""))

namespace {

CHtmlFilterApp theApp;

}  // namespace
