#include "gui/app/CClientBackgroundWnd.h"

#include <QEvent>
#include <QPainter>
#include <QWidget>

namespace tovan {

CClientBackgroundWnd::CClientBackgroundWnd(QWidget* client)
    : QObject(client), m_client(client),
      m_picture(QStringLiteral(":/tovan/pictures/background.png")) {
    client->installEventFilter(this);
}

QPoint CClientBackgroundWnd::pictureOrigin(const QSize& client) {
    // Integer division rounds towards zero, as the picture's placement always has.
    return QPoint((client.width() - PICTURE_WIDTH) / 2, (client.height() - PICTURE_HEIGHT) / 2);
}

bool CClientBackgroundWnd::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_client)
        return false;
    if (event->type() == QEvent::Paint) {
        QPainter painter(m_client);
        painter.fillRect(m_client->rect(), Qt::white);
        painter.drawPixmap(pictureOrigin(m_client->size()), m_picture);
        return true;
    }
    if (event->type() == QEvent::Resize)
        m_client->update();
    return false;
}

} // namespace tovan
