#include "core/drive/TableNotice.h"

namespace kelm {

void TableNotice::Applied(const std::vector<std::uint16_t>& registers) {
    if (!registers.empty())
        emit TableChanged(registers);
}

} // namespace kelm
