#include "core/journal/JournalQuery.h"

#include <QStringList>
#include <algorithm>
#include <map>

namespace kelm {

namespace {

bool SameText(const std::optional<QString>& wanted, const QString& value) {
    return !wanted || wanted->compare(value, Qt::CaseInsensitive) == 0;
}

} // namespace

DriveFilter DriveFilter::Of(const QString& port, int address, const QString& kind,
                            const JournalIdentity& identity) {
    return {port, address, kind, identity.Model, identity.Size, identity.Firmware};
}

bool DriveFilter::Matches(const JournalEntry& entry) const {
    return (!Port || *Port == entry.Port) && (!Address || *Address == entry.Address) &&
           SameText(Kind, entry.Kind) && SameText(Model, entry.Identity.Model) &&
           SameText(Size, entry.Identity.Size) && SameText(Firmware, entry.Identity.Firmware);
}

std::optional<DriveFilter> ParseDriveFilter(const QString& text, QString* error) {
    const auto fail = [error](const QString& why) -> std::optional<DriveFilter> {
        if (error != nullptr)
            *error = why;
        return std::nullopt;
    };
    DriveFilter filter;
    for (const QString& part : text.split(u',', Qt::SkipEmptyParts)) {
        const qsizetype equals = part.indexOf(u'=');
        if (equals <= 0)
            return fail(QStringLiteral("\"%1\" is not key=value").arg(part));
        const QString key = part.left(equals).trimmed().toLower();
        const QString value = part.mid(equals + 1).trimmed();
        if (key == QLatin1String("port")) {
            filter.Port = value;
        } else if (key == QLatin1String("address")) {
            bool ok = false;
            const int address = value.toInt(&ok);
            if (!ok || address < 0 || address > 255)
                return fail(QStringLiteral("address takes 0 to 255, not \"%1\"").arg(value));
            filter.Address = address;
        } else if (key == QLatin1String("kind")) {
            filter.Kind = value;
        } else if (key == QLatin1String("model")) {
            filter.Model = value;
        } else if (key == QLatin1String("size")) {
            filter.Size = value;
        } else if (key == QLatin1String("firmware")) {
            filter.Firmware = value;
        } else {
            return fail(QStringLiteral("unknown key \"%1\" (port, address, kind, model, size, "
                                       "firmware)")
                            .arg(key));
        }
    }
    return filter;
}

bool JournalFilter::Matches(const JournalEntry& entry) const {
    if (Since.isValid() && entry.Time < Since)
        return false;
    if (Session && (entry.Program != Session->Program || entry.Time < Session->Start))
        return false;
    return Drive.Matches(entry);
}

std::vector<JournalChange> QueryChanges(const std::vector<JournalEntry>& entries,
                                        const JournalFilter& filter) {
    std::map<std::uint64_t, JournalChange, std::greater<>> changes;
    for (const JournalEntry& entry : entries) {
        if (!filter.Matches(entry))
            continue;
        JournalChange& change = changes[entry.Change];
        change.Number = entry.Change;
        change.Entries.push_back(entry);
    }
    std::vector<JournalChange> out;
    out.reserve(changes.size());
    for (auto& [number, change] : changes)
        out.push_back(std::move(change));
    return out;
}

QDateTime ParseSince(const QString& text) {
    const QString trimmed = text.trimmed();
    if (const QDate date = QDate::fromString(trimmed, Qt::ISODate); date.isValid())
        return date.startOfDay();
    QDateTime time = QDateTime::fromString(trimmed, Qt::ISODateWithMs);
    if (!time.isValid())
        time = QDateTime::fromString(trimmed, Qt::ISODate);
    return time;
}

} // namespace kelm
