#include "core/settings/SettingsStore.h"
#include "ui/diagnostic/ToolFixture.h"

#include "ui/link/TFComSet.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

namespace kelm::test {
namespace {

TEST(ComSet, DevicePathOfTheSelectedNumberCanBeChangedUnlessForced) {
    QTemporaryDir temp;
    SettingsStore settings(temp.path(), temp.filePath("kelm.ini"));
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
    EXPECT_EQ(std::tuple(dialog.EPath->text(), dialog.EPath->isEnabled()),
              std::tuple(QString("/tmp/kelm-sim-port"), false));
    dialog.CPort->setCurrentIndex(2); // the typed path is kept until the dialog closes
    EXPECT_EQ(std::tuple(dialog.EPath->text(), dialog.EPath->isEnabled()),
              std::tuple(QString("/dev/ttyUSB5"), true));
    EXPECT_TRUE(dialog.ApplyComSettings());
    EXPECT_EQ(settings.PortPath(3) + "|" + settings.PortPath(4), "/dev/ttyUSB5|");
    qunsetenv("KELM_COM5");

    // Typing the default device again removes the mapping.
    TFComSet again(ComSettingsLogic::Variant::Standard, settings);
    EXPECT_EQ(again.EPath->text(), "/dev/ttyUSB5");
    again.EPath->selectAll();
    QTest::keyClicks(again.EPath, "/dev/ttyS2");
    EXPECT_TRUE(again.ApplyComSettings());
    EXPECT_TRUE(settings.PortPath(3).isEmpty());
}

// Which selections show and which are stored is ComSettingsLogicTest's; here, the wiring
// through the main window's port commands: the status bar shows the stored port.
using ShowComSettingsTest = ToolFixture;

TEST_F(ShowComSettingsTest, CloseBoxStoresLikeOkEscapeStoresNothing) {
    BuildEngine(sim::SimKind::Std);
    ShellFlows flows;
    flows.ComSettings = &ShowComSettings;
    ShowCancelled(flows);
    const auto run = [this](Command command, ScriptedDialogs::DialogHandler handler) {
        dialogs_->OnNextDialog(std::move(handler));
        window_->Run(command);
    };
    SettingsStore& settings = window_->Settings();
    run(Command::ComPort, [](QDialog& d) {
        static_cast<TFComSet&>(d).CPort->setCurrentIndex(5);
        d.close();
    });
    EXPECT_EQ(std::tuple(settings.ComPort, window_->StatusPanelText(StatusPanel::ComPort)),
              std::tuple(6, QString(" Com6")));
    window_->findChild<QLabel*>(QStringLiteral("Panel3"))->setText(""); // shown again on change
    run(Command::ComPort, [](QDialog& d) { static_cast<TFComSet&>(d).BOk->click(); });
    EXPECT_TRUE(window_->StatusPanelText(StatusPanel::ComPort).isEmpty()); // nothing changed
    EXPECT_EQ(dialogs_->Executed().back().Title, " Com Settings ");
    run(Command::TarnPort, [](QDialog& d) {
        EXPECT_EQ(static_cast<TFComSet&>(d).LPort->text(), "Tarn Com Port"); // the link port only
        EXPECT_TRUE(static_cast<TFComSet&>(d).CPort->isHidden());
        static_cast<TFComSet&>(d).ETarnPort->setValue(21);
        d.accept();
    });
    EXPECT_EQ(std::tuple(settings.LinkComPort, settings.ComPort), std::tuple(21, 6));
    // Escape leaves without storing the edited selection.
    run(Command::ComPort, [](QDialog& d) {
        static_cast<TFComSet&>(d).CPort->setCurrentIndex(1);
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    EXPECT_EQ(std::tuple(settings.ComPort, window_->StatusPanelText(StatusPanel::ComPort)),
              std::tuple(6, QString()));
}

} // namespace
} // namespace kelm::test
