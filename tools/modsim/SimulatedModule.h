#pragma once

#include "core/frames/ModuleFamily.h"
#include "core/serial/FrameAssembler.h"
#include "tools/modsim/FaultInjector.h"
#include "tools/modsim/ReplyRules.h"

#include <map>
#include <memory>
#include <poll.h>
#include <string>

namespace tovan::modsim {

struct ModuleOptions {
    FaultShares faults;
    int telegramIntervalMs = 0; // second family: a received telegram this often; 0: never
    long floodFrames = 0;       // flood this many frames after the first frame received
    const ReplyRules* rules = nullptr;
    unsigned seed = 1;
    std::uint32_t baud = 0; // pace output at this line speed (8N1); 0: as fast as the port takes
};

// One simulated module on a pseudo-terminal: the workbench opens the slave side like a serial
// port; this object plays the module on the master side.
class SimulatedModule {
public:
    SimulatedModule(ModuleFamily family, const ModuleOptions& options);
    ~SimulatedModule();
    SimulatedModule(const SimulatedModule&) = delete;
    SimulatedModule& operator=(const SimulatedModule&) = delete;

    // Creates the pseudo-terminal. False with a reason in `error`.
    bool open(std::string& error);

    const std::string& devicePath() const { return m_devicePath; }
    ModuleFamily family() const { return m_family; }
    void setName(const std::string& name) { m_name = name; }
    const std::string& name() const { return m_name; }

    // What to wait for now, and until when at the latest.
    pollfd pollRequest(Clock::time_point now) const;
    Clock::time_point nextDeadline(Clock::time_point now) const;
    // Reacts to what poll reported and to timers that came due.
    void service(short revents, Clock::time_point now);

    long framesReceived() const { return m_framesReceived; }

    // How far a telegram's signal byte moves from its meter's, either way (half dB).
    static constexpr int MAX_SIGNAL_STEP = 6;

private:
    void readInput(Clock::time_point now);
    void answer(const Bytes& frame, Clock::time_point now);
    Bytes defaultReply(const Bytes& frame) const;
    void queueTelegram(Clock::time_point now);
    Bytes withVariedSignal(Bytes telegram);
    void writeDue(Clock::time_point now);
    void startFlood();
    void writeFlood(Clock::time_point now);
    // Writes what the line can have sent by `now` of `length` bytes; returns the count.
    std::size_t writeOut(const std::uint8_t* bytes, std::size_t length, Clock::time_point now);
    // Keeps the pause planned after `written`, which went out at `now` (or later on a paced line).
    void keepPauseAfter(const Chunk& written, Clock::time_point now);

    ModuleFamily m_family;
    ModuleOptions m_options;
    FaultInjector m_faults;
    std::unique_ptr<FrameAssembler> m_assembler;
    int m_master = -1;
    int m_slaveKeeper = -1; // keeps the line up while no workbench has the port open
    std::string m_devicePath;
    std::string m_name;

    std::deque<Chunk> m_output;
    Clock::time_point m_nextTelegram;
    std::size_t m_telegramIndex = 0;
    std::mt19937 m_random;
    std::mt19937 m_signalRandom; // its own, so a seed still gives the same meters in turn
    long m_framesReceived = 0;
    std::map<Bytes, unsigned long> m_timesReceived; // of frames whose rule answers every Nth time

    Bytes m_flood;
    std::size_t m_floodWritten = 0;
    bool m_flooded = false;
    Clock::time_point m_floodStart;
    Clock::time_point m_lineFree; // paced output: when the line has sent what was written
};

} // namespace tovan::modsim
