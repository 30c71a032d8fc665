#pragma once

#include <QColor>
#include <QWidget>

namespace tovan {

// The traffic window's caret: a bar two pixels wide and one line tall. Each of its two pixel
// columns takes the inverse of the cell background beneath it, so it shows on white and on a
// selection alike.
class TextCaret : public QWidget {
public:
    explicit TextCaret(QWidget* parent);
    void setBackgrounds(const QColor& left, const QColor& right);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_left = Qt::black;
    QColor m_right = Qt::black;
};

} // namespace tovan
