// The passes of Incise Flow that work on grids alone: the filled surface blended by the
// selection, the flow count through every cell, the erosion grid made from it, and the
// cut into the land offset.
//
// All grids are W x H floats (the land offset and water level are the world's channel
// grids) except the flow counts, which are 32-bit integers. Rows run on all cores in
// bands of 128; progress and the abort value are looked at between bands, on the calling
// thread, which is where a row-by-row loop polls. Results are the same at any thread
// count.
#pragma once

#include "base/grid/Grid2D.h"

namespace kv {

class CSelection;

struct InciseFlowSettings {
    float blur = 0.0f;                 // sigma of the erosion blur; 0 or less: none
    float amount = 1.0f;               // scales the normalised erosion before the clamp to 1
    float flowExponent = 0.6666667f;   // power of the flow count
    float effectBlend = 1.0f;          // fraction of the full cut
    // False when any value is NaN or infinite.
    bool IsFinite() const;
};

// The working grids of one run, made by the caller (heights, filled: float; counts: int32;
// erosion: float; all W x H).
struct InciseFlowGrids {
    Grid2D* heights = nullptr;   // in: the world's altitude; out: the filled surface
    const Grid2D* filled = nullptr;
    const Grid2D* waterLevel = nullptr;
    Grid2D* landOffset = nullptr;
    Grid2D* counts = nullptr;
    Grid2D* erosion = nullptr;
};

// Results of IncisePasses and the pass functions.
constexpr int kInciseDone = 0;
constexpr int kInciseStopped = -1;

// From the filled surface on: heights += w x (filled - heights) with the selection
// weight w; flow counts downhill (paths of at most 32768 cells); erosion = count ^
// exponent above water (held at the float maximum), blurred twice when blur > 0, zero at
// or below water; the erosion normalised by its span x amount; each cell's offset cut by
// effect blend x t x filled altitude, blended by w. kInciseDone also when the erosion is
// flat (nothing cut); kInciseStopped when an abort ended any pass (rows already cut stay
// cut), for a grid of the wrong size or type, or for non-finite settings (nothing
// changed then). threads <= 0: all cores.
int IncisePasses(const InciseFlowGrids& grids, const CSelection& selection, const InciseFlowSettings& settings,
                 int threads = 0);

// The single passes, for measuring them apart. Each returns kInciseDone or kInciseStopped.
int InciseBlendFilled(const InciseFlowGrids& grids, const CSelection& selection, int threads = 0);
int InciseErosionFromCounts(const InciseFlowGrids& grids, float flowExponent, int threads = 0);
// Zeroes the erosion at or below water and finds its range.
int InciseErosionRange(const InciseFlowGrids& grids, float& minimum, float& maximum, int threads = 0);
int InciseCut(const InciseFlowGrids& grids, const CSelection& selection, const InciseFlowSettings& settings,
              float minimum, float maximum, int threads = 0);

} // namespace kv
