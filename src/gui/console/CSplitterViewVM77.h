#pragma once

#include "gui/console/CSplitterView.h"

namespace tovan {

// The console of the second family (module VM77, wireless M-Bus): adds "Parse RX data" and
// "Testsequence", and decrypts the telegrams of the meters whose keys the key file holds.
class CSplitterViewVM77 : public CSplitterView {
    Q_OBJECT
public:
    static constexpr int MENU_ID = 138;

    explicit CSplitterViewVM77(QWidget* parent = nullptr);
    int menuId() const override { return MENU_ID; }

protected:
    CPacketViewDlg* createComposer(QWidget* parent) override;
    QString rootLabel() const override { return QStringLiteral("VM77-M"); }

private:
    void loadMeterKeys();
};

} // namespace tovan
