// The measurements of traces and records, and the held references' set.
#include "core/analysis/TraceMeasurements.h"
#include "core/analysis/RecordMeasurements.h"
#include "core/analysis/ReferenceSet.h"
#include "core/files/ScopeCsv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

using namespace kelm;

namespace {

constexpr double PeriodMs = 0.1;
constexpr int Before = 100;

// Before samples at `from`, then the response to a step at sample Before.
std::vector<double> Record(double from, const std::function<double(double ms)>& response,
                           int after = 3000) {
    std::vector<double> values(Before, from);
    for (int i = 0; i < after; ++i)
        values.push_back(response(i * PeriodMs));
    return values;
}

double FirstOrder(double ms) {
    return 1.0 - std::exp(-ms / 10.0);
}

// Second order, damping 0.5, 20 Hz: 16.3 % overshoot.
double Underdamped(double ms) {
    const double zeta = 0.5, wn = 2 * std::numbers::pi * 20, t = ms / 1000;
    const double wd = wn * std::sqrt(1 - zeta * zeta);
    return 1 - std::exp(-zeta * wn * t) *
                   (std::cos(wd * t) + zeta / std::sqrt(1 - zeta * zeta) * std::sin(wd * t));
}

// 200 samples of 0.5 ms; channel 1 the reference stepping 0 -> 100 at 25 ms (sample 50),
// channel 2 the first-order answer settling at 95; both drawn with a display offset.
ScopeRecording StepRecord() {
    ScopeRecording record;
    record.Delay = 25;
    record.Channels[0] = {true, QStringLiteral("Speed Ref"), {}, 10};
    record.Channels[1] = {true, QStringLiteral("Speed"), {}, -20};
    for (int i = 0; i < 200; ++i) {
        const double t = i * 0.5;
        const double after = t >= 25 ? 95 * (1 - std::exp(-(t - 25) / 4)) : 0;
        record.Points.push_back({t, (t >= 25 ? 100.0 : 0.0) + 10, after - 20});
    }
    return record;
}

} // namespace

TEST(TraceMeasurements, StatisticsOfASine) {
    std::vector<double> sine;
    for (int i = 0; i < 1000; ++i)
        sine.push_back(3 + 2 * std::sin(2 * std::numbers::pi * i / 100));
    const auto stats = MeasureTrace(sine);
    ASSERT_TRUE(stats);
    EXPECT_NEAR(stats->Mean, 3, 1e-9);
    EXPECT_NEAR(stats->Rms, std::sqrt(9 + 2), 1e-9);
    EXPECT_NEAR(stats->Maximum, 5, 1e-3);
    EXPECT_NEAR(stats->Minimum, 1, 1e-3);
    EXPECT_NEAR(stats->PeakToPeak, 4, 2e-3);
    EXPECT_FALSE(MeasureTrace({}));
}

TEST(TraceMeasurements, StepsWithKnownAnswers) {
    struct Case {
        const char* name;
        std::vector<double> values;
        double overshoot, rise, settling; // < 0: not checked; settling < 0: none in the record
    };
    const double tau = 10;
    const std::vector<Case> cases{
        {"first order", Record(0, FirstOrder), 0, tau * std::log(9), tau * std::log(50)},
        {"falling, scaled", Record(500, [](double ms) { return 500 - 400 * FirstOrder(ms); }), 0,
         tau * std::log(9), tau * std::log(50)},
        {"second order", Record(0, Underdamped), 16.30, 13.03, 64.3},
        {"never settles", Record(0, [](double ms) { return 1 + 0.5 * std::sin(ms / 5); }), -1, 0,
         -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto step = MeasureStep(c.values, {PeriodMs, Before, 0.02});
        ASSERT_TRUE(step);
        if (c.overshoot >= 0) {
            EXPECT_NEAR(step->OvershootPercent, c.overshoot, 1.0);
        }
        if (c.rise > 0) { // a missing figure reads -1: far outside every margin
            EXPECT_NEAR(step->RiseTimeMs.value_or(-1), c.rise, c.rise * 0.05);
        }
        EXPECT_EQ(step->SettlingTimeMs.has_value(), c.settling >= 0);
        if (c.settling >= 0) {
            EXPECT_NEAR(step->SettlingTimeMs.value_or(-1), c.settling, c.settling * 0.1);
        }
        EXPECT_FALSE(step->SteadyStateError); // no reference given
    }
}

TEST(TraceMeasurements, SteadyStateErrorAgainstTheReference) {
    const auto response = Record(0, [](double ms) { return 0.95 * FirstOrder(ms); });
    std::vector<double> reference(Before, 0.0);
    reference.resize(response.size(), 1.0);
    const auto step = MeasureStep(response, {PeriodMs, Before, 0.02}, reference);
    ASSERT_TRUE(step && step->SteadyStateError);
    EXPECT_NEAR(*step->SteadyStateError, 0.05, 1e-3);
    EXPECT_NEAR(step->Peak, 0.95, 1e-3);
}

TEST(TraceMeasurements, NoStepToMeasure) {
    const std::vector<double> flat(500, 7.0);
    EXPECT_FALSE(MeasureStep(flat, {PeriodMs, 100, 0.02}));
    const auto rising = Record(0, FirstOrder);
    EXPECT_FALSE(MeasureStep(rising, {PeriodMs, static_cast<int>(rising.size()), 0.02}));
    EXPECT_FALSE(MeasureStep(rising, {PeriodMs, -1, 0.02}));
    // A step at the first sample has no samples before it: the response's start counts.
    const auto atStart = MeasureStep(std::span(rising).subspan(Before), {PeriodMs, 0, 0.02});
    ASSERT_TRUE(atStart);
    EXPECT_NEAR(atStart->Initial, 0, 1e-12);
}

TEST(RecordMeasurements, StepFromTriggerOrReferenceChannel) {
    const ScopeRecording record = StepRecord();
    const RecordFigures byTrigger = MeasureRecord(record, {});
    ASSERT_TRUE(byTrigger.StepMs && byTrigger.Statistics[0] && byTrigger.Steps[1]);
    EXPECT_DOUBLE_EQ(*byTrigger.StepMs, 25);
    EXPECT_DOUBLE_EQ(byTrigger.Statistics[0]->Maximum, 100); // offset taken off
    EXPECT_NEAR(byTrigger.Steps[1]->Final, 95, 0.5);
    EXPECT_FALSE(byTrigger.Steps[1]->SteadyStateError); // no reference at the trigger

    const RecordFigures byChannel = MeasureRecord(record, {{}, {}, StepSampleFrom::Channel1, 0.02});
    ASSERT_TRUE(byChannel.StepMs && byChannel.Steps[1]);
    EXPECT_DOUBLE_EQ(*byChannel.StepMs, 25);
    EXPECT_FALSE(byChannel.Steps[0]); // the reference itself is not measured as a step
    EXPECT_NEAR(*byChannel.Steps[1]->SteadyStateError, 5, 0.5);
    EXPECT_NEAR(*byChannel.Steps[1]->RiseTimeMs, 4 * std::log(9), 0.6);

    // Between the cursors (given in either order): the step lies outside.
    const RecordFigures between = MeasureRecord(record, {60, 40, StepSampleFrom::Trigger, 0.02});
    EXPECT_FALSE(between.Whole || between.StepMs);
    EXPECT_DOUBLE_EQ(between.Statistics[0]->Minimum, 100);
    EXPECT_EQ(MeasurementRange(between), QStringLiteral("40.0 ms to 60.0 ms, no step"));
}

TEST(RecordMeasurements, RowsNotesAndFigureTexts) {
    ScopeRecording record = StepRecord();
    record.Channels[1].Enabled = false;
    const RecordFigures figures = MeasureRecord(record, {});
    const std::vector<MeasurementRow> rows = MeasurementRows(figures, {"rpm", "A"});
    ASSERT_EQ(rows.size(), 9u);
    EXPECT_EQ((QStringList{rows[1].Values[0], rows[1].Values[1], rows[5].Values[0], rows[7].Label}),
              (QStringList{"100.0 rpm", "—", "0.000 %", "Settling time 2 %"})); // channel 2 off

    const QString csv = ScopeCsvText(record, MeasurementNotes(figures, {"Ch1", "Ch2"}, {}));
    const QStringList lines = csv.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 11 + 1 + 200 + 1);
    for (int i = 0; i < 11; ++i)
        EXPECT_TRUE(lines[i].startsWith(QStringLiteral("# "))) << lines[i].toStdString();
    EXPECT_TRUE(lines[11].startsWith(QStringLiteral("Time [ms]"))); // the plain file follows
    EXPECT_EQ(csv.mid(csv.indexOf(QStringLiteral("Time [ms]"))), ScopeCsvText(record));

    const std::pair<double, const char*> texts[] = {
        {1234.4, "1234"}, {-123.45, "-123.5"}, {12.345, "12.35"}, {-0.0001, "0.000"}};
    for (const auto& [value, text] : texts)
        EXPECT_EQ(FigureText(value, {}), QString::fromLatin1(text));
    EXPECT_FALSE(FindStepIndex(std::vector<double>(50, 3.0)));
    EXPECT_EQ(FindStepIndex(std::vector<double>{0, 0, 0, 5, 10, 10, 10}), 3); // ramp start
}

TEST(ReferenceSet, KeepsFourAndReplacesTheOldest) {
    ReferenceSet set;
    for (int i = 1; i <= ReferenceSet::Capacity; ++i)
        EXPECT_EQ(set.Hold({}), 0) << i;
    EXPECT_EQ(set.Hold({}), 1); // the fifth replaces Ref 1
    EXPECT_EQ(set.Hold({}), 2);
    ASSERT_EQ(set.All().size(), 4u);
    EXPECT_EQ(std::pair(set.All().front().Number, set.All().back().Number), std::pair(3, 6));
    set.Clear();
    EXPECT_TRUE(set.Empty());
    EXPECT_EQ(set.Hold({}), 0);
    EXPECT_EQ(set.All().front().Number, 7); // numbers are never reused
}

TEST(ReferenceSet, LegendNamesTheSettingsThatDiffer) {
    const GainSnapshot live{{"Speed KP", 500}, {"Speed KI", 100}};
    ReferenceTrace held;
    held.Number = 2;
    held.Captured = QDateTime(QDate(2024, 5, 1), QTime(14, 3, 7));
    struct Case {
        GainSnapshot gains;
        const char* legend;
    } const cases[] = {
        {{{"Speed KP", 500}, {"Speed KI", 200}}, "Ref 2  14:03:07  Speed KI 200 (100)"},
        {live, "Ref 2  14:03:07  same settings"},
        {{{"Speed KP", 400}, {"I peak", 150}}, "Ref 2  14:03:07  Speed KP 400 (500), I peak 150"},
        {{}, "Ref 2  14:03:07"}, // nothing known to compare
    };
    for (const Case& c : cases) {
        held.Gains = c.gains;
        EXPECT_EQ(ReferenceSet::Legend(held, live), QString::fromUtf8(c.legend));
    }
    ReferenceTrace opened; // from a file: its stamp and name
    opened.Number = 1;
    opened.Record.GeneratedOn = QStringLiteral("Generated on: x");
    opened.Source = QStringLiteral("before.kls");
    EXPECT_EQ(ReferenceSet::Legend(opened, live),
              QStringLiteral("Ref 1  Generated on: x  before.kls"));
}
