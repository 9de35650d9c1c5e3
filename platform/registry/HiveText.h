#pragma once

// Reading and writing a hive in the registry export syntax:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Example]
//   @="the default value"
//   "Name"="text with \\ and \" escaped"
//   "Count"=dword:0000002a
//   "Bytes"=hex:01,ff
//   "Path"=hex(2):25,54,4d,50,25,00
//
//   ; end of registry hive
//
// Every key has a section of its own (so empty keys are kept), written parent first,
// children in creation order. Strings holding a line break are written as hex(1).
// Expandable and multi-strings (hex(2), hex(7)) hold their UTF-8 bytes, terminating
// NULs included. Other types are written as hex(N). Hex data may run over several lines
// ending in '\'. The closing comment line marks a complete file: a file without it
// was cut short and is rejected, as is any line that does not parse and any section
// deeper than kMaxKeyDepth below the root.

#include <optional>
#include <string>
#include <string_view>

#include "platform/registry/RegistryTree.h"

namespace leaf::registry {

// The tree held by the text, whose sections must all lie below rootName; nullopt when
// the text is malformed or incomplete.
std::optional<RegistryNode> ParseHiveText(std::string_view text, std::string_view rootName);

// The text of a hive whose root key is called rootName.
std::string FormatHiveText(const RegistryNode& root, std::string_view rootName);

// Whether a key or value name can be stored: no line breaks and no NUL.
bool IsStorableName(std::string_view name);

}  // namespace leaf::registry
