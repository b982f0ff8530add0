#include "ui/widgets/PageFields.h"

#include "core/params/ParamTable.h"
#include "core/rules/EditTracker.h"
#include "core/rules/FieldBinding.h"
#include "ui/widgets/TPNumEdit.h"

namespace kelm {

void PageFields::Add(TPNumEdit* field, bool wide) {
    if (field == nullptr || Find(field) != nullptr)
        return;
    fields_.push_back(field);
    items_.push_back(Item{field, wide});
}

const PageFields::Item* PageFields::Find(const TPNumEdit* field) const {
    for (const Item& item : items_)
        if (item.Field == field)
            return &item;
    return nullptr;
}

bool PageFields::IsWide(const TPNumEdit* field) const {
    const Item* item = Find(field);
    return item != nullptr && item->Wide;
}

bool PageFields::RegisterNumber(const TPNumEdit* field, std::int32_t& number) const {
    const Item* item = Find(field);
    if (item == nullptr)
        return false;
    if (item->Wide) {
        const ParamEntry* low = table_->FindByAddress(WideTagLowRegister(field->Tag()));
        const ParamEntry* high = table_->FindByAddress(WideTagHighRegister(field->Tag()));
        if (low == nullptr || high == nullptr)
            return false;
        number = JoinWords(high->Value, low->Value);
        return true;
    }
    const ParamEntry* entry = table_->FindByAddress(static_cast<std::uint16_t>(field->Tag()));
    if (entry == nullptr)
        return false;
    number = entry->Value;
    return true;
}

void PageFields::Bind() {
    for (TPNumEdit* field : fields_)
        Bind(field);
}

void PageFields::Bind(TPNumEdit* field) {
    const Item* item = Find(field);
    if (item == nullptr)
        return;
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;
    if (item->Wide) {
        const ParamEntry* high = table_->FindByAddress(WideTagHighRegister(field->Tag()));
        if (high == nullptr || table_->FindByAddress(WideTagLowRegister(field->Tag())) == nullptr)
            return;
        minimum = JoinWords(high->MinValue, 0);
        maximum = JoinWords(high->MaxValue, -1);
    } else {
        const ParamEntry* entry = table_->FindByAddress(static_cast<std::uint16_t>(field->Tag()));
        if (entry == nullptr)
            return;
        minimum = entry->MinValue;
        maximum = entry->MaxValue;
    }
    field->WrMin(minimum);
    field->WrMax(maximum);
    field->SetIsNegative(minimum < 0);
    field->SetChangeHandler([](TPNumEdit& edited) { edited.SetMarked(true); });
    Reload(field);
    Recolour(field);
}

bool PageFields::Store(TPNumEdit* field) {
    const Item* item = Find(field);
    if (item == nullptr)
        return false;
    const std::int32_t number = field->RdValore();
    if (item->Wide) {
        ParamEntry* low = table_->FindByAddress(WideTagLowRegister(field->Tag()));
        ParamEntry* high = table_->FindByAddress(WideTagHighRegister(field->Tag()));
        if (low == nullptr || high == nullptr)
            return false;
        const bool changed = low->Value != LowWordOf(number) || high->Value != HighWordOf(number);
        low->Value = LowWordOf(number);
        high->Value = HighWordOf(number);
        field->ClearEdited();
        return changed;
    }
    ParamEntry* entry = table_->FindByAddress(static_cast<std::uint16_t>(field->Tag()));
    if (entry == nullptr)
        return false;
    // The field's limits come from the register, so the number fits 16 bits.
    const auto value = static_cast<std::int16_t>(number);
    const bool changed = entry->Value != value;
    entry->Value = value;
    field->ClearEdited();
    return changed;
}

std::vector<std::uint16_t> PageFields::Registers(const Item& item) const {
    const int tag = item.Field->Tag();
    if (item.Wide)
        return {WideTagLowRegister(tag), WideTagHighRegister(tag)};
    return {static_cast<std::uint16_t>(tag)};
}

void PageFields::Collect(EditTracker& edits) {
    for (const Item& item : items_) {
        TPNumEdit* field = item.Field;
        if (!field->Edited())
            continue;
        const std::vector<std::uint16_t> registers = Registers(item);
        bool bound = true;
        for (const std::uint16_t address : registers)
            bound = bound && table_->FindByAddress(address) != nullptr;
        if (!bound)
            continue;
        if (field->EditPending())
            field->ChkVal(); // a number typed below a positive minimum, as leaving would
        const std::int32_t number = field->RdValore();
        if (item.Wide) {
            edits.SetWord(registers[0], LowWordOf(number));
            edits.SetWord(registers[1], HighWordOf(number));
        } else {
            // The field's limits come from the register, so the number fits 16 bits.
            edits.SetWord(registers[0], static_cast<std::int16_t>(number));
        }
    }
}

void PageFields::Settle(const EditTracker& edits) {
    for (const Item& item : items_) {
        if (!item.Field->Edited())
            continue;
        bool left = false;
        for (const std::uint16_t address : Registers(item))
            left = left || edits.Has(address);
        if (!left)
            Reload(item.Field);
    }
}

void PageFields::Reload() {
    for (TPNumEdit* field : fields_)
        Reload(field);
}

void PageFields::Reload(TPNumEdit* field) {
    std::int32_t number = 0;
    if (!RegisterNumber(field, number))
        return;
    field->ShowNumber(number);
    field->SetMarked(false);
}

void PageFields::Recolour() {
    for (TPNumEdit* field : fields_)
        Recolour(field);
}

void PageFields::Recolour(TPNumEdit* field) {
    const Item* item = Find(field);
    if (item == nullptr)
        return;
    bool differs = false;
    if (item->Wide) {
        const ParamEntry* low = table_->FindByAddress(WideTagLowRegister(field->Tag()));
        const ParamEntry* high = table_->FindByAddress(WideTagHighRegister(field->Tag()));
        differs = (low != nullptr && low->Value != low->DriveValue) ||
                  (high != nullptr && high->Value != high->DriveValue);
    } else {
        const ParamEntry* entry = table_->FindByAddress(static_cast<std::uint16_t>(field->Tag()));
        differs = entry != nullptr && entry->Value != entry->DriveValue;
    }
    field->SetMarked(field->Edited() || differs);
}

} // namespace kelm
