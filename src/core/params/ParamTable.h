#pragma once

#include "core/params/ParamEntry.h"

#include <vector>

namespace kelm {

// An owning list of ParamEntry keyed by Address (no two entries share one).
// Entries are held by value; pointers returned by FindByAddress stay valid until the
// table's entry list changes (Add, Clear, CopyFrom, SortByAddress).
class ParamTable {
public:
    int Count() const { return static_cast<int>(entries_.size()); }
    bool IsEmpty() const { return entries_.empty(); }
    ParamEntry& At(int index) { return entries_.at(static_cast<std::size_t>(index)); }
    const ParamEntry& At(int index) const { return entries_.at(static_cast<std::size_t>(index)); }
    auto begin() { return entries_.begin(); }
    auto end() { return entries_.end(); }
    auto begin() const { return entries_.begin(); }
    auto end() const { return entries_.end(); }

    // Appends a copy unless the address is taken; false (nothing added) then.
    bool Add(const ParamEntry& entry);
    // Direct lookup when the entry at position `address` has that address, else a scan.
    ParamEntry* FindByAddress(std::uint16_t address);
    const ParamEntry* FindByAddress(std::uint16_t address) const;
    void SortByAddress();
    void Clear() { entries_.clear(); }
    // false and unchanged when the source is empty.
    bool CopyFrom(const ParamTable& source);
    // Copies Value position by position where the addresses agree; false when counts differ.
    bool UpdateValuesFrom(const ParamTable& source);
    void ResetValuesToDefault();
    void CopyColumn(Column destination, Column source);
    // An entry kept in files ('A' or 'F') whose Value differs from its FileValue.
    bool HasUnsavedChanges() const;

    // Synthetic table: one entry per address first..last, named prefix + decimal address,
    // access 'E', kind 'A', limits -32768..32767, everything else 0.
    static ParamTable MakeSynthetic(const QString& prefix, std::uint16_t first, std::uint16_t last);

private:
    std::vector<ParamEntry> entries_;
};

} // namespace kelm
