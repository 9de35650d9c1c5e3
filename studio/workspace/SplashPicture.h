#pragma once

// The splash picture (bitmap 300, 557 x 407), drawn at run time in place of a bitmap
// resource.

#include <QPixmap>

#include "platform/base/Types.h"

namespace leaf::app {

inline constexpr int kSplashWidth = 557;
inline constexpr int kSplashHeight = 407;

// The picture with that id (300); a null pixmap for any other id.
QPixmap LoadSplashPicture(UINT id);

}  // namespace leaf::app
