#pragma once

#include "tests/support/ChildProcess.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tovan::test {

// A ser2net of the test's own on 127.0.0.1, serving one device (a pseudo-terminal) on two free
// ports: as telnet with serial port control (RFC 2217) and as raw TCP. Its configuration is
// written into `folder`; ser2net hands every byte on as it reads it (chardelay off), as the
// README recommends.
class Ser2net {
public:
    Ser2net(const std::string& device, const std::string& folder);
    ~Ser2net();
    Ser2net(const Ser2net&) = delete;
    Ser2net& operator=(const Ser2net&) = delete;

    // False when ser2net is not installed or did not come up; why() then tells.
    bool running() const { return m_process != nullptr; }
    const std::string& why() const { return m_why; }

    std::string rfc2217Name() const; // "rfc2217://127.0.0.1:PORT"
    std::string socketName() const;  // "socket://127.0.0.1:PORT"

    // Ends it (SIGKILL with `abruptly`, else SIGTERM) and waits for the end.
    void stop(bool abruptly = false);
    // Starts it again on the same ports; false when it does not come up.
    bool start();

private:
    std::string m_folder;
    std::uint16_t m_rfc2217Port = 0;
    std::uint16_t m_socketPort = 0;
    std::string m_why;
    std::unique_ptr<ChildProcess> m_process;
};

// A TCP port on 127.0.0.1 that nothing listens on right now.
std::uint16_t freeTcpPort();
// Whether something listens on 127.0.0.1:`port` (read from /proc/net/tcp, without connecting).
bool listening(std::uint16_t port);

} // namespace tovan::test
