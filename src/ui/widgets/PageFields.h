#pragma once

#include <cstdint>
#include <vector>

namespace kelm {

class ParamTable;
class TPNumEdit;

// The numeric fields of one page and the four operations every page uses on them:
// bind (limits, number and colour from the registers, the common handlers), store
// (numbers into Value), reload (numbers from Value, normal colour) and recolour (red while
// a register's Value differs from its DriveValue).
//
// A 16-bit field's tag is its register address; a wide (32-bit) field's tag packs its
// low-word and high-word registers (FieldBinding.h). Fields whose register is missing from
// the table are left alone by every operation.
class PageFields {
public:
    explicit PageFields(ParamTable& table) : table_(&table) {}

    void Add(TPNumEdit* field, bool wide = false);
    const std::vector<TPNumEdit*>& Fields() const { return fields_; }
    bool IsWide(const TPNumEdit* field) const;

    // Limits from MinValue/MaxValue (a wide field: the high register's limits spread over
    // the full low word), negative input when the minimum is below 0, number from Value,
    // colour; typing marks the field red. Page key and exit handlers are kept.
    void Bind();
    void Bind(TPNumEdit* field);
    // The field's number into its register(s) Value. true when a Value changed.
    bool Store();
    bool Store(TPNumEdit* field);
    // Numbers from Value, normal colour.
    void Reload();
    void Reload(TPNumEdit* field);
    // Red while Value differs from DriveValue (a wide field: either register).
    void Recolour();
    void Recolour(TPNumEdit* field);

    // What a field's register(s) hold: Value, or DriveValue.
    bool RegisterNumber(const TPNumEdit* field, std::int32_t& number) const;

private:
    struct Item {
        TPNumEdit* Field;
        bool Wide;
    };
    const Item* Find(const TPNumEdit* field) const;

    ParamTable* table_;
    std::vector<TPNumEdit*> fields_;
    std::vector<Item> items_;
};

} // namespace kelm
