#include "ui/pages/SimDrive.h"

#include "ui/geninfo/TFGenInfo.h"
#include "ui/widgets/TPNumEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace kelm {
namespace {

using test::SimDrive;
using Writes = std::vector<std::pair<int, int>>;

class GenInfoTest : public test::OnDrive<TFGenInfo> {
protected:
    void Open(DeviceKind kind, std::initializer_list<std::pair<int, int>> registers = {}) {
        page.reset();
        drive = SimDrive::Connected(kind, registers);
        page = std::make_unique<TFGenInfo>(drive->Driver());
        page->show();
    }
};

// The texts, choices and stored bits per kind come from the model (GenInfoModelTest), every
// kind's Apply is PolledValuesAreNeverWrittenBack's and every kind's layout the fit check's;
// here, that the dialog shows and writes them.
TEST_F(GenInfoTest, StdShowsItsVariantAndApplyWritesOneRegisterPerChangedSetting) {
    Open(DeviceKind::Std, {{0, 0x0203}});
    EXPECT_FALSE(Find<QGroupBox>("GRegen")->isEnabled());
    // An unlisted CAN rate (300) shows the first item, which Apply writes.
    Open(DeviceKind::Std, {{0, 0x0103}, {4, 300}, {70, 0x0040}, {103, 0}, {2, 5}});
    EXPECT_EQ(
        std::tuple(page->windowTitle(), Find<QLabel>("PModel")->text(),
                   Find<TPNumEdit>("EAddress")->RdMax(), Find<QComboBox>("CCan")->currentText()),
        std::tuple(QString("  General  Settings"), QString(" ZEPHON "), 255, QString("50 Kbps")));
    EXPECT_FALSE(Find<QGroupBox>("GUnits")->isVisible());
    Click("CI2t");
    EXPECT_TRUE(page->IsMarked(Find<QCheckBox>("CI2t")));
    Click("CEmergency");
    Choose("CRegen", 1);
    EXPECT_TRUE(page->IsMarked(Find<QComboBox>("CRegen")));
    Click("BDefault");
    EXPECT_EQ(Find<TPNumEdit>("EAddress")->text(), QStringLiteral("1"));
    EXPECT_TRUE(page->IsMarked(Find<TPNumEdit>("EAddress")) && Written().empty());
    Click("BApply");
    // Address, CAN rate, relay bits and regen, in table order.
    EXPECT_EQ(Written(), (Writes{{2, 1}, {4, 50}, {70, 0x0940}, {103, 400}}));
    EXPECT_FALSE(page->IsMarked(Find<QCheckBox>("CI2t")) ||
                 page->IsMarked(Find<TPNumEdit>("EAddress")));
    EXPECT_TRUE(page->isVisible()); // Apply keeps the dialog open
    Click("BApply");
    EXPECT_EQ(Written().size(), 4u);
}

TEST_F(GenInfoTest, RestoringKeepsTheEditsANewShowingReloads) {
    Open(DeviceKind::Std, {{0, 0x0103}, {70, 0}});
    Click("CEmergency");
    QTest::keyClicks(Find<TPNumEdit>("EAddress"), QStringLiteral("12"));
    ASSERT_TRUE(Find<QCheckBox>("CEmergency")->isChecked());
    // The window system shows the dialog again (restored after being minimized): not a
    // new showing, so the controls are not reloaded.
    QShowEvent shown;
    QSpontaneKeyEvent::setSpontaneous(&shown);
    // Delivered directly: sendEvent would clear the spontaneous flag.
    static_cast<QObject*>(page.get())->event(&shown);
    EXPECT_TRUE(Find<QCheckBox>("CEmergency")->isChecked() &&
                page->IsMarked(Find<QCheckBox>("CEmergency")) &&
                page->IsMarked(Find<TPNumEdit>("EAddress")));
    // A new showing loads the table again.
    page->hide();
    page->show();
    EXPECT_FALSE(Find<QCheckBox>("CEmergency")->isChecked());
}

// After a minute of polling, Cancel drops an edit and sends nothing, and Apply sends only the
// edit, on every kind.
TEST_F(GenInfoTest, PolledValuesAreNeverWrittenBack) {
    for (const DeviceKind kind :
         {DeviceKind::Std, DeviceKind::Power, DeviceKind::Drive, DeviceKind::Orca230}) {
        const int address = kind == DeviceKind::Power ? 7 : kind == DeviceKind::Drive ? 6 : 2;
        Open(kind, {{address, 9}});
        drive->PollMinute();
        Click("BDefault");
        Click("BCancel");
        EXPECT_FALSE(page->isVisible());
        drive->Driver().WriteChangedParams();
        EXPECT_TRUE(Written().empty()) << KindIndex(kind);
        page->show();
        Click("BDefault");
        Click("BApply");
        EXPECT_EQ(Written(), (Writes{{address, 1}}));
    }
}

// Apply writes the dialog's edits only: not another window's change, not a stored address
// outside the field's limits; Cancel drops the correction of an unlisted rate; off line Ok
// says that nothing was written and keeps the edits.
TEST_F(GenInfoTest, WritesOnlyItsOwnEditsCancelDropsCorrections) {
    Open(DeviceKind::Std, {{0, 0x0103}, {2, 0}, {4, 300}, {70, 0x0040}});
    EXPECT_TRUE(page->IsMarked(Find<QComboBox>("CCan"))); // the correction is an edit
    EXPECT_EQ(Find<TPNumEdit>("EAddress")->text(), QStringLiteral("0"));
    Click("BCancel");
    EXPECT_EQ(drive->Table().FindByAddress(4)->Value, 300);
    page->show();
    drive->Table().FindByAddress(13)->Value = 77; // another window's change
    drive->Set(70, 0x0041);                       // another window wrote bit 0 meanwhile
    Click("CEmergency");
    Click("BApply");
    EXPECT_EQ(Written(), (Writes{{4, 50}, {70, 0x0841}}));

    drive->ClearWrites();
    Click("BDefault");
    drive->Driver().SetOnline(false);
    page->SetOnline(false);
    EXPECT_FALSE(Find<QPushButton>("BApply")->isEnabled() ||
                 Find<QGroupBox>("GDeviceId")->isEnabled());
    Click("BOk");
    EXPECT_TRUE(page->isVisible() && page->HasEdits());
    EXPECT_EQ(drive->Said(), QStringList{QStringLiteral("Off Line: nothing was written.")});
    EXPECT_TRUE(Written().empty());
}

} // namespace
} // namespace kelm
