// The program as a user meets it: the main window offscreen, kelmsim on a pseudo-terminal
// as COM1, the selection dialog answered (by the start timer), the table read, the status
// polled; then the drive falls silent and the window goes off line with the protocol's
// report. What the window shows on and off line is the window tests' to check.
#include "ProgramOnSim.h"

#include <QCoreApplication>

namespace kelm {
namespace {

using test::WaitFor;

// With KELM_SCREENSHOT_DIR set, the test also saves pictures of the window (README).
void Screenshot(TFPrincipale& window, const QString& name) {
    const QString folder = qEnvironmentVariable("KELM_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    if (!window.StatusPanelShown())
        window.ViewInfoClick();
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.grab().save(folder + QLatin1Char('/') + name));
}

using AppSmoke = test::ProgramOnSim;

TEST_F(AppSmoke, SelectReadPollThenGoOffLineWhenTheDriveFallsSilent) {
    ASSERT_NO_FATAL_FAILURE(Open("std", 0, DeviceKind::Std));
    const auto lineIs = [&](const char* state, int ms) {
        return WaitFor([&] { return window->StatusPanelText(StatusPanel::LineState) == state; },
                       ms);
    };
    ASSERT_TRUE(lineIs("On Line", 30000)) << messages.Texts().join('|').toStdString();
    ASSERT_TRUE(WaitFor([&] { return !Panel().LSpeed->text().isEmpty(); }, 10000));
    EXPECT_TRUE(messages.Texts().isEmpty()) << messages.Texts().join('|').toStdString();
    Screenshot(*window, QStringLiteral("main-window-online.png"));

    // The drive falls silent: the next poll reports it and the window goes off line; once
    // the drive answers again, Select Drive reconnects.
    ASSERT_TRUE(sim.Command(QStringLiteral("silent * on")));
    ASSERT_TRUE(lineIs("Off Line", 20000));
    EXPECT_EQ(messages.Texts(), QStringList{"Device not Respondig"});
    Screenshot(*window, QStringLiteral("main-window-offline.png"));
    ASSERT_TRUE(sim.Command(QStringLiteral("silent * off")));
    window->Run(Command::SelectDrive);
    EXPECT_TRUE(lineIs("On Line", 30000));
}

// COM1 is a serial device server's TCP port: the same reads and polls; the server going
// away is a silent line.
TEST_F(AppSmoke, ThroughASerialDeviceServer) {
    overTcp = true;
    ASSERT_NO_FATAL_FAILURE(Open("std", 0, DeviceKind::Std));
    ASSERT_TRUE(WaitFor(
        [&] { return window->StatusPanelText(StatusPanel::LineState) == "On Line"; }, 30000));
    bridge.reset();
    ASSERT_TRUE(WaitFor(
        [&] { return window->StatusPanelText(StatusPanel::LineState) == "Off Line"; }, 20000));
    EXPECT_EQ(messages.Texts(), QStringList{"Device not Respondig"});
}

} // namespace
} // namespace kelm
