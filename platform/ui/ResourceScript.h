#pragma once

// The resource script: the one text format of the layer's templates (string tables,
// dialogs, menus, accelerator tables). It holds ids and texts only; positions and sizes
// come from Qt layouts. The reader needs no Qt.
//
//   # a comment runs to the end of the line
//   strings
//     7000 "HTML"
//   end
//   dialog 7000 "Caption" child
//     row
//       checkbox 7000 "Process linked documents:"
//       edit 7001 number
//       updown 7002 buddy=7001
//     end
//   end
//   menu 100
//     popup "&File"
//       item 40000 "&New\tCtrl+N"
//       separator
//     end
//   end
//   accelerators 100
//     40000 "Ctrl+N"
//   end
//   toolbar 100
//     button 40000
//     separator
//   end
//
// A line is a keyword followed by, in any order: the id (the first number), the text
// (the first quoted string; \" \\ \n \t escapes), options "name=value" and bare flags.
// A line that starts with a number is an entry (of a string table or an accelerator
// table). The keywords dialog, menu, popup, row, column, groupbox, strings, accelerators
// and toolbar open a block that "end" closes.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace leaf::ui {

struct ResourceNode {
    std::string kind;                 // keyword; empty for an entry line
    int id = -1;                      // -1 when the line has none (a static's "no id")
    bool hasId = false;
    std::string text;
    bool hasText = false;
    std::vector<std::string> flags;
    std::map<std::string, std::string> options;
    std::vector<ResourceNode> children;
    int line = 0;

    bool HasFlag(std::string_view flag) const;
    // The option's value, or `fallback` when the line does not name it.
    std::string Option(std::string_view name, std::string_view fallback = {}) const;
    int IntOption(std::string_view name, int fallback) const;
};

struct ResourceScriptError {
    int line = 0;
    std::string message;
};

// Reads a whole script into its top-level blocks. On malformed input returns nothing
// and describes the first fault in `error`.
std::optional<std::vector<ResourceNode>> ParseResourceScript(std::string_view text,
                                                             ResourceScriptError* error = nullptr);

}  // namespace leaf::ui
