#include "platform/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace brelune {

int twips(int value) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return int(std::lround(value * dpi / 1440.0));
}

QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

} // namespace brelune
