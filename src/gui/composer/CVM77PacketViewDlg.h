#pragma once

#include "gui/composer/CPacketViewDlg.h"

namespace tovan {

// Composer form of the second family (form 139): Preamble, a one-byte Cmd, Length, Data and
// Checksum. With the Cmd field left empty, Save builds the raw form "@LL data".
class CVM77PacketViewDlg : public CPacketViewDlg {
    Q_OBJECT
public:
    static constexpr int FORM_ID = 139;

    explicit CVM77PacketViewDlg(QWidget* parent = nullptr);
};

} // namespace tovan
