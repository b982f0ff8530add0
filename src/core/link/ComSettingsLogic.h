#pragma once

#include <QStringList>
#include <cstdint>

namespace kelm {

// The serial settings as the settings store keeps them.
struct ComSettingsValues {
    int ComPort = 1;
    int BaudRate = 19200;
    int Parity = 2; // 0 none, 1 odd, 2 even, 3 mark, 4 space
    int LinkComPort = 10;
};

// What the Com Settings dialog shows and stores, without widgets. The dialog fills its lists
// from the item lists, shows Shown(), lets the user change Current(), and on close calls
// Apply() with the store's values.
class ComSettingsLogic {
public:
    enum class Variant { Standard, Link };

    struct Selection {
        int PortIndex = 0;   // into PortItems
        int BaudIndex = 2;   // into BaudItems
        int ParityIndex = 2; // into ParityItems
        int LinkPort = 11;   // numeric field

        friend bool operator==(const Selection&, const Selection&) = default;
    };

    static const QStringList& PortItems();     // "Com 1" .. "Com 8"
    static const QStringList& BaudItems();     // "9600" .. "256000"
    static const QStringList& ParityItems();   // "No", "Odd", "Even", "Mark", "Space"
    static constexpr int DefaultLinkPort = 11; // set by "&Load Default"
    static constexpr int MinLinkPort = 1;
    static constexpr int MaxLinkPort = 255;

    // The selection shown for stored values: out-of-range values show "Com 1", "19200",
    // "Even", and the nearest link port of the field's range.
    static Selection SelectionFor(const ComSettingsValues& stored);
    // What "&Load Default" selects.
    static Selection Defaults();

    ComSettingsLogic(Variant variant, const ComSettingsValues& stored);

    Variant DialogVariant() const { return variant_; }
    const Selection& Shown() const { return shown_; }
    Selection& Current() { return current_; }
    const Selection& Current() const { return current_; }
    void LoadDefaults() { current_ = Defaults(); }

    // ApplyComSettings: stores each value whose selection differs from the one shown at
    // opening (the link variant stores only the link port); true when anything was stored.
    // A link port outside 1..255 is not stored.
    bool Apply(ComSettingsValues& store) const;

private:
    Variant variant_;
    Selection shown_;
    Selection current_;
};

} // namespace kelm
