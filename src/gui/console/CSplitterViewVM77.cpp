#include "gui/console/CSplitterViewVM77.h"

#include "gui/composer/CVM77PacketViewDlg.h"

namespace tovan {

CSplitterViewVM77::CSplitterViewVM77(QWidget* parent) : CSplitterView(ModuleFamily::VM77, parent) {
    OnCreateClient();
}

CPacketViewDlg* CSplitterViewVM77::createComposer(QWidget* parent) {
    return new CVM77PacketViewDlg(parent);
}

} // namespace tovan
