// Whole-grid filters: separable Gaussian blurs (bytes, floats, floats blended through a
// byte mask), the terrace remover for altitude grids and bilinear resizing of float and
// colour grids.
//
// Grids are Grid2D: byte grids have 1-byte cells, float grids 4-byte floats, colour
// grids 4-byte 0xAABBGGRR values. Rows are independent in every pass, so the work is
// spread over the machine's cores with results identical to a single-threaded run.
#pragma once

#include "base/grid/Grid2D.h"

#include <vector>

namespace kv {

// Results of the filters.
constexpr int kFilterOk = 0;
constexpr int kFilterAborted = -1;        // the user stopped the deterrace
constexpr int kFilterBadGrid = -2;        // missing grid, wrong cell size, sizes that differ
constexpr int kFilterBadParameter = -3;   // a parameter the filter cannot work with

// The blur kernel: 2R + 1 single-precision weights for offsets -R..R, R = ceil(2.5 sigma),
// w(d) = exp(-0.5 d^2 / (sigma^3 sqrt(2 pi))), divided by their sum. Empty for a sigma
// that is not positive, or whose radius would exceed kMaxBlurRadius.
constexpr int kMaxBlurRadius = 1 << 20;
std::vector<float> GaussianKernel(float sigma);

// Blurs in place. Columns wrap around (at any radius); rows are clamped by renormalising
// over the rows that exist. A sigma of 0 or below leaves the grid as it is (kFilterOk).
// Bytes are rounded to nearest, floats stored as computed.
int GaussianBlurBytes(Grid2D& grid, float sigma);
int GaussianBlurFloatGrid(Grid2D& grid, float sigma);
// Blurs a copy of the float grid and blends it in: v + (blurred - v) x mask / 255, with
// the mask a byte grid of the same width and height.
int MaskedBlurFloatGrid(Grid2D& grid, float sigma, const Grid2D& mask);

// Writes the deterraced source into the destination (same size, two different float
// grids): every cell walks from itself in `directions` directions over the flat area it
// lies in (cells within epsilon of its value) and interpolates between the levels
// reached in each pair of opposite directions, by the distances walked. Reports
// progress per row as "Deterracing Surface"; returns kFilterAborted when the user
// stopped it (the rows done so far are written). Fewer than 2 directions leave nothing
// to interpolate: the destination receives the source unchanged and the result is
// kFilterBadParameter. A negative epsilon counts as 0.
int DeterraceSurface(const Grid2D& source, Grid2D& destination, int directions, float epsilon);

// Replace the grid by a bilinearly resampled one of newWidth x newHeight (both at least
// 2); nothing happens when the size is already that. The float resizer wraps columns;
// the colour resizer clamps them and interpolates each byte channel with truncation.
int ResizeFloatGrid(Grid2DPtr& grid, int newWidth, int newHeight);
int ResizeColorGrid(Grid2DPtr& grid, int newWidth, int newHeight);

} // namespace kv
