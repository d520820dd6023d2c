// A 3 x 3 rotation matrix of doubles (rows 0..2, columns x, y, z) kept in a Grid2D, and
// the light-direction arrow that the Lighting and Color sheet draws with it.
#pragma once

#include "base/grid/Grid2D.h"

#include <array>

namespace kv {

class RotationMatrix {
public:
    // The identity.
    RotationMatrix();
    RotationMatrix(const RotationMatrix& other);
    RotationMatrix& operator=(const RotationMatrix& other);

    void SetIdentity();
    double At(int row, int column) const { return m_cells->Row<double>(static_cast<size_t>(row))[column]; }
    double& At(int row, int column) { return m_cells->Row<double>(static_cast<size_t>(row))[column]; }

    // destination = a x b (row by column); the three must be distinct.
    static void Multiply(RotationMatrix& destination, const RotationMatrix& a, const RotationMatrix& b);
    // destination_j = source_x M[0][j] + source_y M[1][j] + source_z M[2][j].
    void Apply(double destination[3], const double source[3]) const;
    // M becomes M x R with R the rows (cos a, -sin a, 0), (sin a, cos a, 0), (0, 0, 1).
    void RotateZ(double angle);

private:
    Grid2DPtr m_cells;
};

struct ArrowPoint {
    int x;
    int y;
};
constexpr int kLightArrowPoints = 9;
// The fill colours (0x00BBGGRR) of the arrow: elevation 0 or more, and below.
constexpr uint32_t kLightArrowAbove = 0x0060FFFF;
constexpr uint32_t kLightArrowBelow = 0x008080FF;

// The outline of the light-direction arrow in a client rectangle of width x height:
// centred, radius (smaller side - 8) / 2, azimuth 0 pointing up and 90 to the right, the
// elevation (degrees) shortening it; points truncated to integers.
std::array<ArrowPoint, kLightArrowPoints> LightArrowPolygon(int width, int height, double azimuthDegrees,
                                                            double elevationDegrees);

} // namespace kv
