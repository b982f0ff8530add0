#include "core/machine/MachineManifest.h"

#include "core/common/KindDescriptor.h"
#include "core/files/ProfilesFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <set>

namespace kelm {
namespace {

constexpr DeviceKind AllKinds[] = {DeviceKind::Std, DeviceKind::Power, DeviceKind::Drive,
                                   DeviceKind::Orca230};

std::optional<DeviceKind> KindOfWord(const QString& word) {
    for (const DeviceKind kind : AllKinds)
        if (word == QLatin1String(Describe(kind).Word))
            return kind;
    return std::nullopt;
}

QJsonObject FileObject(const MachineFile& file) {
    return {{QStringLiteral("name"), file.Name}, {QStringLiteral("sha256"), file.Sha256}};
}

// A file name of the folder itself: no folder part, not "." or "..".
bool PlainName(const QString& name) {
    return !name.isEmpty() && !name.contains(u'/') && !name.contains(u'\\') &&
           name != QLatin1String(".") && name != QLatin1String("..");
}

bool ReadFile(const QJsonValue& value, MachineFile& file) {
    if (value.isUndefined() || value.isNull())
        return true;
    const QJsonObject object = value.toObject();
    file.Name = object.value(QStringLiteral("name")).toString();
    file.Sha256 = object.value(QStringLiteral("sha256")).toString();
    return PlainName(file.Name) && file.Sha256.size() == 64;
}

std::optional<MachineManifest> Fail(QString* error, const QString& reason) {
    if (error)
        *error = reason;
    return std::nullopt;
}

} // namespace

QString MachineIdentity::Text() const {
    return QStringLiteral("model %1, size %2, firmware %3")
        .arg(Model.isEmpty() ? QStringLiteral("-") : Model,
             Size.isEmpty() ? QStringLiteral("-") : Size,
             Firmware.isEmpty() ? QStringLiteral("-") : Firmware);
}

MachinePort MachinePort::OfLink(const QString& port, std::uint32_t baud, std::uint8_t parityCode) {
    static const char* const parities[] = {"none", "odd", "even", "mark"};
    return {port, baud, QLatin1String(parities[parityCode < 4 ? parityCode : 0]), true};
}

const MachineUnit* MachineManifest::Find(std::uint8_t address) const {
    for (const MachineUnit& unit : Units)
        if (unit.Address == address)
            return &unit;
    return nullptr;
}

QByteArray ManifestToJson(const MachineManifest& manifest) {
    QJsonArray units;
    for (const MachineUnit& unit : manifest.Units) {
        QJsonObject object{
            {QStringLiteral("address"), unit.Address},
            {QStringLiteral("kind"), QLatin1String(Describe(unit.Kind).Word)},
            {QStringLiteral("missing"), unit.Missing},
        };
        if (!unit.Missing) {
            object.insert(QStringLiteral("identity"),
                          QJsonObject{{QStringLiteral("model"), unit.Identity.Model},
                                      {QStringLiteral("size"), unit.Identity.Size},
                                      {QStringLiteral("firmware"), unit.Identity.Firmware}});
            QJsonObject files{{QStringLiteral("parameters"), FileObject(unit.Parameters)}};
            if (unit.Profiles.IsSet())
                files.insert(QStringLiteral("profiles"), FileObject(unit.Profiles));
            object.insert(QStringLiteral("files"), files);
        }
        units.append(object);
    }
    const QJsonObject root{
        {QStringLiteral("format"), MachineManifest::FormatVersion},
        {QStringLiteral("date"), manifest.Date.toString(Qt::ISODate)},
        {QStringLiteral("tool_version"), manifest.ToolVersion},
        {QStringLiteral("port"),
         QJsonObject{{QStringLiteral("port"), manifest.Port.Port},
                     {QStringLiteral("baud"), static_cast<qint64>(manifest.Port.Baud)},
                     {QStringLiteral("parity"), manifest.Port.Parity},
                     {QStringLiteral("link"), manifest.Port.Link}}},
        {QStringLiteral("units"), units},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<MachineManifest> ManifestFromJson(const QByteArray& json, QString* error) {
    QJsonParseError parse;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parse);
    if (!document.isObject())
        return Fail(error, parse.error != QJsonParseError::NoError
                               ? parse.errorString()
                               : QStringLiteral("not an object"));
    const QJsonObject root = document.object();
    const int format = root.value(QStringLiteral("format")).toInt(-1);
    if (format != MachineManifest::FormatVersion)
        return Fail(
            error,
            QStringLiteral("format %1 is not %2").arg(format).arg(MachineManifest::FormatVersion));
    MachineManifest manifest;
    manifest.Date =
        QDateTime::fromString(root.value(QStringLiteral("date")).toString(), Qt::ISODate);
    manifest.ToolVersion = root.value(QStringLiteral("tool_version")).toString();
    const QJsonObject port = root.value(QStringLiteral("port")).toObject();
    manifest.Port.Port = port.value(QStringLiteral("port")).toString();
    manifest.Port.Baud = static_cast<std::uint32_t>(port.value(QStringLiteral("baud")).toInteger());
    manifest.Port.Parity = port.value(QStringLiteral("parity")).toString();
    manifest.Port.Link = port.value(QStringLiteral("link")).toBool(true);
    std::set<int> addresses;
    for (const QJsonValue& value : root.value(QStringLiteral("units")).toArray()) {
        const QJsonObject object = value.toObject();
        MachineUnit unit;
        const int address = object.value(QStringLiteral("address")).toInt(-1);
        if (address < 1 || address > 255 || !addresses.insert(address).second)
            return Fail(error,
                        QStringLiteral("unit address %1 is outside 1..255 or twice").arg(address));
        unit.Address = static_cast<std::uint8_t>(address);
        const QString word = object.value(QStringLiteral("kind")).toString();
        const auto kind = KindOfWord(word);
        if (!kind)
            return Fail(error,
                        QStringLiteral("unit %1: unknown kind \"%2\"").arg(address).arg(word));
        unit.Kind = *kind;
        unit.Missing = object.value(QStringLiteral("missing")).toBool();
        const QJsonObject identity = object.value(QStringLiteral("identity")).toObject();
        unit.Identity = {identity.value(QStringLiteral("model")).toString(),
                         identity.value(QStringLiteral("size")).toString(),
                         identity.value(QStringLiteral("firmware")).toString()};
        const QJsonObject files = object.value(QStringLiteral("files")).toObject();
        if (!ReadFile(files.value(QStringLiteral("parameters")), unit.Parameters) ||
            !ReadFile(files.value(QStringLiteral("profiles")), unit.Profiles))
            return Fail(error, QStringLiteral("unit %1: bad file entry").arg(address));
        if (!unit.Missing && !unit.Parameters.IsSet())
            return Fail(error, QStringLiteral("unit %1: no parameter file").arg(address));
        manifest.Units.push_back(std::move(unit));
    }
    return manifest;
}

bool SaveManifest(const MachineManifest& manifest, const QString& folder, QString* error) {
    QSaveFile file(QDir(folder).filePath(QLatin1String(ManifestFileName)));
    if (file.open(QIODevice::WriteOnly) && file.write(ManifestToJson(manifest)) >= 0 &&
        file.commit())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

std::optional<MachineManifest> LoadManifest(const QString& folder, QString* error) {
    QFile file(QDir(folder).filePath(QLatin1String(ManifestFileName)));
    if (!file.open(QIODevice::ReadOnly))
        return Fail(error,
                    QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString()));
    QString reason;
    auto manifest = ManifestFromJson(file.readAll(), &reason);
    if (!manifest)
        return Fail(
            error, QStringLiteral("%1 is not a machine manifest: %2").arg(file.fileName(), reason));
    return manifest;
}

QString UnitParameterFileName(std::uint8_t address, DeviceKind kind) {
    return QStringLiteral("unit-%1%2")
        .arg(address, 3, 10, QLatin1Char('0'))
        .arg(QLatin1String(Describe(kind).DeviceFileExtension));
}

QString UnitProfilesFileName(std::uint8_t address) {
    return QStringLiteral("unit-%1%2")
        .arg(address, 3, 10, QLatin1Char('0'))
        .arg(QLatin1String(ProfilesFileExtension));
}

bool KeepsProfiles(DeviceKind kind) {
    return kind != DeviceKind::Power;
}

QString FileSha256(const QString& path) {
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return {};
    return QString::fromLatin1(hash.result().toHex());
}

} // namespace kelm
