#pragma once

#include "core/rules/EditTracker.h"

#include <cstdint>
#include <vector>

namespace kelm {

class TDriver;

// What became of a window's edits at a write.
struct EditWriteResult {
    EditTracker Left;                   // the edits that did not reach the drive
    std::vector<std::uint16_t> Written; // the registers that did
    bool Online = false;                // the drive was still on line afterwards
};

// Writes exactly the registers of edits to the drive: the registers edited bit by bit are
// read again first (other windows write other bits of them), the edits go into Value, only
// their registers are sent, and an edit that did not reach the drive keeps its register's
// former Value. Off line nothing is sent and every edit is left.
//
// The caller opens the write-gate scope of the action. The exchanges process window events,
// so the edits are taken by value: the window that holds them may be gone on return.
EditWriteResult WriteEdits(TDriver& driver, EditTracker edits);

} // namespace kelm
