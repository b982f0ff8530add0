#include "core/drive/UnsavedChanges.h"
#include "core/drive/KindRegisters.h"
#include "core/drive/WriteJournal.h"

#include <gtest/gtest.h>
#include <variant>

namespace kelm::test {
namespace {

// Which writes count and which events start the count again, as one run of steps (a write:
// register, outcome, in the table); the listener hears every change of the count.
TEST(UnsavedChanges, CountsSettingWritesUntilSaveLoadOrTableRead) {
    using E = UnsavedChanges::Event;
    using Write = std::tuple<std::uint16_t, JournalResult, bool>;
    constexpr auto ok = JournalResult::Written;
    const std::uint16_t command = RegistersOf(DeviceKind::Std).Command;
    const std::tuple<std::variant<Write, E>, int, const char*> rows[] = {
        {Write{80, ok, true}, 1, "a setting"},
        {Write{80, ok, true}, 2, "the same register again"},
        {Write{81, JournalResult::Refused, true}, 2, "dropped by the gate"},
        {Write{81, JournalResult::Failed, true}, 2, "not answered"},
        {Write{50000, ok, false}, 2, "outside the table"},
        {Write{command, ok, true}, 2, "the command register"},
        {Write{52, ok, true}, 2, "a drive-owned register"},
        {E::SavedToEeprom, 0, "saved"},
        {Write{90, ok, true}, 1, "after a save"},
        {E::LoadedFromEeprom, 0, "reloaded"},
        {Write{90, ok, true}, 1, "after a reload"},
        {E::TableRead, 0, "table read"},
    };
    UnsavedChanges counter;
    int heard = 0;
    counter.SetListener([&heard] { ++heard; });
    for (const auto& [step, count, why] : rows) {
        if (const auto* write = std::get_if<Write>(&step)) {
            WriteRecord record;
            std::tie(record.Gate.Address, record.Result, std::ignore) = *write;
            record.Name = std::get<2>(*write) ? QStringLiteral("P") : QString();
            counter.Record(record);
        } else {
            counter.On(std::get<E>(step));
        }
        EXPECT_EQ(counter.Count(), count) << why;
    }
    EXPECT_EQ(heard, 7);
    EXPECT_EQ(UnsavedChanges::StatusText(3), QStringLiteral("Not saved to EEPROM (3)"));
}

} // namespace
} // namespace kelm::test
