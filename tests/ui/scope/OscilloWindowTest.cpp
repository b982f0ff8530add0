// The oscilloscope window's own wiring on the in-memory drive: what it holds on the main
// window, the speed mirror, a capture with the lit Start, a typed offset, the time base, and
// what closing gives back and keeps.
#include "ui/scope/OscilloWindow.h"
#include "app/InstallFlows.h"
#include "core/drive/TDriver.h"
#include "diagnostic/ToolFixture.h"
#include "pages/GateLog.h"
#include "ui/drive/SelectDrive.h"
#include "ui/pages/DialogPages.h"
#include "ui/pages/MainDevPage.h"
#include "ui/pages/TFMainDev.h"
#include "ui/scope/ChartZoom.h"
#include "ui/scope/OffsetTrack.h"
#include "ui/scope/TFOscillo.h"
#include "ui/widgets/ChildFrame.h"
#include "ui/widgets/TPNumEdit.h"

#include <QAction>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLineSeries>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QValueAxis>

namespace kelm::test {
namespace {

using OscilloWindowTest = ToolFixture;

void Type(TPNumEdit* field, const char* text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, QString::fromLatin1(text));
    QTest::keyClick(field, Qt::Key_Return);
}

TEST_F(OscilloWindowTest, HoldsTheMainWindowCapturesAndGivesBack) {
    BuildEngine(sim::SimKind::Std);
    SetSimRegister(1, 71, 1); // digital speed mode: the main page shows its speed field
    dialogs_->SetDefaultDialogHandler([](QDialog& d) { ScriptedDialogs::WaitClosed(d, 30000); });
    ShellFlows flows = ProgramFlows();
    flows.SelectDrive = {};
    ASSERT_NO_FATAL_FAILURE(ShowOnline(flows));
    window_->Run(Command::Oscilloscope);
    TFOscillo* scope = OscilloWindow();
    ASSERT_NE(scope, nullptr);
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
    ASSERT_TRUE(WaitFor([scope] { return !scope->Session().Running(); }, 30000));
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
    BuildEngine(sim::SimKind::Std);
    Control(QStringLiteral("scopehang 1 on")); // an armed recorder never completes
    dialogs_->SetDefaultDialogHandler([](QDialog& d) { ScriptedDialogs::WaitClosed(d, 30000); });
    ShellFlows flows = ProgramFlows();
    flows.SelectDrive = {};
    ASSERT_NO_FATAL_FAILURE(ShowOnline(flows));
    TDriver& driver = window_->Driver();
    // On line: armed, a time base chosen since; Select Drive closes the window first and
    // the stop of the recorder is the one write.
    window_->Run(Command::Oscilloscope);
    TFOscillo* scope = OscilloWindow();
    ASSERT_NE(scope, nullptr);
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
    EXPECT_EQ(log.Writes(), (std::vector<std::pair<int, int>>{{50000, 0}}));

    // The drive falls silent with the window open: off line nothing would write, and
    // Escape still closes it, writing nothing.
    window_->Run(Command::Oscilloscope);
    scope = OscilloWindow();
    ASSERT_NE(scope, nullptr);
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

} // namespace
} // namespace kelm::test
