#include "ui/drive/FakeShell.h"

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

TEST_F(ComSetFixture, UnlistedStoredValuesShowDefaultsAndOnlyChangedOnesAreStored) {
    settings.ComPort = 12;
    settings.BaudRate = 4800;
    settings.Parity = 9;
    settings.LinkComPort = 0; // the link field cannot show it
    TFComSet dialog(ComSettingsLogic::Variant::Standard, settings);
    EXPECT_EQ(dialog.windowTitle(), " Com Settings ");
    EXPECT_EQ(dialog.CPort->currentText(), "Com 1");
    EXPECT_EQ(dialog.CBaud->currentText(), "19200");
    EXPECT_EQ(dialog.CParity->currentText(), "Even");
    EXPECT_TRUE(dialog.ETarnPort->isHidden());
    EXPECT_FALSE(dialog.ApplyComSettings());
    EXPECT_EQ(settings.ComPort, 12);
    EXPECT_EQ(settings.BaudRate, 4800);
    EXPECT_EQ(settings.Parity, 9);
    EXPECT_EQ(settings.LinkComPort, 0);
    // Only a changed selection is stored.
    dialog.CBaud->setCurrentText("57600");
    EXPECT_TRUE(dialog.ApplyComSettings());
    EXPECT_EQ(settings.BaudRate, 57600);
    EXPECT_EQ(settings.ComPort, 12);
    EXPECT_EQ(settings.Parity, 9);
}

TEST_F(ComSetFixture, LoadDefaultStoresTheDefaultsOnClose) {
    settings.ComPort = 4;
    settings.BaudRate = 9600;
    settings.Parity = 0;
    settings.LinkComPort = 30;
    TFComSet dialog(ComSettingsLogic::Variant::Standard, settings);
    dialog.BDefault->click();
    EXPECT_EQ(settings.ComPort, 4); // nothing stored before the dialog closes
    EXPECT_TRUE(dialog.ApplyComSettings());
    EXPECT_EQ(settings.ComPort, 1);
    EXPECT_EQ(settings.BaudRate, 19200);
    EXPECT_EQ(settings.Parity, 2);
    EXPECT_EQ(settings.LinkComPort, 11);
}

TEST_F(ComSetFixture, LinkVariantShowsAndStoresOnlyTheLinkPort) {
    settings.LinkComPort = 10;
    TFComSet dialog(ComSettingsLogic::Variant::Link, settings);
    EXPECT_EQ(dialog.LPort->text(), "Tarn Com Port");
    EXPECT_TRUE(dialog.CPort->isHidden());
    EXPECT_TRUE(dialog.CBaud->isHidden());
    EXPECT_FALSE(dialog.ETarnPort->isHidden());
    EXPECT_EQ(dialog.ETarnPort->minimum(), 1);
    EXPECT_EQ(dialog.ETarnPort->value(), 10);
    EXPECT_EQ(dialog.height(), 100);
    dialog.BDefault->click();
    dialog.ETarnPort->setValue(15);
    EXPECT_TRUE(dialog.ApplyComSettings());
    EXPECT_EQ(settings.LinkComPort, 15);
    EXPECT_EQ(settings.ComPort, 1);
    EXPECT_EQ(settings.BaudRate, 19200);
}

TEST_F(ComSetFixture, DevicePathOfTheSelectedNumberCanBeChanged) {
    qunsetenv("KELM_COM3");
    qunsetenv("KELM_COM4");
    settings.ComPort = 3;
    TFComSet dialog(ComSettingsLogic::Variant::Standard, settings);
    EXPECT_EQ(dialog.EPath->text(), "/dev/ttyS2");
    dialog.EPath->selectAll();
    QTest::keyClicks(dialog.EPath, "/dev/ttyUSB5");
    dialog.CPort->setCurrentIndex(3); // Com 4 shows its own path
    EXPECT_EQ(dialog.EPath->text(), "/dev/ttyS3");
    dialog.CPort->setCurrentIndex(2); // the typed path is kept until the dialog closes
    EXPECT_EQ(dialog.EPath->text(), "/dev/ttyUSB5");
    EXPECT_TRUE(dialog.ApplyComSettings());
    EXPECT_EQ(settings.PortPath(3), "/dev/ttyUSB5");
    EXPECT_TRUE(settings.PortPath(4).isEmpty());

    // Typing the default device again removes the mapping.
    TFComSet again(ComSettingsLogic::Variant::Standard, settings);
    EXPECT_EQ(again.EPath->text(), "/dev/ttyUSB5");
    again.EPath->selectAll();
    QTest::keyClicks(again.EPath, "/dev/ttyS2");
    EXPECT_TRUE(again.ApplyComSettings());
    EXPECT_TRUE(settings.PortPath(3).isEmpty());
}

TEST_F(ComSetFixture, PathForcedByTheEnvironmentCannotBeEdited) {
    qputenv("KELM_COM5", "/tmp/kelm-sim-port");
    settings.ComPort = 5;
    TFComSet dialog(ComSettingsLogic::Variant::Standard, settings);
    EXPECT_EQ(dialog.EPath->text(), "/tmp/kelm-sim-port");
    EXPECT_FALSE(dialog.EPath->isEnabled());
    qunsetenv("KELM_COM5");
}

TEST(ShowComSettings, CloseBoxStoresLikeOkEscapeStoresNothing) {
    FakeShell shell;
    shell.Settings().ComPort = 2;
    shell.dialogs.OnNextDialog([](QDialog& d) {
        auto& dialog = static_cast<TFComSet&>(d);
        dialog.CPort->setCurrentIndex(5);
        dialog.close();
    });
    EXPECT_TRUE(ShowComSettings(shell, false));
    EXPECT_EQ(shell.Settings().ComPort, 6);
    shell.dialogs.OnNextDialog([](QDialog& d) { static_cast<TFComSet&>(d).BOk->click(); });
    EXPECT_FALSE(ShowComSettings(shell, false));
    shell.dialogs.OnNextDialog([](QDialog& d) {
        static_cast<TFComSet&>(d).ETarnPort->setValue(21);
        d.accept();
    });
    EXPECT_TRUE(ShowComSettings(shell, true));
    EXPECT_EQ(shell.Settings().LinkComPort, 21);
    EXPECT_EQ(shell.Settings().ComPort, 6);
    // Escape leaves without storing the edited selection.
    shell.dialogs.OnNextDialog([](QDialog& d) {
        static_cast<TFComSet&>(d).CPort->setCurrentIndex(1);
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    EXPECT_FALSE(ShowComSettings(shell, false));
    EXPECT_EQ(shell.Settings().ComPort, 6);
}

} // namespace
} // namespace kelm::test
