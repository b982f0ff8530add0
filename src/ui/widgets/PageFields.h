#pragma once

#include <cstdint>
#include <vector>

namespace kelm {

class EditTracker;
class ParamTable;
class TPNumEdit;

// The numeric fields of one page and the four operations every page uses on them:
// bind (limits, number and colour from the registers, the common handlers), store
// (a field's number into Value, or the edited fields into a page's edits), reload (numbers
// from Value as they are, normal colour) and recolour (red while the user's edit is
// pending or a register's Value differs from its DriveValue).
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
    // The field's number into its register(s) Value (write-through pages); the field
    // counts as unedited afterwards. true when a Value changed.
    bool Store(TPNumEdit* field);
    // The numbers of the fields the user edited (clamped to their limits) into edits, as
    // words of their registers; unedited fields are left out whatever they show.
    void Collect(EditTracker& edits);
    // After an Apply: an edited field none of whose registers is left in edits reached the
    // drive and shows Value again.
    void Settle(const EditTracker& edits);
    // Numbers from Value, shown as they are (a number outside the limits is marked, not
    // clamped), unedited, normal colour.
    void Reload();
    void Reload(TPNumEdit* field);
    // Red while the field is edited or Value differs from DriveValue (a wide field: either
    // register).
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
    // The field's register(s): one address, or a wide field's low and high word.
    std::vector<std::uint16_t> Registers(const Item& item) const;

    ParamTable* table_;
    std::vector<TPNumEdit*> fields_;
    std::vector<Item> items_;
};

} // namespace kelm
