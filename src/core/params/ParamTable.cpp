#include "core/params/ParamTable.h"

#include <algorithm>
#include <utility>

namespace kelm {
namespace {

std::int16_t& ValueIn(ParamEntry& entry, Column column) {
    switch (column) {
    case Column::FileValue:
        return entry.FileValue;
    case Column::DriveValue:
        return entry.DriveValue;
    case Column::Value:
        break;
    }
    return entry.Value;
}

} // namespace

bool ParamTable::Add(const ParamEntry& entry) {
    if (FindByAddress(entry.Address))
        return false;
    entries_.push_back(entry);
    return true;
}

ParamEntry* ParamTable::FindByAddress(std::uint16_t address) {
    return const_cast<ParamEntry*>(std::as_const(*this).FindByAddress(address));
}

const ParamEntry* ParamTable::FindByAddress(std::uint16_t address) const {
    if (address < entries_.size() && entries_[address].Address == address)
        return &entries_[address];
    for (const ParamEntry& entry : entries_) {
        if (entry.Address == address)
            return &entry;
    }
    return nullptr;
}

void ParamTable::SortByAddress() {
    std::stable_sort(
        entries_.begin(), entries_.end(),
        [](const ParamEntry& a, const ParamEntry& b) { return a.Address < b.Address; });
}

bool ParamTable::CopyFrom(const ParamTable& source) {
    if (source.IsEmpty())
        return false;
    if (&source != this)
        entries_ = source.entries_;
    return true;
}

bool ParamTable::UpdateValuesFrom(const ParamTable& source) {
    if (source.Count() != Count())
        return false;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].Address == source.entries_[i].Address)
            entries_[i].Value = source.entries_[i].Value;
    }
    return true;
}

void ParamTable::ResetValuesToDefault() {
    for (ParamEntry& entry : entries_)
        entry.Value = entry.DefaultValue;
}

void ParamTable::CopyColumn(Column destination, Column source) {
    for (ParamEntry& entry : entries_)
        ValueIn(entry, destination) = ValueIn(entry, source);
}

bool ParamTable::HasUnsavedChanges() const {
    return std::any_of(entries_.begin(), entries_.end(), [](const ParamEntry& e) {
        return e.KeptInFile() && e.Value != e.FileValue;
    });
}

ParamTable ParamTable::MakeSynthetic(const QString& prefix, std::uint16_t first,
                                     std::uint16_t last) {
    ParamTable table;
    for (std::uint32_t address = first; address <= last; ++address) {
        ParamEntry entry;
        entry.Name = prefix + QString::number(address);
        entry.AccessLetter = 'E';
        entry.KindLetter = 'A';
        entry.Address = static_cast<std::uint16_t>(address);
        entry.MinValue = -32768;
        entry.MaxValue = 32767;
        table.Add(entry);
    }
    return table;
}

} // namespace kelm
