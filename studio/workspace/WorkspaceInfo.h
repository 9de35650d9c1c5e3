#pragma once

// One workspace of the program: its name and tooltip (string resources), the position of
// its picture in the icon strip, and the run-time class of its view. The application's
// workspace list holds one per workspace; index i is workspace command 50000 + i.

#include "platform/base/Archive.h"
#include "platform/base/CString.h"

// Workspace commands: 50000 + the workspace's index; the placeholder 50099 in a menu
// template stands for the list of workspace items.
inline constexpr UINT ID_WORKSPACE_FIRST = 50000;
inline constexpr UINT ID_WORKSPACE_LAST = 50098;
inline constexpr UINT ID_WORKSPACE_PLACEHOLDER = 50099;

class CWorkspaceInfo {
public:
    CWorkspaceInfo(UINT nameId, UINT tooltipId, int imageIndex, const CRuntimeClass* viewClass);

    CString m_name;
    CString m_tooltip;
    int m_imageIndex = 0;
    const CRuntimeClass* m_pViewClass = nullptr;
};
