#include "core/rules/EditTracker.h"

#include "core/params/ParamTable.h"

#include <iterator>

namespace kelm {

void EditTracker::SetWord(std::uint16_t address, std::int16_t value) {
    edits_[address] = Edit{true, value, 0, 0};
}

void EditTracker::SetBits(std::uint16_t address, std::uint16_t mask, bool set) {
    Edit& edit = edits_[address];
    if (edit.Whole) {
        const auto word = static_cast<std::uint16_t>(edit.Word);
        edit.Word = static_cast<std::int16_t>(set ? (word | mask) : (word & ~mask));
        return;
    }
    edit.Mask |= mask;
    edit.Bits = static_cast<std::uint16_t>(set ? (edit.Bits | mask) : (edit.Bits & ~mask));
}

std::int16_t EditTracker::Shown(std::uint16_t address, std::int16_t base) const {
    const auto it = edits_.find(address);
    if (it == edits_.end())
        return base;
    const Edit& edit = it->second;
    if (edit.Whole)
        return edit.Word;
    const auto word = static_cast<std::uint16_t>(base);
    return static_cast<std::int16_t>((word & ~edit.Mask) | edit.Bits);
}

std::vector<std::uint16_t> EditTracker::Addresses() const {
    std::vector<std::uint16_t> addresses;
    for (const auto& [address, edit] : edits_)
        addresses.push_back(address);
    return addresses;
}

std::vector<std::uint16_t> EditTracker::BitRegisters() const {
    std::vector<std::uint16_t> addresses;
    for (const auto& [address, edit] : edits_)
        if (!edit.Whole)
            addresses.push_back(address);
    return addresses;
}

EditTracker::Replaced EditTracker::Store(ParamTable& table) const {
    Replaced replaced;
    for (const auto& [address, edit] : edits_) {
        ParamEntry* entry = table.FindByAddress(address);
        if (entry == nullptr)
            continue;
        replaced.emplace_back(address, entry->Value);
        entry->Value = Shown(address, edit.Whole ? entry->Value : entry->DriveValue);
    }
    return replaced;
}

void EditTracker::Settle(ParamTable& table, const Replaced& replaced) {
    // A register the table lacks can never be written.
    for (auto it = edits_.begin(); it != edits_.end();)
        it = table.FindByAddress(it->first) == nullptr ? edits_.erase(it) : std::next(it);
    for (const auto& [address, before] : replaced) {
        ParamEntry* entry = table.FindByAddress(address);
        if (entry == nullptr)
            continue;
        if (entry->Value == entry->DriveValue)
            edits_.erase(address);
        else
            entry->Value = before;
    }
}

} // namespace kelm
