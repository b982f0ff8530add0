// The program as a user meets it: the main window offscreen, kelmsim on a pseudo-terminal
// as COM1, the selection dialog answered, the table read, the status polled; then the
// drive falls silent and the window goes off line with the protocol's report.
#include "app/InstallFlows.h"
#include "core/drive/TDriver.h"
#include "core/link/ModbusMaster.h"
#include "core/seams/Messages.h"
#include "core/seams/RecordingMessages.h"
#include "ui/alarms/AlarmWindow.h"
#include "ui/drive/SelectDrive.h"
#include "ui/drive/TFConnectD.h"
#include "ui/drive/TFSelectDriver.h"
#include "ui/pages/MainDevPage.h"
#include "ui/pages/TFMainDev.h"
#include "ui/seams/ScriptedDialogs.h"
#include "ui/shell/ExtraLinkPorts.h"
#include "ui/shell/Principale.h"
#include "ui/shell/WaitFor.h"
#include "ui/status/StatusMonitor.h"
#include "ui/status/StatusPanelWidget.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace kelm {
namespace {

using test::WaitFor;

class Simulator {
public:
    explicit Simulator(const QString& folder) : folder_(folder) {}
    ~Simulator() {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(3000))
                process_.kill();
            process_.waitForFinished(3000);
        }
    }
    bool Start(const QStringList& extra = {}) {
        process_.start(QStringLiteral(KELMSIM_PATH),
                       QStringList{QStringLiteral("--bin"), QStringLiteral(KELM_RUNTIME_DIR "/Bin"),
                                   QStringLiteral("--link-path"), TtyPath(),
                                   QStringLiteral("--control"), ControlPath()} +
                           extra);
        return process_.waitForStarted(5000) &&
               WaitFor([&] { return QFile::exists(TtyPath()) && QFile::exists(ControlPath()); },
                       10000);
    }
    void Send(const QString& line) {
        QFile fifo(ControlPath());
        ASSERT_TRUE(fifo.open(QIODevice::WriteOnly));
        fifo.write((line + QLatin1Char('\n')).toLatin1());
    }
    QString TtyPath() const { return folder_ + QStringLiteral("/tty"); }
    QString ControlPath() const { return folder_ + QStringLiteral("/control"); }

private:
    QString folder_;
    QProcess process_;
};

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
        return;
    }
    if (qobject_cast<TFConnectD*>(&dialog)) {
        ScriptedDialogs::WaitClosed(dialog, 60000);
        return;
    }
    dialog.reject();
}

// kelmsim as COM1 and an installation of its own: the shipped Bin/ and a private settings
// file. The main window is made by the test.
struct AppSmoke : ::testing::Test {
    void StartSimulator(const QStringList& extra = {}) {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(sim.Start(extra));
        qputenv("KELM_COM1", sim.TtyPath().toLocal8Bit());
        QDir(dir.path()).mkpath(QStringLiteral("install/Bin"));
        const QDir shipped(QStringLiteral(KELM_RUNTIME_DIR "/Bin"));
        for (const QString& name : shipped.entryList(QDir::Files))
            QFile::copy(shipped.filePath(name), dir.path() + "/install/Bin/" + name);
        ClearTerminateRequest();
    }
    std::unique_ptr<TFPrincipale> MakeWindow() {
        PrincipaleOptions options;
        options.ExecutableFolder = dir.path() + QStringLiteral("/install/");
        options.SettingsFile = dir.path() + QStringLiteral("/settings.ini");
        options.Arguments = {QStringLiteral("kelmdrive")};
        return std::make_unique<TFPrincipale>(ProgramFlows(), options);
    }
    void TearDown() override { qunsetenv("KELM_COM1"); }

    QTemporaryDir dir;
    Simulator sim{dir.path()};
    RecordingMessages messages;
    ScriptedDialogs dialogs;
};

TEST_F(AppSmoke, SelectReadPollThenGoOffLineWhenTheDriveFallsSilent) {
    ASSERT_NO_FATAL_FAILURE(StartSimulator());
    dialogs.SetDefaultDialogHandler(&AnswerDialogs);
    auto window = MakeWindow();
    ASSERT_FALSE(TerminateRequested()) << messages.Texts().join('|').toStdString();
    window->show();

    // The start timer opens the selection; the table is read and the window goes on line.
    ASSERT_TRUE(WaitFor([&] { return window->Started(); }, 10000));
    ASSERT_TRUE(WaitFor(
        [&] { return window->StatusPanelText(StatusPanel::LineState) == "On Line"; }, 30000))
        << messages.Texts().join('|').toStdString();
    EXPECT_EQ(window->StatusPanelText(StatusPanel::DeviceId), "001");
    EXPECT_EQ(window->StatusPanelText(StatusPanel::ComPort), " Com1");
    const ParamEntry* model = window->Driver().ActiveTable().FindByAddress(0);
    ASSERT_NE(model, nullptr);
    EXPECT_NE(model->DriveValue, 0); // the drive's model code came in

    // The status poll paints the panel.
    auto& monitor = dynamic_cast<StatusMonitor&>(window->Panel());
    StatusPanelWidget& panel = monitor.Panel();
    ASSERT_TRUE(WaitFor([&] { return !panel.LSpeed->text().isEmpty(); }, 10000));
    ASSERT_TRUE(WaitFor([&] { return !panel.LBus->text().isEmpty(); }, 10000));
    EXPECT_TRUE(messages.Texts().isEmpty()) << messages.Texts().join('|').toStdString();
    Screenshot(*window, QStringLiteral("main-window-online.png"));

    // The alarm button brings up the one alarm window.
    panel.BAllarm->click();
    ASSERT_NE(AlarmWindow(), nullptr);
    EXPECT_NE(window->FindChildWindow(QStringLiteral("TFAllarms")), nullptr);
    EXPECT_EQ(window->Frame()->subWindowList().size(), 2); // with the main parameter page

    // The drive falls silent: the next poll reports it and the window goes off line.
    sim.Send(QStringLiteral("silent * on"));
    ASSERT_TRUE(WaitFor(
        [&] { return window->StatusPanelText(StatusPanel::LineState) == "Off Line"; }, 20000));
    EXPECT_TRUE(messages.Texts().contains(QStringLiteral("Device not Respondig")))
        << messages.Texts().join('|').toStdString();
    EXPECT_EQ(window->StatusPanelText(StatusPanel::DeviceId), "");
    EXPECT_TRUE(panel.LSpeed->text().isEmpty());
    EXPECT_TRUE(window->StateOf(Command::ComPort).Enabled);
    EXPECT_FALSE(window->Driver().Online());
    Screenshot(*window, QStringLiteral("main-window-offline.png"));

    // Once the drive answers again, Select Drive reconnects.
    sim.Send(QStringLiteral("silent * off"));
    QThread::msleep(200);
    window->Run(Command::SelectDrive);
    ASSERT_TRUE(WaitFor(
        [&] { return window->StatusPanelText(StatusPanel::LineState) == "On Line"; }, 30000));
    EXPECT_EQ(window->StatusPanelText(StatusPanel::DeviceId), "001");

    window->close();
    window.reset();
    EXPECT_EQ(dialogs.UnexpectedCount(), 0);
}

// A Tarn Orca 230 on a link port: offered in the TARN list (as the run script does with
// KELM_LINK_PORTS), recognised by its signature, read and polled in link mode.
TEST_F(AppSmoke, OrcaOnLinkPortIsRecognisedAndPolled) {
    ASSERT_NO_FATAL_FAILURE(StartSimulator({QStringLiteral("--kind"), QStringLiteral("orca")}));
    bool linkOffered = false;
    dialogs.SetDefaultDialogHandler([&](QDialog& dialog) {
        if (auto* select = qobject_cast<TFSelectDriver*>(&dialog)) {
            linkOffered = select->BLinkOk->isEnabled() && select->CPort->count() == 1;
            select->BLinkOk->click();
            return;
        }
        AnswerDialogs(dialog);
    });
    const LinkPortScan previousScan =
        InstallLinkPortScan([] { return MergeLinkPorts({}, ParseLinkPortList("1")); });
    auto window = MakeWindow();
    window->show();
    ASSERT_TRUE(WaitFor(
        [&] { return window->StatusPanelText(StatusPanel::LineState) == "On Line"; }, 30000))
        << messages.Texts().join('|').toStdString();
    EXPECT_TRUE(linkOffered);
    EXPECT_EQ(window->Driver().CurrentKind(), DeviceKind::Orca230);
    EXPECT_TRUE(window->Master().IsLinkMode());
    EXPECT_EQ(window->StatusPanelText(StatusPanel::DeviceId), "Tarn");
    EXPECT_EQ(window->DriveMenu()->title(), "D&RIVE");
    EXPECT_EQ(window->DeviceDialogExtension(), "tno");
    auto& monitor = dynamic_cast<StatusMonitor&>(window->Panel());
    ASSERT_TRUE(WaitFor([&] { return !monitor.Panel().LBus->text().isEmpty(); }, 10000));
    EXPECT_TRUE(messages.Texts().isEmpty()) << messages.Texts().join('|').toStdString();
    // Every enabled page button of the main page opens its page in the frame.
    int opened = 0;
    for (const char* button : {"BMotor", "BCurrent", "BSpeed", "BPosition", "BEncOut"}) {
        auto* b = MainDevPage()->findChild<QPushButton*>(QString::fromLatin1(button));
        if (b->isEnabled()) {
            b->click();
            ++opened;
        }
    }
    EXPECT_GE(opened, 3);
    EXPECT_EQ(window->Frame()->subWindowList().size(), opened + 1);
    EXPECT_TRUE(messages.Texts().isEmpty()) << messages.Texts().join('|').toStdString();
    Screenshot(*window, QStringLiteral("orca-pages.png"));
    window->close();
    window.reset();
    InstallLinkPortScan(previousScan);
}

} // namespace
} // namespace kelm
