#include "view/RotationMatrix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kv {
namespace {

TEST(RotationMatrixTest, RotateZComposesAndApplyUsesColumns)
{
    RotationMatrix m;
    m.RotateZ(std::numbers::pi / 6);
    m.RotateZ(std::numbers::pi / 3);  // together a quarter turn
    const double x[3] = {1, 0, 0};
    double out[3];
    m.Apply(out, x);
    // Apply multiplies the row vector: (1, 0, 0) x R(90) = first row = (cos, -sin, 0).
    EXPECT_NEAR(out[0], 0.0, 1e-12);
    EXPECT_NEAR(out[1], -1.0, 1e-12);
    EXPECT_NEAR(out[2], 0.0, 1e-12);

    RotationMatrix a, b, product;
    a.At(0, 1) = 2;
    b.At(1, 2) = 3;
    RotationMatrix::Multiply(product, a, b);
    EXPECT_EQ(product.At(0, 2), 6);  // row 0 of a by column z of b
    RotationMatrix copy(product);
    product.SetIdentity();
    EXPECT_EQ(copy.At(0, 2), 6);
    EXPECT_EQ(product.At(0, 2), 0);
}

struct Extent {
    int left, top, right, bottom;
};
Extent ExtentOf(const std::array<ArrowPoint, kLightArrowPoints>& p)
{
    Extent e{p[0].x, p[0].y, p[0].x, p[0].y};
    for (const ArrowPoint& q : p) {
        e.left = std::min(e.left, q.x);
        e.right = std::max(e.right, q.x);
        e.top = std::min(e.top, q.y);
        e.bottom = std::max(e.bottom, q.y);
    }
    return e;
}

TEST(RotationMatrixTest, ArrowPointsUpAtZeroAndRightAtNinety)
{
    // 108 x 108: centre (54, 54), radius 50.
    const auto up = LightArrowPolygon(108, 108, 0.0, 0.0);
    EXPECT_EQ(up[0].x, 54);
    EXPECT_EQ(up[0].y, 54);
    const Extent u = ExtentOf(up);
    EXPECT_EQ(u.top, 4);
    EXPECT_EQ(u.bottom, 54);
    EXPECT_EQ(u.left + u.right, 108);  // symmetric about x = 54: (39 .. 69)
    EXPECT_EQ(up[4].x, 54);            // the notch on the axis
    EXPECT_EQ(up[4].y, 11);            // 54 - 42.5, truncated

    const auto right = LightArrowPolygon(108, 108, 90.0, 0.0);
    const Extent r = ExtentOf(right);
    EXPECT_EQ(r.right, 104);
    EXPECT_EQ(r.left, 54);
    EXPECT_EQ(r.top + r.bottom, 108);

    // Elevation 60 halves the length along the arrow.
    const Extent half = ExtentOf(LightArrowPolygon(108, 108, 90.0, 60.0));
    EXPECT_EQ(half.right, 79);
    // The radius comes from the smaller side.
    const Extent wide = ExtentOf(LightArrowPolygon(208, 108, 0.0, 0.0));
    EXPECT_EQ(wide.top, 4);
    EXPECT_EQ(wide.left + wide.right, 208);
}

} // namespace
} // namespace kv
