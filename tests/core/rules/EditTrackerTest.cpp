#include "core/rules/EditTracker.h"
#include "core/params/ParamTable.h"
#include "core/rules/FieldBinding.h"

#include <gtest/gtest.h>
#include <tuple>
#include <vector>

namespace kelm {
namespace {

ParamEntry Entry(std::uint16_t address, std::int16_t minimum, std::int16_t maximum,
                 std::int16_t value) {
    ParamEntry entry;
    entry.Address = address;
    entry.MinValue = minimum;
    entry.MaxValue = maximum;
    entry.Value = entry.DriveValue = value;
    return entry;
}

// A value, its high and its low word (the tags are PageRulesTest's).
TEST(FieldBinding, WordsJoinedWithAnUnsignedLowWord) {
    const std::int32_t words[][3] = {
        {65535, 0, -1},           {-1, -1, -1},           {65536, 1, 0},
        {INT32_MIN, -32768, 0},   {INT32_MAX, 32767, -1}, {0, 0, 0},
        {123456789, 1883, -13035}};
    for (const auto& [value, high, low] : words) {
        EXPECT_EQ(JoinWords(static_cast<std::int16_t>(high), static_cast<std::int16_t>(low)),
                  value);
        EXPECT_EQ(std::tuple(HighWordOf(value), LowWordOf(value)), std::tuple(high, low)) << value;
    }
}

// A page's edits: whole words and bits of a shared register, shown over Value; Store puts
// words as they are and bits over the drive's word; Settle keeps what did not reach the
// drive (its Value put back) and drops the rest.
TEST(EditTrackerTest, WordsBitsStoreAndSettle) {
    ParamTable table;
    table.Add(Entry(7, 2, 32, 8));
    table.Add(Entry(70, -32768, 32767, 0x0021));
    table.Add(Entry(71, -32768, 32767, 0));
    EditTracker edits;
    edits.SetWord(7, 12);
    edits.SetBits(70, 0x2000, true);
    edits.SetBits(70, 0x0001, false);
    edits.SetWord(99, 1); // not in the table
    EXPECT_EQ((std::vector<int>{edits.Shown(7, 8), edits.Shown(70, 0x0021), edits.Shown(71, 5)}),
              (std::vector<int>{12, 0x2020, 5}));
    EXPECT_EQ(edits.BitRegisters(), (std::vector<std::uint16_t>{70}));
    edits.SetBits(7, 0x0001, true); // bits over a word edit change the word
    EXPECT_EQ(edits.Shown(7, 8), 13);

    table.FindByAddress(70)->DriveValue = 0x0061; // read again: another page set bit 6
    table.FindByAddress(71)->Value = 4;           // unrelated, not written by this page
    const EditTracker::Replaced replaced = edits.Store(table);
    EXPECT_EQ((std::tuple<int, int>(table.FindByAddress(7)->Value, table.FindByAddress(70)->Value)),
              std::tuple(13, 0x2060));
    table.FindByAddress(70)->DriveValue = 0x2060; // 70 was written, 7 was not
    edits.Settle(table, replaced);
    EXPECT_EQ(edits.Addresses(), (std::vector<std::uint16_t>{7}));
    EXPECT_EQ((std::tuple<int, int>(table.FindByAddress(7)->Value, table.FindByAddress(71)->Value)),
              std::tuple(8, 4));
    edits.Clear();
    EXPECT_TRUE(edits.Empty());
}

} // namespace
} // namespace kelm
