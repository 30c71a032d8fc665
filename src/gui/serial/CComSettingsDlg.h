#pragma once

#include "core/serial/ComSettingsForm.h"
#include "gui/serial/PortComboBox.h"

#include <QDialog>

#include <optional>

class QButtonGroup;

namespace tovan {

// The COM settings dialog (134): port, baud rate, parity, handshake and stop bits of the
// console's next open. Controls carry their ids as object names.
class CComSettingsDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int DIALOG_ID = 134;

    explicit CComSettingsDlg(const ComSettingsForm& values, QWidget* parent = nullptr,
                             PortComboBox::PortSource ports = nullptr);

    // The values as the controls hold them now.
    ComSettingsForm values() const;

    PortComboBox* portCombo() const { return m_port; }

private:
    void buildGroups();
    void fill(const ComSettingsForm& values);

    PortComboBox* m_port = nullptr;
    QComboBox* m_baud = nullptr;
    QButtonGroup* m_handshake = nullptr;
    QButtonGroup* m_parity = nullptr;
    QButtonGroup* m_stopBits = nullptr;
};

// Runs the dialog over a console's port settings. On OK the record is written and the texts
// for the status bar's port and baud panes are returned as the user entered them; on Cancel
// nothing changes.
std::optional<ComSettingsForm::StatusTexts> editComSettings(QWidget* parent,
                                                            PortSettings& settings);

} // namespace tovan
