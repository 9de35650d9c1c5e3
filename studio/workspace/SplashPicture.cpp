#include "studio/workspace/SplashPicture.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace leaf::app {

QPixmap LoadSplashPicture(UINT id) {
    if (id != 300)
        return QPixmap();
    QPixmap picture(kSplashWidth, kSplashHeight);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient background(0, 0, 0, kSplashHeight);
    background.setColorAt(0.0, QColor(0x1F, 0x4E, 0x3D));
    background.setColorAt(1.0, QColor(0x0B, 0x26, 0x1C));
    painter.fillRect(picture.rect(), background);

    // A leaf: two arcs meeting at the tips, with its middle vein.
    QPainterPath leaf;
    leaf.moveTo(380, 300);
    leaf.cubicTo(360, 180, 430, 90, 520, 60);
    leaf.cubicTo(530, 160, 480, 280, 380, 300);
    painter.fillPath(leaf, QColor(0x7C, 0xC5, 0x5A));
    painter.setPen(QPen(QColor(0x3E, 0x7D, 0x2E), 3));
    painter.drawLine(QPointF(385, 295), QPointF(510, 75));

    painter.setPen(Qt::white);
    QFont title("Serif", 40, QFont::Bold);
    painter.setFont(title);
    painter.drawText(QRect(36, 110, 360, 70), Qt::AlignLeft | Qt::AlignVCenter, "Leafcraft");
    QFont subtitle("Sans", 13);
    painter.setFont(subtitle);
    painter.setPen(QColor(0xDD, 0xEE, 0xDD));
    painter.drawText(QRect(40, 180, 340, 30), Qt::AlignLeft | Qt::AlignVCenter, "eBook authoring");
    painter.setFont(QFont("Sans", 9));
    painter.drawText(QRect(40, 360, 480, 24), Qt::AlignLeft | Qt::AlignVCenter, "Tallbrook Systems, Inc.");
    return picture;
}

}  // namespace leaf::app
