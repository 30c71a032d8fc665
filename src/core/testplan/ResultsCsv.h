#pragma once

#include "core/testplan/StepResult.h"

#include <string>
#include <vector>

namespace tovan {

// The results as CSV (RFC 4180: CR LF line ends, fields with a comma, quote or line end
// quoted): a header line, then one line per result. Frames as hex text, times in ms.
std::string resultsCsv(const std::vector<StepResult>& results);

} // namespace tovan
