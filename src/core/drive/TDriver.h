#pragma once

#include "core/common/DeviceKind.h"
#include "core/drive/DigitalSpeedReference.h"
#include "core/drive/DriverHost.h"
#include "core/drive/KindRegisters.h"
#include "core/drive/Session.h"
#include "core/drive/TableNotice.h"
#include "core/drive/WorkerMode.h"
#include "core/params/ParamTable.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace kelm {

class ConfigurationSet;
class DriverHost;
class ModbusMaster;
class DriveWorker;
class LineRunner;
class MasterUseCheck;
class TableTransfer;
struct WriteRecord;

// One discovered link port: COM number and unit kind (1 discovered, 3 Tarn Orca 230).
struct LinkPortRecord {
    std::uint8_t ComNumber = 0;
    std::uint8_t UnitKind = 1;
};

// The drive model: owns the parameter tables and configuration lists, and does every
// exchange with the connected drive. A worker thread runs the background activity named by
// its WorkerMode (status poll, link poll, diagnostic, whole-table read or write, capture
// upload); operations started from the user-interface thread stop it with WaitIdle first
// and resume polling with SetMode afterwards.
//
// All public members are called from the user-interface thread, except those marked
// "worker" (meant for step bodies that run on the worker thread).
class TDriver {
public:
    using Callback = std::function<void()>;
    using Body = std::function<void()>;

    // Starts the worker (which suspends at once) and builds ProfileTable and
    // ScopeSettingsTable. Nothing is loaded yet: call Initialize. host and master must
    // outlive the driver.
    TDriver(DriverHost& host, ModbusMaster& master);
    // Brings the worker to rest (processing host events) and joins it.
    ~TDriver();
    TDriver(const TDriver&) = delete;
    TDriver& operator=(const TDriver&) = delete;

    // Start-up loading: creates devicesFolder, loads the four device tables and the
    // auxiliary lists from installFolder + "Bin/" (ConfigurationSet::LoadAtDriverStart),
    // then selects Std. false after a fatal error (already reported,
    // termination requested).
    bool Initialize(const QString& installFolder, const QString& devicesFolder);

    // --- tables and state -------------------------------------------------------------
    ParamTable& ActiveTable() { return activeTable_; }
    const ParamTable& ActiveTable() const { return activeTable_; }
    // The kind tables and every auxiliary list live in the configuration set.
    ConfigurationSet& Config() { return *config_; }
    const ConfigurationSet& Config() const { return *config_; }
    ParamTable& KindTable(DeviceKind kind);
    ParamTable& ProfileTable() { return profileTable_; }
    ParamTable& ScopeSettingsTable() { return scopeSettingsTable_; }
    DeviceKind CurrentKind() const { return currentKind_; }
    // Register addresses of the current kind's command, status and alarm registers.
    KindRegisters Registers() const { return RegistersOf(currentKind_); }

    bool Online() const { return session_.Online(); }
    // The line answers (Connected) or not (LineLost); nothing happens when it stays as it is.
    void SetOnline(bool online) {
        if (online != Online())
            session_.On(online ? SessionEvent::Connected : SessionEvent::LineLost);
    }
    // The connection's state and its transitions (see Session).
    Session& Connection() { return session_; }
    const Session& Connection() const { return session_; }
    WorkerMode Mode() const;

    QString CurrentFileName; // device parameter file last opened or saved; empty at start
    std::vector<LinkPortRecord> LinkPorts; // rebuilt by the port discovery

    ModbusMaster& Master() { return master_; }

    // --- the write gate -------------------------------------------------------------------
    // Every write of WriteReg passes it (see WriteGate). The unit in use is the master's
    // port, frame variant and address with the current kind.
    WriteGate& Gate() { return session_.Gate(); }
    UnitInUse CurrentUnit() const;
    // A request of action asked now, on the unit in use.
    WriteOrigin Ask(const QString& action) const {
        return session_.Gate().Ask(action, CurrentUnit());
    }
    // False when origin was asked before a transition or on another unit.
    bool StillCurrent(const WriteOrigin& origin) const {
        return session_.Gate().Current(origin, CurrentUnit());
    }
    DriverHost& Host() { return host_; }
    // Sees every write that reached the gate, with its outcome (the journal of changes).
    // Runs on the thread that wrote; install it before the worker starts writing.
    void SetWriteRecorder(std::function<void(const WriteRecord&)> recorder) {
        writeRecorder_ = std::move(recorder);
    }
    // While a mark lives, the writes made are the handshake of one command (EEPROM save,
    // defaults, reset, flash, a procedure): their records carry its name, and the journal
    // keeps the command instead of the registers it used.
    class CommandMark {
    public:
        CommandMark(TDriver& driver, const QString& name);
        ~CommandMark();
        CommandMark(const CommandMark&) = delete;
        CommandMark& operator=(const CommandMark&) = delete;

    private:
        TDriver& driver_;
        QString previous_;
    };
    // One more recorder beside the journal's (what is not saved to EEPROM), run after it.
    // Install them before the worker starts writing: the list is not changed afterwards.
    void AddWriteRecorder(std::function<void(const WriteRecord&)> recorder) {
        moreRecorders_.push_back(std::move(recorder));
    }

    // --- what the windows share ---------------------------------------------------------
    // Windows that wrote registers say so here; windows that show them refresh themselves.
    TableNotice& Notice() { return notice_; }
    // The digital speed reference the main page, the digital page and the oscilloscope show.
    DigitalSpeedReference& DigitalSpeed() { return digitalSpeed_; }

    // --- kind selection -----------------------------------------------------------------
    void SelectDeviceKind(DeviceKind kind, bool storeFirst);
    void StoreActiveTable();

    // --- identification (decoders of register 0 of ActiveTable) -----------------------
    int GetModelFamily() const;
    int GetModelSeries() const;
    double GetDriveSize() const;

    // --- transfer wrappers (either thread, under the mode protocol) --------------------
    // Read count registers into buffer; on success copy them to copyTarget if given.
    // A reported failure clears Online and lays the host out. Returns true when the
    // transfer succeeded (off line: false at once, nothing sent). A failure with
    // reportFailure false returns false and leaves Online as it was.
    bool ReadRegs(std::uint16_t address, std::uint16_t* buffer, bool reportFailure,
                  std::uint32_t timeoutMs, std::uint8_t count, std::uint16_t* copyTarget);
    bool WriteReg(std::uint16_t address, std::uint16_t value, bool reportFailure,
                  std::uint32_t timeoutMs, std::uint16_t* echoTarget);
    // The usual conventions for one table entry: read with DriveValue as buffer and
    // Value as copy target (copyToValue), write Value with DriveValue as echo.
    bool ReadEntry(ParamEntry& entry, bool reportFailure, std::uint32_t timeoutMs = 100,
                   bool copyToValue = true);
    bool WriteEntry(ParamEntry& entry, bool reportFailure, std::uint32_t timeoutMs = 100);
    // Looks the address up in ActiveTable (false, nothing sent, when it is missing).
    bool ReadParam(std::uint16_t address, bool reportFailure, std::uint32_t timeoutMs = 100);
    bool WriteParam(std::uint16_t address, std::int16_t value, bool reportFailure,
                    std::uint32_t timeoutMs = 100);

    // --- mode protocol ------------------------------------------------------------------
    // Stops the worker (processing host events meanwhile); returns the previous mode.
    // From inside a synchronized call (a poll body, a progress or done callback) the worker
    // is already waiting, so it only sets Idle and returns at once.
    WorkerMode WaitIdle();
    // Diagnostic and LinkPoll start their activity; any other mode starts the status poll.
    // Off line the worker stays idle.
    void SetMode(WorkerMode mode);
    // Reads the target's table, or runs the capture upload's step body.
    void StartRead(TransferTarget target, Callback onProgress, Callback onDone);
    // Writes ActiveTable for ActiveTable, ProfileTable for any other target.
    void StartWrite(TransferTarget target, Callback onProgress, Callback onDone);
    // The host's pause timer fired.
    void PauseElapsed();

    // Replaceable bodies: the poll body of StatusPoll or LinkPoll runs once per paced cycle, on
    // the user-interface thread inside the worker's synchronized call, or with
    // PollThread::Worker on the worker itself (its serial transfers then leave the
    // user-interface thread free; it reaches windows through RunSynchronized). The step
    // body of Diagnostic or CaptureUpload runs on the worker once per cycle. The start body
    // runs when the mode is entered (SetMode Diagnostic/LinkPoll, StartRead Capture).
    // Install them while the worker is idle; a poll body may also be replaced while polling
    // runs: SetPollBody then waits (processing host events) until a worker poll body in
    // progress has returned. An error raised by a CaptureUpload step shows "Error Nr. 004";
    // any step error restarts polling.
    enum class PollThread { Interface, Worker };
    void SetPollBody(WorkerMode mode, Body body, PollThread thread = PollThread::Interface);
    void SetStepBody(WorkerMode mode, Body body);
    void SetStartBody(WorkerMode mode, Body body);

    // For step bodies (worker): run fn on the user-interface thread; call OnProgress once;
    // end the running transfer (OnDone through the synchronized call, then StatusPoll).
    void RunSynchronized(const Callback& fn);
    void NotifyProgress();
    void FinishTransfer();
    // Start of the last status poll or command wait (0 after SetMode). A poll body may
    // move it back to shorten the pause.
    std::uint32_t TickMark() const { return tickMark_.load(); }
    void SetTickMark(std::uint32_t tick) { tickMark_.store(tick); }
    // Overlapping uses of the master from two threads seen so far (0 when the mode
    // protocol holds; debug builds also assert).
    int MasterConflicts() const;

    // --- table write-back ---------------------------------------------------------------
    bool WriteChangedParams();
    // Writes only the given registers of ActiveTable, in table order, each when its Value
    // differs from its DriveValue (the drive's own registers are never sent back); stops
    // the worker first and resumes polling afterwards. false off line (nothing sent) or when
    // the drive went off line meanwhile.
    bool WriteParams(const std::vector<std::uint16_t>& addresses);
    bool WriteChangedProfiles();
    bool WriteChangedScopeSettings();

    // --- commands -----------------------------------------------------------------------
    // Command bits of the command register.
    static constexpr std::uint16_t CmdReloadEeprom = 0x01;
    static constexpr std::uint16_t CmdSaveEeprom = 0x02;
    static constexpr std::uint16_t CmdLoadDefaults = 0x04;
    static constexpr std::uint16_t CmdSpeedOffset = 0x08;
    static constexpr std::uint16_t CmdSaveProfiles = 0x20;
    static constexpr std::uint16_t CmdLoadProfiles = 0x40;
    static constexpr std::uint16_t CmdReset = 0x80;
    static constexpr std::uint16_t CmdTorqueOffset = 0x100;

    // The caller has stopped the worker already.
    bool ExecCommand(std::uint16_t bits);
    // Closes the given windows, then runs the command; polling resumes after a save or a
    // failure (after a reload or defaults the caller reads the whole table).
    bool EepromCommand(std::uint16_t bits, WindowsToClose windows);
    bool FlashCommand(std::uint16_t bits);
    bool ResetDrive();
    bool ResetAlarms();

    // Runs one use of the master (a transfer, or reopening the port and probing it) alone
    // on the line, whichever thread asks. Asked on another thread than the worker (the
    // user-interface thread, also inside a synchronized call), it runs on lineRunner_ while
    // that thread goes on painting and serving timers (user input waits), so a slow line
    // never freezes the window; on the worker it runs at once.
    bool UseLine(const std::function<bool()>& use);

private:
    void WorkerStep(WorkerMode mode);
    void RunStepBody(WorkerMode mode);
    // The pacing of a poll cycle (user-interface thread); true when a worker poll body is
    // due to run next.
    bool PollCycle();
    void RunWorkerPollBody(WorkerMode mode);
    void GoOffline();
    // After a failed transfer: closes the port, says why (removed or silent), goes off line.
    void ReportFailedTransfer();
    void RunStartBody(WorkerMode mode);
    bool WriteChanged(ParamTable& table, bool stopWhenOffline, int lastAddress);

    DriverHost& host_;
    ModbusMaster& master_;
    std::unique_ptr<ConfigurationSet> config_;
    ParamTable activeTable_;
    ParamTable profileTable_;
    ParamTable scopeSettingsTable_;
    DeviceKind currentKind_ = DeviceKind::Std;
    Session session_;
    TableNotice notice_;
    DigitalSpeedReference digitalSpeed_;
    std::atomic<std::uint32_t> tickMark_{0};
    std::atomic<bool> pauseElapsed_{false};
    std::atomic<int> inSynchronized_{0};
    std::map<WorkerMode, Body> pollBodies_;
    std::map<WorkerMode, PollThread> pollThreads_;
    // Guards the bodies against a change while the worker runs one of them.
    std::mutex pollBodyMutex_;
    bool workerBodyRunning_ = false;
    std::map<WorkerMode, Body> stepBodies_;
    std::map<WorkerMode, Body> startBodies_;
    void Record(const WriteRecord& record) const;
    std::function<void(const WriteRecord&)> writeRecorder_;
    mutable std::mutex commandMutex_; // guards command_ (marked on one thread, read on both)
    QString command_;
    std::vector<std::function<void(const WriteRecord&)>> moreRecorders_;
    std::unique_ptr<MasterUseCheck> masterCheck_;
    std::unique_ptr<TableTransfer> transfer_;
    std::unique_ptr<LineRunner> lineRunner_;
    std::mutex lineMutex_;                // held for the length of one use (UseLine)
    std::unique_ptr<DriveWorker> worker_; // last: stopped first
};

} // namespace kelm
