#include "platform/ui/shell/FolderBrowser.h"

#include <sys/stat.h>

#include "platform/base/Path.h"
#include "platform/ui/PeopleService.h"
#include "platform/ui/Wnd.h"

namespace leaf::ui {

CString BrowseForFolder(CWnd* owner, const char* title, UINT flags, const char* initialFolder) {
    std::string chosen = People().ChooseFolder(owner ? owner->GetWidget() : nullptr, title ? title : "",
                                               initialFolder ? initialFolder : "");
    chosen = leaf::path::Normalize(chosen);
    while (chosen.size() > 1 && chosen.back() == '/') chosen.pop_back();
    if (chosen.empty()) return CString();
    if (flags & BIF_RETURNONLYFSDIRS) {
        std::optional<std::string> found = leaf::path::Resolve(chosen);
        struct stat status {};
        if (!found || !leaf::path::IsAbsolute(*found) || ::stat(found->c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
            return CString();
        chosen = *found;
    }
    return CString(chosen.c_str());
}

}  // namespace leaf::ui
