#include "core/analysis/RecordMeasurements.h"
#include "core/files/ScopeCsv.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace kelm;

namespace {

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
    EXPECT_FALSE(between.Whole);
    EXPECT_FALSE(between.StepMs);
    EXPECT_DOUBLE_EQ(between.Statistics[0]->Minimum, 100);
    EXPECT_EQ(MeasurementRange(between), QStringLiteral("40.0 ms to 60.0 ms, no step"));
}

TEST(RecordMeasurements, RowsNotesAndFigureTexts) {
    ScopeRecording record = StepRecord();
    record.Channels[1].Enabled = false;
    const RecordFigures figures = MeasureRecord(record, {});
    const std::vector<MeasurementRow> rows = MeasurementRows(figures, {"rpm", "A"});
    ASSERT_EQ(rows.size(), 9u);
    EXPECT_EQ(rows[1].Values[0], QStringLiteral("100.0 rpm"));
    EXPECT_EQ(rows[1].Values[1], QStringLiteral("—")); // channel off
    EXPECT_EQ(rows[5].Values[0], QStringLiteral("0.000 %"));
    EXPECT_EQ(rows[7].Label, QStringLiteral("Settling time 2 %"));

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
