#pragma once

#include <QObject>
#include <QPixmap>

class QWidget;

namespace tovan {

// Paints the main window's client area where no console covers it: white, with the
// workbench's picture (700 x 248) centred, cut on both sides when the area is narrower, and
// centred again whenever the area changes size. It takes over the MDI area's own background.
class CClientBackgroundWnd : public QObject {
    Q_OBJECT
public:
    static constexpr int PICTURE_WIDTH = 700;
    static constexpr int PICTURE_HEIGHT = 248;

    // Attaches to `client` (the MDI area's viewport), which then paints through this object.
    explicit CClientBackgroundWnd(QWidget* client);

    // Where the picture's top-left corner goes in a client area of this size.
    static QPoint pictureOrigin(const QSize& client);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_client;
    QPixmap m_picture;
};

} // namespace tovan
