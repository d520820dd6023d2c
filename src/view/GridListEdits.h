// The grid list of the Grid Settings dialog without the window: its row texts and the
// edits its buttons make on the dialog's copy of the grid overlay.
#pragma once

#include "world/CRectGrid.h"

#include <array>
#include <string>
#include <vector>

namespace kv {

// "#", "Show", "Lat", "Lon", "Color", "Line", "Altitude", "Top", "Left", "Right", "Bottom".
using GridRowTexts = std::array<std::string, 11>;
GridRowTexts GridRow(const RectInfo& grid, int index, bool metric);

// Each takes the selected row indices (any order) and returns false, with the message
// shown, when none is selected.
bool DeleteFirstSelectedGrid(CRectGrid& overlay, std::vector<int> selected);
// Up (-1) or down (+1) for the first selected row; the row it is at afterwards in `row`.
bool MoveFirstSelectedGrid(CRectGrid& overlay, std::vector<int> selected, int direction, int& row);
bool ShowSelectedGrids(CRectGrid& overlay, const std::vector<int>& selected, bool show);
// OK: the overlay is shown when any grid is.
void UpdateGridShown(CRectGrid& overlay);

} // namespace kv
