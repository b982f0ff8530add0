#include "SimDrive.h"

#include "ui/pages/TFMainDev.h"

#include "core/params/ParamTable.h"

#include <QCheckBox>
#include <QComboBox>

namespace kelm {
namespace {

using test::SimDrive;
using Pairs = std::vector<std::pair<int, int>>;

class MainDevTest : public test::OnDrive<TFMainDev> {
protected:
    // Builds the drive (identification and stored values first), connects and opens the
    // page on it.
    void Open(DeviceKind kind, std::initializer_list<std::pair<int, int>> registers) {
        page.reset(); // before the drive it works on
        drive = SimDrive::Connected(kind, registers);
        MainDevLinks links;
        links.OpenPage = [this](const QString& name, const QString&) { opened << name; };
        links.SetSaveEnabled = [this](bool enabled) { saveEnabled.push_back(enabled); };
        page = std::make_unique<TFMainDev>(drive->Driver(), links);
        page->show();
        page->Setup();
        page->SetOnline(true);
    }
    // Types a number over the field's text, then presses Enter or leaves the field.
    void Enter(TPNumEdit* field, const QString& number, bool leave = false) {
        Type(field, number);
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        if (leave)
            QApplication::sendEvent(field, &out);
        else
            QTest::keyClick(field, Qt::Key_Return);
    }

    QStringList opened;
    std::vector<bool> saveEnabled;
};

// A stored voltage outside the list is replaced and written at once; a choice or a typed
// number writes its one register, an equal one writes nothing.
TEST_F(MainDevTest, ChoicesAndFieldsWriteOneRegisterOnce) {
    Open(DeviceKind::Std, {{0, 0x0103}, {71, 4}, {44, 2}, {86, 300}, {91, 0}, {79, 100}});
    QComboBox* voltage = Find<QComboBox>("CMainV");
    EXPECT_EQ(voltage->count(), 4);
    EXPECT_EQ(voltage->currentText(), QStringLiteral("230 V"));
    EXPECT_EQ(Written(), (Pairs{{86, 230}}));
    drive->ClearWrites();
    Choose("CMainV", 2);
    Choose("CMainV", 2);
    EXPECT_EQ(Written(), (Pairs{{86, 400}}));
    drive->ClearWrites();
    TPNumEdit* level = Field("ETorqSat");
    EXPECT_EQ(level->RdMax(), 300);
    Enter(level, QStringLiteral("150"));
    EXPECT_FALSE(level->IsMarked()); // written: back to the normal colour
    Enter(level, QStringLiteral("150"));
    Enter(level, QStringLiteral("150"), true);
    Enter(level, QStringLiteral("120"), true);
    EXPECT_EQ(Written(), (Pairs{{79, 150}, {79, 120}}));
}

// The field shows rpm (SpeedScaling's rules); passing through it without typing another
// speed keeps the register, even where rpm and raw do not map one to one (no maximum).
TEST_F(MainDevTest, DigitalSpeedFieldWritesOnlyATypedSpeed) {
    Open(DeviceKind::Std, {{0, 0x0103}, {71, 1}, {31, 3000}, {80, 10922}});
    TPNumEdit* speed = Field("ESpd");
    ASSERT_TRUE(speed->isVisible());
    EXPECT_EQ(speed->text(), QStringLiteral("1000"));
    EXPECT_EQ(speed->RdMin(), -3000);
    EXPECT_EQ(speed->RdMax(), 3000);
    drive->ClearWrites();
    Enter(speed, QStringLiteral("1000"));
    Enter(speed, QStringLiteral("-1500"));
    Enter(speed, QStringLiteral("-1500"));
    EXPECT_EQ(Written(), (Pairs{{80, -16383}}));

    Open(DeviceKind::Std, {{0, 0x0103}, {71, 1}, {31, 0}, {80, 1000}});
    EXPECT_EQ(Field("ESpd")->text(), QStringLiteral("0"));
    drive->ClearWrites();
    page->SpeedFieldExit();
    QTest::keyClick(Field("ESpd"), Qt::Key_Return);
    EXPECT_TRUE(drive->Writes().empty());
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
    ASSERT_EQ(drive->Writes().size(), 2u);
}

TEST_F(MainDevTest, ModeChangeAdaptsThePageAndItsButtons) {
    Open(DeviceKind::Std, {{0, 0x0103}, {71, 0}, {44, 6 | 8}});
    EXPECT_FALSE(Field("ESpd")->isVisible());
    EXPECT_TRUE(Find<QPushButton>("BSpeed")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>("BPosition")->isEnabled());
    drive->ClearWrites();
    Choose("CMode", 4); // bits 1-2 were 11: forced to 10
    EXPECT_TRUE(Find<QCheckBox>("CHwControl")->isVisible());
    EXPECT_FALSE(Find<QCheckBox>("CHwControl")->isChecked());
    EXPECT_TRUE(Find<QPushButton>("BPosition")->isEnabled());
    Find<QCheckBox>("CHwControl")->click();
    EXPECT_EQ(Written(), (Pairs{{44, 4 | 8}, {71, 4}, {44, 2 | 8}}));
    // The page buttons open their pages; off line the page withdraws Save and its groups.
    Find<QPushButton>("BCurrent")->click();
    Find<QPushButton>("BPosition")->click();
    Find<QPushButton>("BDigital")->click();
    EXPECT_EQ(opened, (QStringList{"TFCurrent", "TFPosition", "TFDigital"}));
    ASSERT_FALSE(saveEnabled.empty());
    EXPECT_TRUE(saveEnabled.back());
    page->SetOnline(false);
    EXPECT_FALSE(saveEnabled.back());
    EXPECT_FALSE(Find<QWidget>("PMain")->isEnabled());
    EXPECT_FALSE(Find<QWidget>("GHoming")->isEnabled());
}

TEST_F(MainDevTest, DriveUnitAndPowerPagesUseTheirOwnRegisters) {
    Open(DeviceKind::Drive, {{0, 0x05CA}, {78, 0}, {76, 0x40}, {103, 300}, {13, 2}});
    EXPECT_EQ(page->windowTitle(), QStringLiteral("Tarn Drive"));
    EXPECT_EQ(Find<QComboBox>("CMode")->count(), 21);
    EXPECT_FALSE(Find<QComboBox>("CMainV")->isVisible());
    EXPECT_EQ(Shown("CTorqSat"), QStringLiteral("On"));

    drive->ClearWrites();
    Choose("CTorqSat", 0);
    EXPECT_EQ(drive->Get(76), 0);
    Choose("CMode", 10);
    EXPECT_EQ(drive->Get(78), 10);
    Enter(Field("EPos1"), QStringLiteral("-2"));
    EXPECT_EQ(drive->Get(62), 0xFFFF);
    EXPECT_EQ(drive->Get(63), 0xFFFE);
    Open(DeviceKind::Power, {{11, 230}, {12, 5}});
    EXPECT_EQ(page->windowTitle(), QStringLiteral("Tarn Power"));
    EXPECT_FALSE(Find<QWidget>("PMain")->isVisible());
    EXPECT_EQ(Find<QLabel>("Pvlt")->text(), QStringLiteral("230Vac 3 Phase"));
    EXPECT_EQ(Shown("Crgn"), QStringLiteral("500 W"));
    EXPECT_TRUE(drive->Writes().empty());
    drive->PollMinute(); // measured values move; only the choice is written
    Choose("Crgn", 0);
    EXPECT_EQ(Written(), (Pairs{{12, 4}}));
}

// A page write sends only the page's own edits: neither a value another window changed, nor
// a stored number the page shows outside its field's limits, nor a field left untouched.
TEST_F(MainDevTest, WritesOnlyItsOwnEditsAndNeverOnClosing) {
    Open(DeviceKind::Std, {{0, 0x0103}, {71, 1}, {31, 3000}, {80, 0}, {79, 500}, {86, 230}});
    TPNumEdit* level = Field("ETorqSat");
    EXPECT_EQ(level->text(), QStringLiteral("500")); // beyond 300: shown as it is
    drive->Table().FindByAddress(13)->Value = 77;    // another window's change
    drive->Table().FindByAddress(90)->Value = 55;    // one of this page's registers too
    Enter(level, QStringLiteral(""), true);          // passed through without typing
    Choose("CMainV", 2);
    EXPECT_EQ(Written(), (Pairs{{86, 400}}));
    EXPECT_EQ(drive->Get(79), 500);
    EXPECT_EQ(level->text(), QStringLiteral("500"));
    // A mirror's speeds shown in the disabled speed field are no edit of the page.
    drive->ClearWrites();
    Field("ESpd")->setEnabled(false);
    Field("ESpd")->setText(QStringLiteral("2500"));
    Field("ESpd")->setEnabled(true);
    EXPECT_EQ(Field("ESpd")->text(), QStringLiteral("0"));
    page->SpeedFieldExit();
    // A number typed is dropped when the closing page takes the focus from its field.
    Type(level, QStringLiteral("120"));
    page->close();
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(level, &out);
    EXPECT_TRUE(drive->Writes().empty());
}

// Off line a correction of the setup and a speed sent from another window stay as the
// page's edits, nothing is written, and the user is told.
TEST_F(MainDevTest, OffLineKeepsTheEditsAndSaysNothingWasWritten) {
    Open(DeviceKind::Std, {{0, 0x0103}, {71, 1}, {31, 3000}, {80, 0}, {86, 300}});
    drive->ClearWrites();
    drive->Driver().SetOnline(false);
    page->SetOnline(false);
    drive->Table().FindByAddress(86)->Value = 300; // a file opened off line
    page->Setup();
    EXPECT_TRUE(page->HasEdits()); // the voltage correction
    EXPECT_FALSE(Find<QWidget>("PMain")->isEnabled());
    Field("ESpd")->WrValore(1000);
    page->SpeedFieldExit();
    EXPECT_EQ(drive->Said(), QStringList{QStringLiteral("Off Line: nothing was written.")});
    EXPECT_EQ(Field("ESpd")->text(), QStringLiteral("1000"));
    EXPECT_TRUE(drive->Writes().empty());
    EXPECT_EQ(drive->Table().FindByAddress(86)->Value, 300);
}

// The edit rules without the window.
TEST(MainDevEdits, ChoicesBecomeEditsOnlyWhenTheyChangeWhatIsShown) {
    ParamTable table;
    for (const auto& [address, value] : Pairs{{31, 0}, {44, 6 | 8}, {62, 0}, {63, 5}, {80, 1000}}) {
        ParamEntry entry;
        entry.Address = static_cast<std::uint16_t>(address);
        entry.Value = entry.DriveValue = static_cast<std::int16_t>(value);
        table.Add(entry);
    }
    MainDevEdits edits(table);
    EXPECT_FALSE(edits.SetWord(999, 1)); // not in the table
    EXPECT_FALSE(edits.SetPair(63, 62, 5));
    EXPECT_TRUE(edits.SetPair(63, 62, -1));
    EXPECT_EQ(edits.Shown(62), -1);
    EXPECT_EQ(edits.Shown(63), -1);
    // Hardware control: 11 is forced to 10 on bits 1-2 only; the box then sets 01.
    EXPECT_TRUE(edits.NormalizeHwControlBits(44));
    EXPECT_FALSE(edits.NormalizeHwControlBits(44));
    EXPECT_EQ(edits.Shown(44), 4 | 8);
    EXPECT_FALSE(edits.SetHwControl(44, false));
    EXPECT_TRUE(edits.SetHwControl(44, true));
    EXPECT_EQ(edits.Tracker().BitRegisters(), std::vector<std::uint16_t>{44});
    EXPECT_EQ(edits.Tracker().Shown(44, 0x100), 0x100 | 2);
    // No maximum speed: every typed speed is the shown 0 and the register stays.
    EXPECT_FALSE(edits.SetRpm(80, 0, 0));
    EXPECT_FALSE(edits.Has(80));
    EXPECT_EQ(table.FindByAddress(44)->Value, 6 | 8); // nothing in the table
}

} // namespace
} // namespace kelm
