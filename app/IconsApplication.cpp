// The application icon: a frame of film with a ball caught in flight. The geometry is that
// of resources/zeltiff16.svg (a 256 x 256 canvas); change both together.

#include "app/Icons.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>

namespace zel::gui {
namespace {

constexpr int kCanvas = 256;

void DrawFilm(QPainter& painter) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x2b, 0x2b, 0x2b));
    painter.drawRoundedRect(QRectF(16, 32, 224, 192), 20, 20);

    painter.setBrush(QColor(0xf0, 0xf0, 0xf0));
    for (int hole = 0; hole < 5; ++hole) {
        const qreal x = 36 + 40 * hole;
        painter.drawRoundedRect(QRectF(x, 46, 24, 20), 4, 4);
        painter.drawRoundedRect(QRectF(x, 190, 24, 20), 4, 4);
    }
}

void DrawPicture(QPainter& painter) {
    QLinearGradient sky(0, 80, 0, 176);
    sky.setColorAt(0, QColor(0x1f, 0x5f, 0xb0));
    sky.setColorAt(1, QColor(0x9f, 0xd0, 0xf5));
    painter.setBrush(sky);
    painter.drawRoundedRect(QRectF(36, 80, 184, 96), 6, 6);

    // Streaks behind the ball say it moves fast.
    painter.setBrush(QColor(0xff, 0xff, 0xff, 0xc0));
    painter.drawRoundedRect(QRectF(64, 110, 80, 8), 4, 4);
    painter.drawRoundedRect(QRectF(52, 124, 92, 8), 4, 4);
    painter.drawRoundedRect(QRectF(64, 138, 80, 8), 4, 4);

    painter.setBrush(QColor(0xff, 0xc8, 0x28));
    painter.drawEllipse(QPointF(168, 128), 24, 24);
}

QPixmap RenderApplicationIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(static_cast<qreal>(size) / kCanvas, static_cast<qreal>(size) / kCanvas);
    DrawFilm(painter);
    DrawPicture(painter);
    painter.end();
    return QPixmap::fromImage(image);
}

}  // namespace

QIcon ApplicationIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 256}) {
        icon.addPixmap(RenderApplicationIcon(size));
    }
    return icon;
}

}  // namespace zel::gui
