#pragma once

#include <chrono>
#include <cstdint>
#include <string>

struct addrinfo;

namespace tovan {

// The addresses of a host, found within a bound on the time. An address written as digits is
// taken at once; a name is looked up on a helper thread, and when the name server has not
// answered in time the lookup is given up (the thread finishes on its own and frees what it
// found), so the caller never waits longer than it allowed.
class HostLookup {
public:
    HostLookup() = default;
    ~HostLookup();
    HostLookup(const HostLookup&) = delete;
    HostLookup& operator=(const HostLookup&) = delete;

    // 0, REMOTE_HOST_UNKNOWN, REMOTE_LOOKUP_FAILED (no answer in time, or the name server
    // failed), ENOMEM, or the system's error.
    int run(const std::string& host, std::uint16_t port, std::chrono::milliseconds timeout);

    // The addresses found, in the order to try them; null before a successful run().
    const addrinfo* addresses() const { return m_list; }

private:
    addrinfo* m_list = nullptr;
};

} // namespace tovan
