#include "view/RotationMatrix.h"

#include <cmath>
#include <cstring>
#include <numbers>

namespace kv {

RotationMatrix::RotationMatrix() : m_cells(Alloc2D(3, 3, sizeof(double)))
{
    SetIdentity();
}

RotationMatrix::RotationMatrix(const RotationMatrix& other) : RotationMatrix()
{
    *this = other;
}

RotationMatrix& RotationMatrix::operator=(const RotationMatrix& other)
{
    if (this != &other)
        std::memcpy(m_cells->Data(), other.m_cells->Data(), m_cells->ByteCount());
    return *this;
}

void RotationMatrix::SetIdentity()
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            At(r, c) = r == c ? 1.0 : 0.0;
}

void RotationMatrix::Multiply(RotationMatrix& destination, const RotationMatrix& a, const RotationMatrix& b)
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            destination.At(r, c) = a.At(r, 0) * b.At(0, c) + a.At(r, 1) * b.At(1, c) + a.At(r, 2) * b.At(2, c);
}

void RotationMatrix::Apply(double destination[3], const double source[3]) const
{
    for (int j = 0; j < 3; ++j)
        destination[j] = source[0] * At(0, j) + source[1] * At(1, j) + source[2] * At(2, j);
}

void RotationMatrix::RotateZ(double angle)
{
    RotationMatrix turn;
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    turn.At(0, 0) = c;
    turn.At(0, 1) = -s;
    turn.At(1, 0) = s;
    turn.At(1, 1) = c;
    RotationMatrix product;
    Multiply(product, *this, turn);
    *this = product;
}

std::array<ArrowPoint, kLightArrowPoints> LightArrowPolygon(int width, int height, double azimuthDegrees,
                                                            double elevationDegrees)
{
    static constexpr double kOutline[kLightArrowPoints][2] = {
        {0, 0}, {0.4, 0.3}, {0.4, 0.15}, {1.0, 0.3}, {0.85, 0}, {1.0, -0.3}, {0.4, -0.15}, {0.4, -0.3}, {0, 0}};
    constexpr double kToRadians = std::numbers::pi / 180.0;
    const int cx = width / 2;
    const int cy = height / 2;
    const int r = ((width < height ? width : height) - 8) / 2;
    RotationMatrix m;
    m.RotateZ((90.0 - azimuthDegrees) * kToRadians);
    const double shorten = std::cos(elevationDegrees * kToRadians);
    std::array<ArrowPoint, kLightArrowPoints> points{};
    for (int i = 0; i < kLightArrowPoints; ++i) {
        const double v = kOutline[i][0] * shorten;
        const double y = kOutline[i][1];
        points[static_cast<size_t>(i)].x = static_cast<int>(cx + r * (v * m.At(0, 0) + y * m.At(1, 0)));
        points[static_cast<size_t>(i)].y = static_cast<int>(cy + r * (v * m.At(0, 1) + y * m.At(1, 1)));
    }
    return points;
}

} // namespace kv
