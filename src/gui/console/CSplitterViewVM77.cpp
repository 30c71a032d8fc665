#include "gui/console/CSplitterViewVM77.h"

#include "core/wmbus/MeterKeyFile.h"
#include "gui/composer/CVM77PacketViewDlg.h"
#include "gui/shared/DialogService.h"
#include "gui/wmbus/ConsoleMeterKeys.h"

namespace tovan {

CSplitterViewVM77::CSplitterViewVM77(QWidget* parent) : CSplitterView(ModuleFamily::VM77, parent) {
    OnCreateClient();
    loadMeterKeys();
}

CPacketViewDlg* CSplitterViewVM77::createComposer(QWidget* parent) {
    return new CVM77PacketViewDlg(parent);
}

// The console decrypts with the keys of the default key file. What is wrong with the file is
// told once the console is on screen, not from inside its creation.
void CSplitterViewVM77::loadMeterKeys() {
    QString notice;
    console().traffic().setMeterKeys(ConsoleMeterKeys::load(MeterKeyFile::defaultPath(), notice));
    if (notice.isEmpty())
        return;
    QMetaObject::invokeMethod(
        this,
        [this, notice] {
            dialogs().messageBox(this, notice, ConsoleMeterKeys::caption(),
                                 DialogService::Icon::Warning, DialogService::Buttons::Ok);
        },
        Qt::QueuedConnection);
}

} // namespace tovan
