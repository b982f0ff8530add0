#include "core/drive/UnsavedChanges.h"

#include "core/drive/DriveOwnedRegisters.h"
#include "core/drive/KindRegisters.h"
#include "core/drive/WriteJournal.h"

namespace kelm {

void UnsavedChanges::Record(const WriteRecord& record) {
    // Outside the table are working registers (the recorder's, capture control); the
    // command register starts operations, it holds no setting.
    if (record.Result != JournalResult::Written || record.Name.isEmpty())
        return;
    const DeviceKind kind = record.Gate.Target.Kind;
    const std::uint16_t address = record.Gate.Address;
    if (address == RegistersOf(kind).Command || IsDriveOwned(kind, address))
        return;
    ++count_;
    Changed();
}

void UnsavedChanges::On(Event) {
    if (count_.exchange(0) != 0)
        Changed();
}

QString UnsavedChanges::StatusText(int count) {
    return count > 0 ? QStringLiteral("Not saved to EEPROM (%1)").arg(count) : QString();
}

void UnsavedChanges::Changed() const {
    if (listener_)
        listener_();
}

} // namespace kelm
