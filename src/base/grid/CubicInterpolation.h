// The Catmull-Rom cubic kernel, in its direct form and in the matrix form shared with
// colour interpolation.
#pragma once

#include <cstdint>

namespace kv {

// A cubic basis: value = scale x [t^3 t^2 t 1] . matrix . [p0 p1 p2 p3].
struct CubicBasis {
    double scale;
    double matrix[4][4]; // rows for t^3, t^2, t, 1; columns for p0..p3
};

// The Catmull-Rom basis (factor 0.5).
const CubicBasis& CatmullRomBasis();

// The cubic through p1 (t = 0) and p2 (t = 1), with p0 and p3 as the outer neighbours.
// Evaluated in extended precision from single-precision samples.
double CatmullRom(float p0, float p1, float p2, float p3, float t);

// The matrix form; with CatmullRomBasis() it equals CatmullRom.
double CubicBasisEval(const CubicBasis& basis, double p0, double p1, double p2, double p3, double t);
inline double CubicBasisEval(const CubicBasis& basis, const double p[4], double t)
{
    return CubicBasisEval(basis, p[0], p[1], p[2], p[3], t);
}

// Interpolates the three low byte channels of four 0x00BBGGRR colours: each channel is
// evaluated by the basis, truncated and clamped to 0..255; the top byte of the result is 0.
uint32_t CubicBlendColor(const CubicBasis& basis, const uint32_t colors[4], double t);

// A channel value brought into 0..255 by clamping and truncation (NaN gives 0).
inline int ClampToByte(double v)
{
    if (!(v > 0.0))
        return 0;
    if (v >= 255.0)
        return 255;
    return static_cast<int>(v);
}

} // namespace kv
