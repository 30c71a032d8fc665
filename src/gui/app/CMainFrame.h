#pragma once

#include <QMainWindow>

namespace tovan {

// The application's main window, which holds the module consoles.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);
};

} // namespace tovan
