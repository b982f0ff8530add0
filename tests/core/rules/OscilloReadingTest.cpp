// What makes a scope chart read well: grids at any zoom, autoscale, units, the picture's
// legend and the tiling beside a loop page.
#include "core/files/ScopeCsv.h"
#include "core/rules/GraphCursorMath.h"
#include "core/rules/OscilloLegend.h"
#include "core/rules/OscilloMath.h"
#include "core/rules/OscilloTiling.h"

#include <QLocale>
#include <gtest/gtest.h>
#include <tuple>

namespace kelm {
namespace {

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
    recording.Channels[0] = {true, QStringLiteral("Speed"), QStringLiteral("50 rpm/div"), 100};
    recording.Channels[1] = {false, QStringLiteral("Current"), QStringLiteral("1 %/div"), 0};
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
