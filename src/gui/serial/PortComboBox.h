#pragma once

#include <QComboBox>

#include <functional>

namespace tovan {

// The editable port field of the COM settings dialog. Its list is rebuilt from the system's
// ports each time it drops down, so ports plugged in while the dialog is open show up.
class PortComboBox : public QComboBox {
    Q_OBJECT
public:
    using PortSource = std::function<QStringList()>;

    explicit PortComboBox(PortSource source, QWidget* parent = nullptr);

    // Replaces the list with the current ports; the text in the field stays as it is.
    void rebuildList();

    void showPopup() override;

private:
    PortSource m_source;
};

} // namespace tovan
