#include "base/grid/CubicInterpolation.h"

namespace kv {

const CubicBasis& CatmullRomBasis()
{
    static const CubicBasis basis{0.5,
                                  {{-1.0, 3.0, -3.0, 1.0},
                                   {2.0, -5.0, 4.0, -1.0},
                                   {-1.0, 0.0, 1.0, 0.0},
                                   {0.0, 2.0, 0.0, 0.0}}};
    return basis;
}

double CatmullRom(float p0, float p1, float p2, float p3, float t)
{
    const long double a = p0, b = p1, c = p2, d = p3, x = t;
    const long double r = b + x * (0.5L * c - 0.5L * a) + x * x * (a - 2.5L * b + 2.0L * c - 0.5L * d)
                          + x * x * x * (-0.5L * a + 1.5L * b - 1.5L * c + 0.5L * d);
    return static_cast<double>(r);
}

double CubicBasisEval(const CubicBasis& basis, double p0, double p1, double p2, double p3, double t)
{
    const double* m[4] = {basis.matrix[0], basis.matrix[1], basis.matrix[2], basis.matrix[3]};
    auto dot = [&](int row) { return m[row][0] * p0 + m[row][1] * p1 + m[row][2] * p2 + m[row][3] * p3; };
    const double t2 = t * t;
    return basis.scale * (t2 * t * dot(0) + t2 * dot(1) + t * dot(2) + dot(3));
}

uint32_t CubicBlendColor(const CubicBasis& basis, const uint32_t colors[4], double t)
{
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        auto ch = [&](int i) { return static_cast<double>((colors[i] >> shift) & 0xFFu); };
        const double v = CubicBasisEval(basis, ch(0), ch(1), ch(2), ch(3), t);
        // Truncation then clamping, as one step: values below 0 and in (-1, 0) both give 0.
        result |= static_cast<uint32_t>(ClampToByte(v)) << shift;
    }
    return result;
}

} // namespace kv
