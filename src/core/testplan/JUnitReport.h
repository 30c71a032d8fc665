#pragma once

#include "core/testplan/StepResult.h"

#include <string>
#include <utility>
#include <vector>

namespace tovan {

// What a JUnit report says about the run as a whole.
struct JUnitSuite {
    std::string name;      // the plan, as CI servers list the suite
    std::string timestamp; // when the run began, ISO 8601 ("2024-05-01T12:00:00"); may be empty
    double seconds = 0;    // how long the run took
    std::vector<std::pair<std::string, std::string>> properties; // port, family, ...
};

// The results as JUnit XML, the report format CI servers read (Jenkins, GitLab, ...): one
// testsuite, one testcase per result with its time in seconds, a failure element with the
// expected and received bytes for each failed one. Any text (plan lines, labels, reasons) is
// escaped; bytes that are not UTF-8 and characters XML does not allow become U+FFFD.
std::string junitXml(const JUnitSuite& suite, const std::vector<StepResult>& results);

} // namespace tovan
