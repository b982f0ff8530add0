#pragma once

#include "core/common/DeviceKind.h"
#include "core/drive/WriteJournal.h"

namespace kelm {

class ParamTable;
class TDriver;

// The drive as the journal names it: model, size and firmware as the General Settings
// page shows them, from the table read at connection (empty where the kind has none).
JournalIdentity IdentityOf(DeviceKind kind, const ParamTable& table);

// The journal's context for a write on unit: the user level, the port and the unit's kind
// and identity from the drive model.
JournalContext JournalContextOf(const TDriver& driver, const UnitInUse& unit,
                                const QString& userLevel, const QString& port);

// The user's journal file: journal.jsonl in the user's data folder.
QString JournalPath();

} // namespace kelm
