// The program as a user meets it: the main window offscreen, kelmsim on a pseudo-terminal
// as COM1, the selection dialog answered, the table read, the status polled; then the
// drive falls silent and the window goes off line with the protocol's report.
#include "app/InstallFlows.h"
#include "core/drive/TDriver.h"
#include "core/seams/RecordingMessages.h"
#include "sim/kelmsim/SimProcess.h"
#include "ui/drive/TFConnectD.h"
#include "ui/drive/TFSelectDriver.h"
#include "ui/seams/ScriptedDialogs.h"
#include "ui/shell/Principale.h"
#include "ui/shell/WaitFor.h"
#include "ui/status/StatusMonitor.h"
#include "ui/status/StatusPanelWidget.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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

// Answers the selection dialog with the drive number 1 and lets the progress dialog run.
void AnswerDialogs(QDialog& dialog) {
    if (auto* select = qobject_cast<TFSelectDriver*>(&dialog)) {
        select->EId->setText(QStringLiteral("1"));
        select->BStdOk->click();
    } else if (qobject_cast<TFConnectD*>(&dialog)) {
        ScriptedDialogs::WaitClosed(dialog, 60000);
    } else {
        dialog.reject();
    }
}

TEST(AppSmoke, SelectReadPollThenGoOffLineWhenTheDriveFallsSilent) {
    QTemporaryDir dir;
    sim::test::SimProcess sim;
    ASSERT_TRUE(sim.Start({}, false));
    qputenv("KELM_COM1", sim.Path().toLocal8Bit());
    RecordingMessages messages;
    ScriptedDialogs dialogs;
    dialogs.SetDefaultDialogHandler(&AnswerDialogs);
    ClearTerminateRequest();
    PrincipaleOptions options;
    options.ExecutableFolder = QStringLiteral(KELM_RUNTIME_DIR "/");
    options.SettingsFile = dir.filePath(QStringLiteral("settings.ini"));
    options.Arguments = {QStringLiteral("kelmdrive")};
    auto window = std::make_unique<TFPrincipale>(ProgramFlows(), options);
    ASSERT_FALSE(TerminateRequested()) << messages.Texts().join('|').toStdString();
    window->show();
    const auto lineIs = [&](const char* state, int ms) {
        return WaitFor([&] { return window->StatusPanelText(StatusPanel::LineState) == state; },
                       ms);
    };

    // The start timer opens the selection; the table is read and the window goes on line.
    ASSERT_TRUE(WaitFor([&] { return window->Started(); }, 10000));
    ASSERT_TRUE(lineIs("On Line", 30000)) << messages.Texts().join('|').toStdString();
    EXPECT_EQ(window->StatusPanelText(StatusPanel::DeviceId), "001");
    EXPECT_EQ(window->StatusPanelText(StatusPanel::ComPort), " Com1");
    const ParamEntry* model = window->Driver().ActiveTable().FindByAddress(0);
    ASSERT_NE(model, nullptr);
    EXPECT_NE(model->DriveValue, 0); // the drive's model code came in

    // The status poll paints the panel.
    StatusPanelWidget& panel = dynamic_cast<StatusMonitor&>(window->Panel()).Panel();
    ASSERT_TRUE(WaitFor([&] { return !panel.LSpeed->text().isEmpty(); }, 10000));
    ASSERT_TRUE(WaitFor([&] { return !panel.LBus->text().isEmpty(); }, 10000));
    EXPECT_TRUE(messages.Texts().isEmpty()) << messages.Texts().join('|').toStdString();
    Screenshot(*window, QStringLiteral("main-window-online.png"));

    // The drive falls silent: the next poll reports it and the window goes off line.
    ASSERT_TRUE(sim.Command(QStringLiteral("silent * on")));
    ASSERT_TRUE(lineIs("Off Line", 20000));
    EXPECT_TRUE(messages.Texts().contains(QStringLiteral("Device not Respondig")))
        << messages.Texts().join('|').toStdString();
    EXPECT_EQ(window->StatusPanelText(StatusPanel::DeviceId), "");
    EXPECT_TRUE(panel.LSpeed->text().isEmpty());
    EXPECT_TRUE(window->StateOf(Command::ComPort).Enabled);
    EXPECT_FALSE(window->Driver().Online());
    Screenshot(*window, QStringLiteral("main-window-offline.png"));

    // Once the drive answers again, Select Drive reconnects.
    ASSERT_TRUE(sim.Command(QStringLiteral("silent * off")));
    window->Run(Command::SelectDrive);
    ASSERT_TRUE(lineIs("On Line", 30000));
    EXPECT_EQ(window->StatusPanelText(StatusPanel::DeviceId), "001");

    window->close();
    window.reset();
    qunsetenv("KELM_COM1");
    EXPECT_EQ(dialogs.UnexpectedCount(), 0);
}

} // namespace
} // namespace kelm
