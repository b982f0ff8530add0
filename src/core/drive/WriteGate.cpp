#include "core/drive/WriteGate.h"

#include <QDebug>

namespace kelm {

WriteGate::Scope::Scope(WriteGate& gate, WriteOrigin origin) : gate_(gate) {
    const std::lock_guard lock(gate_.mutex_);
    previous_ = gate_.scope_;
    gate_.scope_ = std::move(origin);
}

WriteGate::Scope::~Scope() {
    const std::lock_guard lock(gate_.mutex_);
    gate_.scope_ = previous_;
}

QString WriteGate::DroppedNote(const QString& action) {
    return QStringLiteral("Not written: \"%1\" was asked before the connection changed.")
        .arg(action.isEmpty() ? QStringLiteral("a request") : action);
}

bool WriteGate::Current(const WriteOrigin& origin, const UnitInUse& target) const {
    return !origin.IsSet() || (origin.Generation == Generation() && origin.Unit == target);
}

bool WriteGate::Admit(const UnitInUse& target, std::uint16_t address, std::uint16_t value,
                      GateRecord* seen) {
    GateRecord record;
    NoteSink sink;
    Observer observer;
    QString note;
    {
        const std::lock_guard lock(mutex_);
        record.Origin = scope_.IsSet() ? scope_ : Ask(QString(), target);
        record.Target = target;
        record.Address = address;
        record.Value = value;
        record.Admitted = Current(scope_, target);
        observer = observer_;
        if (!record.Admitted) {
            ++dropped_;
            // One note per stale request, not one per register it would have written.
            if (lastNotedGeneration_ != scope_.Generation || lastNotedAction_ != scope_.Action) {
                lastNotedGeneration_ = scope_.Generation;
                lastNotedAction_ = scope_.Action;
                note = DroppedNote(scope_.Action);
                sink = noteSink_;
            }
        }
    }
    if (observer)
        observer(record);
    if (seen != nullptr)
        *seen = record;
    if (!note.isEmpty()) {
        if (sink)
            sink(note);
        else
            qWarning().noquote() << note;
    }
    return record.Admitted;
}

void WriteGate::SetObserver(Observer observer) {
    const std::lock_guard lock(mutex_);
    observer_ = std::move(observer);
}

void WriteGate::SetNoteSink(NoteSink sink) {
    const std::lock_guard lock(mutex_);
    noteSink_ = std::move(sink);
}

} // namespace kelm
