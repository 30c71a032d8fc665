#pragma once

#include <QStyledItemDelegate>

#include <functional>

namespace tovan {

// A label as the tree can keep it: list files hold one Latin-1 byte per character, so every
// character beyond Latin-1, and every control character (which would break the file's lines),
// becomes '?'. One '?' per character, also for characters outside the basic plane.
QString storableLabel(const QString& typed);

// Draws the items of the command tree and ends their label editing. An edited label is made
// storable before it is set, so the user sees at once what will be saved; an edit that
// changes nothing is not reported.
class TreeLabelDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Called after a label was changed by editing.
    void setLabelEditedHandler(std::function<void(const QModelIndex&)> handler) {
        m_labelEdited = std::move(handler);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

protected:
    // The target of a drag is shown highlighted like a selected item.
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    std::function<void(const QModelIndex&)> m_labelEdited;
};

} // namespace tovan
