#include "tools/build-book/BookOptions.h"

#include <string_view>

namespace {

// Options that take a value, and where each value goes.
std::string* ValueOption(std::string_view name, CBookOptions& options) {
    if (name == "--title")
        return &options.title;
    if (name == "--author")
        return &options.author;
    if (name == "--publisher")
        return &options.publisher;
    if (name == "--toc")
        return &options.tocPage;
    return nullptr;
}

}  // namespace

std::string BookUsage() {
    return "usage: build-book [--title T] [--author A] [--publisher P] [--toc PAGE] [--embed-fonts]\n"
           "                  OUTPUT.epub SOURCE...\n"
           "  Builds the sources, in the order given, into an e-book through the build control.\n"
           "  --title T       the book's title (dc:Title)\n"
           "  --author A      its author (dc:Creator, role aut)\n"
           "  --publisher P   its publisher (dc:Publisher; also handed to the compiler)\n"
           "  --toc PAGE      the table-of-contents page: a guide item, and the chapter tour\n"
           "                  made from its links\n"
           "  --embed-fonts   embed the fonts the pages use that the font embedder offers\n";
}

ParseOutcome ParseBookOptions(const std::vector<std::string>& arguments, CBookOptions& options, std::string& error) {
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            positional.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument == "--help" || argument == "-h")
            return ParseOutcome::Help;
        if (argument == "--embed-fonts") {
            options.embedFonts = true;
            continue;
        }
        std::string name = argument;
        std::string value;
        bool hasValue = false;
        if (std::size_t equals = argument.find('='); equals != std::string::npos) {
            name = argument.substr(0, equals);
            value = argument.substr(equals + 1);
            hasValue = true;
        }
        if (name == "--embed-fonts") {
            error = "option --embed-fonts takes no value";
            return ParseOutcome::Error;
        }
        std::string* target = ValueOption(name, options);
        if (target == nullptr) {
            error = "unknown option " + name;
            return ParseOutcome::Error;
        }
        if (!hasValue) {
            if (i + 1 >= arguments.size()) {
                error = "option " + name + " needs a value";
                return ParseOutcome::Error;
            }
            value = arguments[++i];
        }
        *target = value;
    }
    if (positional.empty()) {
        error = "no output file given";
        return ParseOutcome::Error;
    }
    if (positional.size() < 2) {
        error = "no source file given";
        return ParseOutcome::Error;
    }
    options.outputPath = positional.front();
    options.sources.assign(positional.begin() + 1, positional.end());
    return ParseOutcome::Build;
}
