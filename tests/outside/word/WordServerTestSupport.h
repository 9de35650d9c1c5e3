#pragma once

// Registers the built Word stand-in (WordServer.so) into the test process's registry, with
// the office program it should use (LEAF_SOFFICE): "/bin/true" stands for an installed
// suite where a test needs none of its work, "" for none installed.

#include <string>

#include "platform/com/HResult.h"

namespace leaf::test {

// The result of the module's DllRegisterServer.
HRESULT RegisterWordServer(const std::string& officeProgram);
// The installed office program ("" when none): a test that needs real conversions skips
// without it.
std::string InstalledOfficeProgram();

}  // namespace leaf::test
