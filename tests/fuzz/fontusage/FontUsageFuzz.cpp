// Feeds arbitrary bytes to the font embedder's readers of style sheets and pages: the
// same bytes as a sheet and as a page that links it.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "outside/fontembedder/CssRules.h"
#include "outside/fontembedder/FontUsageScanner.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    fontembed::CFontUsageScanner scanner;
    scanner.AddStyleSheet("/book/s.css", text);
    scanner.ScanPage("/book/p.html", text);
    scanner.Usages();
    fontembed::FontSpecFromDeclarations(fontembed::ParseCssDeclarations(text));
    return 0;
}
