#include "platform/twips.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace zek::platform {

int twipsPerPixel(Axis axis) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return DefaultTwipsPerPixel;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return DefaultTwipsPerPixel;
    const double dpi = axis == Axis::X ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY();
    if (!(dpi > 0))
        return DefaultTwipsPerPixel;
    return qMax(1, int(std::lround(TwipsPerInch / dpi)));
}

int twipsPerPixelX() {
    return twipsPerPixel(Axis::X);
}
int twipsPerPixelY() {
    return twipsPerPixel(Axis::Y);
}

int pixelsToTwips(int px, Axis axis) {
    return px * twipsPerPixel(axis);
}

int twipsToPixels(int tw, Axis axis) {
    return int(std::lround(double(tw) / twipsPerPixel(axis)));
}

} // namespace zek::platform
