#pragma once

#include <QString>

#include <string>

class QWidget;

namespace tovan {

class CSplitterView;
struct PlanContext;

// Starts test plans on a console, as the Command menu asks: a plan file the user chooses, or
// a plan made from the folder selected in the command tree (each command sent, any answer
// within 500 ms passes). A plan with errors is shown in one message box, every error with its
// line and column, and nothing of it runs; so is a plan that cannot start (port closed, a plan
// already running).
class PlanLauncher {
public:
    static constexpr const char* CAPTION = "Run test plan";
    // Plan files larger than this are refused rather than read.
    static constexpr qint64 MAX_PLAN_BYTES = 16 * 1024 * 1024;

    PlanLauncher(CSplitterView& console, QWidget* dialogParent)
        : m_console(console), m_parent(dialogParent) {}

    // Each is true when a plan started.
    bool runFile();
    bool runSelectedFolder();

private:
    bool start(const std::string& text, const QString& name, const PlanContext& context,
               const QString& nothingToRun);
    void tell(const QString& text);

    CSplitterView& m_console;
    QWidget* m_parent;
};

} // namespace tovan
