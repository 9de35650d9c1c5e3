#pragma once

// CImageList: an indexed list of same-sized images for list and tree controls.

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <vector>

#include "platform/base/Types.h"

class CImageList {
public:
    BOOL Create(int cx, int cy);
    // Adds an image; returns its index. A strip wider than the image size is cut into
    // images of that width, left to right (the index of the first is returned).
    int Add(const QPixmap& image);
    int Add(const QIcon& icon);
    BOOL Remove(int index);   // -1 removes all
    int GetImageCount() const { return static_cast<int>(m_icons.size()); }
    QIcon GetIcon(int index) const;
    QSize GetImageSize() const { return m_size; }

private:
    QSize m_size{16, 16};
    std::vector<QIcon> m_icons;
};

inline constexpr int LVSIL_NORMAL = 0;
inline constexpr int LVSIL_SMALL = 1;
inline constexpr int TVSIL_NORMAL = 0;
