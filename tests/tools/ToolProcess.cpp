#include "tests/tools/ToolProcess.h"

#include <csignal>

namespace tovan::test {

ToolProcess::ToolProcess(const std::vector<std::string>& args, const std::string& input,
                         const std::string& folder) {
    m_files.write("in", input);
    std::vector<std::string> argv{TOVAN_TOOL_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    ChildProcess::Setup setup;
    setup.stdinPath = m_files.path("in");
    setup.stdoutPath = m_files.path("out");
    setup.stderrPath = m_files.path("err");
    setup.folder = folder;
    m_process = std::make_unique<ChildProcess>(argv, setup);
}

ToolProcess::~ToolProcess() = default; // a program still running is killed

int ToolProcess::wait(int timeoutMs) {
    const int status = m_process->wait(timeoutMs);
    if (status < 0)
        m_process->stop(SIGKILL);
    return status;
}

void ToolProcess::interrupt() {
    ::kill(m_process->pid(), SIGINT);
}

std::string ToolProcess::out() const {
    return m_files.read("out");
}

std::string ToolProcess::err() const {
    return m_files.read("err");
}

ToolResult runTool(const std::vector<std::string>& args, const std::string& input,
                   const std::string& folder) {
    ToolProcess process(args, input, folder);
    const int status = process.wait();
    return {status, process.out(), process.err()};
}

} // namespace tovan::test
