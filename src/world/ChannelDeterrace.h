// Deterracing of a whole channel grid: the terrace remover run into a temporary grid, then
// copied back, or blended back by the selection weight while a selection is active.
#pragma once

#include "base/grid/Grid2D.h"

namespace kv {

class CSelection;

// The filter's flatness tolerance: the profile text "Settings"/"DeterraceEpsilon" read as
// one number (default 0.00001), 1e-5 when it does not read as a finite number.
float DeterraceEpsilon();

// Deterraces `grid` (a float grid) with `directions` walk directions. The filter reports
// its own progress; an abort there leaves the grid unchanged. With an active selection
// the result is blended back row by row (progress "Blending result back into surface",
// mode 1): old + w x (deterraced - old); an abort there keeps the rows already blended.
// The abort value is 0 afterwards. 0, or -1 when the grid is not a float grid or the
// temporary grid cannot be had (nothing changes then).
int DeterraceChannelGrid(Grid2D& grid, int directions, const CSelection& selection);

} // namespace kv
