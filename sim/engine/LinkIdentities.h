#pragma once

namespace kelm::sim {

class Engine;

// On a Tarn link every unit has its own identification: the Power unit's register 7 and
// each Drive unit's register 6 (the unit's device address, shown by the link overview as
// "CAN ID:"). A unit whose register still holds the configured default (every unit would
// then tell the same number) gets its link address instead; a value restored from an
// EEPROM image is left alone.
void NumberLinkUnits(Engine& engine);

} // namespace kelm::sim
