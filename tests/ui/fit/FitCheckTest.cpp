// Every window and dialog, per kind, on and off line: no text cut, no window smaller than its
// content or larger than the screen, no child window under the status panel or opening over
// another, no shared accelerator. A new window is one row of kWindows.
#include "ScreenFindings.h"
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
#include "ui/drive/TFOffLineSel.h"
#include "ui/pages/DialogPage.h"
#include "ui/pages/DialogPages.h"
#include "ui/pages/IoPages.h"
#include "ui/pages/TFAnalog.h"
#include "ui/pages/TFDigital.h"
#include "ui/profile/ProfileWindow.h"
#include "ui/profile/TFProfile.h"
#include "ui/scope/OscilloWindow.h"
#include "ui/scope/TFOscillo.h"
#include "ui/tarnlink/TFTarnSel.h"
#include "ui/tarnlink/UnitPanel.h"
#include "ui/users/TFUsers.h"
#include "ui/widgets/ChildFrame.h"
#include "ui/widgets/FitAudit.h"
#include "ui/widgets/GrowToContent.h"
#include "ui/widgets/ScreenFit.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
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

using Where = bool (*)(TFPrincipale&);
constexpr Where Always = [](TFPrincipale&) { return true; };
constexpr Where OnLine = [](TFPrincipale& w) { return w.Driver().Online(); };
constexpr Where NotPower = [](TFPrincipale& w) {
    return w.Driver().CurrentKind() != DeviceKind::Power;
};
constexpr Where DriveKinds = [](TFPrincipale& w) { return OnLine(w) && NotPower(w); };

// A child window is found afterwards; dialogs are checked by the dialog seam while they run.
using Opener = std::function<void(TFPrincipale&, const QString& folder)>;
struct WindowCase {
    const char* Name;
    Where Opens;
    Opener Open;
    std::function<QWidget*(TFPrincipale&)> Find;
};

ScriptedDialogs& Scripted() {
    return static_cast<ScriptedDialogs&>(Dialogs());
}
Opener RunCommand(Command command) {
    return [command](TFPrincipale& w, const QString&) { w.Run(command); };
}
template <void (*Open)(ShellHost&)> void Call(TFPrincipale& w, const QString&) {
    Open(w);
}
template <auto Window> QWidget* Only(TFPrincipale&) {
    return Window();
}

// A dialog page, after an optional edit that shows more of it.
WindowCase Page(const char* name, void (*open)(ShellHost&), void (*edit)(QWidget&) = nullptr) {
    const auto find = [name](TFPrincipale&) -> QWidget* {
        return OpenDialogPage(QString::fromLatin1(name));
    };
    const auto opener = [open, edit, find](TFPrincipale& w, const QString&) {
        open(w);
        if (edit != nullptr && find(w) != nullptr)
            edit(*find(w));
    };
    return {name, DriveKinds, opener, find};
}

// The I/O pages, checked once the digital page has become interactive.
Opener IoPageOpener(void (*open)(ShellHost&)) {
    return [open](TFPrincipale& w, const QString&) {
        open(w);
        WaitFor([&w] {
            return !w.Driver().Online() || DigitalPage() == nullptr || DigitalPage()->Interactive();
        });
    };
}

const WindowCase kWindows[] = {
    {"TFMainDev", Always, {}, [](TFPrincipale& w) { return w.FindChildWindow("TFMainDev"); }},
    {"TFOscillo", DriveKinds,
     [](TFPrincipale& w, const QString& folder) {
         // A capture of both channels with the cursors on (the diagnostic window holds the line).
         if (TFDiagnostic* diagnostic = DiagnosticWindow())
             ChildFrame(diagnostic)->close();
         WaitFor([&w] { return w.Driver().Mode() == WorkerMode::StatusPoll; });
         ASSERT_TRUE(w.Driver().Online());
         Scripted().OnNextDialog([](QDialog& d) { ScriptedDialogs::WaitClosed(d, 30000); });
         w.Run(Command::Oscilloscope);
         TFOscillo* scope = OscilloWindow();
         ASSERT_NE(scope, nullptr) << w.Driver().Online();
         scope->StartButton()->click();
         ASSERT_TRUE(WaitFor([scope] { return !scope->Session().Running(); }, 30000));
         EXPECT_EQ(scope->Trace(1)->count(), scope->Capture().SampleCount() + 1);
         scope->CursorSwitch()->click();
         Scripted().AnswerNextFile(folder + "capture.kls"); // for the viewer's row
         for (QAction* action : scope->findChildren<QAction*>())
             if (action->text() == QStringLiteral("&Save to file"))
                 action->trigger();
     },
     Only<OscilloWindow>},
    {"TFRegOsc", DriveKinds,
     [](TFPrincipale& w, const QString& folder) {
         Scripted().AnswerNextFile(folder + "capture.kls");
         w.Run(Command::ScopeOpenFile);
         WaitFor([] { return false; }, 300); // the layout timer places the offset markers
     },
     [](TFPrincipale& w) -> QWidget* {
         QMdiSubWindow* viewer = w.FindChildWindow(QStringLiteral("TFRegOsc"));
         return viewer != nullptr ? viewer->widget() : nullptr;
     }},
    {"TFAllarms", Always, Call<ShowAlarmWindow>, Only<AlarmWindow>},
    {"TFDiagnostic", OnLine,
     [](TFPrincipale& w, const QString&) {
         w.Run(Command::Diagnostic);
         WaitFor([] {
             TFDiagnostic* d = DiagnosticWindow();
             return d != nullptr && !d->Grid().item(3, TFDiagnostic::ColHex)->text().isEmpty();
         });
     },
     Only<DiagnosticWindow>},
    {"TFCompDev", Always,
     [](TFPrincipale& w, const QString& folder) {
         const QString file = folder + QStringLiteral("values.") + w.DeviceDialogExtension();
         Scripted().AnswerNextFile(file);
         w.Run(Command::SaveAs);
         Scripted().AnswerNextFile(file);
         w.Run(w.Driver().Online() ? Command::DriveCompare : Command::FileCompare);
     },
     Only<CompareWindow>},
    {"TFProfile", OnLine,
     [](TFPrincipale& w, const QString&) { // kinds without the command get the editor directly
         w.StateOf(Command::ProfileTool).Enabled ? w.Run(Command::ProfileTool)
                                                 : ShowProfileWindow(w);
     },
     Only<ProfileWindow>},
    {"TFGenInfo", Always, RunCommand(Command::GeneralSettings), {}},
    {"TFComSet", Always, RunCommand(Command::ComPort), {}},
    {"TFComSetTarn", Always, RunCommand(Command::TarnPort), {}},
    {"AboutBox", Always, RunCommand(Command::About), {}},
    {"TFUsers",
     Always,
     [](TFPrincipale& w, const QString&) {
         TFUsers dialog(&w);
         Dialogs().Exec(dialog);
     },
     {}},
    {"DiagValueDialog",
     Always,
     [](TFPrincipale& w, const QString&) { DiagValueDialog::Ask(-32768, 32767, &w); },
     {}},
    {"TFTuning",
     DriveKinds,
     [](TFPrincipale& w, const QString&) {
         static_cast<RecordingMessages&>(Messages()).ScriptAnswers({true});
         w.Run(Command::SpeedOffset);
     },
     {}},
    Page("TFMotor", &OpenMotorPage),
    Page("TFCurrent", &OpenCurrentPage),
    Page("TFSpeed", &OpenSpeedPage),
    Page("TFPosit", &OpenPositionPage,
         [](QWidget& page) { // a ratio of 64 shows the warning where the kind checks it
             page.findChild<QLineEdit*>(QStringLiteral("ENum"))->setText(QStringLiteral("64"));
             page.findChild<QLineEdit*>(QStringLiteral("EDen"))->setText(QStringLiteral("1"));
         }),
    Page("TFEncOut", &OpenEncoderOutPage),
    {"TFCurrent-guided", DriveKinds, Call<StartGuidedSetup>,
     [](TFPrincipale&) -> QWidget* { return OpenDialogPage(QStringLiteral("TFCurrent")); }},
    {"TFDigital", NotPower, IoPageOpener(&OpenDigitalPage), Only<DigitalPage>},
    {"TFAnalog", NotPower, IoPageOpener(&OpenAnalogPage), Only<AnalogPage>},
};

class FitCheckTest : public ToolFixture,
                     public ::testing::WithParamInterface<std::tuple<KindCase, bool>> {
protected:
    const KindCase& Kind() const { return std::get<0>(GetParam()); }
    bool Online() const { return std::get<1>(GetParam()); }
    // With KELM_SCREENSHOT_DIR set, also saves the window's picture there.
    void Check(QWidget& window, const QString& name, QSize room, bool atOpen = true) {
        const QString shown =
            name + QStringLiteral("-%1-%2").arg(Kind().Name).arg(Online() ? "online" : "offline");
        // A layout request posts the next one up the tree: the window settles in a few passes.
        for (int pass = 0; pass < 4; ++pass)
            QCoreApplication::processEvents();
        // A window's frame takes part of the screen.
        if (window.isWindow())
            room -= (window.frameGeometry().size() - window.size()).expandedTo(QSize(0, 0));
        QStringList found = FitProblems(window, room) + AcceleratorProblems(window);
        if (window.isWindow())
            found += OffScreenProblems(window, Available());
        if (auto* sub = qobject_cast<QMdiSubWindow*>(&window))
            found += UnderPanelProblems(*sub, StatusPanel()) +
                     (atOpen ? OverlapProblems(*sub) : QStringList());
        problems_ << found.replaceInStrings(QRegularExpression("^"), shown + ": ");
        if (const QString folder = qEnvironmentVariable("KELM_SCREENSHOT_DIR"); !folder.isEmpty())
            window.grab().save(QDir(folder).filePath(shown + QStringLiteral(".png")));
        ++checks_;
    }
    // Named by the table row that opened it, else by its class.
    void CheckDialog(QDialog& d) {
        const QString byClass = QString::fromLatin1(d.metaObject()->className()).remove("kelm::");
        Check(d, dialogName_.isEmpty() ? byClass : dialogName_, Screen());
    }
    static QSize Screen() { return QGuiApplication::primaryScreen()->availableSize(); }
    static QRect Available() { return QGuiApplication::primaryScreen()->availableGeometry(); }
    // The status panel's place on the screen, empty while it is hidden.
    QRect StatusPanel() const {
        const QWidget* panel = window_->findChild<QWidget*>(QStringLiteral("RightPanel"));
        if (panel == nullptr || !window_->StatusPanelShown())
            return {};
        return {panel->mapToGlobal(QPoint()), panel->size()};
    }
    // Selects the case's kind and line state, checking each dialog on the way.
    void Select() {
        dialogs_->OnNextDialog([this](QDialog& d) {
            auto& select = static_cast<TFSelectDriver&>(d);
            CheckDialog(select);
            (!Online()                         ? select.BOffLine
             : Kind().Sim == sim::SimKind::Std ? select.BStdOk // the field holds 1
                                               : select.BLinkOk)
                ->click();
        });
        dialogs_->SetDefaultDialogHandler([this](QDialog& d) {
            CheckDialog(d);
            if (auto* chooser = qobject_cast<TFOffLineSel*>(&d))
                chooser->Buttons[static_cast<std::size_t>(KindIndex(Kind().Kind))]->click();
            if (auto* overview = qobject_cast<TFTarnSel*>(&d)) {
                WaitFor([overview] {
                    return !overview->Panel(overview->UnitCount() - 1).CanId->text().isEmpty();
                });
                CheckDialog(*overview);
                overview->Panel(Kind().Unit - 1).SelectButton->click();
            }
            ScriptedDialogs::WaitClosed(d, 30000);
        });
        ShowWindow(ProgramFlows());
        ASSERT_TRUE(WaitFor([this] { return window_->Started(); }));
        ASSERT_TRUE(WaitFor([this] { return dialogs_->PendingCount() == 0; }, 30000));
        ASSERT_TRUE(WaitFor(
            [this] {
                TDriver& driver = window_->Driver();
                return driver.Online() == Online() &&
                       (!Online() || driver.Mode() == WorkerMode::StatusPoll);
            },
            30000));
        ASSERT_EQ(window_->Driver().CurrentKind(), Kind().Kind);
        dialogs_->SetDefaultDialogHandler([this](QDialog& d) { CheckDialog(d); });
    }

    QStringList problems_;
    int checks_ = 0;
    QString dialogName_;
};

TEST_P(FitCheckTest, EveryWindowShowsItsWholeContent) {
    // The laptop screen, in device pixels, at the run's scale factor.
    const QScreen* screen = QGuiApplication::primaryScreen();
    // (Logical pixels are whole: 1366 / 1.5 rounds to 911, 1366.5 device pixels.)
    const QSizeF device = QSizeF(screen->geometry().size()) * screen->devicePixelRatio();
    ASSERT_LT(std::abs(device.width() - 1366), screen->devicePixelRatio()) << device.width();
    ASSERT_LT(std::abs(device.height() - 768), screen->devicePixelRatio()) << device.height();
    BuildEngine(Kind().Sim);
    ScanLinkPorts([] { return std::vector{DiscoveredPort{10, 1}}; });
    ASSERT_NO_FATAL_FAILURE(Select());
    if (!window_->StatusPanelShown())
        window_->ViewInfoClick();
    Check(*window_, QStringLiteral("main"), Screen());
    for (const WindowCase& row : kWindows) {
        if (!row.Opens(*window_))
            continue;
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
        // Cancel ends the guided setup: the rows after it find the menu usable.
        if (auto* page = qobject_cast<DialogPage*>(found); page != nullptr && page->IsGuided())
            page->CancelButton()->click();
        // The oscilloscope opens maximized and holds most commands: the rows after it find
        // the main window as a user would after closing it.
        if (found == OscilloWindow()) {
            // Also at its own size, restored from maximized.
            if (auto* sub = qobject_cast<QMdiSubWindow*>(frame))
                sub->showNormal();
            Check(*frame, QString::fromLatin1(row.Name) + QStringLiteral("-own"), area.size(),
                  false);
            frame->close();
        }
    }
    EXPECT_TRUE(problems_.isEmpty()) << problems_.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(, FitCheckTest,
                         ::testing::Combine(::testing::ValuesIn(kKinds), ::testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).Name) +
                                    (std::get<1>(info.param) ? "OnLine" : "OffLine");
                         });

// The walker itself: a cut caption, a shared accelerator and a top menu without one.
TEST(FitWalkerTest, ReportsCutTextsAndSharedAccelerators) {
    QMainWindow window;
    auto* central = new QWidget(&window);
    window.setCentralWidget(central);
    (new QLabel(QStringLiteral("A caption far too long"), central))->setGeometry(0, 0, 20, 20);
    (new QPushButton(QStringLiteral("&Ok"), central))->setGeometry(0, 30, 80, 30);
    (new QPushButton(QStringLiteral("&Off Line"), central))->setGeometry(0, 70, 160, 30);
    window.menuBar()->addMenu(QStringLiteral("File"));
    window.resize(400, 300);
    window.show();
    EXPECT_EQ(AcceleratorProblems(window), QStringList({"File", "&Ok|&Off Line"}));
    const QStringList cut = FitProblems(*central, QSize(400, 300));
    ASSERT_EQ(cut.size(), 1) << cut.join('\n').toStdString();
    EXPECT_TRUE(cut[0].contains(QStringLiteral("A caption far too long"))) << cut[0].toStdString();
}

// A dialog over the main window shares no accelerator with its menus.
TEST(FitWalkerTest, DialogsKeepTheirOwnAccelerators) {
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("&Oscilloscope"));
    window.show();
    QDialog dialog(&window);
    (new QPushButton(QStringLiteral("&Ok"), &dialog))->show();
    dialog.show();
    EXPECT_EQ(AcceleratorProblems(window), QStringList());
    EXPECT_EQ(AcceleratorProblems(dialog), QStringList());
}

// The screen findings catch a window past the screen, a child under the panel or past the
// frame, and a child opened over another's buttons while there was room beside it.
TEST(FitWalkerTest, ReportsWindowsPastTheScreenAndCoveredChildren) {
    const QRect screen(0, 0, 1000, 700);
    QWidget big;
    big.setGeometry(10, 10, 1200, 300);
    EXPECT_EQ(OffScreenProblems(big, screen).size(), 1);
    big.setGeometry(10, 10, 900, 600);
    EXPECT_EQ(OffScreenProblems(big, screen), QStringList());

    QMdiArea frame;
    frame.resize(800, 500);
    frame.show();
    QWidget page;
    page.setMinimumSize(200, 150);
    auto* button = new QPushButton(QStringLiteral("Speed"), &page);
    button->setGeometry(10, 100, 80, 30);
    QMdiSubWindow* main = frame.addSubWindow(&page);
    main->setGeometry(0, 0, 300, 200);
    main->show();
    QWidget other;
    QMdiSubWindow* opened = frame.addSubWindow(&other);
    opened->show();
    const QRect right(frame.viewport()->mapToGlobal(QPoint(600, 0)), QSize(200, 500));
    struct Case {
        QRect At;
        QRect Panel;
        int Under, Covers;
    } const cases[] = {
        {{300, 0, 250, 200}, {}, 0, 0},    // beside
        {{300, 0, 250, 200}, right, 0, 0}, // beside, the panel further right
        {{500, 0, 250, 200}, right, 1, 0}, // under the panel
        {{650, 0, 250, 200}, {}, 1, 0},    // past the frame
        {{0, 90, 250, 200}, {}, 0, 1},     // over the button, room beside
        {{20, 20, 250, 200}, {}, 0, 1},    // over the title bar
        {{0, 90, 800, 400}, {}, 0, 0},     // no room elsewhere
    };
    for (const Case& c : cases) {
        opened->setGeometry(c.At);
        EXPECT_EQ(UnderPanelProblems(*opened, c.Panel).size(), c.Under) << c.At.x();
        EXPECT_EQ(OverlapProblems(*opened).size(), c.Covers) << c.At.x();
    }
}

// A frame that shrinks (the status panel grows) moves its child windows back inside.
TEST(FitWalkerTest, ShrinkingFrameKeepsChildWindowsInside) {
    QMdiArea frame;
    frame.resize(600, 400);
    KeepChildWindowsInside(frame);
    QWidget content;
    content.setMinimumSize(200, 100);
    QMdiSubWindow* sub = frame.addSubWindow(&content);
    frame.show();
    sub->show();
    sub->move(350, 250);
    frame.resize(450, 300);
    QCoreApplication::processEvents();
    EXPECT_TRUE(frame.viewport()->rect().contains(sub->geometry()))
        << sub->x() << "," << sub->y() << " in " << frame.viewport()->width();
}

// Child windows open beside each other, left of the panel; one restored from maximized, or
// grown by its content, comes back inside the frame.
TEST(FitWalkerTest, ChildWindowsOpenBesideEachOtherAndStayInside) {
    QMdiArea frame;
    frame.resize(900, 500);
    KeepChildWindowsInside(frame);
    const QRect panel(700, 0, 200, 500); // the viewport's right part, in global coordinates
    PlaceChildWindows(frame, [&frame, panel] {
        return QRect(frame.viewport()->mapToGlobal(panel.topLeft()), panel.size());
    });
    frame.show();
    std::vector<std::unique_ptr<QWidget>> contents;
    std::vector<QMdiSubWindow*> subs;
    for (const QSize size : {QSize(300, 200), QSize(300, 200), QSize(600, 300)}) {
        contents.push_back(std::make_unique<QWidget>());
        contents.back()->setMinimumSize(size);
        subs.push_back(frame.addSubWindow(contents.back().get()));
        subs.back()->show();
        QCoreApplication::processEvents();
    }
    const QRect free(0, 0, 700, frame.viewport()->height());
    EXPECT_FALSE(subs[0]->geometry().intersects(subs[1]->geometry()));
    for (const QMdiSubWindow* sub : subs)
        EXPECT_TRUE(free.contains(sub->geometry())) << sub->x() << "," << sub->width();
    subs[2]->move(500, 100); // moved partly out (by the user), then maximized and restored
    subs[2]->showMaximized();
    subs[2]->showNormal();
    contents[1]->setMinimumSize(1200, 200); // grows past the frame
    for (int pass = 0; pass < 4; ++pass)
        QCoreApplication::processEvents();
    for (const QMdiSubWindow* sub : subs)
        EXPECT_TRUE(frame.viewport()->rect().contains(sub->geometry()))
            << sub->x() << "," << sub->width();
}

} // namespace
} // namespace kelm::test
