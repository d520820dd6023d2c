// The grid stages of river finding: steepest-descent directions over a filled altitude
// grid, flow and reach accumulated downhill, the thresholded preview, and the routing of
// river polylines upstream from the strongest flow.
//
// All grids are width W x height H Grid2D blocks, row 0 the south pole: cell (row r,
// column c) lies where the world samples it (GridCellToLatLon, SurfMap.h).
//
// Neighbour k of a cell is (row + kRiverRowStep[k], column + kRiverColumnStep[k]) with the
// row clamped to 0..H-1 and the column wrapped modulo W. The table's order decides every
// tie between neighbours: it is not a ring (3 and 7 are the two horizontal neighbours).
#pragma once

#include "base/grid/Grid2D.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace kv {

class ImageOverlay;

constexpr int kRiverRowStep[8] = {-1, -1, -1, 0, 1, 1, 1, 0};
constexpr int kRiverColumnStep[8] = {-1, 0, 1, -1, 1, 0, -1, 1};
// 1 for the edge neighbours, 1 / sqrt(2) in single precision for the corners.
extern const float kRiverWeight[8];

// Direction codes besides 0..7 (the neighbour the water flows to).
constexpr std::uint8_t kRiverNoLowerNeighbour = 9;
constexpr std::uint8_t kRiverUnderWater = 10;

// Results of the stages.
constexpr int kRiverOk = 0;
constexpr int kRiverAborted = -1;
constexpr int kRiverBadGrid = -2;

inline void RiverNeighbour(int row, int column, int k, int width, int height, int& nrow, int& ncolumn)
{
    nrow = row + kRiverRowStep[k];
    nrow = nrow < 0 ? 0 : (nrow >= height ? height - 1 : nrow);
    ncolumn = column + kRiverColumnStep[k];
    ncolumn = ncolumn < 0 ? ncolumn + width : (ncolumn >= width ? ncolumn - width : ncolumn);
}

// Direction of every cell (byte grid): the neighbour of the largest drop (h - h(k)) x
// weight(k) above 0, the first in table order on ties, or kRiverNoLowerNeighbour; then
// kRiverUnderWater for every cell whose water level is above its altitude. Rows are spread
// over the cores. kRiverOk, or kRiverBadGrid for grids of the wrong type or size.
int FindRiverDirections(const Grid2D& altitude, const Grid2D& waterLevel, Grid2D& directions);

// Flow and reach of every cell (float grids): what walking downhill from every cell adds,
// each walk adding at every cell it visits (the first included) that cell's rainfall to
// its flow and 100 to its reach, ending after a cell of direction 8 or more or after
// 4 x (W + H) cells. Progress "Calculating River Depths" (mode 1), a step and a poll per
// row in order. kRiverOk, kRiverAborted (the abort value stays set; the grids are then
// incomplete) or kRiverBadGrid.
int AccumulateRiverFlow(const Grid2D& directions, const Grid2D& rainfall, Grid2D& flow, Grid2D& reach);

// 0 with `value` added `count` times, one single-precision addition after another, without
// doing every addition.
float RepeatedSum(float value, std::uint32_t count);

// True when the exclusion mask covers the cell: its pixel at the cell's centre, (r + 0.5)
// and (c + 0.5) in the cell formula, has a non-zero alpha after the mask's opacity (the
// display mode is not applied). False without a mask, while it is hidden, without pixels
// or outside its bounds.
bool IsRiverCellExcluded(const ImageOverlay* mask, int column, int row, int width, int height);
// IsRiverCellExcluded of every cell as a byte grid (1 excluded); null without a mask.
Grid2DPtr RiverExclusionGrid(const ImageOverlay* mask, int width, int height);

// Smallest (from 1e20) and largest (from 0) value of a float grid.
void RiverGridRange(const Grid2D& grid, float& minimum, float& maximum);

// The preview: every cell not excluded gets `pixel` where value > cut, else 0; excluded
// cells keep their pixel. The overlay must hold W x H pixels (false otherwise). Pixels
// change under the overlay lock.
bool FillRiverPreview(ImageOverlay& preview, const Grid2D& value, float cut, std::uint32_t pixel,
                      const Grid2D* excluded);

// One traced river: points as (latitude, longitude) in degrees, source first.
struct RoutedRiver {
    std::vector<std::array<double, 2>> points;
    std::uint32_t colour = 0;
    int level = 0;
};

struct RiverRoutingInput {
    const Grid2D* value = nullptr;      // flow or reach (float)
    const Grid2D* altitude = nullptr;   // filled altitude (float)
    const Grid2D* waterLevel = nullptr; // float
    const Grid2D* excluded = nullptr;   // RiverExclusionGrid, or null
    const ImageOverlay* preview = nullptr;
    float cut = 0.0f;
    std::uint32_t colour = 0;           // 0xFFBBGGRR, given to every river
    int maxTinySegments = 200;
};

// Routes rivers from the strongest value upstream through the preview's river cells,
// each joined at both ends to the rivers traced before it; every river of two points or
// more goes to `append` in order. Progress "Routing rivers in Vector Overlay" (mode 1), a
// step and a poll per river. kRiverOk, kRiverAborted (the abort value stays set; the
// rivers so far were appended) or kRiverBadGrid.
int RouteRivers(const RiverRoutingInput& input, const std::function<void(RoutedRiver&)>& append);

} // namespace kv
