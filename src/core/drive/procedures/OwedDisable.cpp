#include "core/drive/procedures/OwedDisable.h"

#include "core/drive/TDriver.h"
#include "core/drive/procedures/Procedures.h"
#include "core/seams/Messages.h"

#include <algorithm>

namespace kelm {

QString OwedDisableText(const OwedDisable& owed) {
    if (owed.ZeroRegister != 0)
        return QStringLiteral(
            "The motor may still turn: the speed reference could not be set back to 0.");
    if (owed.DisableRequest != 0)
        return QStringLiteral(
            "The drive may still be enabled: the disable request could not be written.");
    return QStringLiteral(
        "The drive may still finish the procedure: its request could not be withdrawn.");
}

void OwedDisables::Add(const OwedDisable& owed) {
    const std::lock_guard lock(mutex_);
    std::erase_if(owed_, [&owed](const OwedDisable& o) { return o.Unit == owed.Unit; });
    owed_.push_back(owed);
}

std::optional<OwedDisable> OwedDisables::Take(const UnitInUse& unit) {
    const std::lock_guard lock(mutex_);
    const auto it = std::find_if(owed_.begin(), owed_.end(),
                                 [&unit](const OwedDisable& o) { return o.Unit == unit; });
    if (it == owed_.end())
        return std::nullopt;
    OwedDisable taken = *it;
    owed_.erase(it);
    return taken;
}

bool OwedDisables::Owed(const UnitInUse& unit) const {
    const std::lock_guard lock(mutex_);
    return std::any_of(owed_.begin(), owed_.end(),
                       [&unit](const OwedDisable& o) { return o.Unit == unit; });
}

bool OwedDisables::Empty() const {
    const std::lock_guard lock(mutex_);
    return owed_.empty();
}

void OwedDisables::Clear() {
    const std::lock_guard lock(mutex_);
    owed_.clear();
}

OwedDisables& ProcessOwedDisables() {
    static OwedDisables owed;
    return owed;
}

std::optional<OwedDisable> WriteClosingRequests(TDriver& driver, const OwedDisable& closing,
                                                bool withdrawAlways) {
    if (!driver.Online() || driver.CurrentUnit() != closing.Unit)
        return closing;
    // A safety write for the unit the procedure ran on: asked now, whatever happened to the
    // session since the procedure started.
    const WriteGate::Scope scope(driver.Gate(), driver.Ask(closing.Action));
    if (closing.DisableRequest != 0 &&
        !driver.WriteReg(closing.DisableRequest, 1, true, 100, nullptr))
        return closing;
    if (closing.ZeroRegister != 0) {
        ParamEntry* entry = driver.ActiveTable().FindByAddress(closing.ZeroRegister);
        if (entry != nullptr)
            entry->Value = 0;
        if (!(entry != nullptr ? driver.WriteEntry(*entry, true)
                               : driver.WriteReg(closing.ZeroRegister, 0, true, 100, nullptr)))
            return closing;
    }
    if (closing.Bit == 0)
        return std::nullopt;
    OwedDisable withdrawal = closing;
    withdrawal.DisableRequest = 0;
    std::uint16_t word = 0;
    const bool read = ReadProcedureRegister(driver, closing.Control, word);
    if (!read && (!withdrawAlways || !driver.Online()))
        return withdrawal;
    if (!withdrawAlways && (word & closing.Bit) == 0)
        return std::nullopt;
    if (!driver.WriteReg(closing.Control, static_cast<std::uint16_t>(word & ~closing.Bit), true,
                         100, nullptr))
        return withdrawal;
    return std::nullopt;
}

bool SettleOwedDisable(TDriver& driver, OwedDisables& owed) {
    if (!driver.Online())
        return !owed.Owed(driver.CurrentUnit());
    const auto what = owed.Take(driver.CurrentUnit());
    if (!what)
        return true;
    const WorkerMode previous = driver.WaitIdle();
    const auto left = WriteClosingRequests(driver, *what, false);
    if (left)
        ShowError(OwedDisableText(*left));
    if (previous == WorkerMode::StatusPoll || previous == WorkerMode::LinkPoll ||
        previous == WorkerMode::Diagnostic)
        driver.SetMode(previous);
    return !left;
}

} // namespace kelm
