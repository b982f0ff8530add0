// The oscilloscope's measurements and references on the in-memory drive: figures after a
// capture and between the time cursors, held references with their legend, the fifth
// replacing the oldest, hiding, and a saved reference overlaid in the trace viewer.
#include "app/InstallFlows.h"
#include "core/drive/TDriver.h"
#include "diagnostic/ToolFixture.h"
#include "ui/scope/OscilloWindow.h"
#include "ui/scope/ReferenceOverlay.h"
#include "ui/scope/ScopeWorkbench.h"
#include "ui/scope/TFOscillo.h"
#include "ui/scope/TFRegOsc.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineSeries>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>

namespace kelm::test {
namespace {

using WorkbenchTest = ToolFixture;

TEST_F(WorkbenchTest, MeasuresHoldsAndOverlaysReferences) {
    BuildEngine(sim::SimKind::Std);
    dialogs_->SetDefaultDialogHandler([](QDialog& d) { ScriptedDialogs::WaitClosed(d, 30000); });
    ShellFlows flows = ProgramFlows();
    flows.SelectDrive = {};
    ASSERT_NO_FATAL_FAILURE(ShowOnline(flows));
    window_->Run(Command::Oscilloscope);
    TFOscillo* scope = OscilloWindow();
    ASSERT_NE(scope, nullptr);
    ScopeWorkbench& bench = scope->Workbench();
    scope->findChild<QAction*>(QStringLiteral("MOBench"))->trigger(); // the menu shows it
    EXPECT_TRUE(bench.isVisibleTo(scope));
    ReferenceOverlay& refs = bench.References();
    const auto capture = [scope] {
        scope->StartButton()->click();
        return WaitFor([scope] { return !scope->Session().Running(); }, 30000);
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

} // namespace
} // namespace kelm::test
