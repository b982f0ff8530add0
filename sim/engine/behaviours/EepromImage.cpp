#include "sim/engine/behaviours/EepromImage.h"

#include "sim/engine/Device.h"
#include "sim/engine/KindLayout.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <QTextStream>

namespace kelm::sim {

namespace {

struct ImageLine {
    int device = -1;
    int reg = -1;
    int value = -1;
};

// "<device> <register> <value>"; anything else (comments, blanks, junk) is not a line.
ImageLine ParseLine(const QString& text) {
    ImageLine line;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#'))) {
        return line;
    }
    const QStringList fields = trimmed.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (fields.size() != 3) {
        return line;
    }
    bool ok1 = false, ok2 = false, ok3 = false;
    const int device = fields[0].toInt(&ok1);
    const int reg = fields[1].toInt(&ok2);
    const int value = fields[2].toInt(&ok3);
    if (ok1 && ok2 && ok3 && device >= 0 && device <= 255 && reg >= 0 && reg <= 65535 &&
        value >= -32768 && value <= 65535) {
        line = {device, reg, value & 0xFFFF};
    }
    return line;
}

} // namespace

void EepromImage::OnAttach(Device& device, std::uint32_t) {
    image_.clear();
    for (const ParamEntry& entry : device.Table()) {
        if (device.IsParameter(entry)) {
            image_[entry.Address] = static_cast<std::uint16_t>(entry.DefaultValue);
        }
    }
    ReadFile(device.Address());
    Restore(device);
}

bool EepromImage::OnCommand(Device& device, std::uint16_t bit, std::uint32_t) {
    switch (bit) {
    case CommandReloadEeprom:
        Restore(device);
        return true;
    case CommandSaveEeprom:
        for (auto& [reg, value] : image_) {
            value = device.Registers().Get(reg);
        }
        if (!WriteFile(device.Address())) {
            const std::uint16_t status = device.Layout().alarmLow;
            device.Registers().Set(status, device.Registers().Get(status) | 1U);
        }
        return true;
    case CommandLoadDefaults:
        device.LoadDefaults();
        return true;
    default:
        return false;
    }
}

void EepromImage::Adopt(const Device& device, std::uint16_t reg) {
    if (auto found = image_.find(reg); found != image_.end()) {
        found->second = device.Registers().Get(reg);
    }
}

void EepromImage::OnReset(Device& device, std::uint32_t) {
    Restore(device);
}

void EepromImage::Restore(Device& device) const {
    for (const auto& [reg, value] : image_) {
        device.Registers().Set(reg, value);
    }
}

bool EepromImage::ReadFile(std::uint8_t deviceAddress) {
    if (filePath_.isEmpty()) {
        return false;
    }
    QFile file(filePath_);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return false;
    }
    QTextStream in(&file);
    while (!in.atEnd()) {
        const ImageLine line = ParseLine(in.readLine());
        // Only registers the drive keeps in EEPROM are taken from the file.
        if (line.device == deviceAddress && image_.count(static_cast<std::uint16_t>(line.reg))) {
            image_[static_cast<std::uint16_t>(line.reg)] = static_cast<std::uint16_t>(line.value);
        }
    }
    return true;
}

bool EepromImage::WriteFile(std::uint8_t deviceAddress) const {
    if (filePath_.isEmpty()) {
        return true;
    }
    QStringList kept;
    QFile old(filePath_);
    if (old.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream in(&old);
        while (!in.atEnd()) {
            const QString text = in.readLine();
            const ImageLine line = ParseLine(text);
            if (line.device >= 0 && line.device != deviceAddress) {
                kept.append(text.trimmed());
            }
        }
    }
    QSaveFile file(filePath_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        return false;
    }
    QTextStream out(&file);
    out << "# kelmsim EEPROM image: device register value\n";
    for (const QString& line : kept) {
        out << line << '\n';
    }
    for (const auto& [reg, value] : image_) {
        out << deviceAddress << ' ' << reg << ' ' << value << '\n';
    }
    out.flush();
    return file.commit();
}

} // namespace kelm::sim
