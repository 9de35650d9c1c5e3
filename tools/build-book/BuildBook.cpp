// build-book: builds an e-book from source files through the build control, as any
// automation client would, printing the build's progress and messages.
//
//   build-book [--title T] [--author A] [--publisher P] [--toc PAGE] [--embed-fonts]
//              OUTPUT.epub SOURCE...
//
// Exit status: 0 when the e-book was built (also when linked files were missing or
// outside the source folder: they are listed and left out); the control's error code
// when a step failed ("error N: details" on standard error); 2 for a wrong command
// line; 3 when the control cannot be created or called, or failed without a code.

#include <cstdio>
#include <string>
#include <vector>

#include "platform/com/ComRuntime.h"
#include "tools/build-book/BookBuilder.h"
#include "tools/build-book/BookOptions.h"

int main(int argc, char** argv) {
    // Progress lines appear as they happen, also through a pipe.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    std::vector<std::string> arguments(argv + 1, argv + argc);
    CBookOptions options;
    std::string error;
    switch (ParseBookOptions(arguments, options, error)) {
    case ParseOutcome::Help:
        std::fputs(BookUsage().c_str(), stdout);
        return 0;
    case ParseOutcome::Error:
        std::fprintf(stderr, "build-book: %s\n%s", error.c_str(), BookUsage().c_str());
        return kExitUsage;
    case ParseOutcome::Build:
        break;
    }

    CoInitialize(nullptr);
    int status = CBookBuilder(stdout, stderr).Build(options);
    CoUninitialize();
    return status;
}
