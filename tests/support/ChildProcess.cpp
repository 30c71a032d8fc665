#include "tests/support/ChildProcess.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace tovan::test {

namespace {

void redirect(const std::string& path, int fd, int flags) {
    if (path.empty())
        return;
    const int file = ::open(path.c_str(), flags, 0600);
    if (file < 0)
        ::_exit(126);
    ::dup2(file, fd);
}

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const Setup& setup) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        throw std::runtime_error("pipe failed");
    // The test's own environment, with the setup's variables in place of those it names: a
    // variable given twice would be read from its first place.
    auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const bool replaced =
            std::any_of(setup.environment.begin(), setup.environment.end(),
                        [&](const std::string& given) { return nameOf(given) == nameOf(entry); });
        if (!replaced)
            env.push_back(entry);
    }
    env.insert(env.end(), setup.environment.begin(), setup.environment.end());

    m_pid = ::fork();
    if (m_pid == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        redirect(setup.stdinPath, STDIN_FILENO, O_RDONLY);
        redirect(setup.stdoutPath, STDOUT_FILENO, O_WRONLY | O_CREAT | O_TRUNC);
        redirect(setup.stderrPath, STDERR_FILENO, O_WRONLY | O_CREAT | O_TRUNC);
        ::close_range(3, ~0U, 0); // nothing of the test's own (a pty master) stays open
        if (!setup.folder.empty() && ::chdir(setup.folder.c_str()) != 0)
            ::_exit(126);
        std::vector<char*> args, envp;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        for (const std::string& e : env)
            envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
        ::execve(args[0], args.data(), envp.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    m_stdout = pipeFds[0];
}

ChildProcess::~ChildProcess() {
    if (m_status < 0 && m_pid > 0)
        stop(SIGKILL);
    if (m_stdout >= 0)
        ::close(m_stdout);
}

bool ChildProcess::readLine(std::string& line, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto end = m_buffer.find('\n');
        if (end != std::string::npos) {
            line = m_buffer.substr(0, end);
            m_buffer.erase(0, end + 1);
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        pollfd pfd{m_stdout, POLLIN, 0};
        if (left <= 0 || ::poll(&pfd, 1, static_cast<int>(left)) <= 0)
            return false;
        char chunk[4096];
        const ssize_t n = ::read(m_stdout, chunk, sizeof chunk);
        if (n <= 0)
            return false;
        m_buffer.append(chunk, static_cast<std::size_t>(n));
    }
}

int ChildProcess::stop(int signal) {
    if (m_status >= 0)
        return m_status;
    ::kill(m_pid, signal);
    return wait();
}

int ChildProcess::wait(int timeoutMs) {
    if (m_status >= 0)
        return m_status;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return m_status;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return -1;
}

double ChildProcess::cpuSeconds() const {
    std::ifstream stat("/proc/" + std::to_string(m_pid) + "/stat");
    std::string content((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const auto afterName = content.rfind(')');
    if (afterName == std::string::npos)
        return 0;
    std::istringstream fields(content.substr(afterName + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14)
            utime = std::stol(field);
        if (i == 15)
            stime = std::stol(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

} // namespace tovan::test
