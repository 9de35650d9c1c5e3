// Throughput and peak memory of the markup scanner's two builds against libxml2's HTML
// SAX parser and gumbo, over the same input files, with each throughput as a multiple of
// libxml2's measured in the same run and, for the scanners, whether it reaches its goal
// (4 times libxml2 for the byte build, 3 times for the UTF-16 build).
//
//   bench-markup [--seconds S] FILE...
//
// For every file and parser a child process is forked: it measures the peak resident
// memory that one parse adds (VmHWM after the parse less VmHWM before it, the input
// already loaded), then repeats the parse and reports its best throughput in MB/s (10^6
// bytes of input per second). The parsers take turns in five rounds of S/5 seconds each. Our scanners read the file
// themselves (as in use); the others parse it from memory.

#include <gumbo.h>
#include <libxml/HTMLparser.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "markup/MarkupParser.h"
#include "markup/MarkupParserW.h"

namespace {

// A scanner user of the usual kind: it looks at every word and tag.
template <typename Base>
class CountingScanner : public Base {
public:
    using typename Base::StringView;

    BOOL OnWord(StringView word, WORD, int, int, int, LONGLONG, LONGLONG) override {
        ++words;
        letters += word.size();
        return TRUE;
    }
    BOOL OnTag(StringView name, StringView attributes, BOOL, int) override {
        ++tags;
        letters += name.size() + attributes.size();
        return TRUE;
    }

    size_t words = 0, tags = 0, letters = 0;
};

struct SaxCounts {
    size_t elements = 0, characters = 0;
};

void SaxStartElement(void* context, const xmlChar*, const xmlChar**) { ++static_cast<SaxCounts*>(context)->elements; }
void SaxEndElement(void*, const xmlChar*) {}
void SaxCharacters(void* context, const xmlChar*, int length) {
    static_cast<SaxCounts*>(context)->characters += static_cast<size_t>(length);
}
void SaxComment(void*, const xmlChar*) {}
void SaxQuiet(void*, const char*, ...) {}

size_t ParseLibxml2Sax(const std::string& path, const std::string& bytes) {
    htmlSAXHandler sax;
    std::memset(&sax, 0, sizeof sax);
    sax.startElement = SaxStartElement;
    sax.endElement = SaxEndElement;
    sax.characters = SaxCharacters;
    sax.ignorableWhitespace = SaxCharacters;
    sax.comment = SaxComment;
    sax.warning = SaxQuiet;
    sax.error = SaxQuiet;
    SaxCounts counts;
    // One document parsed from memory with our handlers in place of the tree builder.
    htmlParserCtxtPtr context = htmlCreateMemoryParserCtxt(bytes.data(), static_cast<int>(bytes.size()));
    htmlCtxtUseOptions(context, HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
    xmlFree(context->sax);
    context->sax = &sax;
    context->userData = &counts;
    htmlParseDocument(context);
    context->sax = nullptr;
    context->userData = nullptr;
    if (context->myDoc) {
        xmlFreeDoc(context->myDoc);
    }
    htmlFreeParserCtxt(context);
    return counts.elements + counts.characters;
}

size_t ParseGumbo(const std::string&, const std::string& bytes) {
    GumboOutput* output = gumbo_parse_with_options(&kGumboDefaultOptions, bytes.data(), bytes.size());
    const size_t children = output->root->v.element.children.length;
    gumbo_destroy_output(&kGumboDefaultOptions, output);
    return children;
}

template <typename Scanner>
size_t ParseWithScanner(const std::string& path, const std::string&) {
    CountingScanner<Scanner> scanner;
    if (scanner.ParseFile(path) != 0) {
        std::fprintf(stderr, "scan of %s failed\n", path.c_str());
        std::exit(1);
    }
    return scanner.words + scanner.tags + scanner.letters;
}

struct Contender {
    const char* name;
    std::function<size_t(const std::string&, const std::string&)> parse;
    bool needsBytes;  // parses from memory
    double goal;      // the throughput it should reach, in multiples of libxml2's; 0: none
};

long PeakResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
}

struct Measurement {
    double megabytesPerSecond = 0;
    long peakKb = 0;
};

// Runs in a forked child, so that every parser's peak memory is its own.
Measurement Measure(const Contender& contender, const std::string& path, double seconds) {
    size_t size = 0;
    {
        std::ifstream in(path, std::ios::binary | std::ios::ate);
        size = static_cast<size_t>(in.tellg());
    }
    std::string bytes;
    if (contender.needsBytes) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream all;
        all << in.rdbuf();
        bytes = all.str();
    }
    Measurement measurement;
    const long before = PeakResidentKb();
    volatile size_t sink = contender.parse(path, bytes);
    measurement.peakKb = PeakResidentKb() - before;

    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    double best = 1e30;
    int runs = 0;
    while (runs < 3 || std::chrono::duration<double>(Clock::now() - start).count() < seconds) {
        const auto t0 = Clock::now();
        sink = sink + contender.parse(path, bytes);
        best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count());
        ++runs;
    }
    measurement.megabytesPerSecond = static_cast<double>(size) / 1e6 / best;
    return measurement;
}

Measurement MeasureInChild(const Contender& contender, const std::string& path, double seconds) {
    int fds[2];
    if (pipe(fds) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        const Measurement measurement = Measure(contender, path, seconds);
        if (write(fds[1], &measurement, sizeof measurement) != sizeof measurement) {
            _exit(1);
        }
        _exit(0);
    }
    close(fds[1]);
    Measurement measurement;
    if (read(fds[0], &measurement, sizeof measurement) != sizeof measurement) {
        std::fprintf(stderr, "%s failed on %s\n", contender.name, path.c_str());
    }
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return measurement;
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = 2.0;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
        } else {
            files.push_back(argv[i]);
        }
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: bench-markup [--seconds S] FILE...\n");
        return 2;
    }
    xmlInitParser();
    constexpr size_t kLibxml2 = 2;  // the peer the ratios are taken against
    const Contender contenders[] = {
        {"leaf byte scanner", ParseWithScanner<CMarkupParser>, false, 4.0},
        {"leaf UTF-16 scanner", ParseWithScanner<CMarkupParserW>, false, 3.0},
        {"libxml2 HTML SAX", ParseLibxml2Sax, true, 0.0},
        {"gumbo", ParseGumbo, true, 0.0},
    };
    for (const std::string& file : files) {
        std::ifstream in(file, std::ios::binary | std::ios::ate);
        const double megabytes = static_cast<double>(in.tellg()) / 1e6;
        std::printf("\n%s (%.1f MB)\n", file.c_str(), megabytes);
        std::printf("  %-22s %10s %14s %14s  %s\n", "parser", "MB/s", "peak memory", "x libxml2", "goal");
        // The contenders take turns over several rounds, so that a busy moment of the
        // machine does not fall on one of them alone; each keeps its best round.
        constexpr int kRounds = 5;
        Measurement best[std::size(contenders)];
        for (int round = 0; round < kRounds; ++round) {
            for (size_t c = 0; c < std::size(contenders); ++c) {
                const Measurement m = MeasureInChild(contenders[c], file, seconds / kRounds);
                best[c].megabytesPerSecond = std::max(best[c].megabytesPerSecond, m.megabytesPerSecond);
                best[c].peakKb = std::max(best[c].peakKb, m.peakKb);
            }
        }
        const double peer = best[kLibxml2].megabytesPerSecond;
        for (size_t c = 0; c < std::size(contenders); ++c) {
            const double ratio = peer > 0 ? best[c].megabytesPerSecond / peer : 0;
            std::printf("  %-22s %10.1f %11ld KB %13.2fx", contenders[c].name, best[c].megabytesPerSecond,
                        best[c].peakKb, ratio);
            if (contenders[c].goal > 0) {
                std::printf("  %.0fx: %s (%.0f%% of it)", contenders[c].goal,
                            ratio >= contenders[c].goal ? "met" : "NOT met", 100 * ratio / contenders[c].goal);
            }
            std::printf("\n");
        }
    }
    return 0;
}
