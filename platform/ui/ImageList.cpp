#include "platform/ui/ImageList.h"

BOOL CImageList::Create(int cx, int cy) {
    if (cx <= 0 || cy <= 0) return FALSE;
    m_size = QSize(cx, cy);
    m_icons.clear();
    return TRUE;
}

int CImageList::Add(const QPixmap& image) {
    if (image.isNull()) return -1;
    int first = GetImageCount();
    if (image.width() > m_size.width()) {
        for (int x = 0; x + m_size.width() <= image.width(); x += m_size.width())
            m_icons.emplace_back(image.copy(x, 0, m_size.width(), image.height()));
    } else {
        m_icons.emplace_back(image);
    }
    return first;
}

int CImageList::Add(const QIcon& icon) {
    if (icon.isNull()) return -1;
    m_icons.push_back(icon);
    return GetImageCount() - 1;
}

BOOL CImageList::Remove(int index) {
    if (index == -1) {
        m_icons.clear();
        return TRUE;
    }
    if (index < 0 || index >= GetImageCount()) return FALSE;
    m_icons.erase(m_icons.begin() + index);
    return TRUE;
}

QIcon CImageList::GetIcon(int index) const {
    return index >= 0 && index < GetImageCount() ? m_icons[static_cast<size_t>(index)] : QIcon();
}
