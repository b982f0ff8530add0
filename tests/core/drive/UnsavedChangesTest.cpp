#include "core/drive/UnsavedChanges.h"
#include "core/drive/KindRegisters.h"
#include "core/drive/WriteJournal.h"

#include <gtest/gtest.h>
#include <variant>

namespace kelm::test {
namespace {

struct Write {
    std::uint16_t Address;
    JournalResult Result = JournalResult::Written;
    bool InTable = true;
    DeviceKind Kind = DeviceKind::Std;
};
using Step = std::variant<Write, UnsavedChanges::Event>;

// Which writes count and which events start the count again, as one run of steps; the
// listener hears every change of the count and nothing else.
TEST(UnsavedChanges, CountsSettingWritesUntilSaveLoadOrTableRead) {
    using E = UnsavedChanges::Event;
    const std::uint16_t command = RegistersOf(DeviceKind::Std).Command;
    const struct Row {
        Step Do;
        int Count;
        const char* Why;
    } rows[] = {
        {E::TableRead, 0, "nothing to reset"},
        {Write{80}, 1, "a setting"},
        {Write{80}, 2, "the same register again"},
        {Write{81, JournalResult::Refused}, 2, "dropped by the gate"},
        {Write{81, JournalResult::Failed}, 2, "not answered"},
        {Write{50000, JournalResult::Written, false}, 2, "outside the table"},
        {Write{command}, 2, "the command register"},
        {Write{52}, 2, "a drive-owned register"},
        {Write{RegistersOf(DeviceKind::Drive).Command, JournalResult::Written, true,
               DeviceKind::Drive},
         2, "another kind's command register"},
        {E::SavedToEeprom, 0, "saved"},
        {Write{90}, 1, "after a save"},
        {E::LoadedFromEeprom, 0, "reloaded"},
        {Write{90}, 1, "after a reload"},
        {E::TableRead, 0, "table read"},
    };
    UnsavedChanges counter;
    int heard = 0;
    counter.SetListener([&heard] { ++heard; });
    int changes = 0;
    int last = 0;
    for (const Row& row : rows) {
        if (const auto* write = std::get_if<Write>(&row.Do)) {
            WriteRecord record;
            record.Gate.Address = write->Address;
            record.Gate.Target.Kind = write->Kind;
            record.Result = write->Result;
            if (write->InTable)
                record.Name = QStringLiteral("P");
            counter.Record(record);
        } else {
            counter.On(std::get<UnsavedChanges::Event>(row.Do));
        }
        EXPECT_EQ(counter.Count(), row.Count) << row.Why;
        changes += counter.Count() != last ? 1 : 0;
        last = counter.Count();
    }
    EXPECT_EQ(heard, changes);
    EXPECT_EQ(UnsavedChanges::StatusText(3), QStringLiteral("Not saved to EEPROM (3)"));
    EXPECT_TRUE(UnsavedChanges::StatusText(0).isEmpty());
}

} // namespace
} // namespace kelm::test
