#pragma once

#include <QObject>
#include <cstdint>
#include <vector>

namespace kelm {

// The active table's change notification. A window that wrote registers of the table says
// which reached the drive (Applied); every window that shows one of them refreshes itself
// from TableChanged, so no window reaches into another. User-interface thread only.
class TableNotice final : public QObject {
    Q_OBJECT
public:
    // Registers of the active table now hold new values (nothing is told for none).
    void Applied(const std::vector<std::uint16_t>& registers);

signals:
    void TableChanged(const std::vector<std::uint16_t>& registers);
};

} // namespace kelm
