#include "gui/console/PlanDriver.h"

#include "core/console/ConsolePlan.h"
#include "gui/console/CSplitterView.h"

#include <algorithm>
#include <chrono>

namespace tovan {

PlanDriver* PlanDriver::of(CSplitterView* console) {
    if (auto* driver = console->findChild<PlanDriver*>(QString(), Qt::FindDirectChildrenOnly))
        return driver;
    return new PlanDriver(console);
}

// A child of the console's window: the console, and with it the plan, is gone before the
// driver, so the plan never calls a driver that no longer exists.
PlanDriver::PlanDriver(CSplitterView* console) : QObject(console), m_console(console) {
    m_timer.setSingleShot(true);
    // An expect's window is judged by arrival times, but a late wake-up makes every step after
    // it start late: the timer keeps to the millisecond.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &PlanDriver::wake);
    plan().setListener([this] {
        reschedule();
        Q_EMIT changed();
    });
}

ConsolePlan& PlanDriver::plan() {
    return m_console->console().plan();
}

std::string PlanDriver::start(TestPlan plan, const std::string& name) {
    return this->plan().start(std::move(plan), name);
}

void PlanDriver::stop() {
    plan().stop();
}

void PlanDriver::reschedule() {
    const auto deadline = plan().nextDeadline();
    if (!deadline) {
        m_timer.stop();
        return;
    }
    const auto wait =
        std::chrono::ceil<std::chrono::milliseconds>(*deadline - std::chrono::steady_clock::now());
    m_timer.start(static_cast<int>(std::clamp<long long>(wait.count(), 0, 3600000)));
}

void PlanDriver::wake() {
    plan().onTime(std::chrono::steady_clock::now());
    // The plan tells of changes itself; a wake-up that changed nothing still needs the next.
    if (!m_timer.isActive())
        reschedule();
}

} // namespace tovan
