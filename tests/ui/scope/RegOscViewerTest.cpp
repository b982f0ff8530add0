// The stored trace viewer: showing a file and shifting its traces.
#include "core/files/ScopeFile.h"
#include "core/seams/RecordingMessages.h"
#include "ui/scope/MeasurementPanel.h"
#include "ui/scope/TFRegOsc.h"
#include "ui/seams/ScriptedDialogs.h"

#include <QFile>
#include <QLineSeries>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kelm {
namespace {

TEST(TFRegOscTest, ShowsAFileAndShiftsTracesExactly) {
    RecordingMessages messages;
    QTemporaryDir folder;
    ScopeRecording recording;
    recording.TimeBase = QStringLiteral("50 ms/div");
    recording.Channels[0] = {true, QStringLiteral("Speed"), QStringLiteral("200 rpm/div"), 0};
    recording.Channels[1] = {false, QStringLiteral("Current"), QStringLiteral("20 %/div"), 0};
    recording.LeftIncrement = recording.RightIncrement = recording.BottomIncrement = 50;
    for (int i = 0; i < 5; ++i)
        recording.Points.push_back({i * 1.5, i * 10.3, -i * 0.7});
    const QString path = folder.filePath(QStringLiteral("rec.kls"));
    ASSERT_TRUE(WriteScopeFile(recording, path));

    TFRegOsc viewer;
    ASSERT_TRUE(viewer.Load(path));
    const QList<QPointF> before = viewer.Trace(0)->points();
    ASSERT_EQ(before.size(), 5);
    viewer.ApplyOffset(0, 100);
    EXPECT_DOUBLE_EQ(viewer.Trace(0)->at(2).y(), before[2].y() + 100);
    viewer.ApplyOffset(0, 37);
    viewer.ApplyOffset(0, 0);
    for (int i = 0; i < 5; ++i) // exactly, not within a tolerance
        EXPECT_EQ(viewer.Trace(0)->at(i).y(), before[i].y());
    // "Export CSV…" writes physical values (the offset taken off) with the units.
    ScriptedDialogs dialogs;
    viewer.ApplyOffset(0, 100);
    dialogs.AnswerNextFile(folder.filePath(QStringLiteral("shown.csv")));
    for (QPushButton* button : viewer.findChildren<QPushButton*>())
        if (button->text() == QStringLiteral("&Export CSV…"))
            button->click();
    QFile csv(folder.filePath(QStringLiteral("shown.csv")));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_EQ(csv.readAll().split('\n').mid(0, 4).join('|'),
              "Time [ms],Speed [rpm],Current [%]\r|0,0,0\r|1.5,10.3,-0.7\r|3,20.6,-1.4\r");
    EXPECT_FALSE(viewer.Switch(1)->isEnabled() || viewer.Trace(1)->isVisible()); // channel 2 off

    TFRegOsc broken;
    EXPECT_FALSE(broken.Load(folder.filePath(QStringLiteral("missing.kls"))));
    EXPECT_EQ(messages.Texts().size(), 1);
}

// The viewer measures its record as the oscilloscope does, step figures included.
TEST(TFRegOscTest, ShowsTheStepFiguresOfItsRecord) {
    QTemporaryDir folder;
    ScopeRecording recording;
    recording.Delay = 20; // the step at the trigger
    recording.Channels[0] = {true, QStringLiteral("Speed"), QStringLiteral("200 rpm/div"), 0};
    for (int i = 0; i < 100; ++i)
        recording.Points.push_back({double(i), i < 20 ? 0.0 : i < 25 ? 120.0 : 100.0, 0});
    ASSERT_TRUE(WriteScopeFile(recording, folder.filePath("step.kls")));
    TFRegOsc viewer;
    ASSERT_TRUE(viewer.Load(folder.filePath("step.kls")));
    const QTableWidget& table = *viewer.Measurements().Table();
    QString overshoot;
    for (int r = 0; r < table.rowCount(); ++r)
        if (table.verticalHeaderItem(r)->text() == QStringLiteral("Overshoot"))
            overshoot = table.item(r, 0)->text();
    EXPECT_TRUE(overshoot.startsWith("20")) << overshoot.toStdString();
}

} // namespace
} // namespace kelm
