// Arbitrary bytes through the HTML converter: the conversion must finish, leave no
// temporary file behind and, when it succeeds, produce a document that nests properly
// when the scanner reads it back.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "filters/html/converter/HtmlConverter.h"
#include "tests/filters/html/converter/NestingChecker.h"
#include "tests/fuzz/FuzzScratchFile.h"

namespace {

using leaf::fuzz::Check;

// The converter's temporary files go to the scratch folder too.
const std::string& ScratchFolder() {
    static const std::string& folder = [] () -> const std::string& {
        const std::string& made = leaf::fuzz::ScratchFolder("leaf-fuzz-htmlconv");
        setenv("TMP", made.c_str(), 1);
        return made;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string source = ScratchFolder() + "/in.htm";
    const std::string destination = ScratchFolder() + "/out.htm";
    FILE* file = std::fopen(source.c_str(), "wb");
    Check(file != nullptr);
    Check(size == 0 || std::fwrite(data, 1, size, file) == size);
    std::fclose(file);
    unlink(destination.c_str());

    std::string temp;
    {
        CHtmlConverter converter;
        temp = converter.GetTempFilePath().str();
        const BOOL ok = converter.Convert(CString(source), CString(destination));
        if (ok) {
            leaf::test::NestingChecker checker;
            Check(checker.Check(destination));
        } else {
            // Only a nested table can fail a readable source.
            Check(converter.GetErrorText() == CHtmlConverter::kErrorNestedTables);
            Check(access(destination.c_str(), F_OK) != 0);
        }
    }
    Check(access(temp.c_str(), F_OK) != 0);
    return 0;
}
