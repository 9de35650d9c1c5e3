#include "sdk/control/SDKControlModule.h"

#include <cstdio>

#include "platform/com/ComRegistry.h"
#include "platform/com/VersionInfo.h"
#include "platform/ui/Resources.h"
#include "sdk/LeafcraftSDK.h"
#include "sdk/control/LeafcraftSDKControl.h"
#include "sdk/control/LeafcraftTypeLib.h"
#include "sdk/control/SDKResourceIds.h"

LEAF_VERSION_BLOCK(
    LEAF_VERSION_ENTRY("CompanyName", "Tallbrook Systems, Inc.")
    LEAF_VERSION_ENTRY("FileDescription", "Leafcraft SDK Control")
    LEAF_VERSION_ENTRY("FileVersion", "2, 0, 2, 0215")
    LEAF_VERSION_ENTRY("InternalName", "Leafcraft SDK Control")
    LEAF_VERSION_ENTRY("ProductName", "Leafcraft SDK Control")
    LEAF_VERSION_ENTRY("ProductVersion", "1, 0, 0, 1")
    LEAF_VERSION_ENTRY("Comments", "This ActiveX control manages the creation of Microsoft\xC2\xAE Reader titles "
                                   "from one or more source files and meta-data.")
    LEAF_VERSION_ENTRY("OLESelfRegister", ""))

namespace {

// The keys that make the class an insertable control: "Control", its toolbox bitmap,
// its misc status and the type library version (written beside the standard entries).
HRESULT RegisterControlKeys(const leaf::ClassEntry& entry, bool registering) {
    if (!registering)
        return S_OK;  // the class key is removed with everything below it
    std::string classKey = "CLSID\\" + leaf::GuidToString(entry.clsid);
    char miscStatus[16];
    std::snprintf(miscStatus, sizeof miscStatus, "%u", static_cast<unsigned>(kSDKControlMiscStatus));
    bool written = leaf::comreg::WriteString(classKey + "\\Control", "") &&
                   leaf::comreg::WriteString(classKey + "\\ToolboxBitmap32", "leafsdk.so, 1") &&
                   leaf::comreg::WriteString(classKey + "\\MiscStatus", "0") &&
                   leaf::comreg::WriteString(classKey + "\\MiscStatus\\1", miscStatus);
    return written ? S_OK : SELFREG_E_CLASS;
}

}  // namespace

CSDKControlModule& CSDKControlModule::Instance() {
    static CSDKControlModule module;
    return module;
}

CSDKControlModule::CSDKControlModule()
    : m_profile(leaf::ui::LoadResString(IDS_COMPANY_KEY).str(), kSDKApplicationName),
      m_comModule(
          [] {
              leaf::ClassEntry entry = leaf::MakeClassEntry<CLeafcraftSDKControl>(
                  CLSID_LeafcraftSDK, kLeafcraftSDKProgId, "", leaf::ui::LoadResString(IDS_CONTROL_NAME).str());
              entry.registerExtra = &RegisterControlKeys;
              return std::vector<leaf::ClassEntry>{entry};
          }(),
          &LeafcraftTypeLibrary()) {}

UINT CSDKControlModule::GetProfileInt(const char* entry, int defaultValue) const {
    return m_profile.GetProfileInt(kSDKProfileSection, entry, defaultValue);
}

CString CSDKControlModule::GetProfileString(const char* entry, const char* defaultValue) const {
    return m_profile.GetProfileString(kSDKProfileSection, entry, defaultValue);
}

LEAF_COM_MODULE_EXPORTS(CSDKControlModule::Instance().ComModule())
