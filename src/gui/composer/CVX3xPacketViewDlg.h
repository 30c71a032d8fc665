#pragma once

#include "gui/composer/CPacketViewDlg.h"

namespace tovan {

// Composer form of the first family (form 136): Preamble, Length, a two-byte Command, Data
// and Checksum, in the byte order of its frames.
class CVX3xPacketViewDlg : public CPacketViewDlg {
    Q_OBJECT
public:
    static constexpr int FORM_ID = 136;

    explicit CVX3xPacketViewDlg(QWidget* parent = nullptr);
};

} // namespace tovan
