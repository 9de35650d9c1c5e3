#include <map>

#include "platform/base/CString.h"
#include "platform/base/ModulePath.h"
#include "platform/ui/browser/WebBrowser.h"

namespace leaf::ui {

namespace {

constexpr std::string_view kScheme = "res://";

std::map<std::string, std::string>& Pages() {
    static std::map<std::string, std::string> pages;
    return pages;
}

}  // namespace

void RegisterWebResource(const std::string& name, std::string content) {
    Pages()[leaf::ToLowerAscii(name)] = std::move(content);
}

bool FindWebResource(const std::string& address, std::string& content) {
    if (address.size() <= kScheme.size() || !leaf::EqualsNoCase(std::string_view(address).substr(0, kScheme.size()), kScheme))
        return false;
    std::string rest = address.substr(kScheme.size());
    size_t slash = rest.rfind('/');
    if (slash == std::string::npos) return false;
    // The part before the name is the module; only this program's resources are served.
    if (rest.substr(0, slash) != leaf::GetExecutablePath()) return false;
    auto found = Pages().find(leaf::ToLowerAscii(rest.substr(slash + 1)));
    if (found == Pages().end()) return false;
    content = found->second;
    return true;
}

std::string WebResourceAddress(const std::string& name) {
    return std::string(kScheme) + leaf::GetExecutablePath() + "/" + name;
}

}  // namespace leaf::ui
