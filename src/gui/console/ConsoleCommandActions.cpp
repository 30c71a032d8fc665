#include "gui/console/ConsoleCommandActions.h"

#include "core/console/ConsoleCommands.h"
#include "core/console/ModuleConsole.h"

#include <QAction>

namespace tovan {

namespace {

struct CommandText {
    int id;
    const char* text;
    const char* prompt; // status-bar prompt; none: nullptr
    bool checkable;
};

constexpr CommandText COMMON_COMMANDS[] = {
    {consolecmd::ID_CHOOSE_PORT, "Choose COM-Port",
     "Choose the active COM-Port which is connected to yout TOVAN wireless device", false},
    {consolecmd::ID_OPEN_PORT, "Open COM-Port",
     "Open the selected COM port to connect to your TOVAN wireless device", false},
    {consolecmd::ID_CLOSE_PORT, "Close COM-Port",
     "Close the connection to your TOVAN wireless device", false},
    {consolecmd::ID_CLEAR_VIEW, "Clear view", "Clear the output view", false},
    {consolecmd::ID_LOGGING, "Communication logging",
     "Enables/Disables communication window logging", true},
    {consolecmd::ID_SHOW_DISCARDED, "Show discarded bytes",
     "Show the bytes the receiver throws away, with the reason, in grey", true},
    {consolecmd::ID_MILLISECONDS, "Times in milliseconds",
     "Show times to the millisecond and the time since the previous frame", true},
    {consolecmd::ID_SIDE_BY_SIDE, "Characters beside the bytes",
     "Show the printable characters of each frame beside its hex text", true},
    {consolecmd::ID_RECONNECT, "Reconnect when the port comes back",
     "Wait for a lost port to come back and open it again", true},
};

constexpr CommandText SECOND_FAMILY_COMMANDS[] = {
    {consolecmd::ID_PARSE_RX, "Parse RX data",
     "Enables/Disables Parsing of Header information for incoming data frames", true},
    {consolecmd::ID_TEST_SEQUENCE, "Testsequence",
     "Feed the console sample telegrams every two seconds, as if received", true},
};

} // namespace

void ConsoleCommandActions::create(QObject* owner, ModuleFamily family, Run run) {
    auto add = [&](const CommandText& command) {
        auto* action = new QAction(QString::fromLatin1(command.text), owner);
        action->setObjectName(QString::number(command.id));
        action->setData(command.id);
        if (command.prompt)
            action->setStatusTip(QString::fromLatin1(command.prompt));
        action->setCheckable(command.checkable);
        QObject::connect(action, &QAction::triggered, owner,
                         [run, id = command.id] { run(id); });
        m_actions.append(action);
    };
    for (const CommandText& command : COMMON_COMMANDS)
        add(command);
    if (family == ModuleFamily::VM77)
        for (const CommandText& command : SECOND_FAMILY_COMMANDS)
            add(command);
}

QAction* ConsoleCommandActions::action(int commandId) const {
    for (QAction* action : m_actions)
        if (action->data().toInt() == commandId)
            return action;
    return nullptr;
}

void ConsoleCommandActions::update(const ModuleConsole& console) {
    for (QAction* action : m_actions) {
        const int id = action->data().toInt();
        action->setEnabled(console.isCommandEnabled(id));
        if (action->isCheckable())
            action->setChecked(console.isCommandChecked(id));
    }
}

} // namespace tovan
