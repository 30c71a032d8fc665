#pragma once

#include <QObject>

class QLabel;
class QStatusBar;

namespace tovan {

// The main status bar's "CAP", "NUM" and "SCRL" panes, lit while the lock is on. The state is
// read where the window system tells it: from the X server's keyboard indicators under X11.
// Wayland keeps lock states from applications, so there (and offscreen) the panes stay dim.
class LockIndicators : public QObject {
    Q_OBJECT
public:
    explicit LockIndicators(QStatusBar* bar);

    // Reads the lock states again; done after every key press and release.
    void refresh();

    QLabel* pane(int index) const { return m_panes[index]; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* m_panes[3] = {};
};

} // namespace tovan
