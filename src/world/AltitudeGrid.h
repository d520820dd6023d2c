// The world's altitude over a whole grid of cells, evaluated in bands of rows spread over
// the machine's cores.
//
// Cell (c, r) of a W x H grid lies where the world's sampling reads it (GridCellToLatLon,
// SurfMap.h). Each thread evaluates with its own copy of the caller's
// sampler, made on the calling thread; a cell does not depend on which copy computes it,
// so the grid is the same at any thread count. Between bands the calling thread reports
// every finished row to the progress hooks in order, as a row-by-row loop would, and
// looks at the abort value only there.
#pragma once

#include "base/grid/Grid2D.h"

namespace kv {

class SurfaceSampler;

struct AltitudeGridProgress {
    const char* text = "";
    int stepMode = 1;
    // Row r is reported as step (r, totalFactor x H).
    int totalFactor = 1;
    // Per row: poll then step (true) or step then poll.
    bool pollFirst = true;
    // Stop at the first row after which the abort value is 27; the rows after it are
    // left 0. Without it every row is evaluated whatever the user does.
    bool stopOnAbort = true;
};

// Fills the float grid with prototype.GetAltitude at every cell. False when the rows were
// stopped by the abort value (only with stopOnAbort), else true. The abort value is not
// reset. threads <= 0: all cores.
bool EvaluateAltitudeGrid(const SurfaceSampler& prototype, Grid2D& grid, const AltitudeGridProgress& progress,
                          int threads = 0);

} // namespace kv
