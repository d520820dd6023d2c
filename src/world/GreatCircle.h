// Distances on the world sphere: central angles (radians) times a radius the caller gives,
// usually the world's circumference / (2 pi), so that lengths come out in its unit.
#pragma once

namespace kv {

class SurfaceSampler;
class VideoBuffer;

// 1 / (2 pi): circumference x this = the radius.
constexpr double kCircumferenceToRadius = 0.15915494309189535;

// The central angle between two points given in radians:
// acos(cos(lon1 - lon2) cos(lat1) cos(lat2) + sin(lat1) sin(lat2)), the cosine held within
// -1 .. 1 so that rounding cannot make it undefined.
double GreatCircleAngle(double lat1, double lon1, double lat2, double lon2);

// Lengths of a latitude/longitude box (degrees) in 128 steps each: east-west along its
// middle latitude from left to right, north-south along a meridian from bottom to top.
void ArcSpanLengths(double top, double left, double bottom, double right, double radius, double& eastWest,
                    double& northSouth);

// What a map view shows along its centre column and centre row.
struct ProjectedAxes {
    double left = 0.0;       // longitude of the first valid column of the centre row
    double top = 0.0;        // latitude of the first valid row of the centre column
    double right = 0.0;      // longitude of the last column of that first run
    double bottom = 0.0;     // latitude of the last row of that first run
    double eastWest = 0.0;   // ArcSpanLengths of the box
    double northSouth = 0.0;
    int firstColumn = 0;
    int lastColumn = 0;
    int firstRow = 0;
    int lastRow = 0;
};

// Walks the centre column (width / 2) down from row 0 and the centre row (height / 2)
// from column 0 through the sampler's inverse projection: the first run of pixels on the
// map gives the top and bottom (left and right) and their indices; the lengths follow
// from ArcSpanLengths. An axis without a pixel on the map leaves its fields at 0.
ProjectedAxes MeasureProjectedAxes(const SurfaceSampler& sampler, int width, int height, double radius);

// The extremes of a rendered map's mask (a pixel is set when GetPixel is not 0).
struct MaskExtents {
    double topLatitude = 0.0;     // topmost set pixel (rows from the top, columns from the left)
    double bottomLatitude = 0.0;  // bottommost (rows from the bottom, columns from the right)
    double leftLongitude = 0.0;   // leftmost (columns from the left, rows from the top)
    double rightLongitude = 0.0;  // rightmost (columns from the right, rows from the bottom)
    int topRow = 0;
    int bottomRow = 0;
    int leftColumn = 0;
    int rightColumn = 0;
    double eastWest = 0.0;        // path length from the leftmost to the rightmost pixel
    double northSouth = 0.0;      // path length from the topmost to the bottommost pixel
};

// Finds the four extreme set pixels and measures the straight pixel paths between the
// opposite pairs one row (column) at a time, summing radius x the central angle between
// consecutive pixels that unproject; a pixel off the map is skipped (the next one is
// measured from the last that unprojected). A pair in one row (column) has length 0; an
// empty mask leaves everything at 0.
MaskExtents MeasureMaskExtents(const VideoBuffer& mask, const SurfaceSampler& sampler, double radius);

} // namespace kv
