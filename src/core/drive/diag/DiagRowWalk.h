#pragma once

namespace kelm {

// The rows of the diagnostic grid the cycle may visit: the grid's visible range.
struct VisibleRows {
    int Top = 0;
    int Count = 0;
};

// Where the diagnostic cycle goes after `row`: (row + 1) modulo rowCount, repeated until the
// row lies in [top, top + count). `passComplete` tells whether the walk came back to the
// top visible row (one pass over the visible rows is over). A visible range that holds no
// row of the table (empty grid, bad range) makes the walk simply step to the next row
// instead of looping for ever. rowCount 0 gives 0.
int NextDiagRow(int row, int rowCount, VisibleRows visible, bool& passComplete);

} // namespace kelm
