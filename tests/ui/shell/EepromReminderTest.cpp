#include "ShellFixture.h"

#include "core/drive/KindRegisters.h"

namespace kelm::test {
namespace {

class EepromReminderTest : public ShellFixture {
protected:
    // Writes a new value of register 12, as a page does.
    void WriteSetting() {
        ParamEntry* entry = window_->Driver().ActiveTable().FindByAddress(12);
        entry->Value = static_cast<std::int16_t>(entry->DriveValue + 1);
        ASSERT_TRUE(window_->Driver().WriteParams({12}));
    }
    bool Shows(const QString& text) {
        return WaitFor([&] { return window_->UnsavedText() == text; }, 5000);
    }
    int SaveCommands() {
        int count = 0;
        for (const sim::ExchangeRecord& r : Records())
            count += (r.function == 6 || r.function == 16) &&
                     r.firstRegister == RegistersOf(DeviceKind::Std).Command;
        return count;
    }
};

// The status bar counts the writes (from the worker's thread too) and clears at a table read.
TEST_F(EepromReminderTest, StatusBarFollowsWritesAndTableRead) {
    Build();
    GoOnline();
    EXPECT_TRUE(window_->UnsavedText().isEmpty());
    WriteSetting();
    WriteSetting();
    EXPECT_TRUE(Shows("Not saved to EEPROM (2)"));
    window_->ReloadFromDrive();
    EXPECT_TRUE(Shows(QString()));
}

// Select Drive and closing ask first: Cancel stays, No goes on unsaved, Yes saves and goes on.
TEST_F(EepromReminderTest, SelectDriveAndCloseAskToSaveFirst) {
    Build();
    GoOnline();
    WriteSetting();
    const int selections = Executed("kelm::TFSelectDriver");
    ClearRecords();
    messages_.ScriptChoices({MessageAnswer::Cancel, MessageAnswer::No});
    window_->Run(Command::SelectDrive);
    EXPECT_EQ(Executed("kelm::TFSelectDriver"), selections);
    SelectWith(EnterNumber(QStringLiteral("1")));
    EXPECT_EQ(std::tuple(Executed("kelm::TFSelectDriver"), SaveCommands()),
              std::tuple(selections + 1, 0));
    WriteSetting();
    bool shutDown = false;
    QObject::connect(window_.get(), &TFPrincipale::ShutDown, [&] { shutDown = true; });
    messages_.ScriptChoices({MessageAnswer::Cancel, MessageAnswer::Yes});
    window_->close();
    EXPECT_TRUE(!shutDown && window_->Driver().Online() && SaveCommands() == 0);
    window_->close();
    EXPECT_TRUE(shutDown && SaveCommands() == 1);
}

} // namespace
} // namespace kelm::test
