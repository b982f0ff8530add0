// The oscilloscope window's own wiring on the in-memory drive: what it holds on the main
// window, the speed mirror, a capture with the lit Start, a typed offset, the time base, what
// closing gives back and keeps; its Step control; its measurements and references; and the
// stored trace viewer.
#include "ui/scope/OscilloWindow.h"
#include "app/InstallFlows.h"
#include "core/drive/TDriver.h"
#include "core/files/ScopeFile.h"
#include "diagnostic/ToolFixture.h"
#include "pages/GateLog.h"
#include "ui/drive/SelectDrive.h"
#include "ui/pages/DialogPages.h"
#include "ui/pages/MainDevPage.h"
#include "ui/pages/TFMainDev.h"
#include "ui/scope/ChartZoom.h"
#include "ui/scope/MeasurementPanel.h"
#include "ui/scope/OffsetTrack.h"
#include "ui/scope/ReferenceOverlay.h"
#include "ui/scope/ScopeWorkbench.h"
#include "ui/scope/StepControl.h"
#include "ui/scope/TFOscillo.h"
#include "ui/scope/TFRegOsc.h"
#include "ui/widgets/ChildFrame.h"
#include "ui/widgets/TPNumEdit.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QValueAxis>

namespace kelm::test {
namespace {

using Writes = std::vector<std::pair<int, int>>;

// The main window on line (no selection at its start) with the oscilloscope open; `prepare`
// sets the simulated drive up before the window shows.
class OscilloWindowTest : public ToolFixture {
protected:
    void Open(const std::function<void()>& prepare = {}) {
        BuildEngine(sim::SimKind::Std);
        if (prepare)
            prepare();
        dialogs_->SetDefaultDialogHandler(
            [](QDialog& d) { ScriptedDialogs::WaitClosed(d, 30000); });
        ShellFlows flows = ProgramFlows();
        flows.SelectDrive = {};
        ASSERT_NO_FATAL_FAILURE(ShowOnline(flows));
        ASSERT_NO_FATAL_FAILURE(RunScope());
    }
    void RunScope() {
        window_->Run(Command::Oscilloscope);
        scope = OscilloWindow();
        ASSERT_NE(scope, nullptr);
    }
    bool Captured() {
        return WaitFor([this] { return !scope->Session().Running(); }, 30000);
    }

    TFOscillo* scope = nullptr;
};

void Type(TPNumEdit* field, const char* text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, QString::fromLatin1(text));
    QTest::keyClick(field, Qt::Key_Return);
}

TEST_F(OscilloWindowTest, HoldsTheMainWindowCapturesAndGivesBack) {
    // Digital speed mode: the main page shows its speed field.
    ASSERT_NO_FATAL_FAILURE(Open([this] { SetSimRegister(1, 71, 1); }));
    for (const Command c : {Command::Diagnostic, Command::ProfileTool, Command::SaveEeprom})
        EXPECT_FALSE(window_->StateOf(c).Enabled) << static_cast<int>(c);

    TPNumEdit* speed = MainDevPage()->SpeedField();
    ASSERT_TRUE(scope->SpeedField()->isVisibleTo(scope));
    EXPECT_EQ(scope->SpeedField()->RdValore(), speed->RdValore());
    Type(scope->SpeedField(), "300");
    EXPECT_EQ(speed->RdValore(), 300);
    EXPECT_NE(SimRegister(1, 80), 0); // sent through the main page's field

    scope->EdgeButton(3)->click();
    scope->StartButton()->click();
    EXPECT_TRUE(scope->StartButton()->isChecked());
    EXPECT_FALSE(scope->SpeedField()->isEnabled());
    ASSERT_TRUE(Captured());
    EXPECT_FALSE(scope->StartButton()->isChecked());
    EXPECT_TRUE(scope->SpeedField()->isEnabled());
    const QList<QPointF> plotted = scope->Trace(0)->points();
    ASSERT_EQ(plotted.size(), 501);
    ASSERT_TRUE(scope->OffsetField(0)->isEnabled());
    Type(scope->OffsetField(0), "100");
    EXPECT_EQ(scope->Trace(0)->at(7).y(), plotted[7].y() + 100);
    auto* track = scope->findChild<OffsetTrack*>(QStringLiteral("POfs1"));
    EXPECT_EQ(track->MarkerRow(), oscillo::MarkerRow(track->Track(), 100));
    const QPoint above(track->width() / 2, track->Track().Top - 40); // dragged past the top
    QTest::mousePress(track, Qt::LeftButton, {}, above);
    QTest::mouseRelease(track, Qt::LeftButton, {}, above);
    EXPECT_EQ(scope->OffsetField(0)->RdValore(), track->Track().Max);
    EXPECT_EQ(scope->Trace(0)->at(7).y(), plotted[7].y() + track->Track().Max);

    // The axes carry units; zoomed far out the grid stays readable; X only; autoscale;
    // Escape brings the chart home before it closes anything.
    QChart* chart = scope->ChartView()->chart();
    auto* left = qobject_cast<QValueAxis*>(chart->axes(Qt::Vertical).constFirst());
    EXPECT_EQ(left->titleText(), QStringLiteral("rpm"));
    chart->zoom(0.05);
    EXPECT_LE((left->max() - left->min()) / left->tickInterval(), 12.0);
    scope->findChild<QToolButton*>(QStringLiteral("BZoomX"))->click();
    EXPECT_EQ(scope->ChartView()->rubberBand(), QChartView::HorizontalRubberBand);
    scope->findChild<QToolButton*>(QStringLiteral("BAutoscale"))->click();
    for (const QPointF& p : scope->Trace(0)->points())
        ASSERT_TRUE(p.y() >= left->min() && p.y() <= left->max()) << p.y();
    QTest::keyClick(scope, Qt::Key_Escape);
    EXPECT_FALSE(scope->Zoom().Zoomed());
    EXPECT_EQ(OscilloWindow(), scope);

    // Window > Tile: the speed page at the top left, the oscilloscope beside it.
    OpenSpeedPage(*window_);
    QMdiSubWindow* speedPage = window_->FindChildWindow(QStringLiteral("TFSpeed"));
    ASSERT_NE(speedPage, nullptr);
    window_->findChild<QAction*>(QStringLiteral("MTile"))->trigger();
    EXPECT_EQ(speedPage->pos(), QPoint(0, 0));
    EXPECT_TRUE(ChildFrame(scope)->x() >= speedPage->width() ||
                ChildFrame(scope)->geometry().right() == window_->Frame()->viewport()->width() - 1);
    EXPECT_FALSE(ChildFrame(scope)->isMaximized());
    // The saved picture has its legend under the chart.
    dialogs_->AnswerNextFile(Folder() + QStringLiteral("scope.png"));
    for (QAction* action : scope->findChildren<QAction*>())
        if (action->text() == QStringLiteral("Save &Picture…"))
            action->trigger();
    EXPECT_GT(QImage(Folder() + QStringLiteral("scope.png")).height(),
              scope->ChartView()->height() + 60);

    scope->TimeBase()->setCurrentIndex(3);
    emit scope->TimeBase()->activated(3);
    EXPECT_EQ(scope->Trace(0)->count(), 0);
    EXPECT_FALSE(scope->OffsetField(0)->isEnabled());
    EXPECT_EQ(window_->Driver().ScopeSettingsTable().FindByAddress(50003)->Value, 50);

    ChildFrame(scope)->close();
    ASSERT_TRUE(WaitFor([this] { return window_->StateOf(Command::Diagnostic).Enabled; }));
    EXPECT_TRUE(window_->StateOf(Command::ProfileTool).Enabled);
    QFile stored(Folder() + QStringLiteral("ZavaRive.dll"));
    ASSERT_TRUE(stored.open(QIODevice::ReadOnly));
    EXPECT_TRUE(stored.readAll().contains("O50001=100"));
}

TEST_F(OscilloWindowTest, AlwaysClosableAndClosingWritesOnlyTheStopOfItsCapture) {
    // An armed recorder never completes.
    ASSERT_NO_FATAL_FAILURE(Open([this] { Control(QStringLiteral("scopehang 1 on")); }));
    TDriver& driver = window_->Driver();
    // On line: armed, a time base chosen since; Select Drive closes the window first and
    // the stop of the recorder is the one write.
    EXPECT_TRUE(qobject_cast<QMdiSubWindow*>(ChildFrame(scope))->windowFlags() &
                Qt::WindowCloseButtonHint);
    EXPECT_TRUE(window_->StateOf(Command::SelectDrive).Enabled);
    scope->StartButton()->click();
    ASSERT_EQ(driver.ScopeSettingsTable().FindByAddress(50000)->DriveValue, 1);
    scope->TimeBase()->setCurrentIndex(3);
    emit scope->TimeBase()->activated(3);
    GateLog log(driver);
    dialogs_->OnNextDialog([](QDialog& d) { d.reject(); }); // the selection is cancelled
    SelectDrive(*window_);
    EXPECT_EQ(OscilloWindow(), nullptr);
    EXPECT_EQ(log.Writes(), (Writes{{50000, 0}}));

    // The drive falls silent with the window open: off line nothing would write, and
    // Escape still closes it, writing nothing.
    ASSERT_NO_FATAL_FAILURE(RunScope());
    scope->StartButton()->click();
    Control(QStringLiteral("silent 1 on"));
    ASSERT_TRUE(WaitFor([this] {
        return window_->StatusPanelText(StatusPanel::LineState) == QStringLiteral("Off Line");
    }));
    EXPECT_FALSE(scope->StartButton()->isEnabled());
    for (const Command c : {Command::Oscilloscope, Command::SelectDrive, Command::ComPort})
        EXPECT_TRUE(window_->StateOf(c).Enabled) << static_cast<int>(c);
    const std::size_t written = log.Writes().size();
    QTest::keyClick(scope, Qt::Key_Escape);
    EXPECT_TRUE(WaitFor([] { return OscilloWindow() == nullptr; }));
    EXPECT_EQ(log.Writes().size(), written);
}

// The Step control: refused with the reason, asked once, armed before the step, back to 0 on
// Stop and at the end, figures shown.
TEST_F(OscilloWindowTest, StepRefusesAsksOnceAndReturnsToZero) {
    ASSERT_NO_FATAL_FAILURE(Open([this] { SetSimRegister(1, 71, 1); })); // Digital Speed
    StepControl* step = scope->Step();
    GateLog log(window_->Driver());

    step->StepButton()->click();
    EXPECT_EQ(messages_.Texts().back(), QStringLiteral("No step: the drive is not enabled."));
    EXPECT_TRUE(log.Writes().empty());

    Control(QStringLiteral("input 1 0 on"));
    messages_.ScriptAnswers({true});
    step->DurationField()->WrValore(5000);
    step->StepButton()->click();
    ASSERT_TRUE(step->Source().Active());
    EXPECT_TRUE(scope->StartButton()->isChecked());
    const int raw = SimRegister(1, 80);
    EXPECT_GT(raw, 0);
    scope->StopButton()->click();
    EXPECT_FALSE(step->Source().Active());
    EXPECT_EQ(SimRegister(1, 80), 0);
    const Writes first = log.Writes();
    ASSERT_GE(first.size(), 3U);
    EXPECT_EQ(Writes(first.end() - 3, first.end()), (Writes{{50000, 1}, {80, raw}, {80, 0}}));

    // The second step is not asked again; it ends by itself and its figures are shown.
    ASSERT_TRUE(Captured());
    const qsizetype boxes = messages_.Texts().size();
    const std::size_t before = log.Writes().size();
    step->DurationField()->WrValore(300);
    step->StepButton()->click();
    ASSERT_TRUE(WaitFor(
        [&] {
            return !step->Figures()->text().isEmpty() && !step->Source().Active() &&
                   !scope->Session().Running();
        },
        30000));
    EXPECT_EQ(messages_.Texts().size(), boxes);
    EXPECT_TRUE(step->Figures()->text().startsWith(QStringLiteral("Overshoot ")))
        << qPrintable(step->Figures()->text());
    EXPECT_EQ(SimRegister(1, 80), 0);
    const Writes all = log.Writes();
    const Writes second(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
    for (const auto& write : Writes{{50000, 1}, {80, raw}, {80, 0}, {50000, 0}})
        EXPECT_NE(std::find(second.begin(), second.end(), write), second.end()) << write.first;
}

// Figures after a capture and between the time cursors, held references with their legend,
// the fifth replacing the oldest, hiding, and a saved reference overlaid in the trace viewer.
TEST_F(OscilloWindowTest, MeasuresHoldsAndOverlaysReferences) {
    ASSERT_NO_FATAL_FAILURE(Open());
    ScopeWorkbench& bench = scope->Workbench();
    scope->findChild<QAction*>(QStringLiteral("MOBench"))->trigger(); // the menu shows it
    EXPECT_TRUE(bench.isVisibleTo(scope));
    ReferenceOverlay& refs = bench.References();
    const auto capture = [this] {
        scope->StartButton()->click();
        return Captured();
    };
    scope->EdgeButton(3)->click();
    ASSERT_TRUE(capture());
    ASSERT_TRUE(WaitFor([&bench] { return bench.Figures().Statistics[0].has_value(); }));
    EXPECT_EQ(bench.Table()->rowCount(), 9);
    EXPECT_NE(bench.Table()->item(0, 0)->text(), QStringLiteral("—"));
    EXPECT_TRUE(bench.Notes().front().startsWith(QStringLiteral("# Measurements,Whole record")));
    scope->CursorSwitch()->click(); // time cursors: only the samples between them
    ASSERT_TRUE(WaitFor([&bench] { return !bench.Figures().Whole; }));

    refs.HoldButton()->click();
    ASSERT_EQ(refs.Series().size(), 2u);
    EXPECT_EQ(refs.Series()[0]->pen().style(), Qt::DashLine);
    EXPECT_EQ(refs.Series()[1]->pen().color().rgb(), scope->Trace(1)->pen().color().rgb());
    EXPECT_EQ(refs.Series()[0]->points(), scope->Trace(0)->points());
    EXPECT_TRUE(refs.Legend()->item(0)->text().endsWith(QStringLiteral("same settings")));
    // KI raised on the drive: the next capture's legend names the held one's KI.
    window_->Driver().ActiveTable().FindByAddress(24)->DriveValue = 321;
    ASSERT_TRUE(capture());
    EXPECT_TRUE(refs.Legend()->item(0)->text().contains(QStringLiteral("Speed KI 100 (321)")))
        << refs.Legend()->item(0)->text().toStdString();
    for (int i = 0; i < 4; ++i)
        refs.HoldButton()->click();
    EXPECT_EQ(refs.Legend()->count(), 4);
    EXPECT_TRUE(refs.Status()->text().startsWith(QStringLiteral("Ref 1 replaced")));
    refs.ShowBox()->click();
    for (QLineSeries* series : refs.Series())
        EXPECT_FALSE(series->isVisible());

    const QString saved = Folder() + QStringLiteral("ref.kls");
    ASSERT_TRUE(refs.Save(saved));
    TFRegOsc viewer;
    ASSERT_TRUE(viewer.Load(saved));
    ASSERT_TRUE(viewer.Overlays().Open(saved));
    ASSERT_TRUE(viewer.Overlays().Open(saved));
    EXPECT_EQ(viewer.Overlays().Series().size(), 4u);
    EXPECT_TRUE(viewer.Overlays().Legend()->item(1)->text().contains(QStringLiteral("ref.kls")));
    EXPECT_TRUE(messages_.Texts().isEmpty()) << messages_.Texts().join(u'|').toStdString();
}

// The stored trace viewer, without a drive: showing a file and shifting its traces.
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
} // namespace kelm::test
