#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

namespace tovan {

// The forms and dialogs are laid out in dialog units of an 8-point "MS Sans Serif", whose
// average character is 6 x 13 pixels: one unit is a quarter of that width and an eighth of
// that height. Converting with these fixed factors keeps the pixel positions the composer's
// field layout relies on.
namespace dlu {

constexpr int toX(int units) {
    return units * 6 / 4;
}
constexpr int toY(int units) {
    return (units * 13 + 4) / 8;
}
inline QRect toPixels(int x, int y, int width, int height) {
    return QRect(toX(x), toY(y), toX(width), toY(height));
}
inline QSize toPixels(QSize units) {
    return QSize(toX(units.width()), toY(units.height()));
}

// A sans-serif font of the size those units were measured with.
inline QFont dialogFont() {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setPixelSize(11);
    return font;
}

} // namespace dlu
} // namespace tovan
