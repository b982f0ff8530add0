#pragma once

#include <QAbstractButton>
#include <QMenuBar>
#include <map>

namespace kelm::test {

// Keyboard faults of a window: a letter shared by the accelerators of its reachable buttons
// and top menus ("O: &Ok|&Off Line"), or a top menu without one ("no accelerator: Drive").
inline QStringList AcceleratorFaults(const QWidget& window) {
    std::map<QChar, QStringList> users;
    QStringList faults;
    const auto add = [&](const QString& text, bool needed) {
        const qsizetype at = text.indexOf(QLatin1Char('&'));
        if (at >= 0 && at + 1 < text.size())
            users[text[at + 1].toUpper()] << text;
        else if (needed)
            faults << QStringLiteral("no accelerator: ") + text;
    };
    for (const QAbstractButton* b : window.findChildren<QAbstractButton*>())
        if (b->isVisibleTo(&window) && b->isEnabled())
            add(b->text(), false);
    for (const QMenuBar* bar : window.findChildren<QMenuBar*>())
        for (const QAction* menu : bar->actions())
            add(menu->isVisible() ? menu->text() : QString(), menu->isVisible());
    for (const auto& [key, texts] : users)
        if (texts.size() > 1)
            faults << QString(key) + QStringLiteral(": ") + texts.join(QLatin1Char('|'));
    return faults;
}

} // namespace kelm::test
