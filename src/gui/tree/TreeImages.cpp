#include "gui/tree/TreeImages.h"

#include <QBitmap>
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPolygon>

#include <functional>

namespace tovan {

namespace {

const QColor OUTLINE_FOLDER(0x80, 0x60, 0x00);
const QColor FOLDER_FRONT(0xF8, 0xD0, 0x48);
const QColor FOLDER_BACK(0xD8, 0xA8, 0x28);
const QColor FOLDER_LIGHT(0xFF, 0xF0, 0xA0);
const QColor SHEET(0xE0, 0xEC, 0xFF);
const QColor SHEET_OUTLINE(0x30, 0x40, 0x70);
const QColor SHEET_TEXT(0x20, 0x60, 0xD0);

// Draws on white and then treats white as transparent, as the tree's image list does.
QPixmap picture(const std::function<void(QPainter&)>& draw) {
    QImage image(TREE_IMAGE_WIDTH, TREE_IMAGE_HEIGHT, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        draw(painter);
    }
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setMask(pixmap.createMaskFromColor(Qt::white, Qt::MaskInColor));
    return pixmap;
}

void drawFolderBack(QPainter& p, const QColor& body) {
    p.setPen(OUTLINE_FOLDER);
    p.setBrush(body);
    p.drawPolygon(QPolygon({QPoint(1, 2), QPoint(2, 1), QPoint(5, 1), QPoint(6, 2)}));
    p.drawRect(0, 2, 12, 9);
}

// A stored command: a sheet of hex lines.
QPixmap commandPicture() {
    return picture([](QPainter& p) {
        p.setPen(SHEET_OUTLINE);
        p.setBrush(SHEET);
        p.drawPolygon(
            QPolygon({QPoint(2, 0), QPoint(8, 0), QPoint(11, 3), QPoint(11, 11), QPoint(2, 11)}));
        p.drawLine(8, 0, 8, 3);
        p.drawLine(8, 3, 11, 3);
        p.setPen(SHEET_TEXT);
        for (int y = 5; y <= 9; y += 2)
            p.drawLine(4, y, 9, y);
    });
}

QPixmap folderPicture() {
    return picture([](QPainter& p) {
        drawFolderBack(p, FOLDER_FRONT);
        p.setPen(FOLDER_LIGHT);
        p.drawLine(1, 3, 11, 3);
    });
}

QPixmap openFolderPicture() {
    return picture([](QPainter& p) {
        drawFolderBack(p, FOLDER_BACK);
        p.setPen(OUTLINE_FOLDER);
        p.setBrush(FOLDER_FRONT);
        p.drawPolygon(QPolygon({QPoint(3, 5), QPoint(13, 5), QPoint(10, 11), QPoint(0, 11)}));
    });
}

} // namespace

QList<QPixmap> treeImageList(ModuleFamily family) {
    const QPixmap command = commandPicture();
    const QPixmap open = openFolderPicture();
    // Slot 1 (and slot 4 of the second family) is never shown by the tree.
    QList<QPixmap> images{command, command, folderPicture(), open};
    if (family == ModuleFamily::VM77)
        images.append(open);
    return images;
}

} // namespace tovan
