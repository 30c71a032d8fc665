#pragma once

#include "core/frames/ModuleFamily.h"

#include <QRect>
#include <QSize>

#include <vector>

namespace tovan {

// What a composer form consists of: its controls in left-to-right order with their ids,
// texts and places in dialog units, and the pixel rules by which the Data field stretches.
struct ComposerFormLayout {
    enum class Role {
        Label,
        ChecksumLabel,
        Preamble,
        Length,
        Command, // Command (first family) or Cmd (second family)
        Data,
        Checksum,
        Period,
        Save,
        Transmit,
        Activate,
    };
    struct Control {
        Role role;
        int id; // 0 for labels without an id
        const char* text;
        QRect units;
    };

    ModuleFamily family;
    QSize units;
    std::vector<Control> controls;
    // Pixel rules of the stretchable row: Data from `dataLeft` to W - 87, Checksum field from
    // W - 72 to W - 48, Checksum label from W - 82 on.
    int dataLeft;
    int fieldTop;
    int fieldBottom;
    int labelTop;
    int labelBottom;
};

} // namespace tovan
