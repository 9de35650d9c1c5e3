#pragma once

// The options of the installed input filters: each filter registers its ProgID below
// HKEY_LOCAL_MACHINE "Software\Tallbrook Systems, Inc.\Leafcraft\Filters", and the class
// behind it offers an option page. ShowFilterOptions shows all those pages in one modal
// property frame with OK, Cancel and Apply, as the authoring program's Options command
// does.

#include <string>
#include <vector>

#include "platform/com/Guid.h"
#include "platform/ui/WinDefs.h"

namespace leaf::filteroptions {

// The key whose sub-key names are the installed filters' ProgIDs.
inline constexpr const char* kFiltersKey = "Software\\Tallbrook Systems, Inc.\\Leafcraft\\Filters";
// The program's own options page, shown first when a class is registered for it.
inline constexpr const char* kGeneralOptionsProgId = "Leafcraft.GeneralOptions";

// The installed filters' ProgIDs, sorted without regard to case, after the general
// options' ProgID.
std::vector<std::string> OptionPageProgIds();
// The class ids of the ProgIDs, in the same order; names without a class are dropped.
std::vector<CLSID> OptionPageClasses(const std::vector<std::string>& progIds);
// Shows the frame over `owner` (may be null) and returns when it closes: S_OK, or
// E_INVALIDARG when no page could be shown.
HRESULT ShowFilterOptions(HWND owner);

}  // namespace leaf::filteroptions
