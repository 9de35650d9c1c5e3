#include "studio/project/ShellOpen.h"

#include "platform/ui/PeopleService.h"

namespace leaf {

BOOL OpenWithShell(const char* path, CWnd*) {
    if (!path || !*path)
        return FALSE;
    // The desktop's opener takes the file as one argument; no shell parses it.
    return ui::People().StartProcess("xdg-open", {path}) ? TRUE : FALSE;
}

}  // namespace leaf
