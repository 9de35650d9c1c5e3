#pragma once

// The shell's folder browser: the person picks a folder through the people seam
// (PeopleService::ChooseFolder), so a test answers it from a script.

#include "platform/base/CString.h"
#include "platform/ui/WinDefs.h"

class CWnd;

inline constexpr UINT BIF_RETURNONLYFSDIRS = 0x0001;
inline constexpr UINT BIF_DONTGOBELOWDOMAIN = 0x0002;
inline constexpr UINT BIF_RETURNFSANCESTORS = 0x0008;

namespace leaf::ui {

// The folder chosen, without a trailing '/' (except the root itself); empty when the
// person cancels. With BIF_RETURNONLYFSDIRS only an existing folder of the file system
// is an answer: anything else counts as cancelled.
CString BrowseForFolder(CWnd* owner, const char* title, UINT flags, const char* initialFolder = nullptr);

}  // namespace leaf::ui
