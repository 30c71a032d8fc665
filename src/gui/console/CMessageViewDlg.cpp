#include "gui/console/CMessageViewDlg.h"

#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QVBoxLayout>

namespace tovan {

CMessageViewDlg::CMessageViewDlg(QWidget* parent) : QWidget(parent) {
    setObjectName(QString::number(FORM_ID));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("picture"));
    picture->setPixmap(QPixmap(QStringLiteral(":/tovan/pictures/logo.png")));
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(picture, 0, Qt::AlignLeft | Qt::AlignTop);
    layout->addStretch(1);
    resize(200, 50);
}

} // namespace tovan
