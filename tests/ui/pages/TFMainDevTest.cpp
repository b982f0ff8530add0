#include "SimDrive.h"

#include "ui/pages/TFMainDev.h"

#include <QCheckBox>
#include <QComboBox>

namespace kelm {
namespace {

using test::Pairs;
using test::SimDrive;

class MainDevTest : public test::OnDrive<TFMainDev> {
protected:
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
    EXPECT_EQ(std::tuple(Find<QComboBox>("CMainV")->count(), Shown("CMainV"), Written()),
              std::tuple(4, QString("230 V"), Pairs{{86, 230}}));
    drive->ClearWrites();
    Choose("CMainV", 2);
    Choose("CMainV", 2);
    EXPECT_EQ(Written(), (Pairs{{86, 400}}));
    drive->ClearWrites();
    TPNumEdit* level = Field("ETorqSat");
    ASSERT_EQ(level->RdMax(), 300);
    Enter(level, QStringLiteral("150"));
    EXPECT_FALSE(level->IsMarked()); // written: back to the normal colour
    Enter(level, QStringLiteral("150"));
    Enter(level, QStringLiteral("150"), true);
    Enter(level, QStringLiteral("120"), true);
    EXPECT_EQ(Written(), (Pairs{{79, 150}, {79, 120}}));
}

// The field shows rpm; passing through it without typing another speed keeps the register.
TEST_F(MainDevTest, DigitalSpeedFieldWritesOnlyATypedSpeed) {
    Open(DeviceKind::Std, {{0, 0x0103}, {71, 1}, {31, 3000}, {80, 10922}});
    TPNumEdit* speed = Field("ESpd");
    EXPECT_EQ(std::tuple(speed->text(), speed->RdMin(), speed->RdMax()),
              std::tuple(QString("1000"), -3000, 3000));
    drive->ClearWrites();
    Enter(speed, QStringLiteral("1000"));
    Enter(speed, QStringLiteral("-1500"));
    EXPECT_EQ(Written(), (Pairs{{80, -16383}}));
}

// The homing lists' wiring (the choice itself is HomingChoice's): an unknown method is
// replaced and written; a method and sensor write their code and enable its fields.
TEST_F(MainDevTest, HomingDescriptorDecidesTheFields) {
    Open(DeviceKind::Std, {{0, 0x0103}, {91, 50}, {90, 700}});
    EXPECT_EQ(std::tuple(drive->Get(91), Field("ESpeed")->isEnabled(),
                         Find<QComboBox>("CNona")->isEnabled()),
              std::tuple(0, false, false));
    Choose("CSearch", 2); // "2: Limit Switch -", then sensor NClosed: code 4
    Choose("CNona", 1);
    EXPECT_EQ(std::tuple(drive->Get(91), Field("ESpeed")->text()), std::tuple(4, QString("700")));
    EXPECT_TRUE(Field("ESpeed")->isEnabled() && !Field("ESearch")->isEnabled());
}

TEST_F(MainDevTest, ModeChangeAdaptsThePageAndItsButtons) {
    Open(DeviceKind::Std, {{0, 0x0103}, {71, 0}, {44, 6 | 8}});
    EXPECT_FALSE(Field("ESpd")->isVisible() || Find<QPushButton>("BPosition")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>("BSpeed")->isEnabled());
    drive->ClearWrites();
    Choose("CMode", 4); // bits 1-2 were 11: forced to 10
    EXPECT_TRUE(Find<QCheckBox>("CHwControl")->isVisible() &&
                !Find<QCheckBox>("CHwControl")->isChecked());
    EXPECT_TRUE(Find<QPushButton>("BPosition")->isEnabled());
    Find<QCheckBox>("CHwControl")->click();
    EXPECT_EQ(Written(), (Pairs{{44, 4 | 8}, {71, 4}, {44, 2 | 8}}));
    // The page buttons open their pages; off line the page withdraws Save and its groups.
    Find<QPushButton>("BCurrent")->click();
    Find<QPushButton>("BPosition")->click();
    Find<QPushButton>("BDigital")->click();
    EXPECT_EQ(opened, (QStringList{"TFCurrent", "TFPosition", "TFDigital"}));
    ASSERT_FALSE(saveEnabled.empty() || !saveEnabled.back());
    page->SetOnline(false);
    EXPECT_FALSE(saveEnabled.back() || Find<QWidget>("PMain")->isEnabled() ||
                 Find<QWidget>("GHoming")->isEnabled());
}

TEST_F(MainDevTest, DriveUnitAndPowerPagesUseTheirOwnRegisters) {
    Open(DeviceKind::Drive, {{0, 0x05CA}, {78, 0}, {76, 0x40}, {103, 300}, {13, 2}});
    EXPECT_EQ(std::tuple(page->windowTitle(), Find<QComboBox>("CMode")->count(), Shown("CTorqSat")),
              std::tuple(QString("Tarn Drive"), 21, QString("On")));
    EXPECT_FALSE(Find<QComboBox>("CMainV")->isVisible());

    drive->ClearWrites();
    Choose("CTorqSat", 0);
    Choose("CMode", 10);
    Enter(Field("EPos1"), QStringLiteral("-2"));
    EXPECT_EQ((std::vector<int>{drive->Get(76), drive->Get(78), drive->Get(62), drive->Get(63)}),
              (std::vector<int>{0, 10, 0xFFFF, 0xFFFE}));
    Open(DeviceKind::Power, {{11, 230}, {12, 5}});
    EXPECT_EQ((QStringList{page->windowTitle(), Text("Pvlt"), Shown("Crgn")}),
              (QStringList{"Tarn Power", "230Vac 3 Phase", "500 W"}));
    EXPECT_FALSE(Find<QWidget>("PMain")->isVisible());
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
    EXPECT_EQ(std::tuple(Written(), level->text()), std::tuple(Pairs{{86, 400}}, QString("500")));
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
    SetOnline(false);
    drive->Table().FindByAddress(86)->Value = 300; // a file opened off line
    page->Setup();
    // The voltage correction is an edit of the page.
    EXPECT_TRUE(page->HasEdits() && !Find<QWidget>("PMain")->isEnabled());
    Field("ESpd")->WrValore(1000);
    page->SpeedFieldExit();
    EXPECT_EQ(
        std::tuple(drive->Said(), Field("ESpd")->text(), Written(), Value(86)),
        std::tuple(QStringList{"Off Line: nothing was written."}, QString("1000"), Pairs{}, 300));
}

} // namespace
} // namespace kelm
