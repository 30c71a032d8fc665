#pragma once

#include <QProxyStyle>

#include <memory>

namespace tovan {

// The application's style with the branch decoration of classic tree views: dotted lines
// connecting the items and boxed expand buttons, so the folder structure reads at a glance
// whatever the desktop's style draws there.
class TreeBranchStyle : public QProxyStyle {
    Q_OBJECT
public:
    explicit TreeBranchStyle(QObject* owner);
    ~TreeBranchStyle() override;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;

private:
    std::unique_ptr<QStyle> m_lines;
};

} // namespace tovan
