#pragma once

// The command line of build-book:
//
//   build-book [--title T] [--author A] [--publisher P] [--toc PAGE] [--embed-fonts]
//              OUTPUT.epub SOURCE...
//
// Sources are built in the order given (the reading order). Every option takes its
// value as the next argument or after "=" (--title=T); "--" ends the options.

#include <string>
#include <vector>

struct CBookOptions {
    std::string title;
    std::string author;
    std::string publisher;
    std::string tocPage;  // the table-of-contents page, also named among the sources
    bool embedFonts = false;
    std::string outputPath;
    std::vector<std::string> sources;
};

enum class ParseOutcome {
    Build,  // the options are complete
    Help,   // --help was asked for
    Error,  // the command line is wrong; the error text says why
};

ParseOutcome ParseBookOptions(const std::vector<std::string>& arguments, CBookOptions& options, std::string& error);

// The usage text, ending with a line feed.
std::string BookUsage();
