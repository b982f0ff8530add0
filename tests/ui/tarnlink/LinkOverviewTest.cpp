#include "LinkFixture.h"

#include "ui/shell/StatusPanelView.h"
#include "ui/status/StatusPanelWidget.h"

#include <QLabel>

namespace kelm::test {
namespace {

class LinkOverviewTest : public LinkFixture {
protected:
    void SetUp() override {
        LinkFixture::SetUp();
        // Each unit tells its own identification.
        SetSimRegister(1, 7, 9);
        for (std::uint8_t a = 2; a <= 4; ++a)
            SetSimRegister(a, 6, static_cast<std::uint16_t>(20 + a));
    }
    StatusPanelWidget& Panel() {
        return *static_cast<StatusPanelWidget*>(window_->Panel().Widget());
    }
};

// Unit 4 is silent: it shows nothing and cannot be chosen. Unit 3 is chosen and read.
TEST_F(LinkOverviewTest, ChoosingADriveUnitReadsItsTable) {
    SetSimRegister(3, 121, 0x0001);
    SetSimRegister(3, 122, 0x5FCD); // 90061 s
    Control(QStringLiteral("silent 4 on"));
    bool chosen = false;
    SelectThroughOverview([&](TFTarnSel& dialog) {
        ASSERT_EQ(dialog.UnitCount(), 4);
        EXPECT_EQ(
            std::tuple(dialog.ProgressMaximum(), dialog.ProgressPosition(), dialog.RefreshTag()),
            std::tuple(4, 4, 1));
        EXPECT_EQ((QStringList{dialog.Panel(3).LinkId->text(), dialog.Panel(3).SelectButton->text(),
                               dialog.Panel(0).title()}),
                  (QStringList{"4", "Drive Unit 4", " Tarn Power "}));
        // No unit was in use before: none is marked, though the scan starts at the Power unit.
        EXPECT_TRUE(dialog.Panel(0).IsPower() && !dialog.Panel(1).InUse());
        EXPECT_EQ(window_->Driver().Mode(), WorkerMode::LinkPoll);
        // The units are polled in turn (LinkScanTest's); the panels' texts are
        // LinkFormatsTest's; here, that they reach the dialog.
        ASSERT_TRUE(WaitFor([&] { return !dialog.Panel(2).CanId->text().isEmpty(); }));
        const UnitPanel& unit = dialog.Panel(2);
        UnitPanel& silent = dialog.Panel(3);
        EXPECT_EQ(std::tuple(unit.CanId->text(), unit.Life->text(), unit.PictureState(),
                             silent.SelectTag(), silent.PictureState(), silent.Life->text()),
                  std::tuple(QString("23"), QString("25:1:01"), 1, 0, 0, QString()));
        silent.SelectButton->click();
        dialog.Panel(1).HistoryButton->click();
        EXPECT_EQ(messages_.Texts(),
                  QStringList({"This Tarn Not Responding!", "Hystory su Tarn ID = 2"}));
        EXPECT_TRUE(dialog.isVisible());

        // An alarm shows on the next visit.
        SetSimRegister(3, 117, 0x0004);
        ASSERT_TRUE(WaitFor([&] { return unit.AlarmText->text() == "Alarm Found"; }));
        EXPECT_EQ(unit.PictureState(), 2);

        dialog.Panel(2).SelectButton->click();
        chosen = true;
    });
    ASSERT_TRUE(chosen);
    TDriver& driver = window_->Driver();
    EXPECT_EQ(Executed("kelm::TFConnectD"), 1); // the unit's table was read
    EXPECT_EQ(std::pair(driver.CurrentKind(), window_->Master().UnitAddress()),
              std::pair(DeviceKind::Drive, std::uint8_t{3}));
    EXPECT_EQ(std::tuple(driver.Online(), driver.ActiveTable().FindByAddress(6)->DriveValue,
                         window_->StatusPanelText(StatusPanel::DeviceId),
                         window_->StatusPanelText(StatusPanel::LineState),
                         dialogs_->UnexpectedCount(), messages_.Texts().size()),
              std::tuple(true, 23, QString("Tarn Drv2"), QString("On Line"), 0, 2));
}

// Cancel without a unit in use stays off line. With Drive unit 3 in use the overview marks
// it, and Cancel gives it back with its kind, table, layout and poll. An Enable pressed
// before the overview is not written afterwards, to any unit.
TEST_F(LinkOverviewTest, CancelKeepsTheDriveUnitInUse) {
    const auto cancel = [](TFTarnSel& dialog) {
        dialog.findChild<QPushButton*>(QStringLiteral("BCancel"))->click();
    };
    SelectThroughOverview([&](TFTarnSel& dialog) {
        EXPECT_FALSE(dialog.Panel(0).InUse());
        cancel(dialog);
    });
    TDriver& driver = window_->Driver();
    EXPECT_EQ(std::tuple(Executed("kelm::TFConnectD"), driver.Online(), driver.Mode(),
                         window_->StatusPanelText(StatusPanel::LineState)),
              std::tuple(0, false, WorkerMode::Idle, QString("Off Line")));
    SelectThroughOverview([](TFTarnSel& dialog) { dialog.Panel(2).SelectButton->click(); }, true);
    ASSERT_EQ(std::pair(driver.CurrentKind(), window_->Master().UnitAddress()),
              std::pair(DeviceKind::Drive, std::uint8_t{3}));
    driver.WaitIdle(); // the Enable stays pending until the poll runs again
    window_->Run(Command::Enable);
    ASSERT_TRUE(Panel().RequestPending(DriveRequest::Enable));
    SelectThroughOverview(
        [&](TFTarnSel& dialog) {
            EXPECT_EQ(std::tuple(dialog.Panel(0).InUse(), dialog.Panel(2).InUse()),
                      std::tuple(false, true));
            cancel(dialog);
        },
        true);
    ClearRecords();
    EXPECT_EQ(std::pair(driver.CurrentKind(), window_->Master().UnitAddress()),
              std::pair(DeviceKind::Drive, std::uint8_t{3}));
    EXPECT_EQ(std::tuple(driver.ActiveTable().FindByAddress(6)->DriveValue,
                         window_->StatusPanelText(StatusPanel::DeviceId),
                         window_->StatusPanelText(StatusPanel::LineState)),
              std::tuple(23, QString("Tarn Drv2"), QString("On Line")));
    ASSERT_TRUE(WaitFor([&] { return !Panel().RequestPending(DriveRequest::Enable); }));
    ASSERT_TRUE(WaitFor([&] { return Records().size() > 8; }));
    for (const sim::ExchangeRecord& r : Records()) {
        EXPECT_EQ(r.address, 3) << "register " << r.firstRegister; // the poll reads unit 3
        EXPECT_NE(r.function, 16) << "register " << r.firstRegister;
    }
    EXPECT_EQ(SimRegister(3, 200), 0);
}

} // namespace
} // namespace kelm::test
