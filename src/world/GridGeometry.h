// Where the cells of a channel grid lie on the globe.
//
// The world samples its grids at x = (lon / 360 + 0.5) x W (W columns round the globe) and
// y = (lat / 180 + 0.5) x (H - 1) (H rows from pole to pole). A cell lies exactly where that
// sampling reads it back, so a value written at a cell is the value the renderer finds there:
// everything that turns a cell into a position to evaluate or write a channel asks here.
#pragma once

namespace kv {

// Longitude of a (possibly fractional) column of a grid W columns wide: column x 360 / W - 180;
// 0 for a grid of one column.
double GridColumnLongitude(double column, int width);
// Latitude of a (possibly fractional) row of a grid H rows high: row x 180 / (H - 1) - 90;
// 0 for a grid of one row.
double GridRowLatitude(double row, int height);
// Both, for cell (col, row) of a W x H grid.
void GridCellToLatLon(int col, int row, int width, int height, double& latitude, double& longitude);

} // namespace kv
