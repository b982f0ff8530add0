// The main page's homing choice and its digital speed field, without the page.
#include "core/params/ParamTable.h"
#include "core/rules/HomingChoice.h"
#include "core/rules/MainDevRules.h"

#include <gtest/gtest.h>
#include <tuple>

namespace kelm {
namespace {

TEST(HomingChoice, MethodAndSensorPickADescriptorAnUnknownCodeTheFirst) {
    HomingDescriptors homing;
    homing.Methods = {{0, 0, 0}, {3, 2, 1}, {4, 2, 2}, {9, 1, 0}}; // code, method, sensor
    for (const auto& [name, sensor, code] :
         {std::tuple{2, 2, 4}, {2, 1, 3}, {2, 0, 3}, {1, 5, 9}, {7, 0, -1}}) {
        const HomingMethod* chosen = ChosenHoming(homing, name, sensor);
        EXPECT_EQ(chosen != nullptr ? chosen->Code : -1, code) << name << "/" << sensor;
    }
    for (const auto& [stored, code, replaced] : {std::tuple{4, 4, false}, {50, 0, true}}) {
        const StoredHoming shown = HomingForCode(homing, static_cast<std::uint16_t>(stored));
        EXPECT_EQ(std::tuple(int(shown.Method->Code), shown.Replaced), std::tuple(code, replaced));
    }
    EXPECT_EQ(HomingForCode(HomingDescriptors{}, 4).Method, nullptr);
}

ParamEntry Entry(int address, int value) {
    ParamEntry entry;
    entry.Address = static_cast<std::uint16_t>(address);
    entry.Value = static_cast<std::int16_t>(value);
    return entry;
}

// Register 80 holds the speed as a fraction of register 31 (address 0: no maximum).
TEST(MainDevRules, SpeedFieldKeepsTheRegisterUnlessAnotherSpeedIsTyped) {
    for (const auto& [maxAddress, max, raw, limit, shown, typed, written] :
         {std::tuple{31, 3000, 10922, 3000, 1000, 1000, 10922},
          {31, 3000, 10922, 3000, 1000, -1500, -16383},
          {31, -3000, 0, 3000, 0, 3000, 32767},
          {31, 0, 1000, 0, 0, 0, 1000},
          {0, 3000, 1000, 0, 0, 5, 1000},
          {31, 100, -32768, 100, -101, -101, -32768}}) {
        ParamTable table;
        table.Add(Entry(80, raw));
        table.Add(Entry(maxAddress, max));
        MainDevEdits edits(table);
        EXPECT_EQ(std::tuple(edits.SpeedLimit(31), edits.ShownSpeed(80, 31)),
                  std::tuple(limit, shown));
        EXPECT_EQ(edits.TakeSpeed(80, 31, typed), written != raw) << typed;
        EXPECT_EQ(edits.Shown(80), written) << typed;
    }
}

} // namespace
} // namespace kelm
