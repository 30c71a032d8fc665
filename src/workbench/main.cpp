// The workbench. A plain path on the command line opens nothing (the application starts with
// an empty window); `--open FILE...` opens files as documents, handing them to the workbench
// this user already runs when there is one.
#include "gui/app/CTOVANStudioApp.h"
#include "gui/app/InstanceChannel.h"
#include "gui/app/WorkbenchCommandLine.h"

#include <QApplication>

#include <cstdio>

namespace {

bool haveDisplay() {
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char* argv[]) {
    const auto line = tovan::WorkbenchCommandLine::read(argc, argv);
    if (line.help) {
        std::fputs(tovan::WorkbenchCommandLine::usage(), stdout);
        return 0;
    }
    if (line.version) {
        std::puts("tovan-workbench " TOVAN_VERSION " (TOVAN Commander V" TOVAN_VERSION ")");
        return 0;
    }
    if (!haveDisplay()) {
        std::fputs("tovan-workbench: no display found (neither DISPLAY nor WAYLAND_DISPLAY is "
                   "set).\nRun it on a desktop, under a virtual display (xvfb-run -a "
                   "tovan-workbench),\nor headless (QT_QPA_PLATFORM=offscreen tovan-workbench).\n",
                   stderr);
        return 1;
    }
    if (!line.ignored.isEmpty())
        std::fprintf(stderr,
                     "tovan-workbench: %s ignored; to open a command set as a document use "
                     "--open FILE\n",
                     qPrintable(line.ignored.join(QStringLiteral(", "))));
    QApplication app(argc, argv);
    if (!line.open.isEmpty() && tovan::InstanceChannel::handToRunning(line.open))
        return 0;
    tovan::CTOVANStudioApp workbench;
    if (!workbench.InitInstance(line.open))
        return 1;
    return app.exec();
}
