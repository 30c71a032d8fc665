#include "app/CMainFrame.h"

#include "shared/AppTexts.h"

namespace tovan {

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QString::fromLatin1(texts::APP_TITLE));
    resize(1024, 720);
}

} // namespace tovan
