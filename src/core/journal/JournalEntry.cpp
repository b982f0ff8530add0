#include "core/journal/JournalEntry.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <array>
#include <utility>

namespace kelm {

namespace {

constexpr std::array<std::pair<JournalResult, const char*>, 3> ResultNames{{
    {JournalResult::Written, "written"},
    {JournalResult::Refused, "refused"},
    {JournalResult::Failed, "failed"},
}};

std::optional<JournalResult> ResultFromName(const QString& name) {
    for (const auto& [result, text] : ResultNames)
        if (name == QLatin1String(text))
            return result;
    return std::nullopt;
}

} // namespace

QString ResultName(JournalResult result) {
    for (const auto& [value, text] : ResultNames)
        if (value == result)
            return QString::fromLatin1(text);
    return {};
}

QByteArray ToJsonLine(const JournalEntry& entry) {
    QJsonObject json{
        {QStringLiteral("time"), entry.Time.toString(Qt::ISODateWithMs)},
        {QStringLiteral("program"), entry.Program},
        {QStringLiteral("level"), entry.UserLevel},
        {QStringLiteral("port"), entry.Port},
        {QStringLiteral("address"), entry.Address},
        {QStringLiteral("kind"), entry.Kind},
        {QStringLiteral("action"), entry.Action},
        {QStringLiteral("result"), ResultName(entry.Result)},
        {QStringLiteral("change"), static_cast<qint64>(entry.Change)},
    };
    const auto putText = [&json](const char* key, const QString& value) {
        if (!value.isEmpty())
            json.insert(QLatin1String(key), value);
    };
    putText("model", entry.Identity.Model);
    putText("size", entry.Identity.Size);
    putText("firmware", entry.Identity.Firmware);
    putText("name", entry.Name);
    putText("command", entry.Command);
    if (entry.Register)
        json.insert(QStringLiteral("register"), *entry.Register);
    if (entry.OldValue)
        json.insert(QStringLiteral("old"), *entry.OldValue);
    if (entry.NewValue)
        json.insert(QStringLiteral("new"), *entry.NewValue);
    return QJsonDocument(json).toJson(QJsonDocument::Compact) + '\n';
}

std::optional<JournalEntry> FromJsonLine(const QByteArray& line) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line.trimmed(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject json = document.object();
    JournalEntry entry;
    entry.Time =
        QDateTime::fromString(json.value(QStringLiteral("time")).toString(), Qt::ISODateWithMs);
    const auto result = ResultFromName(json.value(QStringLiteral("result")).toString());
    const qint64 change = json.value(QStringLiteral("change")).toInteger(-1);
    if (!entry.Time.isValid() || !result || change <= 0)
        return std::nullopt;
    entry.Result = *result;
    entry.Change = static_cast<std::uint64_t>(change);
    const auto text = [&json](const char* key) {
        return json.value(QLatin1String(key)).toString();
    };
    entry.Program = text("program");
    entry.UserLevel = text("level");
    entry.Port = text("port");
    entry.Address = json.value(QStringLiteral("address")).toInt();
    entry.Kind = text("kind");
    entry.Identity = {text("model"), text("size"), text("firmware")};
    entry.Name = text("name");
    entry.Command = text("command");
    entry.Action = text("action");
    const auto number = [&json](const char* key) -> std::optional<int> {
        const QJsonValue value = json.value(QLatin1String(key));
        if (!value.isDouble())
            return std::nullopt;
        return value.toInt();
    };
    if (const auto reg = number("register")) {
        if (*reg < 0 || *reg > 0xFFFF)
            return std::nullopt;
        entry.Register = static_cast<std::uint16_t>(*reg);
    }
    entry.OldValue = number("old");
    entry.NewValue = number("new");
    return entry;
}

} // namespace kelm
