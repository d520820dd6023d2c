// The per-pixel target of a render: latitude and longitude (radians), altitude and raw
// basis (floats), a byte saying whether the pixel lies on the map, the running minimum
// and maximum altitude and a flag saying that the positions are already filled.
//
// A copy shares the grids and keeps its own minimum, maximum and flag, so that several
// samplers filling disjoint parts of one image can each take a copy and merge their
// ranges afterwards.
#pragma once

#include "base/grid/Grid2D.h"

#include <memory>

namespace kv {

struct GeoBuffers {
    float minValue = 0.0f;
    float maxValue = 1.0f;
    int width = 0;
    int height = 0;
    std::shared_ptr<Grid2D> latitude;
    std::shared_ptr<Grid2D> longitude;
    std::shared_ptr<Grid2D> altitude;
    std::shared_ptr<Grid2D> rawBasis;
    std::shared_ptr<Grid2D> valid;
    bool positionsValid = false;

    // Sets minimum 0, maximum 1, the flag off and the size, and allocates the four float
    // grids and the byte grid (zeroed). Returns the validity grid, or null (and no grids)
    // when a size is below 1 or memory cannot be had.
    Grid2D* Allocate(int w, int h);
    // Drops the grids and zeroes the fields (maximum 1).
    void Free();
};

} // namespace kv
