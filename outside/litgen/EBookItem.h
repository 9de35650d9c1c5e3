#pragma once

// One item of the e-book as the compiler keeps it: what the package says of it and the
// content the control streamed.

#include <cstdint>
#include <string>

struct CEBookItem {
    enum class Kind { Package, Css, Html, Binary };
    enum class State { Waiting, Streaming, Ended };

    Kind kind = Kind::Binary;
    std::string id;
    std::string href;       // relative to the work folder, '/' separated
    std::string mediaType;
    std::string filePath;   // the work copy: work folder + href
    State state = State::Waiting;
    std::string content;    // while it streams, and after when it could not be spooled
    bool spooled = false;   // the content was moved to the writer's spool file
    std::uint64_t spoolOffset = 0;
    std::uint64_t spoolLength = 0;
};
