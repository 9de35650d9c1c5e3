#pragma once

// The program's pictures, drawn at run time in place of bitmap resources: the workspace
// banners (330-333, 735; 1200 x 120) and the icon strip of the icon column (301; six
// pictures of 32 x 32 side by side).

#include <QPixmap>

#include "platform/base/Types.h"

namespace leaf::app {

inline constexpr UINT IDB_WORKSPACE_ICONS = 301;
inline constexpr int kBannerWidth = 1200;
inline constexpr int kBannerHeight = 120;
inline constexpr int kWorkspaceIconSize = 32;
inline constexpr int kWorkspaceIconCount = 6;

// The picture with that id; a null pixmap for an id the program does not have.
QPixmap LoadStudioBitmap(UINT id);

}  // namespace leaf::app
