#pragma once

#include <string>
#include <vector>

namespace tovan::tool {

// Exit statuses: 0 success, 1 the work failed or found something, 2 the command line is wrong.
constexpr int EXIT_FAILED = 1;
constexpr int EXIT_USAGE = 2;

struct MonitorOptions;
struct MetersOptions;
struct RunOptions;

struct DecodeOptions {
    std::vector<std::string> files;
    bool records = false; // the records under each decoded header
    bool json = false;    // one JSON object a telegram
    std::string keys;     // key file; empty: the default one where it exists
};

// Each command's work once its command line is read; returns the exit status.
int runDecode(const DecodeOptions& options);
int runList(const std::string& file);
int runCheck(const std::string& file);
int runMonitor(const MonitorOptions& options);
int runPorts();
int runMeters(const MetersOptions& options);
int runPlan(const RunOptions& options);

} // namespace tovan::tool
