#include "SimDrive.h"

#include "ui/pages/TFMainDev.h"
#include "ui/widgets/TPNumEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace kelm {
namespace {

using test::RegisterWrite;
using test::SimDrive;
using Pairs = std::vector<std::pair<int, int>>;

class MainDevTest : public ::testing::Test {
protected:
    // Builds the drive (identification and stored values first), connects and opens the
    // page on it.
    void Open(DeviceKind kind, std::initializer_list<std::pair<int, int>> registers = {}) {
        drive = SimDrive::Connected(kind, registers);
        MainDevLinks links;
        links.OpenPage = [this](const QString& name, const QString&) { opened << name; };
        links.SetSaveEnabled = [this](bool enabled) { saveEnabled.push_back(enabled); };
        page = std::make_unique<TFMainDev>(drive->Driver(), links);
        page->show();
        page->Setup();
        page->SetOnline(true);
    }
    template <typename T> T* Find(const char* name) { return test::Child<T>(*page, name); }
    TPNumEdit* Field(const char* name) { return Find<TPNumEdit>(name); }
    // Types a number over the field's text, then presses Enter or leaves the field.
    void Enter(TPNumEdit* field, const QString& number, bool leave = false) {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, number);
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        if (leave)
            QApplication::sendEvent(field, &out);
        else
            QTest::keyClick(field, Qt::Key_Return);
    }
    void Choose(const char* listName, int index) { test::Choose(Find<QComboBox>(listName), index); }
    std::vector<RegisterWrite> Writes() { return drive->Writes(); }
    Pairs Written() { return drive->WrittenPairs(); }

    std::unique_ptr<SimDrive> drive;
    std::unique_ptr<TFMainDev> page;
    QStringList opened;
    std::vector<bool> saveEnabled;
};

TEST_F(MainDevTest, UnlistedModeSelectsItemZeroWithoutWriting) {
    Open(DeviceKind::Std, {{0, 0x0103}, {71, 15}});
    EXPECT_EQ(Find<QComboBox>("CMode")->currentIndex(), 0);
    EXPECT_EQ(Find<QComboBox>("CMode")->count(), 11);
    EXPECT_EQ(page->windowTitle(), QStringLiteral("Drive"));
    for (const RegisterWrite& w : Writes())
        EXPECT_NE(w.Address, 71);
}

TEST_F(MainDevTest, UnlistedMainVoltageIsReplacedAndWrittenAtOnce) {
    Open(DeviceKind::Std, {{0, 0x0103}, {86, 300}, {91, 0}});
    QComboBox* voltage = Find<QComboBox>("CMainV");
    EXPECT_EQ(voltage->count(), 4);
    EXPECT_EQ(voltage->currentText(), QStringLiteral("230 V"));
    EXPECT_EQ(Written(), (Pairs{{86, 230}}));
    EXPECT_EQ(drive->Get(86), 230);

    // Choosing another voltage writes its code; choosing the same again writes nothing.
    drive->ClearWrites();
    Choose("CMainV", 2);
    EXPECT_EQ(Written(), (Pairs{{86, 400}}));
    Choose("CMainV", 2);
    EXPECT_EQ(Writes().size(), 1u);

    // Family 4: a list of two, 230 is no item there.
    Open(DeviceKind::Std, {{0, 0x0401}, {86, 230}});
    EXPECT_EQ(Find<QComboBox>("CMainV")->count(), 2);
    EXPECT_EQ(Find<QComboBox>("CMainV")->currentText(), QStringLiteral("400 V"));
    EXPECT_EQ(drive->Get(86), 400);
}

TEST_F(MainDevTest, EnterWritesOneRegisterAndEqualValuesWriteNothing) {
    Open(DeviceKind::Std, {{0, 0x0103}, {79, 100}});
    TPNumEdit* level = Field("ETorqSat");
    EXPECT_EQ(level->RdMax(), 300);
    drive->ClearWrites();
    Enter(level, QStringLiteral("150"));
    EXPECT_EQ(Written(), (Pairs{{79, 150}}));
    EXPECT_FALSE(level->IsMarked()); // written: back to the normal colour
    Enter(level, QStringLiteral("150"));
    Enter(level, QStringLiteral("150"), true);
    EXPECT_EQ(Writes().size(), 1u);
    Enter(level, QStringLiteral("120"), true);
    EXPECT_EQ(Written(), (Pairs{{79, 150}, {79, 120}}));
    // Typed beyond the register's limit: clamped before writing.
    Enter(level, QStringLiteral("999"));
    EXPECT_EQ(Written(), (Pairs{{79, 150}, {79, 120}, {79, 300}}));
}

TEST_F(MainDevTest, DigitalSpeedIsScaledBothWays) {
    // Mode 1, maximum 3000 rpm, raw 10922 shows 1000 rpm.
    Open(DeviceKind::Std, {{0, 0x0103}, {71, 1}, {31, 3000}, {80, 10922}});
    TPNumEdit* speed = Field("ESpd");
    ASSERT_TRUE(speed->isVisible());
    EXPECT_EQ(speed->text(), QStringLiteral("1000"));
    EXPECT_EQ(speed->RdMin(), -3000);
    EXPECT_EQ(speed->RdMax(), 3000);
    drive->ClearWrites();
    Enter(speed, QStringLiteral("1000")); // the same speed again
    EXPECT_TRUE(Writes().empty());
    Enter(speed, QStringLiteral("-1500"));
    EXPECT_EQ(Written(), (Pairs{{80, -16383}})); // -16383.5 toward zero
    Enter(speed, QStringLiteral("-1500"));
    EXPECT_EQ(Writes().size(), 1u);
}

TEST_F(MainDevTest, PassingThroughTheSpeedFieldWritesNothing) {
    // A maximum speed of 0 shows 0 rpm whatever the register holds; a raw of -32768 shows
    // one rpm beyond the limit and is clamped. Leaving the field (or Enter) without typing
    // another speed keeps the register as it is.
    Open(DeviceKind::Std, {{0, 0x0103}, {71, 1}, {31, 0}, {80, 1000}});
    TPNumEdit* speed = Field("ESpd");
    ASSERT_TRUE(speed->isVisible());
    EXPECT_EQ(speed->text(), QStringLiteral("0"));
    drive->ClearWrites();
    page->SpeedFieldExit();
    QTest::keyClick(speed, Qt::Key_Return);
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(drive->Get(80), 1000);

    Open(DeviceKind::Std, {{0, 0x0103}, {71, 1}, {31, 3000}, {80, 0x8000}});
    speed = Field("ESpd");
    EXPECT_EQ(speed->text(), QStringLiteral("-3000"));
    drive->ClearWrites();
    page->SpeedFieldExit();
    EXPECT_TRUE(Writes().empty());
    // A new speed is still written.
    Enter(speed, QStringLiteral("-2999"));
    EXPECT_EQ(Written(), (Pairs{{80, -32756}}));
}

TEST_F(MainDevTest, HomingOffsetMinusOneFillsBothWords) {
    // Method 1 uses the offset (shipped Homing.dll).
    Open(DeviceKind::Std, {{0, 0x0103}, {91, 1}});
    TPNumEdit* offset = Field("EOffSet");
    ASSERT_TRUE(offset->isEnabled());
    drive->ClearWrites();
    Enter(offset, QStringLiteral("-1"));
    EXPECT_EQ(Written(), (Pairs{{92, -1}, {93, -1}}));
    EXPECT_FALSE(offset->IsMarked());
    Enter(offset, QStringLiteral("70000"));
    ASSERT_EQ(Writes().size(), 4u);
    EXPECT_EQ(drive->Get(92), 1);
    EXPECT_EQ(drive->Get(93), 70000 - 65536);
}

TEST_F(MainDevTest, HomingDescriptorDecidesTheFields) {
    // An unknown method is replaced by the first descriptor (code 0, nothing enabled).
    Open(DeviceKind::Std, {{0, 0x0103}, {91, 50}, {90, 700}});
    EXPECT_EQ(drive->Get(91), 0);
    EXPECT_EQ(Find<QComboBox>("CSearch")->currentIndex(), 0);
    EXPECT_FALSE(Field("ESpeed")->isEnabled());
    EXPECT_TRUE(Field("ESpeed")->text().isEmpty());
    EXPECT_FALSE(Find<QComboBox>("CNona")->isEnabled());

    // Method "2: Limit Switch -" with sensor NClosed is code 4: speed shown, angle not.
    drive->ClearWrites();
    Find<QComboBox>("CNona")->setCurrentIndex(1);
    Choose("CSearch", 2);
    EXPECT_EQ(drive->Get(91), 3); // first record of the method (sensor list was disabled)
    Choose("CNona", 1);
    EXPECT_EQ(drive->Get(91), 4);
    EXPECT_EQ(Field("ESpeed")->text(), QStringLiteral("700"));
    EXPECT_TRUE(Field("ESpeed")->isEnabled());
    EXPECT_FALSE(Field("ESearch")->isEnabled());
    EXPECT_TRUE(Find<QCheckBox>("CZero")->isChecked());
    ASSERT_EQ(Writes().size(), 2u);
}

TEST_F(MainDevTest, ModeChangeAdaptsThePageAndForcesHardwareBits) {
    Open(DeviceKind::Std, {{0, 0x0103}, {71, 0}, {44, 6 | 8}});
    EXPECT_FALSE(Field("ESpd")->isVisible());
    EXPECT_TRUE(Find<QPushButton>("BSpeed")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>("BPosition")->isEnabled());
    drive->ClearWrites();
    Choose("CMode", 4);
    EXPECT_EQ(drive->Get(71), 4);
    EXPECT_EQ(drive->Get(44), 4 | 8); // bits 1-2 were 11: forced to 10
    EXPECT_TRUE(Find<QCheckBox>("CHwControl")->isVisible());
    EXPECT_FALSE(Find<QCheckBox>("CHwControl")->isChecked());
    EXPECT_TRUE(Find<QPushButton>("BPosition")->isEnabled());
    EXPECT_EQ(Writes().size(), 2u);

    Find<QCheckBox>("CHwControl")->click();
    EXPECT_EQ(drive->Get(44), 2 | 8);
    EXPECT_EQ(Writes().size(), 3u);

    Choose("CMode", 2);
    EXPECT_FALSE(Find<QPushButton>("BSpeed")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>("BPosition")->isEnabled());
    EXPECT_FALSE(Find<QCheckBox>("CHwControl")->isVisible());

    Choose("CMode", 10);
    EXPECT_TRUE(Field("ESpd")->isVisible());
    EXPECT_TRUE(Field("ESq")->isVisible());
    EXPECT_EQ(Field("ESq")->text(), QString::number(drive->Get(37)));
    EXPECT_EQ(Find<QLabel>("LPos1")->text(), QStringLiteral("Software Limit HI"));

    Choose("CMode", 7);
    EXPECT_FALSE(Field("ESearch")->isVisible());
    EXPECT_FALSE(Field("ESq")->isVisible());
}

TEST_F(MainDevTest, DriveUnitPageUsesItsOwnRegisters) {
    Open(DeviceKind::Drive, {{0, 0x05CA}, {78, 0}, {76, 0x40}, {103, 300}, {13, 2}});
    EXPECT_EQ(page->windowTitle(), QStringLiteral("Tarn Drive"));
    EXPECT_EQ(Find<QComboBox>("CMode")->count(), 21);
    // Neither the main voltage list nor the model display is shown on a Drive unit.
    EXPECT_FALSE(Find<QComboBox>("CMainV")->isVisible());
    EXPECT_FALSE(Find<QLabel>("PModel")->isVisible());
    EXPECT_EQ(Find<QLabel>("PModel")->text(), QStringLiteral("TND 300"));
    EXPECT_EQ(Find<QComboBox>("CTorqSat")->currentText(), QStringLiteral("On"));
    EXPECT_EQ(Find<QLabel>("PResolver")->text(), QStringLiteral("Absolute M/T"));
    EXPECT_FALSE(Find<QPushButton>("BEncOut")->isEnabled());
    EXPECT_FALSE(Field("ESearch")->isVisible()); // mode 0 on a Drive unit

    drive->ClearWrites();
    Choose("CTorqSat", 0);
    EXPECT_EQ(drive->Get(76), 0);
    Choose("CMode", 10);
    EXPECT_EQ(drive->Get(78), 10);
    EXPECT_EQ(Find<QLabel>("LPos2")->text(), QStringLiteral("Software Limit LO"));
    // Other kinds leave the page buttons as they were.
    EXPECT_FALSE(Find<QPushButton>("BPosition")->isEnabled());
    EXPECT_TRUE(Field("ESpd")->isVisible());

    Enter(Field("EPos1"), QStringLiteral("-2"));
    EXPECT_EQ(drive->Get(62), 0xFFFF);
    EXPECT_EQ(drive->Get(63), 0xFFFE);
}

TEST_F(MainDevTest, EncoderOutFollowsTheFeedback) {
    Open(DeviceKind::Std, {{0, 0x0303}, {12, 0}});
    EXPECT_EQ(Find<QLabel>("PResolver")->text(), QStringLiteral("Encoder"));
    EXPECT_FALSE(Find<QPushButton>("BEncOut")->isEnabled()); // family 3 encoder
    Open(DeviceKind::Orca230, {{12, 3}});
    EXPECT_EQ(page->windowTitle(), QStringLiteral("Tarn"));
    EXPECT_EQ(Find<QLabel>("PResolver")->text(), QStringLiteral("Serial Encoder"));
    EXPECT_TRUE(Find<QPushButton>("BEncOut")->isEnabled());
}

TEST_F(MainDevTest, PowerPageRegenerationEncoding) {
    Open(DeviceKind::Power, {{11, 230}, {12, 5}});
    EXPECT_EQ(page->windowTitle(), QStringLiteral("Tarn Power"));
    EXPECT_FALSE(Find<QWidget>("PMain")->isVisible());
    EXPECT_EQ(Find<QLabel>("Pvlt")->text(), QStringLiteral("230Vac 3 Phase"));
    EXPECT_EQ(Find<QComboBox>("Crgn")->currentText(), QStringLiteral("500 W"));
    EXPECT_TRUE(Writes().empty());
    drive->PollMinute(); // measured values move; only the choice is written
    Choose("Crgn", 0);
    EXPECT_EQ(Written(), (Pairs{{12, 4}}));

    Open(DeviceKind::Power, {{11, 400}, {12, 1}});
    EXPECT_EQ(Find<QComboBox>("Crgn")->currentText(), QStringLiteral("160 W"));
    Choose("Crgn", 2);
    EXPECT_EQ(drive->Get(12), 2);

    // Unlisted codes are replaced and written; no list for an unknown voltage.
    Open(DeviceKind::Power, {{11, 400}, {12, 6}});
    EXPECT_EQ(Find<QComboBox>("Crgn")->currentText(), QStringLiteral("100 W"));
    EXPECT_EQ(Written(), (Pairs{{12, 0}}));
    Open(DeviceKind::Power, {{11, 110}, {12, 3}});
    EXPECT_EQ(Find<QLabel>("Pvlt")->text(), QStringLiteral("UNKNOWN"));
    EXPECT_EQ(Find<QComboBox>("Crgn")->count(), 0);
    EXPECT_TRUE(Writes().empty());
}

TEST_F(MainDevTest, PageButtonsAndTheLineState) {
    Open(DeviceKind::Std, {{0, 0x0103}, {71, 4}});
    Find<QPushButton>("BCurrent")->click();
    Find<QPushButton>("BPosition")->click();
    Find<QPushButton>("BDigital")->click();
    EXPECT_EQ(opened, (QStringList{"TFCurrent", "TFPosition", "TFDigital"}));
    ASSERT_FALSE(saveEnabled.empty());
    EXPECT_TRUE(saveEnabled.back());
    page->SetOnline(false);
    EXPECT_FALSE(saveEnabled.back());
    EXPECT_FALSE(page->FileMenuEnabled());
    EXPECT_FALSE(Find<QWidget>("PMain")->isEnabled());
    EXPECT_FALSE(Find<QWidget>("GHoming")->isEnabled());
}

} // namespace
} // namespace kelm
