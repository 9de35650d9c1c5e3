#include "studio/workspace/StudioBitmaps.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "platform/ui/Resources.h"

namespace leaf::app {

namespace {

struct BannerStyle {
    UINT id;
    UINT titleString;   // the workspace's name
    QColor from;
    QColor to;
};

const BannerStyle kBanners[] = {
    {330, 518, QColor(16, 64, 48), QColor(96, 160, 112)},
    {331, 519, QColor(24, 48, 96), QColor(112, 144, 200)},
    {332, 520, QColor(80, 40, 16), QColor(200, 144, 80)},
    {333, 521, QColor(64, 24, 64), QColor(168, 112, 168)},
    {735, 576, QColor(32, 32, 32), QColor(128, 128, 128)},
};

QPixmap DrawBanner(const BannerStyle& style) {
    QPixmap banner(kBannerWidth, kBannerHeight);
    QPainter painter(&banner);
    QLinearGradient gradient(0, 0, kBannerWidth, 0);
    gradient.setColorAt(0, style.from);
    gradient.setColorAt(1, style.to);
    painter.fillRect(banner.rect(), gradient);
    // A leaf outline at the left, then the workspace's name.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(255, 255, 255, 160), 3));
    QPainterPath leaf;
    leaf.moveTo(24, 96);
    leaf.cubicTo(24, 40, 64, 20, 104, 20);
    leaf.cubicTo(104, 64, 80, 96, 24, 96);
    leaf.moveTo(24, 96);
    leaf.lineTo(80, 44);
    painter.drawPath(leaf);
    QFont font = painter.font();
    font.setPointSize(24);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    CString title = ui::LoadResString(style.titleString);
    painter.drawText(QRect(128, 0, kBannerWidth - 140, kBannerHeight), Qt::AlignVCenter | Qt::AlignLeft,
                     QString::fromStdString(title.str()));
    return banner;
}

// Six 32 x 32 pictures: a page stack, a property list, a contents tree, a cover, a
// signpost and a spare leaf. Magenta is the transparent colour.
QPixmap DrawIconStrip() {
    QPixmap strip(kWorkspaceIconSize * kWorkspaceIconCount, kWorkspaceIconSize);
    strip.fill(QColor(255, 0, 255));
    QPainter painter(&strip);
    painter.setRenderHint(QPainter::Antialiasing);
    auto cell = [](int index) { return QRect(index * kWorkspaceIconSize, 0, kWorkspaceIconSize, kWorkspaceIconSize); };
    painter.setPen(QPen(Qt::black, 1));

    QRect r = cell(0);   // source files: stacked pages
    for (int i = 2; i >= 0; --i) {
        painter.setBrush(i == 0 ? Qt::white : QColor(220, 220, 220));
        painter.drawRect(r.left() + 6 + i * 3, r.top() + 4 + i * 3, 16, 20);
    }
    r = cell(1);   // properties: a list with bullets
    painter.setBrush(QColor(240, 240, 200));
    painter.drawRect(r.adjusted(5, 4, -5, -4));
    for (int line = 0; line < 4; ++line) painter.drawLine(r.left() + 10, r.top() + 10 + line * 5, r.right() - 9, r.top() + 10 + line * 5);
    r = cell(2);   // table of contents: indented lines
    painter.setBrush(Qt::white);
    painter.drawRect(r.adjusted(5, 4, -5, -4));
    for (int line = 0; line < 4; ++line)
        painter.drawLine(r.left() + 9 + (line % 2) * 4, r.top() + 10 + line * 5, r.right() - 9, r.top() + 10 + line * 5);
    r = cell(3);   // cover page: a book cover
    painter.setBrush(QColor(60, 110, 170));
    painter.drawRect(r.adjusted(7, 3, -7, -3));
    painter.setBrush(Qt::white);
    painter.drawRect(r.left() + 11, r.top() + 8, 10, 6);
    r = cell(4);   // navigation: a signpost
    painter.setBrush(QColor(150, 100, 50));
    painter.drawRect(r.left() + 15, r.top() + 6, 3, 22);
    painter.setBrush(QColor(230, 200, 80));
    painter.drawPolygon(QPolygon({QPoint(r.left() + 6, r.top() + 8), QPoint(r.left() + 24, r.top() + 8),
                                  QPoint(r.left() + 28, r.top() + 12), QPoint(r.left() + 24, r.top() + 16),
                                  QPoint(r.left() + 6, r.top() + 16)}));
    r = cell(5);   // a leaf
    painter.setBrush(QColor(80, 160, 80));
    painter.drawEllipse(r.adjusted(6, 8, -6, -8));
    return strip;
}

}  // namespace

QPixmap LoadStudioBitmap(UINT id) {
    if (id == IDB_WORKSPACE_ICONS) return DrawIconStrip();
    for (const BannerStyle& style : kBanners)
        if (style.id == id) return DrawBanner(style);
    return QPixmap();
}

}  // namespace leaf::app
