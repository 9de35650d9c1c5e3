// LITGen.so: the e-book compiler. Its one export hands out a new writer.

#include "outside/litgen/EBookWriter.h"
#include "platform/com/VersionInfo.h"

// Read from the file by the build control, which records the compiler's version in
// every e-book it builds.
LEAF_VERSION_BLOCK(
    LEAF_VERSION_ENTRY("CompanyName", "Tallbrook Systems, Inc.")
    LEAF_VERSION_ENTRY("FileDescription", "Leafcraft eBook Compiler")
    LEAF_VERSION_ENTRY("FileVersion", "1, 0, 0, 1")
    LEAF_VERSION_ENTRY("InternalName", "LITGen")
    LEAF_VERSION_ENTRY("ProductName", "Leafcraft eBook Compiler")
    LEAF_VERSION_ENTRY("ProductVersion", "1, 0, 0, 1"))

LEAF_EXPORT_C HRESULT CreateWriter(IUnknown** writer) {
    if (writer == nullptr)
        return E_POINTER;
    *writer = nullptr;
    try {
        leaf::ComPtr<CEBookWriter> created(new CEBookWriter());
        *writer = static_cast<IEBookWriter*>(created.Detach());
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}
