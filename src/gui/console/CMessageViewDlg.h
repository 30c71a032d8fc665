#pragma once

#include <QWidget>

namespace tovan {

// The logo pane under a console's command tree (form 101): the workbench's picture on white.
class CMessageViewDlg : public QWidget {
    Q_OBJECT
public:
    static constexpr int FORM_ID = 101;

    explicit CMessageViewDlg(QWidget* parent = nullptr);
};

} // namespace tovan
