#include "gui/app/WorkbenchCommandLine.h"

#include <cstring>

namespace tovan {

WorkbenchCommandLine WorkbenchCommandLine::read(int argc, const char* const argv[]) {
    WorkbenchCommandLine line;
    bool opening = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!std::strcmp(arg, "-h") || !std::strcmp(arg, "--help"))
            line.help = true;
        else if (!std::strcmp(arg, "-v") || !std::strcmp(arg, "--version"))
            line.version = true;
        else if (!std::strcmp(arg, "--open"))
            opening = true;
        else if (arg[0] == '-')
            opening = false; // an option of the toolkit's, such as -platform
        else if (i > 1 && argv[i - 1][0] == '-' && argv[i - 1][1] != '-' && !opening)
            continue; // its value (-platform offscreen)
        else if (opening)
            line.open << QString::fromLocal8Bit(arg);
        else
            line.ignored << QString::fromLocal8Bit(arg);
    }
    return line;
}

const char* WorkbenchCommandLine::usage() {
    return "Usage: tovan-workbench [--open FILE...]\n"
           "A desktop workbench for bringing up and testing TOVAN radio modules on serial ports:\n"
           "compose command frames, send them, and watch the traffic of each module in its\n"
           "console.\n"
           "\n"
           "Options:\n"
           "  --open FILE...  open each command set (.tcs) as a document; a workbench already\n"
           "                  running for this user opens them instead\n"
           "  -h, --help      show this text and exit\n"
           "  -v, --version   show the version and exit\n"
           "\n"
           "Other arguments are ignored: the workbench starts without a document.\n"
           "It needs a display. Without one, run it under a virtual display\n"
           "(xvfb-run -a tovan-workbench) or headless (QT_QPA_PLATFORM=offscreen "
           "tovan-workbench).\n";
}

} // namespace tovan
