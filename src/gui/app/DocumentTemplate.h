#pragma once

#include "core/frames/ModuleFamily.h"

#include <QString>

namespace tovan {

// One kind of document: a command set of one module family, opened in that family's console.
struct DocumentTemplate {
    int resourceId; // 130 or 138: also the console's menu
    ModuleFamily family;
    QString documentName; // "VX31" or "VM77-M": names new documents, chosen by a file's model
    QString filterName = QStringLiteral("TOVAN Command Sets (*.tcs)");
    QString extension = QStringLiteral(".tcs");
    QString fileTypeId = QStringLiteral("TOVANCommandSet");
    QString fileTypeName = QStringLiteral("TOVAN Commander Document");
};

} // namespace tovan
