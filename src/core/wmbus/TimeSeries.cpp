#include "core/wmbus/TimeSeries.h"

#include <algorithm>

namespace tovan {

bool TimeSeries::add(Point point, bool mayGrow) {
    if (m_points.size() < m_capacity && mayGrow) {
        if (m_first != 0) { // wrapped while it could not grow: oldest first again
            std::rotate(m_points.begin(), m_points.begin() + static_cast<std::ptrdiff_t>(m_first),
                        m_points.end());
            m_first = 0;
        }
        if (m_points.size() == m_points.capacity())
            m_points.reserve(std::min(m_capacity, std::max<std::size_t>(8, 2 * m_points.size())));
        m_points.push_back(point);
        return true;
    }
    if (m_points.empty())
        return false;
    m_points[m_first] = point;
    m_first = (m_first + 1) % m_points.size();
    return false;
}

} // namespace tovan
