#pragma once

#include "core/serial/ComSettingsForm.h"
#include "gui/serial/PortComboBox.h"

#include <QDialog>

#include <memory>
#include <optional>

class QButtonGroup;
class QLabel;
class QSpinBox;

namespace tovan {

class RemotePortMemory;

// The COM settings dialog (134): port, baud rate, parity, handshake and stop bits of the
// console's next open, and for a port across the network (rfc2217://, socket://) the pause
// that ends a frame. Controls carry their ids as object names.
class CComSettingsDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int DIALOG_ID = 134;
    static constexpr int PAUSE_LABEL_ID = 1009;
    static constexpr int PAUSE_ID = 1010;

    // `memory` (none: the program's own) gives the pause chosen before for a remote port.
    explicit CComSettingsDlg(const ComSettingsForm& values, QWidget* parent = nullptr,
                             PortComboBox::PortSource ports = nullptr,
                             RemotePortMemory* memory = nullptr);
    ~CComSettingsDlg() override;

    // The values as the controls hold them now.
    ComSettingsForm values() const;

    PortComboBox* portCombo() const { return m_port; }

private:
    void buildGroups();
    void buildPause();
    void fill(const ComSettingsForm& values);
    // The pause applies to remote ports only; a remembered one brings its pause back.
    void portTextChanged(const QString& text);

    std::unique_ptr<RemotePortMemory> m_ownMemory;
    RemotePortMemory* m_memory = nullptr;

    PortComboBox* m_port = nullptr;
    QComboBox* m_baud = nullptr;
    QButtonGroup* m_handshake = nullptr;
    QButtonGroup* m_parity = nullptr;
    QButtonGroup* m_stopBits = nullptr;
    QLabel* m_pauseLabel = nullptr;
    QSpinBox* m_pause = nullptr;
};

// Runs the dialog over a console's port settings. On OK the record is written, a remote port
// is remembered with its pause (in `memory`, none: the program's own), and the texts for the
// status bar's port and baud panes are returned as the user entered them; on Cancel nothing
// changes.
std::optional<ComSettingsForm::StatusTexts> editComSettings(QWidget* parent, PortSettings& settings,
                                                            RemotePortMemory* memory = nullptr);

} // namespace tovan
