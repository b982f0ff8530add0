#include "DriveTestSupport.h"

#include "core/drive/procedures/Procedures.h"
#include "core/drive/procedures/TuningWait.h"

namespace kelm::test {
namespace {

using enum TuningProcedure;

TEST(ProcedureFormats, OffsetsAndPhaseValues) {
    const std::vector<std::pair<int, const char*>> millivolts = {
        {100, "30.5 mV"}, {-33, "-10.1 mV"},    {0, "0.0 mV"},
        {1, "0.3 mV"},    {32767, "9999.7 mV"}, {-32768, "-10000.0 mV"}};
    for (const auto& [value, text] : millivolts)
        EXPECT_EQ(FormatMillivolts(static_cast<std::int16_t>(value)), text) << value;
    const std::vector<std::pair<int, const char*>> phases = {
        {1234, "01234"}, {0, "00000"}, {-5, "-00005"}, {-32768, "-32768"}, {32767, "32767"}};
    for (const auto& [value, text] : phases)
        EXPECT_EQ(FormatPhaseValue(static_cast<std::int16_t>(value)), text) << value;
    EXPECT_EQ(ProcedureResultText(TorqueOffset, false, 0), "ANALOG INPUT 2 OFFSET TUNING FAIL !");
}

// A wait driven by the test: before each poll the script plays the drive (one poll stands
// for 200 ms of the drive's time), so nothing waits for real.
class ScriptWaiter final : public ProcedureWaiter {
public:
    std::function<void(int poll, TuningWait& wait)> Script;
    void Run(TuningWait& wait) override {
        for (int poll = 0; !wait.Finished() && poll < 50; ++poll) {
            Script(poll, wait);
            wait.Poll();
        }
    }
};

struct ProcedureCase {
    const char* name;
    DeviceKind kind;
    TuningProcedure procedure;
    std::map<std::uint16_t, std::uint16_t> start; // registers before the run
    int doneAt;                                   // poll at which the drive finishes (-1: never)
    bool staysEnabled;                            // the drive clears the bit but stays enabled
    int cancelAt;                                 // poll at which Cancel is pressed (-1: never)
    int silentAt; // poll from which the control register does not answer (-1: never)
    bool ok;
    Pairs writes;
    QStringList texts; // messages after the run, the result report included
};

class ProceduresTest : public DriveFixture {
protected:
    void Run(const ProcedureCase& c) {
        SCOPED_TRACE(c.name);
        const ProcedureRegisters regs = ProcedureRegistersOf(c.kind);
        std::vector<ParamEntry> entries;
        for (std::uint16_t a :
             {regs.AlarmLow, regs.AlarmHigh, regs.State, regs.Control, regs.EnableRequest,
              regs.DisableRequest, regs.Phase, regs.Offset1, regs.Offset2})
            entries.push_back(MakeEntry(a, 'N'));
        UseTable(c.kind, entries);
        drive->Registers = c.start;
        ProcessOwedDisables().Clear();
        Fresh();
        // The drive: the enable and disable requests switch state bit 0.
        drive->OnWrite = [this, regs](std::uint16_t a) {
            if (auto& state = drive->Registers[regs.State]; a == regs.EnableRequest)
                state |= 1;
            else if (a == regs.DisableRequest)
                state &= static_cast<std::uint16_t>(~1U);
        };
        waiter.Script = [&](int poll, TuningWait& wait) {
            if (poll == c.cancelAt)
                wait.Cancel();
            if (poll == c.silentAt)
                drive->Silent.insert(regs.Control);
            if (poll != c.doneAt)
                return;
            auto& reg = drive->Registers;
            reg[regs.Control] &= static_cast<std::uint16_t>(~wait.Bit());
            reg[regs.Phase] = 1234;
            reg[regs.Offset1] = 100;
            reg[regs.Offset2] = static_cast<std::uint16_t>(-33);
            if (!c.staysEnabled)
                reg[regs.State] &= static_cast<std::uint16_t>(~1U);
        };
        const bool ok = RunProcedure(*driver, c.procedure, waiter, driver->Ask("run"));
        EXPECT_EQ(ok, c.ok);
        EXPECT_EQ(Written(), c.writes);
        EXPECT_EQ(driver->Mode(), driver->Online() ? WorkerMode::StatusPoll : WorkerMode::Idle);
        ReportProcedureResult(*driver, c.procedure, ok);
        EXPECT_EQ(messages.Texts(), c.texts);
    }

    // The drive answers (again), nothing recorded, the port open once more (a lost line
    // closed it).
    void Fresh() {
        drive->Silent.clear();
        drive->ClearRequests();
        messages.Clear();
        if (!master->IsPortOpen())
            master->ReopenPort();
    }

    ScriptWaiter waiter;
};

const QString PhasingOk = QStringLiteral("MOTOR PHASING SUCCESSFUL\r\rPhase Value:01234");
const QString PhasingFail = QStringLiteral("MOTOR PHASING FAIL !");
const QString Alarms = QStringLiteral("Warning\rAllarms Active!");
const QString Enabled = QStringLiteral("Warning\rDrive Enabled!");
const QString MayBeEnabled =
    QStringLiteral("The drive may still be enabled: the disable request could not be written.");
const QString NotWithdrawn =
    QStringLiteral("The drive may still finish the procedure: its request could not be withdrawn.");

// clang-format off
const ProcedureCase StdPhasingOk = {"std success", DeviceKind::Std, MotorPhasing, {}, 2, false, -1, -1,
    true, {{69, 0x10}, {73, 1}, {74, 1}}, {PhasingOk}};
const ProcedureCase LostStdPhasing = {"link lost in the wait", DeviceKind::Std, MotorPhasing, {}, -1,
    false, -1, 1, false, {{69, 0x10}, {73, 1}}, {"Device not Respondig", MayBeEnabled, PhasingFail}};
// clang-format on

TEST_F(ProceduresTest, PhasingAndOffsets) {
    const auto Std = DeviceKind::Std;
    const auto Drive = DeviceKind::Drive;
    // clang-format off
    const std::vector<ProcedureCase> cases = {
        // name, kind, procedure, registers, doneAt, staysEnabled, cancelAt, silentAt, ok,
        // writes, messages
        StdPhasingOk,
        {"std only 51 blocks", Std, MotorPhasing, {{52, 4}, {69, 0x02}}, 0, false, -1, -1, true,
         {{69, 0x12}, {73, 1}, {74, 1}}, {PhasingOk}},
        {"std alarms", Std, MotorPhasing, {{51, 1}}, 0, false, -1, -1, false, {}, {Alarms, PhasingFail}},
        {"std enabled", Std, MotorPhasing, {{65, 1}}, 0, false, -1, -1, false, {}, {Enabled, PhasingFail}},
        {"std cancel withdraws the request", Std, MotorPhasing, {}, -1, false, 0, -1, false,
         {{69, 0x10}, {73, 1}, {74, 1}, {69, 0}}, {PhasingFail}},
        {"drive high alarm word", Drive, MotorPhasing, {{117, 8}}, 0, false, -1, -1, false, {},
         {Alarms, PhasingFail}},
        {"drive success", Drive, MotorPhasing, {}, 3, false, -1, -1, true,
         {{202, 0x10}, {200, 1}, {201, 1}}, {PhasingOk}},
        {"drive stays enabled", Drive, MotorPhasing, {}, 3, true, -1, -1, false,
         {{202, 0x10}, {200, 1}, {201, 1}, {202, 0}}, {PhasingFail}},
        {"drive cancel at once", Drive, MotorPhasing, {{202, 0x40}}, -1, false, 0, -1, false,
         {{202, 0x50}, {200, 1}, {201, 1}, {202, 0x40}}, {PhasingFail}},
        {"std offset 1", Std, SpeedOffset, {}, 4, false, -1, -1, true, {{69, 0x08}},
         {"ANALOG INPUT 1 OFFSET TUNING SUCCESSFUL\r\rOffset Value:30.5 mV"}},
        {"drive offset 2", Drive, TorqueOffset, {}, 1, false, -1, -1, true, {{202, 0x100}},
         {"ANALOG INPUT 2 OFFSET TUNING SUCCESSFUL\r\rOffset Value:-10.1 mV"}},
        {"offset cancel withdraws the request", Drive, SpeedOffset, {{202, 0x40}}, -1, false, 2, -1, false,
         {{202, 0x48}, {202, 0x40}}, {"ANALOG INPUT 1 OFFSET TUNING FAIL !"}},
        LostStdPhasing,
        {"link lost in an offset run", Std, TorqueOffset, {}, -1, false, -1, 1, false, {{69, 0x100}},
         {"Device not Respondig", NotWithdrawn, "ANALOG INPUT 2 OFFSET TUNING FAIL !"}},
    };
    // clang-format on
    for (const ProcedureCase& c : cases)
        Run(c);
}

// A phasing cut off by a lost line owes its unit the disable request and the withdrawn
// request bit: written once, first thing when the line answers again, and only to that unit.
TEST_F(ProceduresTest, WhatALostLineOwesIsWrittenOnceWhenTheUnitAnswersAgain) {
    Run(LostStdPhasing);
    Fresh();
    driver->SetOnline(true);
    master->SelectUnit(2); // another unit: nothing for it
    EXPECT_TRUE(SettleOwedDisable(*driver));
    master->SelectUnit(1);
    EXPECT_TRUE(SettleOwedDisable(*driver) && SettleOwedDisable(*driver)); // written once
    EXPECT_EQ(std::tuple(Written(), messages.Texts()),
              std::tuple(Pairs{{74, 1}, {69, 0}}, QStringList()));

    // Still silent when tried again: said once more, and then no longer owed.
    Run(LostStdPhasing);
    Fresh();
    driver->SetOnline(true);
    drive->Silent.insert(74);
    EXPECT_FALSE(SettleOwedDisable(*driver));
    EXPECT_EQ(messages.Texts(), QStringList({"Device not Respondig", MayBeEnabled}));
    EXPECT_TRUE(ProcessOwedDisables().Empty());
}

// The request goes through the write gate as the user made it: one asked before a change of
// the session writes nothing. A procedure that outlives a change of unit sends its closing
// writes to no other unit; they are owed to its own.
TEST_F(ProceduresTest, ProcedureWritesGoOnlyToTheUnitItWasAskedFor) {
    Run(StdPhasingOk);
    drive->ClearRequests();
    const WriteOrigin stale = driver->Ask(QStringLiteral("Motor Phasing"));
    driver->Gate().Advance();
    EXPECT_FALSE(RunProcedure(*driver, MotorPhasing, waiter, stale));
    EXPECT_EQ(std::tuple(Written(), driver->Gate().DroppedCount()), std::tuple(Pairs{}, 1));

    waiter.Script = [this](int poll, TuningWait& wait) {
        if (poll == 1) {
            master->SelectUnit(2);
            wait.Cancel();
        }
    };
    messages.Clear();
    EXPECT_FALSE(RunProcedure(*driver, MotorPhasing, waiter));
    EXPECT_EQ(std::tuple(Written(), messages.Texts()),
              std::tuple(Pairs{{69, 0x10}, {73, 1}}, QStringList{MayBeEnabled}));
    master->SelectUnit(1);
    EXPECT_TRUE(ProcessOwedDisables().Owed(driver->CurrentUnit()));
}

} // namespace
} // namespace kelm::test
