#pragma once

#include "core/console/ConsoleHost.h"

#include <QWidget>

#include <array>

class QLabel;

namespace tovan {

// The five-pane status line along the top of a console: port state (stretching), logging
// state, log file, port name and baud rate. A double-click on a pane is reported with the
// pane's index.
class ConsoleStatusLine : public QWidget, public StatusLine {
    Q_OBJECT
public:
    // The platform's id of a status bar; the widget carries it as its object name.
    static constexpr int CONTROL_ID = 59393;
    static constexpr int PANE_COUNT = 5;

    explicit ConsoleStatusLine(QWidget* parent = nullptr);

    void setPaneText(int pane, std::string_view text) override;
    // In the main window's status bar, for a few seconds.
    void showMessage(std::string_view text) override;
    QString paneText(int pane) const;
    QRect paneRect(int pane) const;
    // The pane under `point` (in this widget's coordinates), or -1.
    int paneAt(const QPoint& point) const;

Q_SIGNALS:
    void paneDoubleClicked(int pane);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    std::array<QLabel*, PANE_COUNT> m_panes{};
};

} // namespace tovan
