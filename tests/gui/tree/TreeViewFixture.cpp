#include "tests/gui/tree/TreeViewFixture.h"

#include "core/tree/CommandListHeader.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>

#include <fstream>

using namespace tovan;

void TreeViewTest::SetUp() {
    view.setConsoleWindow(&console);
    view.setRootItem(QStringLiteral("VX31"));
    view.resize(320, 480);
    view.show();
}

void TreeViewTest::load(const std::string& records) {
    const std::string path = dir.path("list.tcs");
    ASSERT_TRUE(writeListHeader(path, "VX31"));
    std::ofstream(path, std::ios::binary | std::ios::app) << records;
    ASSERT_TRUE(view.reloadList(path));
    view.expandAll();
}

QTreeWidgetItem* TreeViewTest::find(const char* label) const {
    const auto found =
        view.findItems(QString::fromLatin1(label), Qt::MatchExactly | Qt::MatchRecursive);
    EXPECT_EQ(found.size(), 1) << label;
    return found.value(0);
}

namespace {

std::string entryOf(const CControlTreeView& tree, const QTreeWidgetItem* item) {
    const std::uint32_t id = CControlTreeView::itemId(item);
    const std::uint8_t* data = tree.store().entryData(id);
    std::string text;
    for (std::uint32_t i = 0; data && i < tree.store().entryLength(id); ++i)
        text += data[i] ? std::string(1, static_cast<char>(data[i])) : std::string("\\0");
    return text;
}

void dumpBelow(const CControlTreeView& tree, const QTreeWidgetItem* item, int depth,
               std::string& out) {
    for (int i = 0; i < item->childCount(); ++i) {
        const QTreeWidgetItem* child = item->child(i);
        out += std::string(2 * depth, ' ') + child->text(0).toStdString();
        const bool command = tree.store().entryLength(CControlTreeView::itemId(child)) > 0;
        out += command ? " = " + entryOf(tree, child) + "\n" : "/\n";
        dumpBelow(tree, child, depth + 1, out);
    }
}

} // namespace

std::string TreeViewTest::entry(const QTreeWidgetItem* item) const {
    return entryOf(view, item);
}

std::string TreeViewTest::dump() const {
    return dump(view);
}

std::string TreeViewTest::dump(const CControlTreeView& tree) {
    std::string out;
    dumpBelow(tree, tree.rootItem(), 0, out);
    return out;
}

QLineEdit* TreeViewTest::editor() const {
    for (QLineEdit* edit : view.viewport()->findChildren<QLineEdit*>())
        if (edit->isVisible())
            return edit;
    return nullptr;
}

void TreeViewTest::finishEdit(const QString& label, bool cancel) {
    QLineEdit* edit = editor();
    ASSERT_NE(edit, nullptr);
    edit->setText(label);
    QTest::keyClick(edit, cancel ? Qt::Key_Escape : Qt::Key_Return);
    QCoreApplication::processEvents(); // Return commits through a queued call
    ASSERT_EQ(editor(), nullptr);
}

void TreeViewTest::dragAndDrop(QTreeWidgetItem* source, QTreeWidgetItem* target) {
    view.beginDrag(source);
    QMimeData mime;
    mime.setData(QLatin1String(TREE_ITEM_MIME), QByteArray());
    const QPoint at = view.visualItemRect(target).center();
    QDragEnterEvent enter(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view.viewport(), &enter);
    QDragMoveEvent move(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view.viewport(), &move);
    highlighted = view.dropHighlightItem() == target;
    QDropEvent drop(QPointF(at), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view.viewport(), &drop);
}
