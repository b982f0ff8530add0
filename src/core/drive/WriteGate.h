#pragma once

#include "core/common/DeviceKind.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

namespace kelm {

// The unit a request goes to: port, frame variant, address and kind in use.
struct UnitInUse {
    std::uint8_t Port = 0;
    bool Link = false;
    std::uint8_t Address = 0;
    DeviceKind Kind = DeviceKind::Std;
    bool operator==(const UnitInUse&) const = default;
};

// Who asked for a write, on which unit, and at which generation of the session.
struct WriteOrigin {
    QString Action; // "Speed page Apply", "Enable", "kelmctl write 80 100", ...
    std::uint64_t Generation = 0;
    UnitInUse Unit;
    std::uint64_t Serial = 0; // one per request: the writes of one request share it
    bool IsSet() const { return Generation != 0; }
};

// One write that reached the gate, sent or dropped.
struct GateRecord {
    WriteOrigin Origin;
    UnitInUse Target;
    std::uint16_t Address = 0;
    std::uint16_t Value = 0;
    bool Admitted = false;
};

// The one path every write to a drive passes. A request carries the action that asked for
// it and the generation it was asked at; the generation changes at every transition of the
// session (selection, table read, unit change, line lost, transfer closed), so a request
// kept across one (a pending Enable, a slider position, a page edit) is dropped with a
// note instead of reaching whatever unit is in use later.
//
// Writes made outside any scope count as asked now (the command line, the program's own
// sequences that run start to end under one action). Thread-safe: the drive's worker writes
// under the scope its user-interface thread opened, one user at a time.
class WriteGate {
public:
    using Observer = std::function<void(const GateRecord&)>;
    using NoteSink = std::function<void(const QString&)>;

    std::uint64_t Generation() const { return generation_.load(); }
    // A transition: every request asked before it is void.
    void Advance() { ++generation_; }

    // A request asked now on unit.
    WriteOrigin Ask(const QString& action, const UnitInUse& unit) const {
        return WriteOrigin{action, Generation(), unit, ++serial_};
    }

    // While a scope lives, writes are admitted under its origin.
    class Scope {
    public:
        Scope(WriteGate& gate, WriteOrigin origin);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        WriteGate& gate_;
        WriteOrigin previous_;
    };

    // True when a write to target may go out now. A refused one is noted once per origin.
    // record (when given) receives what the gate saw.
    bool Admit(const UnitInUse& target, std::uint16_t address, std::uint16_t value,
               GateRecord* record = nullptr);
    // True when origin would still be admitted on target.
    bool Current(const WriteOrigin& origin, const UnitInUse& target) const;

    // Sees every write that reached the gate (a journal, a test's oracle).
    void SetObserver(Observer observer);
    // Shows the note about a dropped request (status bar, stderr). Default: qWarning.
    void SetNoteSink(NoteSink sink);
    int DroppedCount() const { return dropped_.load(); }
    // The note shown when a request of action was dropped.
    static QString DroppedNote(const QString& action);

private:
    std::atomic<std::uint64_t> generation_{1};
    std::atomic<int> dropped_{0};
    mutable std::atomic<std::uint64_t> serial_{0};
    mutable std::mutex mutex_;
    WriteOrigin scope_;
    std::uint64_t lastNotedGeneration_ = 0;
    QString lastNotedAction_;
    Observer observer_;
    NoteSink noteSink_;
};

} // namespace kelm
