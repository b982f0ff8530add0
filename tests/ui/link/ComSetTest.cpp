#include "core/settings/SettingsStore.h"
#include "ui/diagnostic/ToolFixture.h"

#include "ui/link/TFComSet.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace kelm::test {
namespace {

struct ComSetFixture : ::testing::Test {
    ComSetFixture() : settings(temp.path(), temp.filePath("kelm.ini")) {}
    QTemporaryDir temp;
    SettingsStore settings;
};

// Which selections show and which are stored is ComSettingsLogicTest's; here, the wiring.
TEST_F(ComSetFixture, ShowsTheLogicsSelectionAndStoresTheChangedOne) {
    settings.ComPort = 4;
    settings.BaudRate = 4800;
    TFComSet dialog(ComSettingsLogic::Variant::Standard, settings);
    EXPECT_EQ(dialog.windowTitle(), " Com Settings ");
    EXPECT_EQ(dialog.CPort->currentText(), "Com 4");
    EXPECT_EQ(dialog.CBaud->currentText(), "19200");
    EXPECT_TRUE(dialog.ETarnPort->isHidden());
    EXPECT_FALSE(dialog.ApplyComSettings());
    dialog.CBaud->setCurrentText("57600");
    EXPECT_TRUE(dialog.ApplyComSettings());
    EXPECT_EQ(settings.BaudRate, 57600);
    EXPECT_EQ(settings.ComPort, 4);
    dialog.BDefault->click();
    EXPECT_TRUE(dialog.ApplyComSettings());
    EXPECT_EQ(settings.ComPort, 1);
    // The link variant shows only the link port.
    settings.LinkComPort = 10;
    TFComSet link(ComSettingsLogic::Variant::Link, settings);
    EXPECT_EQ(link.LPort->text(), "Tarn Com Port");
    EXPECT_TRUE(link.CPort->isHidden());
    EXPECT_EQ(link.ETarnPort->value(), 10);
    link.ETarnPort->setValue(15);
    EXPECT_TRUE(link.ApplyComSettings());
    EXPECT_EQ(settings.LinkComPort, 15);
}

TEST_F(ComSetFixture, DevicePathOfTheSelectedNumberCanBeChangedUnlessForced) {
    qunsetenv("KELM_COM3");
    qunsetenv("KELM_COM4");
    qputenv("KELM_COM5", "/tmp/kelm-sim-port");
    settings.ComPort = 3;
    TFComSet dialog(ComSettingsLogic::Variant::Standard, settings);
    EXPECT_EQ(dialog.EPath->text(), "/dev/ttyS2");
    dialog.EPath->selectAll();
    QTest::keyClicks(dialog.EPath, "/dev/ttyUSB5");
    dialog.CPort->setCurrentIndex(3); // Com 4 shows its own path
    EXPECT_EQ(dialog.EPath->text(), "/dev/ttyS3");
    dialog.CPort->setCurrentIndex(4); // the environment forces Com 5's
    EXPECT_EQ(dialog.EPath->text(), "/tmp/kelm-sim-port");
    EXPECT_FALSE(dialog.EPath->isEnabled());
    dialog.CPort->setCurrentIndex(2); // the typed path is kept until the dialog closes
    EXPECT_EQ(dialog.EPath->text(), "/dev/ttyUSB5");
    EXPECT_TRUE(dialog.EPath->isEnabled());
    EXPECT_TRUE(dialog.ApplyComSettings());
    EXPECT_EQ(settings.PortPath(3), "/dev/ttyUSB5");
    EXPECT_TRUE(settings.PortPath(4).isEmpty());
    qunsetenv("KELM_COM5");

    // Typing the default device again removes the mapping.
    TFComSet again(ComSettingsLogic::Variant::Standard, settings);
    EXPECT_EQ(again.EPath->text(), "/dev/ttyUSB5");
    again.EPath->selectAll();
    QTest::keyClicks(again.EPath, "/dev/ttyS2");
    EXPECT_TRUE(again.ApplyComSettings());
    EXPECT_TRUE(settings.PortPath(3).isEmpty());
}

// Through the main window's port commands: the status bar shows the stored port.
struct ShowComSettingsTest : ToolFixture {
    void SetUp() override {
        ToolFixture::SetUp();
        BuildEngine(sim::SimKind::Std);
        ShellFlows flows;
        flows.ComSettings = &ShowComSettings;
        ShowCancelled(flows);
    }
    void Run(Command command, ScriptedDialogs::DialogHandler handler) {
        dialogs_->OnNextDialog(std::move(handler));
        window_->Run(command);
    }
};

TEST_F(ShowComSettingsTest, CloseBoxStoresLikeOkEscapeStoresNothing) {
    SettingsStore& settings = window_->Settings();
    Run(Command::ComPort, [](QDialog& d) {
        static_cast<TFComSet&>(d).CPort->setCurrentIndex(5);
        d.close();
    });
    EXPECT_EQ(settings.ComPort, 6);
    EXPECT_EQ(window_->StatusPanelText(StatusPanel::ComPort), " Com6");
    window_->SetStatusPanelText(StatusPanel::ComPort, "");
    Run(Command::ComPort, [](QDialog& d) { static_cast<TFComSet&>(d).BOk->click(); });
    EXPECT_TRUE(window_->StatusPanelText(StatusPanel::ComPort).isEmpty()); // nothing changed
    Run(Command::TarnPort, [](QDialog& d) {
        static_cast<TFComSet&>(d).ETarnPort->setValue(21);
        d.accept();
    });
    EXPECT_EQ(settings.LinkComPort, 21);
    EXPECT_EQ(settings.ComPort, 6);
    // Escape leaves without storing the edited selection.
    Run(Command::ComPort, [](QDialog& d) {
        static_cast<TFComSet&>(d).CPort->setCurrentIndex(1);
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    EXPECT_EQ(settings.ComPort, 6);
    EXPECT_TRUE(window_->StatusPanelText(StatusPanel::ComPort).isEmpty());
}

} // namespace
} // namespace kelm::test
