#include "gui/console/CVX3xSplitterView.h"

#include "gui/composer/CVX3xPacketViewDlg.h"

namespace tovan {

CVX3xSplitterView::CVX3xSplitterView(QWidget* parent) : CSplitterView(ModuleFamily::VX31, parent) {
    OnCreateClient();
}

CPacketViewDlg* CVX3xSplitterView::createComposer(QWidget* parent) {
    return new CVX3xPacketViewDlg(parent);
}

} // namespace tovan
