#include "core/rules/ProfileSession.h"

#include "core/files/ProfilesFile.h"
#include "core/params/ParamTable.h"
#include "core/rules/FieldBinding.h"
#include "core/rules/ProfileRules.h"
#include "core/seams/Messages.h"

#include <QFileInfo>
#include <algorithm>
#include <limits>

namespace kelm {

using namespace profile;

namespace {

constexpr std::int32_t WideMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t WideMax = std::numeric_limits<std::int32_t>::max();

// Each task field's register offset, in the order of ProfileSession::Field.
constexpr std::array<int, ProfileSession::FieldCount> FieldOffsets{
    Offset::Position, Offset::Speed,      Offset::Acc,  Offset::Dec,
    Offset::Window,   Offset::WindowTime, Offset::Delay};

bool IsWide(ProfileSession::Field field) {
    return field == ProfileSession::Field::Position || field == ProfileSession::Field::Window;
}

std::uint16_t HeaderAddress(ProfileSession::Header field) {
    switch (field) {
    case ProfileSession::Header::FirstTask:
        return FirstTaskRegister;
    case ProfileSession::Header::PStop:
        return PStopRegister;
    case ProfileSession::Header::NStop:
        return NStopRegister;
    }
    return FirstTaskRegister;
}

std::size_t Slot(ProfileSession::Field field) {
    return static_cast<std::size_t>(field);
}

} // namespace

ProfileSession::ProfileSession(ParamTable& profiles, Link link)
    : table_(profiles), link_(std::move(link)) {}

void ProfileSession::Detach() {
    detached_ = true;
    showAgain_ = {};
}

void ProfileSession::SetSpeedLimit(std::int16_t storedLimit) {
    maxSpeed_ = MaxPositionSpeed(storedLimit);
}

ProfileSession::Range ProfileSession::RangeOf(Field field) {
    switch (field) {
    case Field::Speed:
        return {SpeedMin, MaxSpeedCeiling};
    case Field::Acc:
    case Field::Dec:
        return {RampMin, RampMax};
    case Field::WindowTime:
    case Field::Delay:
        return {0, 65535};
    case Field::Position:
    case Field::Window:
        break;
    }
    return {WideMin, WideMax};
}

ProfileSession::Range ProfileSession::RangeOf(Header field) {
    return field == Header::FirstTask ? Range{0, TaskCount} : Range{WideMin, WideMax};
}

// A register the table lacks reads and writes a scratch word, never the table.
std::int16_t& ProfileSession::Value(int address) const {
    ParamEntry* entry = table_.FindByAddress(static_cast<std::uint16_t>(address));
    if (entry != nullptr)
        return entry->Value;
    scratch_ = 0;
    return scratch_;
}

bool ProfileSession::Differs(int address) const {
    const ParamEntry* entry = table_.FindByAddress(static_cast<std::uint16_t>(address));
    return entry != nullptr && entry->Value != entry->DriveValue;
}

ProfileSession::Outcome ProfileSession::AfterFailure() const {
    if (detached_)
        return Outcome::Closed;
    return link_.Online() ? Outcome::Failed : Outcome::Offline;
}

void ProfileSession::ShowAgain() {
    if (showAgain_)
        showAgain_();
}

// --- header --------------------------------------------------------------------------------

std::int32_t ProfileSession::HeaderValue(Header field) const {
    const int a = HeaderAddress(field);
    if (field == Header::FirstTask)
        return Value(a);
    return JoinWords(Value(a), Value(a + 1));
}

bool ProfileSession::HeaderMarked(Header field) const {
    const int a = HeaderAddress(field);
    return Differs(a) || (field != Header::FirstTask && Differs(a + 1));
}

ProfileSession::Outcome ProfileSession::CommitHeader(Header field, std::int32_t shown) {
    if (shown == HeaderValue(field))
        return Outcome::Done; // typed back to the stored value: normal colour again
    const int a = HeaderAddress(field);
    if (field == Header::FirstTask) {
        Value(a) = static_cast<std::int16_t>(shown);
    } else {
        Value(a) = HighWordOf(shown);
        Value(a + 1) = LowWordOf(shown);
    }
    return link_.WriteChanged() ? (detached_ ? Outcome::Closed : Outcome::Done) : AfterFailure();
}

// --- the shown task ------------------------------------------------------------------------

ProfileSession::TaskView ProfileSession::LoadTask(int task) {
    shownTask_ = std::clamp(task, 0, TaskCount - 1);
    const int base = TaskBase(shownTask_);
    TaskView view;
    const std::int16_t speed = Value(base + Offset::Speed);
    view.SpeedOverMax = profile::SpeedOverMax(speed, maxSpeed_);
    view.SpeedMax = view.SpeedOverMax ? speed : maxSpeed_;
    for (int i = 0; i < FieldCount; ++i) {
        const auto field = static_cast<Field>(i);
        const int a = base + FieldOffsets[Slot(field)];
        Range range = RangeOf(field);
        if (field == Field::Speed)
            range.Max = view.SpeedMax;
        const std::int32_t stored =
            IsWide(field) ? JoinWords(Value(a), Value(a + 1)) : ShownValue(Value(a), range.Max);
        // The field shows the stored number within its range (an empty range shows its max).
        view.Values[Slot(field)] = std::min(std::max(stored, range.Min), range.Max);
    }
    std::int16_t& next = Value(base + Offset::Next);
    next = static_cast<std::int16_t>(SuccessorIndex(next));
    view.Successor = next;
    loaded_ = view.Values;
    taskLoaded_ = true;
    return view;
}

void ProfileSession::StoreTask(const TaskValues& shown, int successor) {
    const int base = TaskBase(shownTask_);
    for (int i = 0; i < FieldCount; ++i) {
        const auto field = static_cast<Field>(i);
        const std::int32_t number = shown[Slot(field)];
        if (taskLoaded_ && number == loaded_[Slot(field)])
            continue;
        const int a = base + FieldOffsets[Slot(field)];
        if (IsWide(field)) {
            Value(a) = HighWordOf(number);
            Value(a + 1) = LowWordOf(number);
        } else {
            Value(a) = static_cast<std::int16_t>(number);
        }
    }
    Value(base + Offset::Next) = static_cast<std::int16_t>(successor);
}

ProfileSession::TaskMarks ProfileSession::Marks() const {
    const int base = TaskBase(shownTask_);
    TaskMarks marks{};
    for (int i = 0; i < FieldCount; ++i) {
        const auto field = static_cast<Field>(i);
        const int a = base + FieldOffsets[Slot(field)];
        marks[Slot(field)] = Differs(a) || (IsWide(field) && Differs(a + 1));
    }
    return marks;
}

bool ProfileSession::SuccessorMarked() const {
    return Differs(TaskBase(shownTask_) + Offset::Next);
}

std::int16_t ProfileSession::StoredSpeed() const {
    return Value(TaskBase(shownTask_) + Offset::Speed);
}

void ProfileSession::ReportSpeedOverMax() const {
    ShowError(QStringLiteral("Speed Value Over Max Speed !\rSpeed = ") +
              QString::number(StoredSpeed()) + QStringLiteral("\rMax Position Speed = ") +
              QString::number(maxSpeed_));
}

// --- sequences -----------------------------------------------------------------------------

ProfileSession::Outcome ProfileSession::Apply(const TaskValues& shown, int successor) {
    if (IsProfileLoop(shownTask_, successor)) {
        ShowError(QStringLiteral("Profile Loop!\r\nApply Aborted"));
        return Outcome::Refused;
    }
    StoreTask(shown, successor);
    return link_.WriteChanged() ? (detached_ ? Outcome::Closed : Outcome::Done) : AfterFailure();
}

void ProfileSession::Cancel() {
    table_.CopyColumn(Column::Value, Column::DriveValue);
}

ProfileSession::Outcome ProfileSession::SaveToFlash() {
    if (!AskConfirm(QStringLiteral("Save Actual Profiles Data To Flash?")))
        return Outcome::Refused;
    if (!link_.SaveToFlash())
        return AfterFailure();
    if (detached_)
        return Outcome::Closed;
    ShowInfo(QStringLiteral("Profiles Saved !"));
    return Outcome::Done;
}

ProfileSession::Outcome ProfileSession::LoadFromFlash() {
    if (!AskConfirm(QStringLiteral("Load Profiles Data From Flash?")))
        return Outcome::Refused;
    if (!link_.LoadFromFlash())
        return AfterFailure();
    if (detached_)
        return Outcome::Closed;
    ShowInfo(QStringLiteral("Profiles Loaded !                \rNow Read Data"));
    link_.Transfer(false);
    if (detached_)
        return Outcome::Closed;
    table_.CopyColumn(Column::FileValue, Column::Value);
    table_.CopyColumn(Column::DriveValue, Column::Value);
    ShowAgain();
    if (!link_.Online())
        return Outcome::Offline;
    ShowInfo(QStringLiteral("Profiles Data Loaded !"));
    return Outcome::Done;
}

bool ProfileSession::HasProfilesExtension(const QString& path) {
    return QLatin1Char('.') + QFileInfo(path).suffix().toLower() ==
           QLatin1String(ProfilesFileExtension);
}

ProfileSession::Outcome ProfileSession::OpenFile(const QString& path) {
    if (!HasProfilesExtension(path)) {
        ShowDifferentExtensions(path);
        return Outcome::Refused;
    }
    // A file that could not be read (already reported) changes nothing and sends nothing.
    if (!OpenProfilesFile(table_, path))
        return Outcome::Refused;
    if (link_.Online()) {
        link_.Transfer(true);
        if (detached_)
            return Outcome::Closed;
        table_.CopyColumn(Column::DriveValue, Column::Value);
    }
    if (!link_.Online())
        return Outcome::Offline;
    ShowAgain();
    return Outcome::Done;
}

bool ProfileSession::SaveFile(const QString& path, const TaskValues& shown, int successor) {
    StoreTask(shown, successor);
    return SaveProfilesFile(table_, path);
}

} // namespace kelm
