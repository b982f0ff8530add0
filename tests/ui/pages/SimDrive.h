#pragma once

// A drive model on line with one simulated drive, in memory (a RecordedSim): the shipped
// configuration set, a simulator device of the chosen kind answering plain frames at
// address 1, and a log of every register the program writes.

#include "common/RecordedSim.h"
#include "core/config/ConfigurationSet.h"
#include "core/drive/CliDriverHost.h"
#include "core/drive/TDriver.h"
#include "core/drive/status/StatusPoller.h"
#include "core/link/ModbusMaster.h"
#include "core/seams/RecordingMessages.h"
#include "sim/channel/SimChannel.h"
#include "sim/engine/Device.h"
#include "ui/status/FakeStatusLink.h"
#include "ui/widgets/TPNumEdit.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace kelm::test {

// Register writes as (address, signed value).
using Pairs = std::vector<std::pair<int, int>>;

class SimDrive : public RecordedSim {
public:
    // Loads the shipped set and builds the simulated drive (not yet on line).
    explicit SimDrive(DeviceKind kind) {
        const QString install = QStringLiteral(KELM_SOURCE_DIR "/data/");
        engine = std::make_shared<sim::Engine>(sim::FrameVariant::Plain);
        master_ = std::make_unique<ModbusMaster>(std::make_unique<sim::SimChannel>(engine),
                                                 [](std::uint8_t) { return QString("/dev/sim"); });
        driver_ = std::make_unique<TDriver>(host_, *master_);
        ok_ = driver_->Initialize(install, devices_.path() + QStringLiteral("/")) &&
              driver_->Config().LoadAtMainWindowShow(install);
        engine->AddDevice(std::make_unique<sim::Device>(kind, 1, driver_->KindTable(kind)));
        Record([this](const sim::ExchangeRecord& record) {
            if (record.function != 0x10 || !record.answered)
                return;
            std::lock_guard lock(mutex_);
            for (std::uint16_t i = 0; i < record.count; ++i) {
                const auto address = static_cast<std::uint16_t>(record.firstRegister + i);
                const std::uint16_t value = engine->FindDevice(1)->Registers().Get(address);
                writes_.emplace_back(address, static_cast<std::int16_t>(value));
            }
        });
    }
    ~SimDrive() { driver_.reset(); }

    // A drive holding the given registers, on line; fails the test when it cannot be built.
    static std::unique_ptr<SimDrive>
    Connected(DeviceKind kind, std::initializer_list<std::pair<int, int>> registers) {
        auto drive = std::make_unique<SimDrive>(kind);
        EXPECT_TRUE(drive->ok_);
        for (const auto& [address, value] : registers)
            drive->Set(static_cast<std::uint16_t>(address), static_cast<std::uint16_t>(value));
        // Goes on line and reads every register of the table into Value and DriveValue.
        EXPECT_TRUE(drive->master_->OpenPort(1, 19200, false, 0));
        drive->master_->SelectUnit(1);
        drive->driver_->SelectDeviceKind(kind, false);
        drive->driver_->SetOnline(true);
        for (ParamEntry& entry : drive->Table())
            entry.Value = entry.DriveValue = static_cast<std::int16_t>(drive->Get(entry.Address));
        return drive;
    }

    TDriver& Driver() { return *driver_; }
    // The texts of the message boxes shown so far.
    QStringList Said() const { return messages_.Texts(); }
    ParamTable& Table() { return driver_->ActiveTable(); }

    // A register as the drive holds it (before Connect this is what the program reads).
    void Set(std::uint16_t address, std::uint16_t value) { SetSimRegister(1, address, value); }
    std::uint16_t Get(std::uint16_t address) { return SimRegister(1, address); }

    // A minute of status polls (two a second) while the drive's read-only registers move.
    void PollMinute() {
        DriverStatusLink link(*driver_);
        FakePollHost host; // no window open, no button pressed
        StatusPoller poller(link, host);
        for (int cycle = 1; cycle <= 120; ++cycle) {
            for (const ParamEntry& entry : driver_->ActiveTable())
                if (entry.KindLetter == 'N' && entry.Address != 0)
                    Set(entry.Address, static_cast<std::uint16_t>(entry.Address * 3 + cycle));
            poller.Poll();
        }
    }

    Pairs Writes() {
        std::lock_guard lock(mutex_);
        return writes_;
    }
    void ClearWrites() {
        std::lock_guard lock(mutex_);
        writes_.clear();
    }

private:
    RecordingMessages messages_;
    QTemporaryDir devices_;
    CliDriverHost host_; // no driver given: the status poll stays suspended after a cycle
    std::unique_ptr<ModbusMaster> master_;
    std::unique_ptr<TDriver> driver_;
    bool ok_ = false;
    std::mutex mutex_;
    Pairs writes_;
};

// Chooses a list item as the user does.
inline void Choose(QComboBox* list, int index) {
    list->setCurrentIndex(index);
    emit list->activated(index);
}

// A window on a simulated drive, worked through the names of its children as a user would.
template <typename Window> class OnDrive : public ::testing::Test {
protected:
    // A named child of the page; a missing one fails the test.
    template <typename T> T* Find(const char* name) {
        T* found = page->template findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    TPNumEdit* Field(const char* name) { return Find<TPNumEdit>(name); }
    QString Shown(const char* list) { return Find<QComboBox>(list)->currentText(); }
    QString Text(const char* label) { return Find<QLabel>(label)->text(); }
    void Choose(const char* list, int index) { test::Choose(Find<QComboBox>(list), index); }
    void Click(const char* button) { Find<QAbstractButton>(button)->click(); }
    // Types a number over the field's text.
    static void Type(TPNumEdit* field, const QString& number) {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, number);
    }
    void Type(const char* field, const QString& number) { Type(Field(field), number); }
    Pairs Written() { return drive->Writes(); }
    // The table's value of a register (what a write of the changed values would send).
    std::int16_t Value(int address) {
        return drive->Table().FindByAddress(static_cast<std::uint16_t>(address))->Value;
    }
    // The drive model and the page both take the line state.
    void SetOnline(bool online) {
        drive->Driver().SetOnline(online);
        page->SetOnline(online);
    }
    // Presses the button; the writes that reached the drive since it was connected.
    Pairs After(const char* button) {
        Click(button);
        return Written();
    }

    std::unique_ptr<SimDrive> drive;
    std::unique_ptr<Window> page; // goes before the drive it works on
};

} // namespace kelm::test
