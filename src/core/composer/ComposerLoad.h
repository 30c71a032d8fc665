#pragma once

#include "core/composer/ComposerTypes.h"

#include <string>
#include <string_view>

namespace tovan::composer {

// Splits a stored frame text back into the fields. `frameText` becomes what Transmit sends.
// Returns false for an empty text (a folder): then nothing changes. The period is never
// touched.
bool loadVx31(std::string_view text, Fields& fields, std::string& frameText);
bool loadVm77(std::string_view text, Fields& fields, std::string& frameText);

bool loadFrame(ModuleFamily family, std::string_view text, Fields& fields, std::string& frameText);

} // namespace tovan::composer
