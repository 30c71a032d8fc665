#include "app/CMainFrame.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // The command line is read but nothing is opened at start-up.
    tovan::CMainFrame frame;
    frame.show();
    return app.exec();
}
