#include "ui/pages/IoRules.h"

#include <gtest/gtest.h>
#include <tuple>

namespace kelm {
namespace {

TEST(IoRules, RowsRegistersRequestMasksAndForcedSwitchDisplay) {
    std::array<SwitchRequest, DigitalRowCount> requests{};
    EXPECT_EQ(BuildRequestMasks(requests).ForceOn | BuildRequestMasks(requests).Release, 0);
    requests[2] = SwitchRequest::On;                 // DGT-IN3
    requests[10] = requests[0] = SwitchRequest::Off; // AUX2, the enable input
    EXPECT_EQ(BuildRequestMasks(requests).ForceOn, 0x0004);
    EXPECT_EQ(BuildRequestMasks(requests).Release, 0x0401);
    // current, hardware, effective -> shown; a live wire never shows forced
    for (const auto& [current, hw, st, shown] : {std::tuple{false, false, true, true},
                                                 {false, true, true, false},
                                                 {true, true, true, true},
                                                 {true, false, false, false},
                                                 {true, true, false, true},
                                                 {false, false, false, false}})
        EXPECT_EQ(ShownSwitchState(current, hw, st), shown) << current << hw << st;
    EXPECT_TRUE(InitialSwitchState(false, true));
    EXPECT_FALSE(InitialSwitchState(true, true));
    EXPECT_FALSE(DigitalRowLayoutOf(DeviceKind::Orca230, 6).Visible);
    EXPECT_EQ(DigitalRowLayoutOf(DeviceKind::Orca230, 7).FixedText, QStringLiteral("STO 1"));
    EXPECT_FALSE(DigitalRowLayoutOf(DeviceKind::Orca230, 8).Switch);
    EXPECT_EQ(DigitalRowLayoutOf(DeviceKind::Orca230, 11).HardwareBit, 13);
    EXPECT_EQ(DigitalRowLayoutOf(DeviceKind::Std, 12).HardwareBit, 15);
    EXPECT_EQ(DigitalAddressTable(DeviceKind::Drive).Selector[4], 0);
    EXPECT_EQ(AnalogAddressTable(DeviceKind::Drive).Offset[1], 31);
}

TEST(IoRules, SelectionRepairLockAndOffsetMillivolts) {
    const std::vector<int> codes{5, 6, 7};
    // stored index, codes of earlier rows -> index, replaced
    for (const auto& [stored, earlier, index, replaced] :
         {std::tuple{1, std::vector<int>{5}, 1, false},
          {2, std::vector<int>{7}, 0, true},
          {3, std::vector<int>{}, 0, true},
          {-1, std::vector<int>{}, 0, true},
          {0, std::vector<int>{5}, 0, false}}) {
        int i = stored;
        EXPECT_EQ(RepairSelection(i, codes, earlier), replaced) << stored;
        EXPECT_EQ(i, index) << stored;
    }
    EXPECT_EQ(LockingRow(6, {1, 6, 6}, 2), 1);
    EXPECT_EQ(LockingRow(6, {1, 2, 6}, 2), -1);
    for (const auto& [raw, tenths] : {std::pair{100, 305}, {-100, -305}, {0, 0}, {32767, 99996}})
        EXPECT_EQ(OffsetToTenthsMv(raw), tenths) << raw;
    for (const auto& [tenths, raw] : {std::pair{306, 101}, {-306, -101}, {305, 100}, {0, 0}})
        EXPECT_EQ(TenthsMvToOffset(tenths), raw) << tenths;
}

} // namespace
} // namespace kelm
