#pragma once

#include "core/drive/Session.h"
#include "core/link/SerialChannel.h"
#include "core/params/ParamTable.h"

namespace kelm {

class TDriver;

// The unit in use with everything the program knows of it: port and line settings, frame
// variant, address, kind, table (identity included) and the session state. Taken before
// the link overview scans the units, so that its Cancel gives the same unit back.
class UnitSnapshot {
public:
    static UnitSnapshot Take(TDriver& driver);

    // Reopens the port when another one is open now, puts back address, kind, table and
    // state (a transition: requests asked meanwhile are void). false, off line, when the
    // port could not be opened again.
    bool Restore(TDriver& driver) const;

    const UnitInUse& Unit() const { return unit_; }
    // A unit was on line when the snapshot was taken.
    bool WasOnline() const { return state_.Online && state_.UnitInUse; }

private:
    UnitInUse unit_;
    LineSettings settings_;
    bool portOpen_ = false;
    SessionState state_;
    ParamTable table_;
};

} // namespace kelm
