#include "core/rules/OscilloChartModel.h"
#include "core/files/ScopeRecording.h"
#include "core/params/ParamTable.h"
#include "core/rules/OscilloPanelModel.h"
#include <gtest/gtest.h>

namespace kelm {

TEST(OscilloChartModel, RecordingSettingsFromThePanel) {
    ParamTable registers = ParamTable::MakeSynthetic(QStringLiteral("O"), 50000, 50013);
    const ScopeScaleSet signalList{{"Speed", {{"1/div", 1}, {"20/div", 20}, {"500/div", 500}}, ""},
                                   {"Current", {{"2/div", 2}}, ""}};
    OscilloPanelModel panel(registers, signalList);
    panel.Show();
    panel.SelectScale(0, 1);
    panel.SetOn(1, false);
    OscilloChartModel chart(panel, registers);
    chart.ShowWindow(panel.SelectTimeBase(3));
    ScopeRecording r;
    chart.FillSettings(r, {7, -3});
    EXPECT_EQ(std::tuple(r.TriggerSlope, r.TimeBase, r.Delay, r.BottomIncrement,
                         r.Channels[0].Scale, r.Channels[0].Offset, r.Channels[1].Enabled),
              std::tuple(1, QString("10 ms/div"), 50, 10.0, QString("20/div"), 7, false));
    registers.FindByAddress(50001)->Value = 7; // no time base has this window
    chart.FillSettings(r, {0, 0});
    EXPECT_TRUE(r.TimeBase.isEmpty());
}

} // namespace kelm
