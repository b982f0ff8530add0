// The program as a user meets it: the main window offscreen, kelmsim on a pseudo-terminal
// as COM1, the selection dialog answered, the table read, the status polled; then the
// drive falls silent and the window goes off line with the protocol's report.
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
    // The start timer opens the selection; the table is read and the window goes on line.
    ASSERT_NO_FATAL_FAILURE(Open("std", 0, DeviceKind::Std));
    EXPECT_TRUE(window->Started());
    const auto lineIs = [&](const char* state, int ms) {
        return WaitFor([&] { return window->StatusPanelText(StatusPanel::LineState) == state; },
                       ms);
    };
    ASSERT_TRUE(lineIs("On Line", 30000)) << messages.Texts().join('|').toStdString();
    EXPECT_EQ(window->StatusPanelText(StatusPanel::DeviceId), "001");

    // The status poll paints the panel.
    ASSERT_TRUE(WaitFor([&] { return !Panel().LSpeed->text().isEmpty(); }, 10000));
    EXPECT_TRUE(messages.Texts().isEmpty()) << messages.Texts().join('|').toStdString();
    Screenshot(*window, QStringLiteral("main-window-online.png"));

    // The drive falls silent: the next poll reports it and the window goes off line.
    ASSERT_TRUE(sim.Command(QStringLiteral("silent * on")));
    ASSERT_TRUE(lineIs("Off Line", 20000));
    EXPECT_TRUE(messages.Texts().contains(QStringLiteral("Device not Respondig")))
        << messages.Texts().join('|').toStdString();
    EXPECT_EQ(window->StatusPanelText(StatusPanel::DeviceId), "");
    EXPECT_TRUE(Panel().LSpeed->text().isEmpty());
    Screenshot(*window, QStringLiteral("main-window-offline.png"));

    // Once the drive answers again, Select Drive reconnects.
    ASSERT_TRUE(sim.Command(QStringLiteral("silent * off")));
    window->Run(Command::SelectDrive);
    ASSERT_TRUE(lineIs("On Line", 30000));
    EXPECT_EQ(window->StatusPanelText(StatusPanel::DeviceId), "001");
}

} // namespace
} // namespace kelm
