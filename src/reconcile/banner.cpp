#include "reconcile/banner.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace brelune {

// A dusk sky over a wave, with ticks like the marks on a checked statement.
QImage pointageBanner() {
    constexpr int kWidth = 864;
    constexpr int kHeight = 32;
    QImage image(kWidth, kHeight, QImage::Format_RGB888);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, kWidth, 0);
    sky.setColorAt(0.0, QColor(30, 60, 140));
    sky.setColorAt(0.5, QColor(90, 170, 200));
    sky.setColorAt(1.0, QColor(250, 210, 110));
    p.fillRect(image.rect(), sky);

    QPainterPath wave(QPointF(0, kHeight));
    for (int x = 0; x <= kWidth; x += 4)
        wave.lineTo(x, 22 + 4 * std::sin(x / 36.0));
    wave.lineTo(kWidth, kHeight);
    wave.closeSubpath();
    p.fillPath(wave, QColor(20, 90, 110));

    p.setPen(QPen(QColor(255, 255, 192), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (int x = 24; x < kWidth; x += 72) {
        const qreal y = 6 + (x / 72 % 3) * 2;
        p.drawPolyline(QPolygonF{QPointF(x, y + 5), QPointF(x + 4, y + 9), QPointF(x + 12, y)});
    }
    return image;
}

} // namespace brelune
