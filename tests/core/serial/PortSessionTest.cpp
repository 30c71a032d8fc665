// A port session's life cycle, seen from its port: the order of the port's calls, a close that
// never waits for the line, and a frame that does not reach the line told to the owner.
#include "core/serial/PortSession.h"

#include "core/hub/ConsoleMessage.h"
#include "core/serial/Port.h"
#include "tests/support/RecordingEndpoint.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <mutex>
#include <poll.h>
#include <string>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace tovan;
using namespace std::chrono_literals;
using test::RecordingEndpoint;

namespace {

// A line that never brings bytes; its writes block until cancelled, or fail with `writeError`.
class ScriptedPort : public Port {
public:
    explicit ScriptedPort(std::vector<std::string>& calls, int writeError = 0)
        : m_calls(calls), m_writeError(writeError), m_idleFd(::eventfd(0, EFD_CLOEXEC)) {}
    ~ScriptedPort() override { ::close(m_idleFd); }

    int open(const std::string&) override {
        note("open");
        m_open = true;
        return 0;
    }
    int configure(const DcbTemplate&) override {
        note("configure");
        return 0;
    }
    int purge(unsigned flags) override {
        note("purge " + std::to_string(flags));
        return 0;
    }
    int pollFd() const override { return m_idleFd; }
    int read(std::uint8_t*, std::size_t, std::size_t& got, short) override {
        got = 0;
        return 0;
    }
    int writeAll(const std::uint8_t*, std::size_t, int cancelFd) override {
        if (m_writeError) {
            note("write failed");
            return m_writeError;
        }
        pollfd cancel{cancelFd, POLLIN, 0};
        ::poll(&cancel, 1, 10000);
        note("write cancelled");
        return ECANCELED;
    }
    bool waitUntilSent(std::size_t, int) const override { return true; }
    std::size_t bytesUnsent() const override { return 0; }
    void close() override {
        note("close");
        m_open = false;
    }
    bool isOpen() const override { return m_open; }

private:
    void note(const std::string& call) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_calls.push_back(call);
    }

    std::vector<std::string>& m_calls;
    int m_writeError;
    int m_idleFd;
    bool m_open = false;
    std::mutex m_mutex;
};

std::unique_ptr<PortSession> openOn(std::unique_ptr<Port> port, RecordingEndpoint& owner) {
    std::unique_ptr<PortSession> session;
    EXPECT_EQ(PortSession::open(std::move(port), "line", DcbTemplate{}, 20, ModuleFamily::VX31,
                                owner, 1, session),
              0u);
    return session;
}

} // namespace

// Opened, configured and purged both ways in that order; closed while a handshake holds a
// frame: the writer is cancelled first, then unsent output goes, then the port closes, and all
// of it within the bound, however long the line would hold the frame.
TEST(PortSession, OpensAndClosesInOrderWithoutWaitingForTheLine) {
    std::vector<std::string> calls;
    RecordingEndpoint owner;
    auto session = openOn(std::make_unique<ScriptedPort>(calls), owner);
    ASSERT_TRUE(session);
    const std::uint8_t frame[] = {0xFE, 0x00, 0x01, 0x02, 0x03};
    ASSERT_EQ(session->send(frame, sizeof frame), 0u);
    std::this_thread::sleep_for(50ms); // the writer is inside its write now

    const auto start = std::chrono::steady_clock::now();
    session->close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, PortSession::CLOSE_BOUND);
    EXPECT_EQ(calls, (std::vector<std::string>{"open", "configure", "purge 5", "purge 10",
                                               "write cancelled", "purge 5", "close"}));
    EXPECT_EQ(owner.messages(CD_TX_FRAME).size(), 1u) << "the frame was shown before it was sent";
    EXPECT_EQ(session->send(frame, sizeof frame), static_cast<std::uint32_t>(EBADF));
}

// The frame shows first; that it did not reach the line follows, with the error, on the way
// everything else of the session takes to its owner.
TEST(PortSession, AFailedWriteIsToldAfterTheFrameWasShown) {
    std::vector<std::string> calls;
    RecordingEndpoint owner;
    auto session = openOn(std::make_unique<ScriptedPort>(calls, EIO), owner);
    ASSERT_TRUE(session);
    const std::uint8_t frame[] = {0xFE, 0x00, 0x01, 0x02, 0x03};
    ASSERT_EQ(session->send(frame, sizeof frame), 0u);
    ASSERT_TRUE(owner.waitFor(CD_TX_FAILED, 1));
    const auto all = owner.all();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].code, static_cast<std::uint32_t>(CD_TX_FRAME));
    EXPECT_EQ(all[1].bytes, (std::vector<std::uint8_t>{EIO, 0, 0, 0}));
    EXPECT_EQ(session->waitUntilWritten(100), static_cast<std::uint32_t>(EIO));
}
