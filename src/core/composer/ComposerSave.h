#pragma once

#include "core/composer/ComposerTexts.h"
#include "core/composer/ComposerTypes.h"

#include <optional>
#include <string>

namespace tovan::composer {

// What Save makes of the fields: on success the fields with Length and Checksum filled in and
// the frame text to store; on refusal the message to show, and nothing has changed.
struct SaveOutcome {
    std::optional<Notice> refusal;
    Fields fields;
    std::string frameText;
};

// First family: "FE LL C1 C2 data CS"; LEN = command and data bytes - 2, checksum over LEN,
// command and data. The preamble is taken from its field as it stands.
SaveOutcome saveVx31(const Fields& fields);

// Second family: "FF CC LL data CS", checksum over every byte from FF on; with an empty Cmd
// field the raw form "@LL data" (no preamble, no checksum, no character checks).
SaveOutcome saveVm77(const Fields& fields);

SaveOutcome saveFrame(ModuleFamily family, const Fields& fields);

} // namespace tovan::composer
