#include "filters/framework/FilterRegistration.h"

#include <initializer_list>
#include <utility>

#include "filters/framework/FilterApp.h"
#include "platform/base/CString.h"
#include "platform/base/ModulePath.h"
#include "platform/registry/Registry.h"
#include "platform/ui/Resources.h"

namespace {

// An open registry key, closed as soon as its values are written.
class RegKey {
public:
    RegKey() = default;
    ~RegKey() {
        if (m_key)
            RegCloseKey(m_key);
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    LONG Create(HKEY parent, const std::string& path) { return RegCreateKey(parent, path.c_str(), &m_key); }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

LONG SetString(HKEY key, const char* subKey, const std::string& value) {
    return RegSetValue(key, subKey, REG_SZ, value.c_str(), static_cast<DWORD>(value.size()));
}

// Creates the key and writes its default value and sub-key values; the first failure wins.
struct KeyWriter {
    LONG error = ERROR_SUCCESS;

    void Write(HKEY root, const std::string& path, const std::string& value,
               std::initializer_list<std::pair<const char*, std::string>> subKeys = {}) {
        if (error != ERROR_SUCCESS)
            return;
        RegKey key;
        if ((error = key.Create(root, path)) != ERROR_SUCCESS)
            return;
        for (const auto& [name, text] : subKeys)
            if ((error = SetString(key.Get(), name, text)) != ERROR_SUCCESS)
                return;
        error = SetString(key.Get(), nullptr, value);
    }
};

std::string ClassKeyPath(REFCLSID clsid) {
    return FormatKeyTemplate("CLSID\\%s", leaf::GuidToString(clsid));
}

// The default value of a key, whatever its length; false when it cannot be read.
bool ReadDefaultValue(HKEY root, const std::string& path, std::string& value) {
    LONG size = 0;
    if (RegQueryValue(root, path.c_str(), nullptr, &size) != ERROR_SUCCESS || size <= 0)
        return false;
    std::string buffer(static_cast<size_t>(size), '\0');
    if (RegQueryValue(root, path.c_str(), buffer.data(), &size) != ERROR_SUCCESS)
        return false;
    buffer.resize(buffer.find('\0') == std::string::npos ? buffer.size() : buffer.find('\0'));
    value = std::move(buffer);
    return true;
}

// Any object of this module tells GetModulePath which module to name.
const char kModuleMarker = 0;

}  // namespace

CFilterRegistration CFilterRegistration::FromModule(const CFilterApp& app) {
    using leaf::ui::LoadResString;
    CFilterRegistration registration;
    registration.clsid = app.GetCLSID();
    registration.modulePath = leaf::GetModulePath(&kModuleMarker);
    registration.description = LoadResString(IDS_FILTER_DESCRIPTION).str();
    registration.progId = LoadResString(IDS_FILTER_PROGID).str();
    registration.independentProgId = LoadResString(IDS_FILTER_INDEPENDENT_PROGID).str();
    registration.extensions = LoadResString(IDS_FILTER_EXTENSIONS).str();
    registration.filtersKeyTemplate = LoadResString(app.GetFiltersKeyTemplateId()).str();
    registration.extensionKeyTemplate = LoadResString(app.GetExtensionKeyTemplateId()).str();
    registration.threadingModel = app.GetThreadingModel();
    return registration;
}

HRESULT RegisterFilterServer(const CFilterRegistration& r) {
    // Missing strings would write values onto a root or a parent key: refuse them.
    if (r.modulePath.empty() || r.progId.empty() || r.independentProgId.empty() ||
        r.filtersKeyTemplate.find("%s") == std::string::npos ||
        r.extensionKeyTemplate.find("%s") == std::string::npos)
        return SELFREG_E_CLASS;
    const std::string clsid = leaf::GuidToString(r.clsid);
    KeyWriter writer;
    writer.Write(HKEY_CLASSES_ROOT, r.independentProgId, r.description, {{"CurVer", r.progId}, {"CLSID", clsid}});
    writer.Write(HKEY_CLASSES_ROOT, r.progId, r.description, {{"CLSID", clsid}});

    if (writer.error == ERROR_SUCCESS) {
        RegKey classKey;
        writer.error = classKey.Create(HKEY_CLASSES_ROOT, ClassKeyPath(r.clsid));
        if (writer.error == ERROR_SUCCESS) {
            RegKey server;
            writer.error = server.Create(classKey.Get(), "InprocServer32");
            if (writer.error == ERROR_SUCCESS)
                writer.error = SetString(server.Get(), nullptr, r.modulePath);
            if (writer.error == ERROR_SUCCESS) {
                writer.error = RegSetValueEx(server.Get(), "ThreadingModel", 0, REG_SZ,
                                             reinterpret_cast<const BYTE*>(r.threadingModel.c_str()),
                                             static_cast<DWORD>(r.threadingModel.size() + 1));
            }
        }
        if (writer.error == ERROR_SUCCESS)
            writer.error = SetString(classKey.Get(), "ProgID", r.progId);
        if (writer.error == ERROR_SUCCESS)
            writer.error = SetString(classKey.Get(), "VersionIndependentProgID", r.independentProgId);
        if (writer.error == ERROR_SUCCESS)
            writer.error = SetString(classKey.Get(), nullptr, r.description);
    }

    writer.Write(HKEY_LOCAL_MACHINE, FormatKeyTemplate(r.filtersKeyTemplate, r.independentProgId), r.description);
    for (const std::string& extension : SplitExtensionList(r.extensions))
        writer.Write(HKEY_USERS, FormatKeyTemplate(r.extensionKeyTemplate, extension), r.independentProgId);
    return HRESULT_FROM_WIN32(writer.error);
}

void UnregisterFilterServer(const CFilterRegistration& r) {
    const std::string& independent = r.independentProgId;
    const std::string classKey = ClassKeyPath(r.clsid);
    for (const std::string& path : {independent + "\\CurVer", independent + "\\CLSID", independent,
                                    r.progId + "\\CLSID", r.progId, classKey + "\\InprocServer32",
                                    classKey + "\\ProgID", classKey + "\\VersionIndependentProgID", classKey})
        RegDeleteKey(HKEY_CLASSES_ROOT, path.c_str());
    RegDeleteKey(HKEY_LOCAL_MACHINE, FormatKeyTemplate(r.filtersKeyTemplate, independent).c_str());
    for (const std::string& extension : SplitExtensionList(r.extensions)) {
        std::string path = FormatKeyTemplate(r.extensionKeyTemplate, extension);
        std::string owner;
        if (ReadDefaultValue(HKEY_USERS, path, owner) && owner == independent)
            RegDeleteKey(HKEY_USERS, path.c_str());
    }
}

std::vector<std::string> SplitExtensionList(std::string_view extensions) {
    std::vector<std::string> pieces;
    CString list(extensions);
    list.Trim();
    size_t start = 0;
    const std::string& text = list.str();
    while (start <= text.size()) {
        size_t bar = text.find('|', start);
        size_t end = bar == std::string::npos ? text.size() : bar;
        CString piece(std::string_view(text).substr(start, end - start));
        piece.Trim();
        // An empty piece (a doubled or trailing bar) would name the parent key itself.
        if (!piece.IsEmpty())
            pieces.push_back(piece.str());
        if (bar == std::string::npos)
            break;
        start = bar + 1;
    }
    return pieces;
}

std::string FormatKeyTemplate(std::string_view keyTemplate, std::string_view value) {
    std::string result;
    bool substituted = false;
    for (size_t i = 0; i < keyTemplate.size(); ++i) {
        if (keyTemplate[i] == '%' && i + 1 < keyTemplate.size()) {
            char next = keyTemplate[i + 1];
            if (next == '%') {
                result += '%';
                ++i;
                continue;
            }
            if (next == 's' && !substituted) {
                result += value;
                substituted = true;
                ++i;
                continue;
            }
        }
        result += keyTemplate[i];
    }
    return result;
}
