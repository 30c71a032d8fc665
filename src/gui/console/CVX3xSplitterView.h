#pragma once

#include "gui/console/CSplitterView.h"

namespace tovan {

// The console of the first family (module VX31).
class CVX3xSplitterView : public CSplitterView {
    Q_OBJECT
public:
    static constexpr int MENU_ID = 130;

    explicit CVX3xSplitterView(QWidget* parent = nullptr);
    int menuId() const override { return MENU_ID; }

protected:
    CPacketViewDlg* createComposer(QWidget* parent) override;
    QString rootLabel() const override { return QStringLiteral("VX31"); }
};

} // namespace tovan
