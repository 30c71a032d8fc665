#include "ToolProcess.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tovan::test {

ToolProcess::ToolProcess(const std::vector<std::string>& args, const std::string& input,
                         const std::string& folder) {
    m_files.write("in", input);

    std::vector<std::string> argv{TOVAN_TOOL_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& arg : argv)
        pointers.push_back(arg.data());
    pointers.push_back(nullptr);

    m_pid = ::fork();
    if (m_pid == 0) {
        const int in = ::open(m_files.path("in").c_str(), O_RDONLY);
        const int out = ::open(m_files.path("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(m_files.path("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        ::close_range(3, ~0U, 0); // nothing of the test's own (a pty master) stays open
        if (!folder.empty() && ::chdir(folder.c_str()) != 0)
            ::_exit(126);
        ::execv(pointers[0], pointers.data());
        ::_exit(127);
    }
}

ToolProcess::~ToolProcess() {
    if (m_pid > 0)
        wait(0);
}

int ToolProcess::wait(int timeoutMs) {
    if (m_pid <= 0)
        return m_status;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int raw = 0;
    while (::waitpid(m_pid, &raw, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &raw, 0);
            m_pid = -1;
            return m_status = -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    m_pid = -1;
    m_status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return m_status;
}

void ToolProcess::interrupt() {
    if (m_pid > 0)
        ::kill(m_pid, SIGINT);
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
