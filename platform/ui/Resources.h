#pragma once

// The numbered resources of one component: its string table, dialog templates, menu
// templates and accelerator tables, read from resource scripts (ResourceScript.h).
// Each program or module that compiles the layer in has its own set, filled at start-up
// from the scripts embedded with leaf_add_resources() in CMake, or loaded from files.

#include <cstdarg>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/CString.h"
#include "platform/ui/ResourceScript.h"

namespace leaf::ui {

struct AcceleratorEntry {
    UINT command = 0;
    std::string keys;   // Qt key-sequence text, e.g. "Ctrl+N"
};

class ResourceSet {
public:
    // Adds the resources of one script. A resource whose id is already present is
    // replaced. Returns false (adding nothing) when the script is malformed.
    bool AddScript(std::string_view script, ResourceScriptError* error = nullptr);
    bool AddScriptFile(const std::string& path, ResourceScriptError* error = nullptr);
    void Clear();

    const std::string* FindString(UINT id) const;
    const ResourceNode* FindDialog(UINT id) const;
    const ResourceNode* FindMenu(UINT id) const;
    const std::vector<AcceleratorEntry>* FindAccelerators(UINT id) const;
    // A toolbar's buttons in order: command ids, 0 for a separator.
    const std::vector<UINT>* FindToolBar(UINT id) const;

    void SetString(UINT id, std::string text) { m_strings[id] = std::move(text); }

private:
    std::map<UINT, std::string> m_strings;
    std::map<UINT, ResourceNode> m_dialogs;
    std::map<UINT, ResourceNode> m_menus;
    std::map<UINT, std::vector<AcceleratorEntry>> m_accelerators;
    std::map<UINT, std::vector<UINT>> m_toolbars;
};

// The resources of this program or module.
ResourceSet& Resources();

// Registers an embedded script at start-up (used by the code leaf_add_resources makes).
struct EmbeddedResourceScript {
    EmbeddedResourceScript(const char* name, const char* script);
};

// String table access. LoadString gives FALSE and an empty text for an unknown id.
BOOL LoadString(UINT id, CString& text);
CString LoadResString(UINT id);
// The string with that id used as a printf-style format; an unknown id formats as "".
CString FormatResString(UINT id, ...);
CString FormatResStringV(UINT id, va_list args);

}  // namespace leaf::ui
