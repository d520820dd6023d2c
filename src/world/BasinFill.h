// Depression filling of an altitude grid and the whole-world altitude grid it works on.
//
// FillBasins raises every cell that has no way off the map to the lowest level from which
// water can leave it: the result F is the lowest surface at or above the altitudes Z in
// which every dry cell drains, through neighbours lower by at least a minimum drop (0.5
// to the four edge neighbours, 0.5 x sqrt(2) to the four corners, in single precision),
// towards the map border or a water-covered cell. Cells whose water level lies above
// their altitude are drains at their water level and keep their altitude in F. Columns
// and rows do not wrap: the border is the outlet.
//
// A water-covered border cell drains at its water level, or at its altitude once a
// neighbour that is on the border or lies at its own altitude is at least the drop below
// that altitude.
//
// Grids are Grid2D float grids of width x height cells, row 0 first.
#pragma once

#include "base/grid/Grid2D.h"

namespace kv {

class SurfMap;

// The minimum drops to an edge and to a corner neighbour.
constexpr float kBasinEdgeDrop = 0.5f;
constexpr float kBasinCornerDrop = 0.70710677f;

// Fills `filled` from the altitudes and water levels (both read only; they may be the
// same grid). Progress "Filling Basins" (mode 1) with polls while it runs. Returns true
// when the surface is complete; false when the user aborted (F then holds a partly
// filled surface) or when a grid is missing, not a float grid of exactly width x height,
// or `filled` is one of the inputs (F untouched then). The abort value is 0 afterwards.
// The tolerance is not used: the drops above are fixed.
bool FillBasins(const Grid2D* altitude, const Grid2D* waterLevel, Grid2D* filled, int width, int height,
                float tolerance);

// A new width x height float grid of the world's altitude at every cell (each where the
// world samples it, GridCellToLatLon), evaluated
// through surface samplers over a default projection with shader 1, no lighting and no
// target, rows spread over the cores with a sampler copy per thread (EvaluateAltitudeGrid).
// Progress begins with `progressText` (mode 1), then a step (row, height) and a poll for
// every row in order. The abort value is cleared first. Null when the user aborted (the abort value
// stays 27 for the caller), when a size is below 2 or the grid cannot be had.
Grid2DPtr ComputeHeightGrid(SurfMap& world, int width, int height, const char* progressText);


} // namespace kv
