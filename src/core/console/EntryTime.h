#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace tovan::traffic {

// hh:mm:ss.mmm, the local time of day to the millisecond.
std::string formatTimeOfDayMs(std::chrono::system_clock::time_point time);

// The wall-clock time of bytes a reader read at `arrival` on the steady clock (its epoch: now).
std::chrono::system_clock::time_point wallTimeOf(std::chrono::steady_clock::time_point arrival);

// The time between two entries: "+15 ms" below a second, "+1.234 s" from there on.
std::string formatInterval(std::chrono::steady_clock::duration interval);

// Times of traffic entries to the millisecond, each with the time since the entry before it,
// for seeing how fast a module answers: "12:00:01.234 (+15 ms)". The first entry has no
// interval.
class EntryClock {
public:
    std::string next();
    std::string next(std::chrono::system_clock::time_point wall,
                     std::chrono::steady_clock::time_point monotonic);
    // The entry of bytes a reader read at `arrival` (the clock's epoch: now), which may be a
    // few milliseconds before the entry is made.
    std::string arrivedAt(std::chrono::steady_clock::time_point arrival);

private:
    std::optional<std::chrono::steady_clock::time_point> m_previous;
};

} // namespace tovan::traffic
