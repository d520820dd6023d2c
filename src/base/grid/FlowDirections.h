// Steepest-descent flow directions and flow accumulation over a height grid.
//
// A direction grid holds one byte per cell: 0..7 names the neighbour the steepest descent
// leads to (kFlowColumnOffset / kFlowRowOffset), kFlowNone when no neighbour is lower and,
// inside the accumulation, kFlowSea for a cell below 0. Neighbour k's opposite is (k + 4) % 8.
#pragma once

#include "base/grid/Grid2D.h"

#include <cstddef>
#include <cstdint>

namespace kv {

constexpr std::uint8_t kFlowNone = 9;
constexpr std::uint8_t kFlowSea = 10;

// Neighbour k = 0..7 clockwise from north (row - 1 is north).
constexpr int kFlowColumnOffset[8] = {0, 1, 1, 1, 0, -1, -1, -1};
constexpr int kFlowRowOffset[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
// Drop weights: 1 for the four edge neighbours, 1/sqrt(2) in single precision for the diagonals.
extern const float kFlowWeight[8];

constexpr int OppositeFlow(int k) { return (k + 4) % 8; }

// Return code for grids that are missing, of the wrong element size or smaller than
// width x height, and for a working grid that could not be allocated.
constexpr int kFlowBadInput = -2;

// heights: float grid; directions: byte grid; both at least width x height cells.
// Columns wrap around (east of the last column is column 0); rows are clamped.
// Every row is computed even when the user aborts. Returns 0, -1 when the user aborted
// (the abort value is reset), or kFlowBadInput.
int FindFlowDirections(const Grid2D* heights, std::size_t width, std::size_t height, Grid2D* directions,
                       bool showProgress);

// counts: int32 grid of at least width x height cells. Counts, for every cell, how many flow
// paths started from the cells pass through it (downhill, or uphill with reverse); one path is
// at most min(maxSteps, 2 x (width + height)) cells, stops at the grid's edge (columns do not
// wrap here), at a cell with no lower neighbour or below 0, or when it closes a loop.
// Returns 0, -1 when the user aborted (counts are partial, abort value reset), or kFlowBadInput.
int ComputeFlowAccumulation(const Grid2D* heights, std::size_t width, std::size_t height, Grid2D* counts,
                            int maxSteps, bool reverse, bool showProgress);

} // namespace kv
