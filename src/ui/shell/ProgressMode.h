#pragma once

namespace kelm {

// What the transfer progress dialog does: a whole-table transfer, or (ScanLink) the
// "Scanning Tarn Link..." window, which starts nothing.
enum class ProgressMode {
    ReadTable,
    WriteTable,
    ReadProfiles,
    WriteProfiles,
    ReadScopeSettings,
    ScanLink,
};

} // namespace kelm
