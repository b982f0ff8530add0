#pragma once

#include <QAbstractButton>
#include <QMenuBar>
#include <map>

namespace kelm::test {

// Keyboard faults of a window: accelerators shared by its reachable buttons and top menus
// ("&Ok|&Off Line"), and top menus without one.
inline QStringList AcceleratorFaults(const QWidget& window) {
    QStringList texts, faults;
    for (const QAbstractButton* b : window.findChildren<QAbstractButton*>())
        if (b->isVisibleTo(&window) && b->isEnabled() && b->text().contains('&'))
            texts << b->text();
    for (const QMenuBar* bar : window.findChildren<QMenuBar*>())
        for (const QAction* menu : bar->actions())
            if (menu->isVisible())
                (menu->text().contains('&') ? texts : faults) << menu->text();
    std::map<QString, QStringList> users;
    for (const QString& text : texts)
        users[text.mid(text.indexOf('&') + 1, 1).toUpper()] << text;
    for (const auto& [key, list] : users)
        if (list.size() > 1)
            faults << list.join('|');
    return faults;
}

} // namespace kelm::test
