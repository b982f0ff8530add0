#pragma once

#include "core/drive/LineTurns.h"
#include "core/drive/WriteGate.h"

#include <atomic>
#include <cstdint>
#include <mutex>

namespace kelm {

// What happens to a connection. Each event is one row of the transition table in
// Session.cpp.
enum class SessionEvent {
    SelectionStarted,  // Select Drive was asked for
    Connected,         // a port was opened on a unit (or the line answered again)
    TableRead,         // the whole table was read from the unit
    TransferStarted,   // a whole-table read or write began
    TransferDone,      // a transfer other than the table read reached its end
    TransferClosed,    // the user closed the progress dialog before the end
    TransferFailed,    // the unit stopped answering during a transfer
    LineLost,          // a request was not answered
    OverviewOpened,    // the link overview started scanning the units
    UnitChosen,        // a unit of the link was chosen in the overview
    OverviewCancelled, // the overview was left without a choice
    KindChanged,       // another kind was chosen off line
    ScopeOpened,
    ScopeClosed,
};

// The connection's state, apart from what the drive model and the master hold (tables,
// port, address).
struct SessionState {
    bool Online = false;    // the unit answers; "On Line" is shown only then
    bool UnitInUse = false; // a unit was connected and not left since
    bool Transfer = false;  // a whole-table transfer is running
    bool Overview = false;  // the link overview is open
    bool Scope = false;     // the oscilloscope is open
    bool operator==(const SessionState&) const = default;
};

// The state after an event, and whether the event voids earlier requests.
struct SessionStep {
    SessionState State;
    bool Advances = false;
};
SessionStep NextSessionState(const SessionState& state, SessionEvent event);

// Owns the connection's state and the write gate; every transition goes through On(),
// which also moves the gate's generation, so a request asked before it is never written.
// On() is called from the user-interface thread; Online() from either thread.
class Session {
public:
    // Writes and transitions take turns on the line (see LineTurns).
    LineTurns& Line() { return line_; }

    void On(SessionEvent event);
    // Puts back a state taken before (a cancelled link overview); a transition too.
    void Restore(const SessionState& state);
    SessionState State() const;
    bool Online() const { return online_.load(); }
    std::uint64_t Generation() const { return gate_.Generation(); }
    WriteGate& Gate() { return gate_; }
    const WriteGate& Gate() const { return gate_; }

private:
    LineTurns line_;
    mutable std::mutex mutex_;
    SessionState state_;
    // state_.Online, readable by the worker without the lock (every request checks it).
    std::atomic<bool> online_{false};
    WriteGate gate_;
};

} // namespace kelm
