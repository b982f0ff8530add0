#include "ui/pages/EditWrite.h"

#include "core/drive/TDriver.h"
#include "core/params/ParamTable.h"

namespace kelm {

EditWriteResult WriteEdits(TDriver& driver, EditTracker edits) {
    EditWriteResult result;
    const std::vector<std::uint16_t> asked = edits.Addresses();
    if (asked.empty() || !driver.Online()) {
        result.Left = std::move(edits);
        result.Online = driver.Online();
        return result;
    }
    ParamTable& table = driver.ActiveTable();
    const std::vector<std::uint16_t> bitRegisters = edits.BitRegisters();
    if (!bitRegisters.empty()) {
        // Only the edited bits may change what the drive holds now.
        driver.WaitIdle();
        for (const std::uint16_t address : bitRegisters) {
            ParamEntry* entry = table.FindByAddress(address);
            if (entry != nullptr && !driver.ReadEntry(*entry, true, 100, false))
                break;
        }
    }
    if (driver.Online()) {
        const EditTracker::Replaced replaced = edits.Store(table);
        driver.WriteParams(asked);
        edits.Settle(table, replaced);
    }
    result.Online = driver.Online();
    for (const std::uint16_t address : asked)
        if (!edits.Has(address) && table.FindByAddress(address) != nullptr)
            result.Written.push_back(address);
    result.Left = std::move(edits);
    return result;
}

} // namespace kelm
