#pragma once

#include "core/frames/ModuleFamily.h"

#include <QList>

#include <functional>

class QAction;
class QObject;

namespace tovan {

class ModuleConsole;

// A console's own commands as actions (ids as object names and data, prompts as status tips),
// for its menus and the main window's toolbar, enabled and checked as the console's state says.
class ConsoleCommandActions {
public:
    using Run = std::function<void(int commandId)>;

    // Makes the commands of `family`, owned by `owner`; triggering one calls `run` with its id.
    void create(QObject* owner, ModuleFamily family, Run run);
    const QList<QAction*>& all() const { return m_actions; }
    QAction* action(int commandId) const;
    // Enabled and checked states as `console` has them now.
    void update(const ModuleConsole& console);

private:
    QList<QAction*> m_actions;
};

} // namespace tovan
