// Every window and dialog, for every device kind, on line and off line: no text is cut and
// no window opens smaller than its content. A new window is one row of kWindows.
#include "app/InstallFlows.h"
#include "core/drive/TDriver.h"
#include "ui/alarms/AlarmWindow.h"
#include "ui/alarms/TFAllarms.h"
#include "ui/compare/CompareCommands.h"
#include "ui/compare/TFCompDev.h"
#include "ui/diagnostic/DiagValueDialog.h"
#include "ui/diagnostic/DiagnosticWindow.h"
#include "ui/diagnostic/TFDiagnostic.h"
#include "ui/diagnostic/ToolFixture.h"
#include "ui/drive/SelectDrive.h"
#include "ui/drive/TFConnectD.h"
#include "ui/drive/TFOffLineSel.h"
#include "ui/drive/TFSelectDriver.h"
#include "ui/scope/OscilloWindow.h"
#include "ui/scope/TFOscillo.h"
#include "ui/seams/DialogRunner.h"
#include "ui/shell/WaitFor.h"
#include "ui/tarnlink/TFTarnSel.h"
#include "ui/tarnlink/UnitPanel.h"
#include "ui/users/TFUsers.h"
#include "ui/widgets/ChildFrame.h"
#include "ui/widgets/FitAudit.h"

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineSeries>
#include <QMdiArea>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTableWidget>

namespace kelm::test {
namespace {

struct KindCase {
    const char* Name;
    sim::SimKind Sim;
    int Unit; // the link overview's unit to choose (1 = Power unit), 0 without overview
    DeviceKind Kind;
};
const KindCase kKinds[] = {{"std", sim::SimKind::Std, 0, DeviceKind::Std},
                           {"power", sim::SimKind::Link, 1, DeviceKind::Power},
                           {"drive", sim::SimKind::Link, 2, DeviceKind::Drive},
                           {"orca", sim::SimKind::Orca, 0, DeviceKind::Orca230}};

// A window: how it opens and, for a child window, where it is afterwards (dialogs are
// checked by the dialog seam while they run).
struct WindowCase {
    const char* Name;
    bool OnLineOnly;
    std::function<void(TFPrincipale&, const QString& folder)> Open;
    std::function<QWidget*(TFPrincipale&)> Find;
};

std::function<void(TFPrincipale&, const QString&)> RunCommand(Command command) {
    return [command](TFPrincipale& w, const QString&) { w.Run(command); };
}

const WindowCase kWindows[] = {
    {"TFMainDev", false, {}, [](TFPrincipale& w) { return w.FindChildWindow("TFMainDev"); }},
    {"TFOscillo", true,
     [](TFPrincipale& w, const QString&) {
         // Shown with a single capture of both channels and the cursors on (the diagnostic
         // window would hold the line).
         if (TFDiagnostic* diagnostic = DiagnosticWindow())
             ChildFrame(diagnostic)->close();
         WaitFor([&w] { return w.Driver().ModeLetter() == 'I'; });
         ASSERT_TRUE(w.Driver().Online());
         // The progress dialog of the settings read runs to its end.
         static_cast<ScriptedDialogs&>(Dialogs()).OnNextDialog(
             [](QDialog& d) { ScriptedDialogs::WaitClosed(d, 30000); });
         w.Run(Command::Oscilloscope);
         TFOscillo* scope = OscilloWindow();
         ASSERT_NE(scope, nullptr) << w.Driver().Online();
         scope->StartButton()->click();
         ASSERT_TRUE(WaitFor([scope] { return !scope->Session().Running(); }, 30000));
         EXPECT_EQ(scope->Trace(1)->count(), scope->Capture().SampleCount() + 1);
         scope->CursorSwitch()->click();
     },
     [](TFPrincipale&) -> QWidget* { return OscilloWindow(); }},
    {"TFAllarms", false, [](TFPrincipale& w, const QString&) { ShowAlarmWindow(w); },
     [](TFPrincipale&) -> QWidget* { return AlarmWindow(); }},
    {"TFDiagnostic", true,
     [](TFPrincipale& w, const QString&) {
         w.Run(Command::Diagnostic);
         // Checked with the values read in.
         WaitFor([] {
             TFDiagnostic* d = DiagnosticWindow();
             return d != nullptr && !d->Grid().item(3, TFDiagnostic::ColHex)->text().isEmpty();
         });
     },
     [](TFPrincipale&) -> QWidget* { return DiagnosticWindow(); }},
    {"TFCompDev", false,
     [](TFPrincipale& w, const QString& folder) {
         auto& dialogs = static_cast<ScriptedDialogs&>(Dialogs());
         const QString file = folder + QStringLiteral("values.") + w.DeviceDialogExtension();
         dialogs.AnswerNextFile(file);
         w.Run(Command::SaveAs);
         dialogs.AnswerNextFile(file);
         w.Run(w.Driver().Online() ? Command::DriveCompare : Command::FileCompare);
     },
     [](TFPrincipale&) -> QWidget* { return CompareWindow(); }},
    {"TFGenInfo", false, RunCommand(Command::GeneralSettings), {}},
    {"TFComSet", false, RunCommand(Command::ComPort), {}},
    {"TFComSetTarn", false, RunCommand(Command::TarnPort), {}},
    {"AboutBox", false, RunCommand(Command::About), {}},
    {"TFUsers",
     false,
     [](TFPrincipale& w, const QString&) {
         TFUsers dialog(&w);
         Dialogs().Exec(dialog);
     },
     {}},
    {"DiagValueDialog",
     false,
     [](TFPrincipale& w, const QString&) { DiagValueDialog::Ask(-32768, 32767, &w); },
     {}},
};

// With KELM_SCREENSHOT_DIR set, saves the window's picture as <name>.png there.
void SaveScreenshot(QWidget& window, const QString& name) {
    const QString folder = qEnvironmentVariable("KELM_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        window.grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

struct FitCase {
    KindCase Kind;
    bool OnLine;
};
void PrintTo(const FitCase& c, std::ostream* out) {
    *out << c.Kind.Name << (c.OnLine ? " on line" : " off line");
}

class FitCheckTest : public ToolFixture, public ::testing::WithParamInterface<FitCase> {
protected:
    QString Suffix() const {
        return QStringLiteral("-%1-%2").arg(GetParam().Kind.Name,
                                            GetParam().OnLine ? "online" : "offline");
    }
    // Checks a window and saves its picture under its name, the kind and the line state.
    void Check(QWidget& window, const QString& name, QSize room) {
        QCoreApplication::processEvents();
        problems_ << FitProblems(window, room)
                         .replaceInStrings(QRegularExpression("^"), name + Suffix() + ": ");
        SaveScreenshot(window, name + Suffix());
        ++checks_;
    }
    void CheckDialog(QDialog& dialog) {
        // Named by the table row that opened it, else by its class.
        const QString name =
            !dialogName_.isEmpty()
                ? dialogName_
                : QString::fromLatin1(dialog.metaObject()->className()).remove("kelm::");
        Check(dialog, name, QGuiApplication::primaryScreen()->availableSize());
    }
    // The selection of the case's kind and line state, checking each dialog on the way.
    void Select() {
        const KindCase kind = GetParam().Kind;
        dialogs_->OnNextDialog([this, kind](QDialog& d) {
            auto& select = static_cast<TFSelectDriver&>(d);
            CheckDialog(select);
            if (!GetParam().OnLine)
                select.BOffLine->click();
            else if (kind.Sim == sim::SimKind::Std)
                select.BStdOk->click(); // the field holds 1
            else
                select.BLinkOk->click();
        });
        dialogs_->SetDefaultDialogHandler([this, kind](QDialog& d) {
            CheckDialog(d);
            if (auto* chooser = qobject_cast<TFOffLineSel*>(&d))
                chooser->Buttons[static_cast<std::size_t>(KindIndex(kind.Kind))]->click();
            if (auto* overview = qobject_cast<TFTarnSel*>(&d)) {
                WaitFor([overview] {
                    return !overview->Panel(overview->UnitCount() - 1).CanId->text().isEmpty();
                });
                CheckDialog(*overview);
                overview->Panel(kind.Unit - 1).SelectButton->click();
            }
            ScriptedDialogs::WaitClosed(d, 30000);
        });
        ShellFlows flows = ProgramFlows();
        ShowWindow(flows);
        ASSERT_TRUE(WaitFor([this] { return window_->Started(); }));
        ASSERT_TRUE(WaitFor([this] { return dialogs_->PendingCount() == 0; }, 30000));
        ASSERT_TRUE(WaitFor(
            [this] {
                TDriver& driver = window_->Driver();
                return driver.Online() == GetParam().OnLine &&
                       (!driver.Online() || driver.ModeLetter() == 'I');
            },
            30000));
        ASSERT_EQ(window_->Driver().CurrentKind(), kind.Kind);
        dialogs_->SetDefaultDialogHandler([this](QDialog& d) { CheckDialog(d); });
    }

    QStringList problems_;
    int checks_ = 0;
    QString dialogName_;
};

TEST_P(FitCheckTest, EveryWindowShowsItsWholeContent) {
    const KindCase kind = GetParam().Kind;
    BuildEngine(kind.Sim);
    const LinkPortScan previous = InstallLinkPortScan([] {
        return std::vector<DiscoveredPort>{DiscoveredPort{10, 1}};
    });
    ASSERT_NO_FATAL_FAILURE(Select());
    if (!window_->StatusPanelShown())
        window_->ViewInfoClick();
    Check(*window_, QStringLiteral("main"), QGuiApplication::primaryScreen()->availableSize());
    for (const WindowCase& row : kWindows) {
        if (row.OnLineOnly && !GetParam().OnLine)
            continue;
        if (kind.Kind == DeviceKind::Power && std::string_view(row.Name) == "TFOscillo")
            continue; // the Power unit has no recorder
        dialogName_ = row.Find ? QString() : QString::fromLatin1(row.Name);
        const int before = checks_;
        if (row.Open)
            row.Open(*window_, Folder());
        if (!row.Find) {
            EXPECT_GT(checks_, before) << row.Name << " did not open";
            continue;
        }
        QWidget* found = row.Find(*window_);
        ASSERT_NE(found, nullptr) << row.Name;
        QWidget* frame = ChildFrame(found);
        const QRect area = window_->Frame()->viewport()->rect();
        Check(*frame, row.Name, area.size());
        if (!area.contains(frame->geometry()))
            problems_ << QStringLiteral("%1%2: lies outside the frame").arg(row.Name, Suffix());
    }
    InstallLinkPortScan(previous);
    EXPECT_TRUE(problems_.isEmpty()) << problems_.join('\n').toStdString();
}

std::vector<FitCase> AllCases() {
    std::vector<FitCase> cases;
    for (const KindCase& kind : kKinds)
        for (const bool online : {true, false})
            cases.push_back({kind, online});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(, FitCheckTest, ::testing::ValuesIn(AllCases()), [](const auto& info) {
    return std::string(info.param.Kind.Name) + (info.param.OnLine ? "OnLine" : "OffLine");
});

} // namespace
} // namespace kelm::test
