#pragma once

#include <QStringList>

namespace kelm {

// The Tarn Power unit's regeneration resistor (register 12). Its choices depend on the
// unit's main voltage (register 11), and one encoding serves the main parameter page and
// the general settings dialog alike:
//   main voltage 1 or 230: "160 W", "500 W"                     codes 4, 5 (index + 4)
//   main voltage 400:      "100 W", "160 W", "500 W", "1000 W"  codes 0 to 3 (index)
//   any other voltage:     no choice
QStringList RegenItems(int mainVoltage);
// Code stored for the item index; -1 when the voltage or index offers no item.
int RegenCode(int mainVoltage, int index);
// Item index a stored code selects; -1 when the code is not offered at this voltage.
int RegenIndex(int mainVoltage, int code);

} // namespace kelm
