#pragma once

#include <QStringList>

namespace tovan {

// What the workbench's command line asks for. A plain path opens nothing: the workbench
// starts without a document. `--open FILE...` opens each file as a document.
struct WorkbenchCommandLine {
    bool help = false;
    bool version = false;
    QStringList open;
    QStringList ignored; // plain arguments outside --open: nothing is opened for them

    static WorkbenchCommandLine read(int argc, const char* const argv[]);
    static const char* usage();
};

} // namespace tovan
