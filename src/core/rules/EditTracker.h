#pragma once

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace kelm {

class ParamTable;

// The edits a dialog page holds for its registers until Apply: a whole register set to a
// number, or some bits of a register that other controls share (the rest of that register
// is taken from the drive when it is written). Nothing here touches the table until
// Store; Settle then keeps what did not reach the drive.
class EditTracker {
public:
    // The register's whole word becomes value.
    void SetWord(std::uint16_t address, std::int16_t value);
    // The bits of mask are set or cleared; the other bits stay as the drive holds them.
    void SetBits(std::uint16_t address, std::uint16_t mask, bool set);
    void Drop(std::uint16_t address) { edits_.erase(address); }
    void Clear() { edits_.clear(); }
    bool Empty() const { return edits_.empty(); }
    bool Has(std::uint16_t address) const { return edits_.count(address) != 0; }
    // The register as the page shows it: base (its Value) with the edit over it.
    std::int16_t Shown(std::uint16_t address, std::int16_t base) const;
    std::vector<std::uint16_t> Addresses() const;
    // The registers edited bit by bit: read again from the drive just before Store.
    std::vector<std::uint16_t> BitRegisters() const;

    // The Values an edit replaced, to put back where the write did not happen.
    using Replaced = std::vector<std::pair<std::uint16_t, std::int16_t>>;
    // Puts every edit into Value: a word as it is, bits over DriveValue. Registers the
    // table lacks are left out.
    Replaced Store(ParamTable& table) const;
    // After the write: an edit whose register now holds Value at the drive is done and
    // dropped; any other keeps its edit and its register gets its former Value back.
    void Settle(ParamTable& table, const Replaced& replaced);

private:
    struct Edit {
        bool Whole = false;
        std::int16_t Word = 0;  // Whole
        std::uint16_t Mask = 0; // otherwise: the bits edited
        std::uint16_t Bits = 0; // and their state
    };
    std::map<std::uint16_t, Edit> edits_;
};

} // namespace kelm
