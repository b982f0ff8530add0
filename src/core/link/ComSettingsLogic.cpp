#include "core/link/ComSettingsLogic.h"

#include <algorithm>

namespace kelm {
namespace {

constexpr int DefaultBaudIndex = 2;   // "19200"
constexpr int DefaultParityIndex = 2; // "Even"

} // namespace

const QStringList& ComSettingsLogic::PortItems() {
    static const QStringList items = [] {
        QStringList list;
        for (int com = 1; com <= 8; ++com) {
            list << QStringLiteral("Com %1").arg(com);
        }
        return list;
    }();
    return items;
}

const QStringList& ComSettingsLogic::BaudItems() {
    static const QStringList items = {QStringLiteral("9600"),   QStringLiteral("14400"),
                                      QStringLiteral("19200"),  QStringLiteral("38400"),
                                      QStringLiteral("56000"),  QStringLiteral("57600"),
                                      QStringLiteral("115200"), QStringLiteral("128000"),
                                      QStringLiteral("230400"), QStringLiteral("256000")};
    return items;
}

const QStringList& ComSettingsLogic::ParityItems() {
    static const QStringList items = {QStringLiteral("No"), QStringLiteral("Odd"),
                                      QStringLiteral("Even"), QStringLiteral("Mark"),
                                      QStringLiteral("Space")};
    return items;
}

ComSettingsLogic::Selection ComSettingsLogic::SelectionFor(const ComSettingsValues& stored) {
    Selection selection;
    selection.PortIndex =
        (stored.ComPort >= 1 && stored.ComPort <= PortItems().size()) ? stored.ComPort - 1 : 0;
    const int baud = BaudItems().indexOf(QString::number(stored.BaudRate));
    selection.BaudIndex = baud >= 0 ? baud : DefaultBaudIndex;
    selection.ParityIndex = (stored.Parity >= 0 && stored.Parity < ParityItems().size())
                                ? stored.Parity
                                : DefaultParityIndex;
    // The field shows what it can hold: an untouched field then matches and stores nothing.
    selection.LinkPort = std::clamp(stored.LinkComPort, MinLinkPort, MaxLinkPort);
    return selection;
}

ComSettingsLogic::Selection ComSettingsLogic::Defaults() {
    return Selection{0, DefaultBaudIndex, DefaultParityIndex, DefaultLinkPort};
}

ComSettingsLogic::ComSettingsLogic(Variant variant, const ComSettingsValues& stored)
    : variant_(variant), shown_(SelectionFor(stored)), current_(shown_) {}

bool ComSettingsLogic::Apply(ComSettingsValues& store) const {
    bool changed = false;
    if (variant_ == Variant::Standard) {
        if (current_.PortIndex != shown_.PortIndex && current_.PortIndex >= 0 &&
            current_.PortIndex < PortItems().size()) {
            store.ComPort = current_.PortIndex + 1;
            changed = true;
        }
        if (current_.BaudIndex != shown_.BaudIndex && current_.BaudIndex >= 0 &&
            current_.BaudIndex < BaudItems().size()) {
            store.BaudRate = BaudItems().at(current_.BaudIndex).toInt();
            changed = true;
        }
        if (current_.ParityIndex != shown_.ParityIndex && current_.ParityIndex >= 0 &&
            current_.ParityIndex < ParityItems().size()) {
            store.Parity = current_.ParityIndex;
            changed = true;
        }
    }
    if (current_.LinkPort != shown_.LinkPort && current_.LinkPort >= MinLinkPort &&
        current_.LinkPort <= MaxLinkPort) {
        store.LinkComPort = current_.LinkPort;
        changed = true;
    }
    return changed;
}

} // namespace kelm
