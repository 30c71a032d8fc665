#pragma once

#include <string>
#include <vector>

namespace tovan::tool {

// Exit statuses: 0 success, 1 the work failed or found something, 2 the command line is wrong.
constexpr int EXIT_FAILED = 1;
constexpr int EXIT_USAGE = 2;

int runDecode(const std::vector<std::string>& args);
int runList(const std::vector<std::string>& args);
int runCheck(const std::vector<std::string>& args);
int runMonitor(const std::vector<std::string>& args);

// Bytes as readable text: printable ASCII as it is, Latin-1 letters in UTF-8, other bytes as
// \xNN.
std::string printable(const std::string& bytes);

} // namespace tovan::tool
