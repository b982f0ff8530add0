#pragma once

#include "core/common/DeviceKind.h"
#include "core/params/ParamTable.h"
#include "sim/engine/Behaviour.h"
#include "sim/engine/KindLayout.h"
#include "sim/engine/RegisterBank.h"

#include <memory>
#include <vector>

namespace kelm::sim {

// One simulated drive (or one unit of a link): its address(es), its configuration table,
// its working registers and the behaviours that play its side of each exchange.
// Not thread-safe by itself; the Engine serialises access.
class Device {
public:
    // The working registers start at the configured defaults of `table`.
    Device(DeviceKind kind, std::uint8_t address, ParamTable table);

    DeviceKind Kind() const { return kind_; }
    std::uint8_t Address() const { return address_; }
    // Further addresses this device answers on (the Orca also answers at the Power address).
    void AddAlias(std::uint8_t address);
    bool AnswersTo(std::uint8_t address) const;

    const ParamTable& Table() const { return table_; }
    const KindLayout& Layout() const { return layout_; }
    RegisterBank& Registers() { return registers_; }
    const RegisterBank& Registers() const { return registers_; }

    // A silent device neither answers nor acts on requests.
    bool Silent() const { return silent_; }
    void SetSilent(bool silent) {
        silent_ = silent;
        writesBeforeSilence_ = -1;
    }
    // After `writes` more write requests the device falls silent (-1: never).
    void SilenceAfterWrites(int writes) { writesBeforeSilence_ = writes; }
    // Counts one write request addressed to the device; it may fall silent here.
    void CountWrite() {
        if (silent_ || writesBeforeSilence_ < 0)
            return;
        if (writesBeforeSilence_ == 0)
            silent_ = true;
        else
            --writesBeforeSilence_;
    }

    // Takes ownership; the behaviour's OnAttach runs at once.
    Behaviour& AddBehaviour(std::unique_ptr<Behaviour> behaviour, std::uint32_t nowMs);
    template <class T> T* Find() {
        for (auto& behaviour : behaviours_) {
            if (auto* found = dynamic_cast<T*>(behaviour.get())) {
                return found;
            }
        }
        return nullptr;
    }

    // The master's view: reads and writes run through the behaviours.
    std::vector<std::uint16_t> Read(std::uint16_t first, std::uint16_t count, std::uint32_t nowMs);
    void Write(std::uint16_t first, const std::vector<std::uint16_t>& values, std::uint32_t nowMs);

    void Tick(std::uint32_t nowMs);
    // Carries out one command bit; false when no behaviour knows it.
    bool RunCommand(std::uint16_t bit, std::uint32_t nowMs);
    void Reset(std::uint32_t nowMs);
    // Raises alarms: the active alarm words show `bits`, behaviours hear of it.
    void SetAlarms(std::uint32_t bits);
    // A configured register the drive keeps in EEPROM: KindLetter other than 'N' and none
    // of the model, command, alarm and historic alarm words (those belong to the drive).
    bool IsParameter(const ParamEntry& entry) const;
    // Configured defaults into every parameter register.
    void LoadDefaults();

private:
    DeviceKind kind_;
    std::uint8_t address_;
    std::vector<std::uint8_t> aliases_;
    ParamTable table_;
    KindLayout layout_;
    RegisterBank registers_;
    bool silent_ = false;
    int writesBeforeSilence_ = -1;
    std::vector<std::unique_ptr<Behaviour>> behaviours_;
};

} // namespace kelm::sim
