#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tovan {

// A value over time: at most `capacity` points, the oldest giving way to a new one. Points
// are kept in the order they were added.
class TimeSeries {
public:
    struct Point {
        std::int64_t ms = 0; // milliseconds since the Unix epoch
        double value = 0.0;
    };

    explicit TimeSeries(std::size_t capacity) : m_capacity(capacity ? capacity : 1) {}

    // Adds a point. Below its capacity the series grows only when `mayGrow`; otherwise the
    // point takes the place of the oldest one (an empty series then stays empty). True when
    // the series grew.
    bool add(Point point, bool mayGrow = true);
    std::size_t size() const { return m_points.size(); }
    bool empty() const { return m_points.empty(); }
    std::size_t capacity() const { return m_capacity; }
    // The i-th point, oldest first.
    const Point& at(std::size_t i) const { return m_points[(m_first + i) % m_points.size()]; }
    const Point& last() const { return at(size() - 1); }

private:
    std::vector<Point> m_points;
    std::size_t m_first = 0; // where the oldest point is once the series has wrapped
    std::size_t m_capacity;
};

} // namespace tovan
