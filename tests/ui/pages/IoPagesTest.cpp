#include "ui/shell/ShellFixture.h"

#include "GateLog.h"
#include "app/InstallFlows.h"
#include "core/rules/IoRules.h"
#include "ui/pages/IoPages.h"
#include "ui/pages/LedColour.h"
#include "ui/pages/MainDevPage.h"
#include "ui/pages/TFAnalog.h"
#include "ui/pages/TFDigital.h"
#include "ui/pages/TFMainDev.h"
#include "ui/widgets/TPNumEdit.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

namespace kelm::test {
namespace {

class IoPagesTest : public ShellFixture {
protected:
    void Start() {
        ShellFlows flows = ProgramFlows();
        ShowOnline(std::move(flows));
        ASSERT_TRUE(WaitFor([] { return MainDevPage() != nullptr; }));
    }
    void Press(const char* button) {
        MainDevPage()->findChild<QPushButton*>(QString::fromLatin1(button))->click();
    }
    TFDigital* LiveDigitalPage() {
        Press("BDigital");
        TFDigital* page = DigitalPage();
        EXPECT_TRUE(page != nullptr && WaitFor([page] { return page->Interactive(); }));
        return page;
    }
    // The main window lays itself out for a line state the drive model took (as when a
    // transfer fails), with nothing of the poll in between.
    void LineGoes(bool online) {
        window_->Driver().SetOnline(online);
        window_->ConfigureForDevice();
    }
    static QString Led(TFDigital& page, const char* name) {
        return page.findChild<QLabel*>(QString::fromLatin1(name))->styleSheet();
    }
    static bool ShownNotLive(TFDigital& page) {
        const QList<QWidget*> controls{page.Switch(2), page.Selector(1), page.SpeedSlider()};
        const QString grey = LedColour(LedShade::NotLive).name();
        return std::none_of(controls.begin(), controls.end(),
                            [](QWidget* w) { return w->isEnabled(); }) &&
               Led(page, "LHw3").contains(grey);
    }
};

TEST_F(IoPagesTest, DigitalPageForcesInputsAndRepairsFunctions) {
    Control(QStringLiteral("set 1 87 1")); // DGT-IN3 claims DGT-IN2's function
    Control(QStringLiteral("input 1 1 on"));
    Start();
    Press("BDigital");
    TFDigital* page = DigitalPage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(SimRegister(1, 87), 0); // the later row gave way, written back
    EXPECT_FALSE(window_->StateOf(Command::Enable).Enabled);
    EXPECT_FALSE(MainDevPage()->SpeedField()->isEnabled());
    ASSERT_TRUE(WaitFor([page] { return page->Interactive(); }));
    EXPECT_TRUE(window_->StateOf(Command::Enable).Enabled);
    EXPECT_FALSE(page->Switch(1)->isChecked()); // a live wire never shows forced

    // A function another row performs is refused and nothing is written.
    messages_.Clear();
    page->Selector(2)->setCurrentIndex(1);
    emit page->Selector(2)->activated(1);
    EXPECT_EQ(messages_.Texts().value(0),
              QStringLiteral("Funcion - Limit Switch +\r\nLocked by DGT-IN2 : Limit Switch +"));
    EXPECT_EQ(page->Selector(2)->currentIndex(), 0);
    EXPECT_EQ(SimRegister(1, 87), 0);

    // Forcing DGT-IN3 reaches the drive's effective state; releasing clears it.
    page->Switch(2)->click();
    ASSERT_TRUE(WaitFor([this] { return (SimRegister(1, 65) & 0x0006) == 0x0006; }));
    EXPECT_TRUE(page->Switch(2)->isChecked());
    page->Switch(2)->click();
    ASSERT_TRUE(WaitFor([this] { return (SimRegister(1, 65) & 0x0004) == 0; }));
    // The main window's Enable acts on DGT-IN1.
    window_->Run(Command::Enable);
    ASSERT_TRUE(WaitFor([this] { return (SimRegister(1, 65) & 1) != 0; }));
    EXPECT_TRUE(page->Switch(0)->isChecked());
    window_->Run(Command::Disable);
    ASSERT_TRUE(WaitFor([this] { return (SimRegister(1, 65) & 1) == 0; }));

    // A keyboard step of the slider is written at once and mirrored into the main page.
    page->SpeedSlider()->setValue(1000);
    EXPECT_TRUE(WaitFor([this] { return SimRegister(1, 80) == 1000; }));
    EXPECT_EQ(MainDevPage()->SpeedField()->text(),
              page->findChild<QLabel*>(QStringLiteral("LSpeed"))->text());

    page->close();
    EXPECT_TRUE(WaitFor([] { return DigitalPage() == nullptr; }));
    EXPECT_TRUE(MainDevPage()->SpeedField()->isEnabled());
}

TEST_F(IoPagesTest, DigitalRequestsAskedBeforeALineChangeAreNeverWritten) {
    Start();
    TFDigital* page = LiveDigitalPage();
    ASSERT_NE(page, nullptr);
    QSlider* slider = page->SpeedSlider();
    const int shown = slider->value();
    GateLog log(window_->Driver());
    // A force and a drag inside its 200 ms window are pending when the line goes.
    slider->setSliderDown(true);
    slider->setValue(17471);
    page->Switch(2)->click();
    LineGoes(false);
    EXPECT_TRUE(ShownNotLive(*page));
    EXPECT_EQ(slider->value(), shown);
    slider->setValue(17471); // off line the slider keeps showing the register
    EXPECT_EQ(slider->value(), shown);
    // Back on line the page is live again after two refreshes (what survives a line change
    // is DigitalForceSession's to decide).
    LineGoes(true);
    ASSERT_TRUE(WaitFor([page] { return page->Interactive(); }));
    slider->setSliderDown(false);
    // A drag still inside its window when the page closes is dropped, not committed.
    slider->setSliderDown(true);
    slider->setValue(17000);
    page->close();
    ASSERT_TRUE(WaitFor([] { return DigitalPage() == nullptr; }));
    EXPECT_FALSE(log.Wrote(80) || log.Wrote(73) || log.Wrote(74));
    EXPECT_EQ(SimRegister(1, 65) & 0x0004, 0);
}

TEST_F(IoPagesTest, SliderMovedWhileTheDriveIsSilentIsNotWrittenAfterReconnecting) {
    Start();
    TFDigital* page = LiveDigitalPage();
    ASSERT_NE(page, nullptr);
    GateLog log(window_->Driver());
    Control(QStringLiteral("silent 1 on"));
    ASSERT_TRUE(WaitFor([page] { return ShownNotLive(*page); })); // told it is off line
    page->SpeedSlider()->setValue(17471);
    Control(QStringLiteral("silent 1 off"));
    // The next identification closes the page before the table is read.
    SelectWith(EnterNumber("1"), [](QDialog& d) { ScriptedDialogs::WaitClosed(d, 30000); });
    ASSERT_TRUE(window_->Driver().Online());
    EXPECT_EQ(DigitalPage(), nullptr);
    EXPECT_FALSE(log.Wrote(80));
    EXPECT_NE(SimRegister(1, 80), 17471);
}

TEST_F(IoPagesTest, AnalogOffsetsInMillivolts) {
    Control(QStringLiteral("set 1 29 100"));
    Control(QStringLiteral("set 1 28 5000")); // a dead band beyond its limit of 1000
    Start();
    Press("BAnalog");
    TFAnalog* page = AnalogPage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->OffsetField(0)->RdValore(), 305);
    EXPECT_EQ(page->findChild<TPNumEdit*>(QStringLiteral("EDe1"))->text(), QStringLiteral("500,0"));
    page->OffsetUpDown(0)->stepUp(); // raw + 1, applied 10 ms later
    EXPECT_TRUE(WaitFor([this] { return SimRegister(1, 29) == 101; }));
    EXPECT_EQ(page->OffsetField(0)->RdValore(), 308);
    EXPECT_EQ(SimRegister(1, 28), 5000); // shown as it is, never written back clamped
    // Filled when the page opens, then by every status poll while it stays open.
    page->InputValue(0)->clear();
    EXPECT_TRUE(WaitFor([page] { return !page->InputValue(0)->text().isEmpty(); }));
}

} // namespace
} // namespace kelm::test
