#pragma once

#include "sim/engine/Behaviour.h"

#include <QString>
#include <map>

namespace kelm::sim {

// The drive's EEPROM: a copy of its parameter registers (Device::IsParameter). At start the
// drive boots from it. Command 0x02 saves the working registers into it, 0x01 reloads them
// from it, 0x04 loads the configured defaults into the working registers (the image is
// unchanged until the next save). A reset reloads it.
//
// With a file the image survives restarts. The file holds lines
// "<device address> <register> <value>" (decimal, '#' starts a comment); several devices
// of a link share one file, each rewriting only its own lines. A missing file means a
// fresh drive (image = defaults). A failing file write sets status bit 0, so the master
// sees the save fail.
class EepromImage : public Behaviour {
public:
    explicit EepromImage(QString filePath = {}) : filePath_(std::move(filePath)) {}

    void OnAttach(Device& device, std::uint32_t nowMs) override;
    bool OnCommand(Device& device, std::uint16_t bit, std::uint32_t nowMs) override;
    void OnReset(Device& device, std::uint32_t nowMs) override;

    const std::map<std::uint16_t, std::uint16_t>& Image() const { return image_; }
    // Takes the working value of one register into the image (no file write), so a reload
    // keeps a value the simulator was started with.
    void Adopt(const Device& device, std::uint16_t reg);
    const QString& FilePath() const { return filePath_; }

private:
    void Restore(Device& device) const;
    bool ReadFile(std::uint8_t deviceAddress);
    bool WriteFile(std::uint8_t deviceAddress) const;

    QString filePath_;
    std::map<std::uint16_t, std::uint16_t> image_;
};

} // namespace kelm::sim
