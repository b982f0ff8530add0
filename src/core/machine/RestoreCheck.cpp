#include "core/machine/RestoreCheck.h"

#include "core/common/KindDescriptor.h"

#include <QDir>

namespace kelm {
namespace {

QString KindText(DeviceKind kind) {
    return QString::fromLatin1(Describe(kind).Text);
}

const FoundUnit* FindFound(const std::vector<FoundUnit>& link, std::uint8_t address) {
    for (const FoundUnit& unit : link)
        if (unit.Address == address)
            return &unit;
    return nullptr;
}

void CheckFile(const QString& folder, std::uint8_t address, const MachineFile& file,
               QStringList& refusals) {
    if (!file.IsSet())
        return;
    const QString sum = FileSha256(QDir(folder).filePath(file.Name));
    if (sum.isEmpty())
        refusals << QStringLiteral("unit %1: %2 cannot be read").arg(address).arg(file.Name);
    else if (sum.compare(file.Sha256, Qt::CaseInsensitive) != 0)
        refusals << QStringLiteral("unit %1: %2 has changed since the backup (SHA-256 differs)")
                        .arg(address)
                        .arg(file.Name);
}

} // namespace

void CheckLinkAgainstManifest(const MachineManifest& manifest, const std::vector<FoundUnit>& link,
                              RestoreVerdict& verdict) {
    for (const MachineUnit& saved : manifest.Units) {
        const FoundUnit* found = FindFound(link, saved.Address);
        const bool answers = found != nullptr && found->Answering;
        if (saved.Missing) {
            if (answers)
                verdict.Refusals << QStringLiteral("unit %1: answers now, but the backup has "
                                                   "no file for it (it did not answer then)")
                                        .arg(saved.Address);
            continue;
        }
        if (!answers) {
            verdict.Refusals << QStringLiteral("unit %1 (%2): missing, it does not answer")
                                    .arg(saved.Address)
                                    .arg(KindText(saved.Kind));
        } else if (found->Kind != saved.Kind) {
            verdict.Refusals << QStringLiteral("unit %1: is a %2, the backup holds a %3")
                                    .arg(saved.Address)
                                    .arg(KindText(found->Kind), KindText(saved.Kind));
        } else if (found->Identity != saved.Identity) {
            verdict.Forcible << QStringLiteral("unit %1 (%2): replaced: now %3, the backup "
                                               "has %4")
                                    .arg(saved.Address)
                                    .arg(KindText(saved.Kind), found->Identity.Text(),
                                         saved.Identity.Text());
        }
    }
    for (const FoundUnit& found : link)
        if (found.Answering && manifest.Find(found.Address) == nullptr)
            verdict.Refusals << QStringLiteral("unit %1 (%2): extra, the backup has no such unit")
                                    .arg(found.Address)
                                    .arg(KindText(found.Kind));
}

void CheckManifestFiles(const MachineManifest& manifest, const QString& folder,
                        RestoreVerdict& verdict) {
    for (const MachineUnit& unit : manifest.Units) {
        if (unit.Missing)
            continue;
        CheckFile(folder, unit.Address, unit.Parameters, verdict.Refusals);
        CheckFile(folder, unit.Address, unit.Profiles, verdict.Refusals);
    }
}

} // namespace kelm
