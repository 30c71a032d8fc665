#include "core/console/EntryTime.h"

#include <cstdio>
#include <ctime>

namespace tovan::traffic {

std::string formatTimeOfDayMs(std::chrono::system_clock::time_point time) {
    using namespace std::chrono;
    const std::time_t seconds = system_clock::to_time_t(
        time_point_cast<system_clock::duration>(floor<std::chrono::seconds>(time)));
    const auto ms = duration_cast<milliseconds>(time - floor<std::chrono::seconds>(time)).count();
    std::tm local{};
    ::localtime_r(&seconds, &local);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min,
                  local.tm_sec, static_cast<int>(ms));
    return text;
}

std::string formatInterval(std::chrono::steady_clock::duration interval) {
    using namespace std::chrono;
    const long long ms = duration_cast<milliseconds>(interval).count();
    char text[32];
    if (ms < 1000)
        std::snprintf(text, sizeof text, "+%lld ms", ms);
    else
        std::snprintf(text, sizeof text, "+%lld.%03lld s", ms / 1000, ms % 1000);
    return text;
}

std::string EntryClock::next() {
    return next(std::chrono::system_clock::now(), std::chrono::steady_clock::now());
}

std::chrono::system_clock::time_point wallTimeOf(std::chrono::steady_clock::time_point arrival) {
    using namespace std::chrono;
    const auto now = steady_clock::now();
    const auto arrived = arrival == steady_clock::time_point{} ? now : arrival;
    return system_clock::now() - duration_cast<system_clock::duration>(now - arrived);
}

std::string EntryClock::arrivedAt(std::chrono::steady_clock::time_point arrival) {
    const auto arrived = arrival == std::chrono::steady_clock::time_point{}
                             ? std::chrono::steady_clock::now()
                             : arrival;
    return next(wallTimeOf(arrived), arrived);
}

std::string EntryClock::next(std::chrono::system_clock::time_point wall,
                             std::chrono::steady_clock::time_point monotonic) {
    std::string text = formatTimeOfDayMs(wall);
    if (m_previous)
        text += " (" + formatInterval(monotonic - *m_previous) + ")";
    m_previous = monotonic;
    return text;
}

} // namespace tovan::traffic
