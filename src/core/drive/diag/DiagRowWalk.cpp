#include "core/drive/diag/DiagRowWalk.h"

#include <algorithm>

namespace kelm {

int NextDiagRow(int row, int rowCount, VisibleRows visible, bool& passComplete) {
    passComplete = false;
    if (rowCount <= 0)
        return 0;
    const int first = std::max(visible.Top, 0);
    const int end = std::min(visible.Top + std::max(visible.Count, 0), rowCount);
    int next = ((row % rowCount) + rowCount + 1) % rowCount;
    if (first >= end) // nothing of the table is visible
        return next;
    while (next < first || next >= end)
        next = (next + 1) % rowCount;
    passComplete = next == first;
    return next;
}

} // namespace kelm
