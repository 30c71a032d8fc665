#pragma once

#include "core/testplan/TestPlan.h"

#include <QObject>
#include <QTimer>

#include <string>

namespace tovan {

class CSplitterView;
class ConsolePlan;

// Keeps a console's test plan going: a timer wakes the plan at its deadlines, and views of the
// run learn of its changes. One per console, living as long as its window; the plan itself
// belongs to the console.
class PlanDriver : public QObject {
    Q_OBJECT
public:
    // The driver of `console`, made the first time it is asked for.
    static PlanDriver* of(CSplitterView* console);

    ConsolePlan& plan();
    // Starts `plan` on the console's port; an empty text, or why it did not start.
    std::string start(TestPlan plan, const std::string& name);
    void stop();

Q_SIGNALS:
    // Results, the plan's state or its deadline changed; may come once per received frame.
    void changed();

private:
    explicit PlanDriver(CSplitterView* console);
    void reschedule();
    void wake();

    CSplitterView* m_console; // the parent
    QTimer m_timer;
};

} // namespace tovan
