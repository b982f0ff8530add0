#pragma once

#include "core/machine/MachineManifest.h"

#include <QStringList>
#include <vector>

namespace kelm {

// A unit of the link as the restore found it before writing anything.
struct FoundUnit {
    std::uint8_t Address = 0;
    DeviceKind Kind = DeviceKind::Drive;
    bool Answering = false;
    MachineIdentity Identity; // read only from an answering unit
};

// What the checks before a machine restore found. Refusals stop it whatever the user says;
// Forcible lines (a replaced unit of the same kind, values outside their limits) are named
// and pass only with force. Nothing is written unless Allowed.
struct RestoreVerdict {
    QStringList Refusals;
    QStringList Forcible;
    bool Allowed(bool force) const { return Refusals.isEmpty() && (force || Forcible.isEmpty()); }
};

// The link against the backup: every unit of the backup answers at its address with its
// kind and identity, and no other unit answers. A unit the backup found missing has
// nothing to restore: it must not answer now either.
void CheckLinkAgainstManifest(const MachineManifest& manifest, const std::vector<FoundUnit>& link,
                              RestoreVerdict& verdict);

// Every file the backup names exists in folder with its recorded SHA-256.
void CheckManifestFiles(const MachineManifest& manifest, const QString& folder,
                        RestoreVerdict& verdict);

} // namespace kelm
