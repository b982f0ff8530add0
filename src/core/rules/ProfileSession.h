#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <functional>

namespace kelm {

class ParamTable;

// What the profile editor decides without its widgets: the header and task values it
// shows, which edits reach the table (a field clamped to its range on showing writes
// nothing unless the user changes it), the 32-bit registers split into their two words,
// and the flash and file sequences. The table is the profiles table; the drive is reached
// only through Link, so the rules are tested without a drive.
class ProfileSession {
public:
    // The task fields, in the order of TaskValues.
    enum class Field { Position, Speed, Acc, Dec, Window, WindowTime, Delay };
    static constexpr int FieldCount = 7;
    using TaskValues = std::array<std::int32_t, FieldCount>;
    using TaskMarks = std::array<bool, FieldCount>;
    enum class Header { FirstTask, PStop, NStop };

    struct Range {
        std::int32_t Min, Max;
    };

    // The drive's side. Every call may run the event loop, so the editor may be gone
    // after it (see Detach).
    struct Link {
        std::function<bool()> Online;
        std::function<bool()> WriteChanged;       // the changed profile registers
        std::function<bool()> SaveToFlash;        // the drive stores its profiles
        std::function<bool()> LoadFromFlash;      // the drive takes its stored profiles back
        std::function<void(bool write)> Transfer; // the whole profile table, read or written
    };

    // How a sequence ended, for what the editor does next.
    enum class Outcome {
        Done,    // show the table again
        Refused, // the user declined, or the request was not valid: nothing happened
        Failed,  // the drive did not take it and is still on line
        Offline, // the drive went off line: the editor goes
        Closed,  // the editor went away meanwhile: nothing more
    };

    // What a task shows. The speed field's maximum is the maximum position speed unless
    // the stored speed is over it; then it is that speed, so the field can show it.
    struct TaskView {
        TaskValues Values{};
        int Successor = 0; // index in the successor list, 0 "None"
        std::int32_t SpeedMax = 0;
        bool SpeedOverMax = false;
    };

    ProfileSession(ParamTable& profiles, Link link);

    // The editor went away: a running sequence stops after its current step.
    void Detach();
    // Called when a sequence changed the table under the fields (before its last message).
    void SetShowAgain(std::function<void()> showAgain) { showAgain_ = std::move(showAgain); }

    // The speed limit of the active table (register 31) gives the maximum position speed.
    void SetSpeedLimit(std::int16_t storedLimit);
    int MaxSpeed() const { return maxSpeed_; }
    // A field's range; the speed's is the widest it may get.
    static Range RangeOf(Field field);
    static Range RangeOf(Header field);
    int ShownTask() const { return shownTask_; }

    std::int32_t HeaderValue(Header field) const;
    // Red while the table holds a value the drive does not (either word of a 32-bit one).
    bool HeaderMarked(Header field) const;
    // A header field left with `shown`: the same number writes nothing (Done, to show it
    // unmarked again); another is stored and the changed registers are written.
    Outcome CommitHeader(Header field, std::int32_t shown);

    // Shows task 0..31: its values within the fields' ranges, remembered as loaded. A
    // stored successor out of range becomes "None" in the table.
    TaskView LoadTask(int task);
    // Puts the fields the user changed since loading into the table, and the successor.
    void StoreTask(const TaskValues& shown, int successor);
    TaskMarks Marks() const;
    bool SuccessorMarked() const;
    std::int16_t StoredSpeed() const;
    // The shown task's stored speed is over the maximum: says so, with both numbers.
    void ReportSpeedOverMax() const;

    // Apply: refused (with its message) when the task names itself as successor;
    // otherwise stores the fields and writes the changed registers.
    Outcome Apply(const TaskValues& shown, int successor);
    // Every edit of the table is dropped: Value back to DriveValue.
    void Cancel();
    Outcome SaveToFlash();
    // The drive takes its stored profiles back, which are then read into the table.
    Outcome LoadFromFlash();
    // The file's name ends in the profiles extension (any case).
    static bool HasProfilesExtension(const QString& path);
    // A profiles file into the table and, on line, to the drive. Refused for another
    // extension (reported) or a file that could not be read (reported by the reader).
    Outcome OpenFile(const QString& path);
    // The file holds what the fields show, applied or not.
    bool SaveFile(const QString& path, const TaskValues& shown, int successor);

private:
    std::int16_t& Value(int address) const;
    bool Differs(int address) const;
    Outcome AfterFailure() const;
    void ShowAgain();

    ParamTable& table_;
    Link link_;
    std::function<void()> showAgain_;
    bool detached_ = false;
    int shownTask_ = 0;
    int maxSpeed_ = 0;
    TaskValues loaded_{};
    bool taskLoaded_ = false;
    mutable std::int16_t scratch_ = 0; // stands in for a register the table lacks
};

} // namespace kelm
