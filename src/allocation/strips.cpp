#include "allocation/strips.h"

#include <QLinearGradient>
#include <QPainter>
#include <cmath>

namespace brelune {

QImage ventilationStrip(int k) {
    constexpr int kWidth = 864;
    constexpr int kHeight = 32;
    static const QColor skies[3][2] = {{QColor(250, 230, 120), QColor(240, 140, 60)},
                                       {QColor(150, 210, 250), QColor(120, 200, 120)},
                                       {QColor(90, 100, 120), QColor(250, 220, 110)}};
    QImage image(kWidth, kHeight, QImage::Format_RGB888);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, kWidth, 0);
    sky.setColorAt(0.0, skies[k][0]);
    sky.setColorAt(1.0, skies[k][1]);
    p.fillRect(image.rect(), sky);
    p.setPen(Qt::NoPen);
    for (int x = 12, i = 0; x < kWidth; x += 48, ++i) {
        if (k == 0) { // sparks wandering up and down
            p.setBrush(QColor(255, 255, 255, 180));
            p.drawEllipse(QPointF(x, 16 + 9 * std::sin(i * 1.3)), 4, 4);
        } else if (k == 1) { // rolling hills
            p.setBrush(QColor(40, 130 + (i % 3) * 20, 60));
            p.drawEllipse(QPointF(x, kHeight + 4), 30, 14 + (i % 4) * 3);
        } else if (x < kWidth / 2) { // rain drops, then the sun's rays
            p.setBrush(QColor(200, 220, 255));
            p.drawEllipse(QPointF(x, 8 + (i % 3) * 8), 2, 4);
        } else {
            p.setBrush(QColor(255, 250, 200));
            p.drawEllipse(QPointF(x, 16), 6, 6);
        }
    }
    return image;
}

} // namespace brelune
