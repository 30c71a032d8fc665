#pragma once

#include <string>
#include <vector>

namespace tovan::test {

// A program started the way a user starts it, with its standard output readable line by line.
class ChildProcess {
public:
    // Where the program's standard streams go and where it starts; empty means: standard input
    // and error as the test's, standard output through a pipe (readLine), the test's folder.
    struct Setup {
        std::vector<std::string> environment; // "NAME=value", added to the test's own
        std::string stdinPath;
        std::string stdoutPath;
        std::string stderrPath;
        std::string folder;
    };

    // Starts `argv[0]` with the arguments.
    ChildProcess(const std::vector<std::string>& argv, const Setup& setup);
    ChildProcess(const std::vector<std::string>& argv,
                 const std::vector<std::string>& environment = {})
        : ChildProcess(argv, Setup{environment, {}, {}, {}, {}}) {}
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    int pid() const { return m_pid; }
    // The next line of standard output, without its line end; false at the end or on timeout.
    bool readLine(std::string& line, int timeoutMs = 10000);
    // Sends `signal` and waits for the end; returns the exit status (or 128 + signal).
    int stop(int signal);
    // Waits for the end; returns the exit status, or -1 on timeout (the program then keeps
    // running; the destructor kills it).
    int wait(int timeoutMs = 10000);
    // CPU seconds the process has used so far (user + system).
    double cpuSeconds() const;

private:
    int m_pid = -1;
    int m_stdout = -1;
    int m_status = -1;
    std::string m_buffer;
};

} // namespace tovan::test
