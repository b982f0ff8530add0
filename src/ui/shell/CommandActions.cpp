#include "ui/shell/CommandActions.h"

#include <QAction>

namespace kelm {

CommandActions::CommandActions(QObject& parent, const std::function<void(Command)>& run) {
    for (int i = 0; i < CommandCount; ++i) {
        const auto command = static_cast<Command>(i);
        const CommandInfo& info = InfoOf(command);
        if (info.Caption[0] != '\0')
            Add(parent, command, false, run);
        if (info.ButtonName[0] != '\0')
            Add(parent, command, true, run);
    }
    // The Enable/Disable shortcuts work from anywhere in the window.
    for (Command c : {Command::Enable, Command::Disable})
        Menu(c)->setShortcutContext(Qt::ApplicationShortcut);
}

QAction* CommandActions::Add(QObject& parent, Command command, bool button,
                             const std::function<void(Command)>& run) {
    const CommandInfo& info = InfoOf(command);
    auto* action = new QAction(&parent);
    if (button) {
        action->setObjectName(QString::fromLatin1(info.ButtonName));
        const QString text = QString::fromLatin1(info.ButtonText);
        action->setText(text.isEmpty() ? QString::fromLatin1(info.Hint) : text);
        action->setToolTip(QString::fromLatin1(info.Hint));
        buttons_[static_cast<std::size_t>(command)] = action;
    } else {
        action->setObjectName(QString::fromLatin1(info.Name));
        action->setText(QString::fromUtf8(info.Caption));
        if (info.Shortcut[0] != '\0')
            action->setShortcut(QKeySequence(QString::fromLatin1(info.Shortcut)));
        menu_[static_cast<std::size_t>(command)] = action;
    }
    QObject::connect(action, &QAction::triggered, &parent, [run, command] { run(command); });
    return action;
}

QAction* CommandActions::Menu(Command command) const {
    return menu_[static_cast<std::size_t>(command)];
}

QAction* CommandActions::Button(Command command) const {
    return buttons_[static_cast<std::size_t>(command)];
}

CommandState CommandActions::StateOf(Command command) const {
    const QAction* action = Menu(command) ? Menu(command) : Button(command);
    return {action->isVisible(), action->isEnabled()};
}

void CommandActions::Apply(const CommandStates& states) {
    for (int i = 0; i < CommandCount; ++i) {
        const auto command = static_cast<Command>(i);
        for (QAction* action : {Menu(command), Button(command)}) {
            if (action == nullptr)
                continue;
            action->setVisible(states[command].Visible);
            action->setEnabled(states[command].Enabled);
        }
    }
    // The toolbar's Save button exists but is never shown (the menu item is).
    Button(Command::Save)->setVisible(false);
}

} // namespace kelm
