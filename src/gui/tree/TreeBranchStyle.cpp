#include "gui/tree/TreeBranchStyle.h"

#include <QStyleFactory>

namespace tovan {

TreeBranchStyle::TreeBranchStyle(QObject* owner)
    : m_lines(QStyleFactory::create(QStringLiteral("Windows"))) {
    setParent(owner);
}

TreeBranchStyle::~TreeBranchStyle() = default;

void TreeBranchStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                    QPainter* painter, const QWidget* widget) const {
    if (element == PE_IndicatorBranch && m_lines)
        m_lines->drawPrimitive(element, option, painter, widget);
    else
        QProxyStyle::drawPrimitive(element, option, painter, widget);
}

} // namespace tovan
