#pragma once

#include <QString>
#include <atomic>
#include <functional>

namespace kelm {

struct WriteRecord;

// How many parameter registers were written to the drive's RAM since it last held what its
// EEPROM holds, as far as the program knows: since the last save to or reload from EEPROM,
// or the last read of the whole table. Fed with the drive model's write records on the
// thread that wrote (the worker or the user-interface thread).
class UnsavedChanges {
public:
    enum class Event { SavedToEeprom, LoadedFromEeprom, TableRead };

    // Counts a write that reached the drive and changed one of its settings: a register of
    // the table other than the command register and the drive's own registers.
    void Record(const WriteRecord& record);
    // Each event starts the count again.
    void On(Event event);
    int Count() const { return count_.load(); }

    // Runs after every change of the count, on the thread that changed it. Install it
    // before the worker writes.
    void SetListener(std::function<void()> listener) { listener_ = std::move(listener); }

    // "Not saved to EEPROM (N)", empty at 0.
    static QString StatusText(int count);

private:
    void Changed() const;

    std::atomic<int> count_{0};
    std::function<void()> listener_;
};

} // namespace kelm
