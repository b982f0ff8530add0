#pragma once

#include "core/common/DeviceKind.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace kelm {

// What a unit told about itself when it was saved: model, size and firmware as the General
// Settings page shows them (empty where the kind has none).
struct MachineIdentity {
    QString Model;
    QString Size;
    QString Firmware;
    bool operator==(const MachineIdentity&) const = default;
    // "model M, size S, firmware F", for messages.
    QString Text() const;
};

// One file of a backup folder: its name inside the folder and the SHA-256 of its bytes.
struct MachineFile {
    QString Name;
    QString Sha256; // lower-case hexadecimal
    bool IsSet() const { return !Name.isEmpty(); }
};

// One unit of the link as the backup found it.
struct MachineUnit {
    std::uint8_t Address = 0;
    DeviceKind Kind = DeviceKind::Drive;
    bool Missing = false; // did not answer: no files
    MachineIdentity Identity;
    MachineFile Parameters;
    MachineFile Profiles; // Drive units only
};

// The line the backup was made on.
struct MachinePort {
    QString Port; // "/dev/ttyUSB0 (COM17)"
    std::uint32_t Baud = 0;
    QString Parity; // "none", "odd", "even", "mark"
    bool Link = true;

    // The port of a link line as a manifest records it; parity codes as the line settings
    // number them (0 none, 1 odd, 2 even, 3 mark; others read as none).
    static MachinePort OfLink(const QString& port, std::uint32_t baud, std::uint8_t parityCode);
};

// machine.json: what a machine backup folder holds.
struct MachineManifest {
    static constexpr int FormatVersion = 1;
    QDateTime Date;
    QString ToolVersion;
    MachinePort Port;
    std::vector<MachineUnit> Units; // Power unit first, then the Drive units by address

    const MachineUnit* Find(std::uint8_t address) const;
};

inline constexpr char ManifestFileName[] = "machine.json";

QByteArray ManifestToJson(const MachineManifest& manifest);
// Parses machine.json. nullopt with the reason in `error` when the text is not a manifest
// this program wrote: bad JSON, another format version, an unknown kind, an address twice
// or outside 1..255, a file name that leaves the folder.
std::optional<MachineManifest> ManifestFromJson(const QByteArray& json, QString* error);

// Reads and writes machine.json in a folder; failures come back as text.
bool SaveManifest(const MachineManifest& manifest, const QString& folder, QString* error);
std::optional<MachineManifest> LoadManifest(const QString& folder, QString* error);

// File names in the folder, by address: "unit-011.tnd", "unit-011.bcp".
QString UnitParameterFileName(std::uint8_t address, DeviceKind kind);
QString UnitProfilesFileName(std::uint8_t address);
// Whether a unit of this kind has motion profiles to keep.
bool KeepsProfiles(DeviceKind kind);

// SHA-256 of a file's bytes in lower-case hexadecimal; empty when it cannot be read.
QString FileSha256(const QString& path);

} // namespace kelm
