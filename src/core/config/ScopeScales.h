#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace kelm {

inline constexpr char ScopeScalesHeader[] = "Kelm Oscilloscope Y Axis Configuration";
inline constexpr int ScopeScalesMaxLineChars = 399;

// One vertical scale of an oscilloscope signal: caption and units per division.
struct ScopeScale {
    QString Caption;
    std::int16_t UnitsPerDivision = 0;
};

struct ScopeSignal {
    QString Name;
    std::vector<ScopeScale> Scales;
    QString Unit; // the column beside the name on line 2
};

// The signals of one oscilloscope Y-axis file, in column order.
using ScopeScaleSet = std::vector<ScopeSignal>;

// Reads an oscilloscope Y-axis file ("Osci.dll" or "Osci_Tarn.dll"); `shownName` is the
// name the messages use ("Osc.dll" or "Osc_Tarn.dll"). Line 2 names the signals, two
// columns per signal; each further data line adds at most one scale per signal. Lines may
// hold 399 characters; of a longer line only the complete fields before the cut are used
// (a field straddling the cut would give a wrong caption or value). On failure the set is
// empty, the result false and a message shown:
//   file missing:        "Fail to Open " + shownName + " File"
//   header not accepted: "Fatal Error in " + shownName
bool LoadScopeScales(const QString& path, const QString& shownName, ScopeScaleSet& signalSet);

} // namespace kelm
