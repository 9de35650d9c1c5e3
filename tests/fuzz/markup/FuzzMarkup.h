#pragma once

// Shared body of the scanner fuzz targets: the input is written to a file and parsed
// with a subclass that records every call-back and checks what the scanner promises.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "markup/MarkupAttributes.h"

namespace leaf::fuzz {

// A scratch file of this process, removed at exit.
inline const std::string& ScratchFile() {
    static const std::string path = [] {
        char name[] = "/tmp/leaf-fuzz-markup-XXXXXX";
        const int fd = mkstemp(name);
        if (fd < 0) {
            std::abort();
        }
        close(fd);
        static std::string kept = name;
        std::atexit([] { unlink(kept.c_str()); });
        return std::string(name);
    }();
    return path;
}

inline void WriteScratch(const uint8_t* data, size_t size) {
    FILE* file = std::fopen(ScratchFile().c_str(), "wb");
    if (!file) {
        std::abort();
    }
    if (size > 0 && std::fwrite(data, 1, size, file) != size) {
        std::abort();
    }
    std::fclose(file);
}

template <typename Base>
class CheckingParser : public Base {
public:
    using typename Base::StringView;
    using Ch = typename Base::Char;

    BOOL OnWord(StringView word, WORD state, int line, int paragraph, int wordNumber, LONGLONG wordStart,
                LONGLONG position) override {
        Check(!word.empty());
        Check(line >= m_lastLine && paragraph >= 1 && wordNumber > m_lastWordNumber);
        m_lastWordNumber = wordNumber;
        if ((state & Base::stateCommentBlock) == 0) {
            // Words of text come in file order.
            Check(position >= m_lastPosition && wordStart <= position);
            m_lastPosition = position;
        }
        m_text.append(word);
        return TRUE;
    }
    BOOL OnTag(StringView name, StringView attributes, BOOL endTag, int line) override {
        Check(!name.empty());
        Check(line >= m_lastLine);
        m_lastLine = line;
        leaf::markup::SplitAttributes(attributes, m_tokens);
        for (std::basic_string<Ch>& token : m_tokens) {
            leaf::markup::FoldPath(token);
        }
        return TRUE;
    }
    // Forgets what the checks have seen, for another parse.
    void ResetChecks() {
        m_lastLine = 0;
        m_lastWordNumber = 0;
        m_lastPosition = 0;
    }

private:
    static void Check(bool condition) {
        if (!condition) {
            std::abort();
        }
    }

    int m_lastLine = 0;
    int m_lastWordNumber = 0;
    LONGLONG m_lastPosition = 0;
    std::basic_string<Ch> m_text;
    std::vector<std::basic_string<Ch>> m_tokens;
};

template <typename Parser>
int FuzzOneInput(const uint8_t* data, size_t size) {
    WriteScratch(data, size);
    CheckingParser<Parser> parser;
    // Nothing in the input may fail a parse. The second parse runs with the base folder
    // that a <base href> of the first one left behind.
    for (int pass = 0; pass < 2; ++pass) {
        if (parser.ParseFile(ScratchFile()) != 0) {
            std::abort();
        }
        parser.ResetChecks();
    }
    return 0;
}

}  // namespace leaf::fuzz
