#include "tools/filter-options/FilterOptions.h"

#include <algorithm>
#include <cctype>

#include "platform/com/ComRuntime.h"
#include "platform/registry/RegistryKey.h"
#include "platform/ui/PropertyFrame.h"
#include "platform/ui/WaitCursor.h"

namespace leaf::filteroptions {

namespace {

bool LessIgnoringCase(const std::string& left, const std::string& right) {
    return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) < std::tolower(static_cast<unsigned char>(b));
    });
}

}  // namespace

std::vector<std::string> OptionPageProgIds() {
    std::vector<std::string> names;
    if (RegistryKey filters = RegistryKey::Open(HKEY_LOCAL_MACHINE, kFiltersKey); filters.IsOpen())
        names = filters.SubKeyNames();
    std::stable_sort(names.begin(), names.end(), LessIgnoringCase);
    names.insert(names.begin(), kGeneralOptionsProgId);
    return names;
}

std::vector<CLSID> OptionPageClasses(const std::vector<std::string>& progIds) {
    std::vector<CLSID> classes;
    for (const std::string& progId : progIds) {
        CLSID clsid{};
        if (SUCCEEDED(CLSIDFromProgID(progId.c_str(), &clsid)))
            classes.push_back(clsid);
    }
    return classes;
}

HRESULT ShowFilterOptions(HWND owner) {
    std::vector<CLSID> pages;
    {
        CWaitCursor wait;
        pages = OptionPageClasses(OptionPageProgIds());
    }
    return OleCreatePropertyFrame(owner, 0, 0, nullptr, 0, nullptr, static_cast<ULONG>(pages.size()),
                                  pages.empty() ? nullptr : pages.data(), 1033, 0, nullptr);
}

}  // namespace leaf::filteroptions
