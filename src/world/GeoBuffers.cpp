#include "world/GeoBuffers.h"

namespace kv {

Grid2D* GeoBuffers::Allocate(int w, int h)
{
    Free();
    if (w < 1 || h < 1)
        return nullptr;
    const auto uw = static_cast<std::size_t>(w);
    const auto uh = static_cast<std::size_t>(h);
    std::shared_ptr<Grid2D> grids[5] = {Alloc2D(uw, uh, sizeof(float)), Alloc2D(uw, uh, sizeof(float)),
                                        Alloc2D(uw, uh, sizeof(float)), Alloc2D(uw, uh, sizeof(float)),
                                        Alloc2D(uw, uh, 1)};
    for (const auto& grid : grids)
        if (!grid)
            return nullptr;
    altitude = grids[0];
    latitude = grids[1];
    longitude = grids[2];
    rawBasis = grids[3];
    valid = grids[4];
    width = w;
    height = h;
    return valid.get();
}

void GeoBuffers::Free()
{
    latitude.reset();
    longitude.reset();
    altitude.reset();
    rawBasis.reset();
    valid.reset();
    minValue = 0.0f;
    maxValue = 1.0f;
    width = height = 0;
    positionsValid = false;
}

} // namespace kv
