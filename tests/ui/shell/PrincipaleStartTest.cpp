#include "ShellFixture.h"

#include "core/link/ModbusMaster.h"
#include "core/settings/SettingsStore.h"
#include "ui/shell/TFWelcome.h"

#include <QAction>
#include <QDialog>
#include <QMouseEvent>
#include <QSettings>
#include <QToolBar>
#include <QToolButton>

namespace kelm::test {
namespace {

class StartTest : public ShellFixture {};

void Press(QWidget& widget) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &press);
}

TEST_F(StartTest, ConstructorLaysOutTheOffLineWindow) {
    Build();
    TFPrincipale& w = *window_;
    QStringList panels{w.windowTitle(), w.ViewInfoCaption()};
    for (int i = 0; i < 10; ++i)
        panels << w.StatusPanelText(i);
    EXPECT_EQ(panels,
              QStringList({"Kelm Servo Drive", "Hide Status", "User", "Normal", "Port", " Com1",
                           "Id Device", "", "Status", "Off Line", "Dev. File", ""}));
    EXPECT_EQ(std::tuple(w.Master().IsPortOpen(), w.Master().UnitAddress(), messages_.Texts()),
              std::tuple(false, 0, QStringList()));
    // Toolbar hints and captions; the hidden Save and New buttons never show.
    const auto* pos = w.findChild<QToolBar*>(QStringLiteral("ToolBar"))
                          ->findChild<QToolButton*>(QStringLiteral("BPos"));
    ASSERT_NE(pos, nullptr);
    EXPECT_EQ(w.ButtonAction(Command::ProfileTool)->text() + "|" + pos->toolTip() + "|" +
                  w.MenuAction(Command::Enable)->shortcut().toString(),
              "Profile Tool  |Kelm Profile Tool|Ctrl+F1");
    EXPECT_EQ(std::tuple(w.ButtonAction(Command::NewTable)->isVisible(),
                         w.ButtonAction(Command::Save)->isVisible(),
                         w.MenuAction(Command::Save)->isVisible(),
                         w.ButtonAction(Command::SaveAs)->isVisible()),
              std::tuple(false, false, true, true));
    QString title; // a click anywhere closes the About box
    dialogs_->OnNextDialog([&](QDialog& dialog) {
        Press(dialog);
        title = dialog.windowTitle() + (dialog.isVisible() ? " (still open)" : "");
    });
    window_->Run(Command::About);
    EXPECT_EQ(title, " KELM - Kelm Servo Drive Software 2.0.9");
}

TEST_F(StartTest, FirstShowDisablesUntilStartTimerThenSelectsDrive) {
    Build(CountingSelections());
    window_->show();
    EXPECT_TRUE(!window_->isEnabled() && !window_->Started() && selections_ == 0);
    ASSERT_TRUE(WaitFor([&] { return window_->Started(); }));
    EXPECT_TRUE(window_->isEnabled() && selections_ == 1);
    // A second show does not repeat the start.
    window_->hide();
    window_->show();
    ASSERT_TRUE(WaitFor([&] { return window_->isEnabled(); }));
    EXPECT_EQ(selections_, 1);
}

// The word in any case, any place of the command line (program path included), alone.
TEST_F(StartTest, TravikInAnyCaseAnywhereGivesExpert) {
    const std::pair<QStringList, bool> cases[] = {
        {{"travik"}, true},
        {{"kelmdrive", "-x", "TraVik", "more"}, true},
        {{"/opt/travik/kelmdrive", " travik", "travik2"}, false}};
    for (const auto& [args, expert] : cases) {
        Build({}, args);
        window_->show();
        EXPECT_EQ(window_->IsExpert(), expert) << args.join(' ').toStdString();
        EXPECT_EQ(window_->StatusPanelText(StatusPanel::UserLevel) + "|" +
                      window_->MenuAction(Command::UserChange)->text(),
                  expert ? "Expert|&Release" : "Normal|&Change");
        window_.reset();
    }
}

// The texts are ConfigurationSetTest's. A file the first show needs missing: both are
// reported, the show steps still run and the program ends instead of selecting a drive; a
// file the window needs missing ends it at construction.
TEST_F(StartTest, MissingFilesRequestTermination) {
    LeaveOut({QStringLiteral("Homing.dll"), QStringLiteral("Osci.dll")});
    Build(CountingSelections());
    EXPECT_EQ(messages_.TerminateCount(), 0);
    window_->show();
    const QString said = messages_.Texts().join('|');
    EXPECT_TRUE(said.contains("Homing.dll") && said.contains("Osc.dll") &&
                messages_.TerminateCount() >= 1)
        << said.toStdString();
    EXPECT_EQ(window_->ViewInfoCaption(), "View Status");
    ASSERT_TRUE(WaitFor([&] { return window_->Started(); }));
    EXPECT_EQ(selections_, 0); // the show steps ran, the selection did not
    window_.reset();
    messages_.Clear();
    ClearTerminateRequest();
    LeaveOut({QStringLiteral("digIO.dll")});
    Build();
    EXPECT_TRUE(TerminateRequested() && messages_.TerminateCount() >= 1 &&
                !messages_.Texts().isEmpty());
}

TEST_F(StartTest, StatusToggleAlarmCaptionAndCloseSequence) {
    Build();
    LineGoes(true);
    // action: 0 toggles the panel, 1 an alarm, 2 no alarm; then the caption.
    const std::pair<int, const char*> steps[] = {
        {1, "Hide Status"}, // the panel shown: an alarm leaves the caption alone
        {0, "View Status"}, {1, "View Status - ALARMS ! -"},
        {2, "View Status"}, {1, "View Status - ALARMS ! -"},
        {0, "Hide Status"}, // any other caption shows it
        {0, "View Status"}};
    for (const auto& [action, caption] : steps) {
        if (action == 0)
            window_->ViewInfoClick();
        else
            window_->UpdateAlarmIndicator(action == 1);
        EXPECT_EQ(window_->ViewInfoCaption(), caption);
        EXPECT_EQ(window_->StatusPanelShown(), QString(caption) == "Hide Status");
    }
    // Off line the alarm button is disabled: no alarm shows.
    LineGoes(false);
    window_->UpdateAlarmIndicator(true);
    EXPECT_EQ(window_->ViewInfoCaption(), "View Status");
    // Exit closes the children in order and writes the settings, once.
    QStringList closed;
    window_->Children().Register(ChildWindows::Role::Profile, "profile",
                                 [&](bool) { closed << "profile"; });
    window_->Children().Register(ChildWindows::Role::ParameterPage, "motor",
                                 [&](bool pages) { closed << (pages ? "motor+" : "motor"); });
    window_->Settings().DevicesFolder = Folder() + QStringLiteral("Elsewhere/");
    bool shutDown = false;
    QObject::connect(window_.get(), &TFPrincipale::ShutDown, [&] { shutDown = true; });
    window_->Run(Command::Exit);
    EXPECT_EQ(std::tuple(shutDown, closed), std::tuple(true, QStringList({"motor", "profile"})));
    QSettings stored(Folder() + QStringLiteral("settings.ini"), QSettings::IniFormat);
    EXPECT_EQ(stored.value(QStringLiteral("11x/Devices")).toString(),
              Folder() + QStringLiteral("Elsewhere/"));
    window_.reset(); // the destructor does not run the sequence twice
    EXPECT_EQ(closed.size(), 2);
}

TEST(Welcome, ClosesOnTimerOrClickAndShowsMainWindow) {
    QWidget main;
    TFWelcome* splash = ShowSplashThen(main, 100);
    EXPECT_TRUE(splash->isVisible() && splash->TimerActive() && !main.isVisible());
    ASSERT_TRUE(WaitFor([&] { return main.isVisible(); }, 5000));

    QWidget second;
    TFWelcome* clicked = ShowSplashThen(second, 60000);
    Press(*clicked);
    EXPECT_TRUE(second.isVisible());
}

} // namespace
} // namespace kelm::test
