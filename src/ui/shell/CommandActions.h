#pragma once

#include "core/rules/CommandRules.h"

#include <array>
#include <functional>

class QAction;
class QObject;

namespace kelm {

// The QActions of the command table: a menu item and a toolbar button per command where it
// has them (names, captions, hints and shortcuts from InfoOf), owned by the parent object.
// Both run the same command; both show the same state.
class CommandActions {
public:
    CommandActions(QObject& parent, const std::function<void(Command)>& run);

    QAction* Menu(Command command) const;   // nullptr when the command has no item
    QAction* Button(Command command) const; // nullptr when it has no toolbar button
    // The state as shown (the menu item's, else the button's).
    CommandState StateOf(Command command) const;
    // Every action takes its command's visibility and enabled state.
    void Apply(const CommandStates& states);

private:
    QAction* Add(QObject& parent, Command command, bool button,
                 const std::function<void(Command)>& run);

    std::array<QAction*, CommandCount> menu_{};
    std::array<QAction*, CommandCount> buttons_{};
};

} // namespace kelm
