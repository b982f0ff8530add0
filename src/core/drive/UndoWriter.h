#pragma once

#include "core/journal/UndoPlan.h"

#include <QString>
#include <QStringList>

namespace kelm {

class TDriver;

// What became of an undo.
struct UndoOutcome {
    bool Ok = false;
    int Written = 0;     // registers that now hold the value written back
    QString Failure;     // why nothing or not everything was written
    QStringList LeftOut; // registers not written back, each with the reason
};

// The registers of plan that cannot be written back as they are: values outside the table's
// limits. Empty when the plan may go.
QStringList UndoProblems(const TDriver& driver, const UndoPlan& plan);

// Writes plan through the drive model's normal path: one request of plan.Action through the
// write gate (so it is one change of its own in the journal), table registers within their
// limits and only where the drive holds another value (read first); the drive's own
// registers and registers outside the table never. Stops the worker first and resumes polling
// after. Nothing is written when the plan is refused, the drive is off line or a value is outside
// its limits.
UndoOutcome WriteUndo(TDriver& driver, const UndoPlan& plan);

} // namespace kelm
