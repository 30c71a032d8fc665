#include "gui/tree/TreeLabelDelegate.h"

#include "gui/tree/ControlTreeItems.h"

#include <QLineEdit>

namespace tovan {

QString storableLabel(const QString& typed) {
    QString label;
    label.reserve(typed.size());
    for (const char32_t c : typed.toUcs4())
        label += (c < 0x20 || c > 0xFF) ? QChar(u'?') : QChar(static_cast<char16_t>(c));
    return label;
}

void TreeLabelDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                     const QModelIndex& index) const {
    const auto* edit = qobject_cast<QLineEdit*>(editor);
    if (!edit) {
        QStyledItemDelegate::setModelData(editor, model, index);
        return;
    }
    const QString label = storableLabel(edit->text());
    if (label == index.data(Qt::EditRole).toString())
        return;
    model->setData(index, label, Qt::EditRole);
    if (m_labelEdited)
        m_labelEdited(index);
}

void TreeLabelDelegate::initStyleOption(QStyleOptionViewItem* option,
                                        const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.data(DROP_HIGHLIGHT_ROLE).toBool())
        option->state |= QStyle::State_Selected;
}

} // namespace tovan
