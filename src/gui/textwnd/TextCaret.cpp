#include "gui/textwnd/TextCaret.h"

#include <QPainter>

namespace tovan {

namespace {

QColor inverse(const QColor& c) {
    return QColor(255 - c.red(), 255 - c.green(), 255 - c.blue());
}

} // namespace

TextCaret::TextCaret(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    hide();
}

void TextCaret::setBackgrounds(const QColor& left, const QColor& right) {
    const QColor l = inverse(left);
    const QColor r = inverse(right);
    if (l == m_left && r == m_right)
        return;
    m_left = l;
    m_right = r;
    update();
}

void TextCaret::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int half = width() / 2;
    painter.fillRect(0, 0, half, height(), m_left);
    painter.fillRect(half, 0, width() - half, height(), m_right);
}

} // namespace tovan
