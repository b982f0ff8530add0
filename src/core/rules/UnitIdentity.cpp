#include "core/rules/UnitIdentity.h"

#include "core/common/KindDescriptor.h"
#include "core/rules/GenInfoModel.h"
#include "core/settings/UserDataFolder.h"

namespace kelm {

JournalIdentity IdentityOf(DeviceKind kind, const ParamTable& table) {
    const GenInfoTexts texts = GenInfoTextsFor(kind, table);
    return {texts.Model.trimmed(), texts.Size.trimmed(), texts.Firmware.trimmed()};
}

JournalContext JournalContextOf(const UnitInUse& unit, const JournalIdentity& identity,
                                const QString& userLevel, const QString& port) {
    return {userLevel, port, QString::fromLatin1(Describe(unit.Kind).Text), identity};
}

QString JournalPath() {
    return UserDataFolder() + QStringLiteral("journal.jsonl");
}

} // namespace kelm
