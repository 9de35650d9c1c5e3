// Arbitrary bytes as a table-of-contents style file: reading must finish; a style that
// reads is written and read back to the same values.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/base/File.h"
#include "platform/ui/ScriptedPeople.h"
#include "studio/project/TOCStyle.h"
#include "tests/fuzz/FuzzScratchFile.h"

namespace {

using leaf::fuzz::Check;

const std::string& Folder() {
    return leaf::fuzz::ScratchFolder("fuzz-toc-style");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    leaf::ui::ScriptedPeople people;  // message 922 is answered, never shown
    const std::string path = Folder() + "/style.htt";
    Check(leaf::WriteFileAtomically(path, std::string(reinterpret_cast<const char*>(data), size)));
    CTOCStyle style;
    if (!style.Load(path.c_str())) return 0;
    // Values that the file format cannot carry as read (text with line breaks or ';', and
    // numbers beyond two decimals) are not expected to come back unchanged.
    for (int i = 0; i < CTOCStyle::kLevelCount; ++i) {
        const CTOCLevelStyle& level = style.GetLevel(i);
        for (const CString* text : {&level.m_fontFamily, &level.m_alignment}) {
            if (text->FindOneOf(";\r\n") >= 0 || text->Find("Level") >= 0 || text->Find(':') >= 0) return 0;
        }
    }
    const std::string copy = Folder() + "/copy.htt";
    Check(style.Save(copy.c_str()) == TRUE);
    CTOCStyle again;
    Check(again.Load(copy.c_str()) == TRUE);
    Check(again.GetLevel(0).m_size == style.GetLevel(0).m_size);
    Check(again.GetLevel(6).m_color == style.GetLevel(6).m_color);
    return 0;
}
