#pragma once

#include "tests/support/ChildProcess.h"
#include "tests/support/ScratchDir.h"

#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tovan::test {

// Runs tovan-tool as a user would: arguments, standard input, working folder; collects its
// exit status and both outputs.
class ToolProcess {
public:
    ToolProcess(const std::vector<std::string>& args, const std::string& input = {},
                const std::string& folder = {});
    ~ToolProcess();
    ToolProcess(const ToolProcess&) = delete;
    ToolProcess& operator=(const ToolProcess&) = delete;

    // Waits for the end; -1 when it had to be killed after `timeoutMs`.
    int wait(int timeoutMs = 20000);
    void interrupt(); // SIGINT, as Ctrl+C does
    std::string out() const;
    std::string err() const;

private:
    ScratchDir m_files; // standard input, output and error
    std::unique_ptr<ChildProcess> m_process;
};

// Convenience: run to the end.
struct ToolResult {
    int status;
    std::string out;
    std::string err;
};
ToolResult runTool(const std::vector<std::string>& args, const std::string& input = {},
                   const std::string& folder = {});

} // namespace tovan::test
