#include "studio/workspace/StudioWebPages.h"

#include <string_view>

#include "platform/ui/browser/WebBrowser.h"

// The page files, embedded at build time (browser.cmake).
std::string_view StudioPageBlank();
std::string_view StudioPageNoPreview();
std::string_view StudioPageReaderDefault();
std::string_view StudioPageReaderDefaultToc();

void RegisterStudioWebPages() {
    static const bool registered = [] {
        leaf::ui::RegisterWebResource("BLANK.HTM", std::string(StudioPageBlank()));
        leaf::ui::RegisterWebResource("NOPREVIEW.HTM", std::string(StudioPageNoPreview()));
        leaf::ui::RegisterWebResource("READERDEFAULT.CSS", std::string(StudioPageReaderDefault()));
        leaf::ui::RegisterWebResource("READERDEFAULT-TOC.CSS", std::string(StudioPageReaderDefaultToc()));
        return true;
    }();
    (void)registered;
}
