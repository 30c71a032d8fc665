#include "tests/support/Ser2net.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace tovan::test {

namespace {

constexpr const char* SER2NET = "/usr/sbin/ser2net";

std::string configuration(const std::string& device, std::uint16_t rfc2217, std::uint16_t raw) {
    std::ostringstream yaml;
    yaml << "%YAML 1.1\n---\n";
    const std::pair<const char*, std::uint16_t> ports[] = {{"telnet(rfc2217),tcp", rfc2217},
                                                           {"tcp", raw}};
    int n = 0;
    for (const auto& [accepter, port] : ports)
        yaml << "connection: &port" << n++ << "\n"
             << "    accepter: " << accepter << ",127.0.0.1," << port << "\n"
             << "    connector: serialdev," << device << ",9600n81,local\n"
             << "    options:\n"
             << "      chardelay: false\n";
    return yaml.str();
}

} // namespace

std::uint16_t freeTcpPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    std::uint16_t port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

bool listening(std::uint16_t port) {
    std::ifstream table("/proc/net/tcp");
    std::string line;
    char wanted[32];
    std::snprintf(wanted, sizeof wanted, "0100007F:%04X", port);
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state;
        fields >> slot >> local >> remote >> state;
        if (local == wanted && state == "0A")
            return true;
    }
    return false;
}

Ser2net::Ser2net(const std::string& device, const std::string& folder) : m_folder(folder) {
    if (::access(SER2NET, X_OK) != 0) {
        m_why = "ser2net is not installed (scripts/install-deps installs it)";
        return;
    }
    m_rfc2217Port = freeTcpPort();
    m_socketPort = freeTcpPort();
    std::ofstream(folder + "/ser2net.yaml") << configuration(device, m_rfc2217Port, m_socketPort);
    start();
}

Ser2net::~Ser2net() {
    stop();
}

bool Ser2net::start() {
    ChildProcess::Setup setup;
    setup.stdoutPath = m_folder + "/ser2net.log";
    setup.stderrPath = m_folder + "/ser2net.err";
    m_process = std::make_unique<ChildProcess>(
        std::vector<std::string>{SER2NET, "-n", "-c", m_folder + "/ser2net.yaml"}, setup);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!(listening(m_rfc2217Port) && listening(m_socketPort))) {
        if (std::chrono::steady_clock::now() > deadline) {
            std::ifstream log(m_folder + "/ser2net.err");
            m_why =
                "ser2net did not come up: " + std::string(std::istreambuf_iterator<char>(log), {});
            m_process.reset();
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

void Ser2net::stop(bool abruptly) {
    if (m_process)
        m_process->stop(abruptly ? SIGKILL : SIGTERM);
    m_process.reset();
}

std::string Ser2net::rfc2217Name() const {
    return "rfc2217://127.0.0.1:" + std::to_string(m_rfc2217Port);
}

std::string Ser2net::socketName() const {
    return "socket://127.0.0.1:" + std::to_string(m_socketPort);
}

} // namespace tovan::test
