#pragma once

#include "core/common/DeviceKind.h"
#include "core/drive/WriteJournal.h"

namespace kelm {

class ParamTable;

// The drive as the journal names it: model, size and firmware as the General Settings
// page shows them, from the table read at connection (empty where the kind has none).
JournalIdentity IdentityOf(DeviceKind kind, const ParamTable& table);

// The journal's context for a write on unit: the user level, the port, the unit's kind and
// its identity as read at connection (kept by the caller, not decoded per write).
JournalContext JournalContextOf(const UnitInUse& unit, const JournalIdentity& identity,
                                const QString& userLevel, const QString& port);

// The user's journal file: journal.jsonl in the user's data folder.
QString JournalPath();

} // namespace kelm
