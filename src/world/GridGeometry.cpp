#include "world/GridGeometry.h"

namespace kv {

double GridColumnLongitude(double column, int width)
{
    return width > 1 ? column * 360.0 / width - 180.0 : 0.0;
}

double GridRowLatitude(double row, int height)
{
    return height > 1 ? row * 180.0 / (height - 1) - 90.0 : 0.0;
}

void GridCellToLatLon(int col, int row, int width, int height, double& latitude, double& longitude)
{
    latitude = GridRowLatitude(row, height);
    longitude = GridColumnLongitude(col, width);
}

} // namespace kv
