#pragma once

// The registry entries that make a filter known to the build control and to the
// authoring program:
//   HKEY_CLASSES_ROOT\<independent ProgID>   CurVer, CLSID, description
//   HKEY_CLASSES_ROOT\<ProgID>               CLSID, description
//   HKEY_CLASSES_ROOT\CLSID\{clsid}          InprocServer32 (module path, ThreadingModel),
//                                            ProgID, VersionIndependentProgID, description
//   HKEY_LOCAL_MACHINE\<filters key>         one key per filter, named with its independent ProgID
//   HKEY_USERS\<extension key>               one key per extension, naming the filter's independent ProgID

#include <string>
#include <string_view>
#include <vector>

#include "platform/base/Types.h"
#include "platform/com/Guid.h"

class CFilterApp;

struct CFilterRegistration {
    CLSID clsid = GUID_NULL;
    std::string modulePath;
    std::string description;
    std::string progId;                     // versioned, "Leafcraft.HtmlFilter.1.0"
    std::string independentProgId;          // "Leafcraft.HtmlFilter"
    std::string extensions;                 // ".htm|.html"
    std::string filtersKeyTemplate;         // below HKEY_LOCAL_MACHINE, with one "%s"
    std::string extensionKeyTemplate;       // below HKEY_USERS, with one "%s"
    std::string threadingModel = "Apartment";

    // The entries of the module that holds `app`: its string table and its path.
    static CFilterRegistration FromModule(const CFilterApp& app);
};

// Writes every entry in order. S_OK, or HRESULT_FROM_WIN32 of the first key or value
// that cannot be written; what was written before stays.
HRESULT RegisterFilterServer(const CFilterRegistration& registration);

// Deletes the entries, ignoring those that are missing. An extension key is deleted only
// while it still names this filter, so an extension another filter has taken over since
// stays registered to that filter.
void UnregisterFilterServer(const CFilterRegistration& registration);

// The pieces of an extension list: the list trimmed, split at each '|', each piece
// trimmed; empty pieces are dropped.
std::vector<std::string> SplitExtensionList(std::string_view extensions);

// The template with its "%s" replaced by `value` ("%%" stands for "%").
std::string FormatKeyTemplate(std::string_view keyTemplate, std::string_view value);
