// The oscilloscope's arithmetic (cursors, offset markers, scales, stored settings) and what
// makes a chart read well: grids at any zoom, autoscale, units, the picture's legend and the
// tiling beside a loop page.
#include "core/files/ScopeCsv.h"
#include "core/files/ScopeRecording.h"
#include "core/params/ParamTable.h"
#include "core/rules/GraphCursorMath.h"
#include "core/rules/OscilloChartModel.h"
#include "core/rules/OscilloLegend.h"
#include "core/rules/OscilloMath.h"
#include "core/rules/OscilloPanelModel.h"
#include "core/rules/OscilloTiling.h"

#include <QLocale>
#include <array>
#include <gtest/gtest.h>
#include <tuple>

namespace kelm {
namespace {

TEST(GraphCursorMath, ModesMappingNearerCursorAndReadouts) {
    EXPECT_EQ((std::array{cursors::ModeChannel(cursors::TimeMode),
                          cursors::ModeChannel(cursors::Channel1Mode),
                          cursors::ModeChannel(cursors::Channel2Mode),
                          cursors::ModeChannel(cursors::Off)}),
              (std::array{-1, 0, 1, -1}));

    // Time axis 0..500 ms drawn from column 40 to 540; a value axis 0 at row 300, 10 at 100.
    // The last axis is collapsed.
    EXPECT_EQ((std::vector{cursors::ValueAt({0, 500, 40, 540}, 290),
                           cursors::PixelOf({0, 500, 40, 540}, 250),
                           cursors::ValueAt({0, 10, 300, 100}, 200),
                           cursors::ValueAt({3, 3, 50, 50}, 70)}),
              (std::vector<double>{250, 290, 5, 3}));

    EXPECT_EQ(cursors::TimeCursorLine(250, -5.001, 5),
              std::pair(QPointF(250, 6), QPointF(250, -6.001)));
    EXPECT_EQ(cursors::LevelCursorLine(2.5, 0, 500),
              std::pair(QPointF(500, 2.5), QPointF(-1, 2.5)));
    // A tie goes to cursor 2.
    EXPECT_EQ(
        (std::vector<int>{cursors::NearerCursor(100, 95, 110), cursors::NearerCursor(100, 90, 110),
                          cursors::NearerCursor(100, 120, 99)}),
        (std::vector<int>{0, 1, 1}));
    QLocale::setDefault(QLocale::c());
    const auto both = cursors::MakeReadouts(12.345, -2.5);
    EXPECT_EQ(QStringList({both.Cursor1, both.Cursor2, both.Difference}),
              QStringList({"Cursor1= 12.35", "Cursor2= -2.50", "Difference= 14.85"}));
    const auto one = cursors::MakeReadouts(-0.001, std::nullopt);
    EXPECT_EQ(QStringList({one.Cursor1, one.Cursor2, one.Difference}),
              QStringList({"Cursor1= 0.00", "", ""}));
    QLocale::setDefault(QLocale(QLocale::German));
    EXPECT_EQ(cursors::FormatReadout(1.5), "1,50");
    QLocale::setDefault(QLocale::c());
}

TEST(OscilloMath, ScalesStoredSettingsAndInverseMarkerAndOffset) {
    const oscillo::ValueAxis axis = oscillo::AxisForScale(200);
    EXPECT_DOUBLE_EQ(axis.Min, -1000.2);
    EXPECT_DOUBLE_EQ(axis.Max, 1000);
    EXPECT_EQ(oscillo::OffsetRangeForScale(200).Min, -1000);
    // The 5th of ten scales is the middle one; time windows are found in the list or not.
    for (const auto& [scales, middle] : {std::pair{10, 4}, {2, 0}, {1, 0}, {0, -1}})
        EXPECT_EQ(oscillo::MiddleScale(scales), middle) << scales;
    for (const auto& [window, index] : {std::pair{10, 0}, {10000, 9}, {300, -1}})
        EXPECT_EQ(oscillo::TimeBaseIndex(window), index) << window;

    struct Case {
        oscillo::StoredSettings In;
        int Signals;
        oscillo::StoredSettings Out;
    } const cases[] = {
        {{3, 500, 1, 3}, 8, {3, 500, 1, 3}}, {{0, 300, 0, 9}, 8, {1, 500, 1, 2}},
        {{4, 0, 9, -1}, 8, {1, 500, 1, 2}},  {{2, 10000, 8, 8}, 8, {2, 10000, 8, 8}},
        {{2, 20, 1, 2}, 1, {2, 20, 1, 1}}, // a single signal: channel 2 takes it too
    };
    for (const Case& c : cases) {
        const oscillo::StoredSettings r = oscillo::Repaired(c.In, c.Signals);
        EXPECT_EQ(std::tie(r.Edge, r.TimeWindow, r.Signal1, r.Signal2),
                  std::tie(c.Out.Edge, c.Out.TimeWindow, c.Out.Signal1, c.Out.Signal2));
    }
    const oscillo::Track track{20, 420, -1000, 1000};
    struct Mark {
        int Offset, Row;
    } const marks[] = {{1000, 20}, {0, 220}, {-1000, 420}, {500, 120}, {-250, 270}};
    for (const Mark& c : marks)
        EXPECT_EQ(
            std::tuple(oscillo::MarkerRow(track, c.Offset), oscillo::OffsetAtRow(track, c.Row)),
            std::tuple(c.Row, c.Offset));
    // Dragged beyond the ticks: stops there with the field's limits.
    EXPECT_EQ(std::tuple(oscillo::OffsetAtRow(track, -50), oscillo::OffsetAtRow(track, 900)),
              std::tuple(1000, -1000));
    // Run controls: a continuous run holds Start and the modes; off line neither Start nor
    // the speed mirror is offered.
    for (const auto& [running, continuous, online, start, speed] :
         {std::tuple{false, false, true, true, true},
          {true, true, true, false, false},
          {true, false, true, true, false},
          {false, false, false, false, false}}) {
        const OscilloPanelModel::RunControls run =
            OscilloPanelModel::Run(running, continuous, online);
        EXPECT_EQ(std::pair(run.StartEnabled, run.SpeedEnabled), std::pair(start, speed));
    }
}

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

TEST(OscilloReading, GridsAutoscaleAndUnits) {
    // Near home the scale's own increment; zoomed in or out, 5 to 10 divisions of 1-2-5.
    for (const auto& [min, max, home, step] : {std::tuple{-1000.2, 1000.0, 200.0, 200.0},
                                               {-5000.0, 5000.0, 200.0, 1000.0},
                                               {0.0, 7.0, 200.0, 1.0},
                                               {0.0, 100.0, 3.0, 10.0},
                                               {5.0, 5.0, 30.0, 30.0}})
        EXPECT_DOUBLE_EQ(oscillo::TickIncrement(min, max, home), step) << min << " " << max;
    struct Fit {
        double Low, High, Min, Max, Step;
    } const fits[] = {{-3, 97, -20, 100, 20}, {50, 50, 45, 55, 5}, {0.2, -0.9, -1, 0.2, 0.2}};
    for (const Fit& f : fits) {
        const oscillo::ValueAxis axis = oscillo::AutoscaleAxis(f.Low, f.High);
        EXPECT_NEAR(axis.Min, f.Min, 1e-9) << f.Low;
        EXPECT_NEAR(axis.Max, f.Max, 1e-9) << f.Low;
        EXPECT_NEAR(axis.Increment, f.Step, 1e-9) << f.Low;
    }
    // The unit a channel carries, else its scale caption's.
    for (const auto& [unit, scale, expected] : {std::tuple{"rpm", "10 V/div", "rpm"},
                                                {"", "200 rpm/div", "rpm"},
                                                {"", "1 %/div", "%"},
                                                {"", "5", ""},
                                                {"", "", ""}}) {
        ScopeRecording recording;
        recording.Units[1] = QString::fromUtf8(unit);
        recording.Channels[1].Scale = QString::fromUtf8(scale);
        EXPECT_EQ(ChannelUnit(recording, 1), QString::fromUtf8(expected)) << scale;
    }
    QLocale::setDefault(QLocale::c());
    const cursors::Readouts r = cursors::MakeReadouts(12.345, 2.5, QStringLiteral("ms"));
    EXPECT_EQ(QStringList({r.Cursor1, r.Difference}),
              QStringList({"Cursor1= 12.35 ms", "Difference= 9.85 ms"}));
}

TEST(OscilloReading, LegendAndTiling) {
    ScopeRecording recording;
    recording.TriggerSlope = 2;
    recording.TriggerLevel = -40;
    recording.Delay = 250;
    recording.TimeBase = QStringLiteral("50 ms/div");
    recording.Channels = {{{true, "Speed", "50 rpm/div", 100}, {false, "Current", "1 %/div", 0}}};
    const QDateTime when(QDate(2024, 3, 9), QTime(14, 5, 7));
    EXPECT_EQ(OscilloLegendLines(recording, QStringLiteral("Drive, address 1"), when),
              QStringList({"Channel 1: Speed, 50 rpm/div, offset 100 rpm", "Channel 2: off",
                           "Trigger: falling edge, level -40, delay 250 ms; time base 50 ms/div",
                           "Drive: Drive, address 1", "Date: 2024-03-09 14:05:07"}));
    recording.TriggerSlope = 3; // automatic: no level
    EXPECT_EQ(OscilloLegendLines(recording, {}, when)[2],
              "Trigger: auto, delay 250 ms; time base 50 ms/div");

    // Room for both; too narrow (the scope keeps its minimum at the right edge); no loop.
    const QSize scopeMin(650, 556);
    struct Case {
        QRect Area;
        QSize Loop;
        QRect LoopAt, ScopeAt;
    } const cases[] = {
        {{0, 0, 1400, 800}, {500, 600}, {0, 0, 500, 600}, {500, 0, 900, 800}},
        {{0, 0, 1000, 500}, {500, 600}, {0, 0, 500, 500}, {350, 0, 650, 556}},
        {{0, 0, 1200, 700}, {0, 0}, {0, 0, 0, 0}, {0, 0, 1200, 700}},
    };
    for (const Case& c : cases) {
        const TiledWindows tiled = TileLoopAndScope(c.Area, c.Loop, scopeMin);
        EXPECT_EQ(std::tie(tiled.Loop, tiled.Scope), std::tie(c.LoopAt, c.ScopeAt))
            << c.Area.width();
    }
}

} // namespace
} // namespace kelm
