#include "base/layers/CSelection.h"
#include "base/Progress.h"
#include "world/IncisedFlow.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>

using namespace kv;

namespace {

constexpr int kW = 16, kH = 8;

// The grids of one run: a V-shaped valley along column 8 falling towards row 0, nothing
// under water, an offset of 1000 everywhere.
struct Fixture {
    Grid2DPtr heights = Alloc2D(kW, kH, sizeof(float));
    Grid2DPtr filled = Alloc2D(kW, kH, sizeof(float));
    Grid2DPtr water = Alloc2D(kW, kH, sizeof(float));
    Grid2DPtr offset = Alloc2D(kW, kH, sizeof(float));
    Grid2DPtr counts = Alloc2D(kW, kH, sizeof(int32_t));
    Grid2DPtr erosion = Alloc2D(kW, kH, sizeof(float));
    CSelection selection;

    Fixture()
    {
        for (int r = 0; r < kH; ++r)
            for (int c = 0; c < kW; ++c) {
                const float z = 100.0f + 10.0f * std::abs(c - 8) + 5.0f * r;
                Z(c, r) = z;
                filled->Row<float>(r)[c] = z;
                water->Row<float>(r)[c] = -1000.0f;
                O(c, r) = 1000.0f;
            }
    }
    float& Z(int c, int r) { return heights->Row<float>(r)[c]; }
    float& O(int c, int r) { return offset->Row<float>(r)[c]; }
    int32_t N(int c, int r) const { return counts->Row<int32_t>(r)[c]; }
    InciseFlowGrids Grids()
    {
        return {heights.get(), filled.get(), water.get(), offset.get(), counts.get(), erosion.get()};
    }
};

InciseFlowSettings Settings(float blur, float amount, float exponent, float blend)
{
    InciseFlowSettings s;
    s.blur = blur;
    s.amount = amount;
    s.flowExponent = exponent;
    s.effectBlend = blend;
    return s;
}

struct AbortingPoll {
    ProgressHooks previous;
    AbortingPoll()
    {
        ProgressHooks hooks = SilentProgressHooks();
        hooks.poll = [] { return g_abortValue = kAbortValue, 0; };
        previous = SetProgressHooks(hooks);
    }
    ~AbortingPoll()
    {
        SetProgressHooks(previous);
        g_abortValue = 0;
    }
};

} // namespace

TEST(IncisedFlow, CutFollowsTheNormalisedFlowPower)
{
    Fixture f;
    const InciseFlowSettings s = Settings(0.0f, 1.0f, 0.6666667f, 1.0f);
    ASSERT_EQ(IncisePasses(f.Grids(), f.selection, s), kInciseDone);
    // Worked from the counts the run left: E = N ^ exponent, t = (E - min) / (max - min).
    double lo = 1e300, hi = -1e300;
    int bestC = 0, bestR = 0;
    for (int r = 0; r < kH; ++r)
        for (int c = 0; c < kW; ++c) {
            const double e = static_cast<float>(std::pow(double(f.N(c, r)), double(s.flowExponent)));
            lo = std::min(lo, e);
            if (e > hi) {
                hi = e;
                bestC = c;
                bestR = r;
            }
        }
    ASSERT_GT(hi, lo);
    for (int r = 0; r < kH; ++r)
        for (int c = 0; c < kW; ++c) {
            const double e = static_cast<float>(std::pow(double(f.N(c, r)), double(s.flowExponent)));
            const double t = (e - lo) / (hi - lo);
            EXPECT_NEAR(f.O(c, r), 1000.0 - t * f.Z(c, r), 1e-3) << c << "," << r;
        }
    // The cell of most flow loses its whole filled altitude.
    EXPECT_NEAR(f.O(bestC, bestR), 1000.0f - f.Z(bestC, bestR), 1e-3f);
    EXPECT_EQ(bestC, 8);
}

TEST(IncisedFlow, BlendZeroChangesNothing)
{
    Fixture f;
    ASSERT_EQ(IncisePasses(f.Grids(), f.selection, Settings(2.0f, 1.0f, 0.6666667f, 0.0f)), kInciseDone);
    for (int r = 0; r < kH; ++r)
        for (int c = 0; c < kW; ++c)
            EXPECT_EQ(f.O(c, r), 1000.0f);
}

TEST(IncisedFlow, WaterCellsAreNeverCut)
{
    Fixture f;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < kW; ++c)
            f.water->Row<float>(r)[c] = f.Z(c, r); // at its water level
    ASSERT_EQ(IncisePasses(f.Grids(), f.selection, Settings(1.0f, 1.0f, 0.6666667f, 1.0f)), kInciseDone);
    bool anyCut = false;
    for (int r = 0; r < kH; ++r)
        for (int c = 0; c < kW; ++c) {
            if (r < 3) {
                EXPECT_EQ(f.O(c, r), 1000.0f) << c << "," << r;
                EXPECT_EQ(f.erosion->Row<float>(r)[c], 0.0f);
            } else {
                anyCut = anyCut || f.O(c, r) < 1000.0f;
            }
        }
    EXPECT_TRUE(anyCut);
}

TEST(IncisedFlow, SelectionWeightsTheFillAndTheCut)
{
    Fixture f;
    // A pit at (4, 5) filled to 200; the selection holds the left half at weight 1 and
    // column 4 at half weight.
    f.Z(4, 5) = 20.0f;
    f.filled->Row<float>(5)[4] = 200.0f;
    ASSERT_EQ(f.selection.Create(kW, kH), 0);
    for (int r = 0; r < kH; ++r)
        for (int c = 0; c < 8; ++c)
            f.selection.SetAt(c, r, c == 4 ? 128 : 255);
    ASSERT_EQ(IncisePasses(f.Grids(), f.selection, Settings(0.0f, 1.0f, 0.6666667f, 1.0f)), kInciseDone);
    EXPECT_NEAR(f.Z(4, 5), 20.0f + 128.0f / 255.0f * 180.0f, 1e-3f);
    for (int r = 0; r < kH; ++r)
        for (int c = 8; c < kW; ++c)
            EXPECT_EQ(f.O(c, r), 1000.0f) << c << "," << r;
}

TEST(IncisedFlow, HugeExponentStaysFinite)
{
    for (float blur : {0.0f, 2.0f}) {
        Fixture f;
        ASSERT_EQ(IncisePasses(f.Grids(), f.selection, Settings(blur, 1.0f, 50.0f, 1.0f)), kInciseDone);
        bool held = false, cut = false;
        for (int r = 0; r < kH; ++r)
            for (int c = 0; c < kW; ++c) {
                EXPECT_TRUE(std::isfinite(f.O(c, r)));
                EXPECT_TRUE(std::isfinite(f.erosion->Row<float>(r)[c]));
                held = held || f.erosion->Row<float>(r)[c] == FLT_MAX;
                cut = cut || f.O(c, r) < 1000.0f;
            }
        EXPECT_EQ(held, blur == 0.0f); // counts ^ 50 overflow: held at the float maximum
        EXPECT_TRUE(cut);
    }
}

TEST(IncisedFlow, RefusedOrStoppedRunsReturnMinusOne)
{
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const InciseFlowSettings bad[] = {Settings(nan, 1, 1, 1), Settings(0, inf, 1, 1), Settings(0, 1, -inf, 1),
                                      Settings(0, 1, 1, nan)};
    for (const InciseFlowSettings& s : bad) {
        Fixture f;
        EXPECT_EQ(IncisePasses(f.Grids(), f.selection, s), kInciseStopped);
        EXPECT_EQ(f.O(8, 3), 1000.0f);
    }
    Fixture wrong;
    wrong.counts = Alloc2D(kW, kH - 1, sizeof(int32_t));
    EXPECT_EQ(IncisePasses(wrong.Grids(), wrong.selection, Settings(0, 1, 1, 1)), kInciseStopped);

    Fixture stopped;
    AbortingPoll abort;
    EXPECT_EQ(IncisePasses(stopped.Grids(), stopped.selection, Settings(0, 1, 1, 1)), kInciseStopped);
}

TEST(IncisedFlow, FlatErosionCutsNothing)
{
    Fixture f;
    for (int r = 0; r < kH; ++r)
        for (int c = 0; c < kW; ++c)
            f.water->Row<float>(r)[c] = 1e6f; // everything under water: erosion all 0
    EXPECT_EQ(IncisePasses(f.Grids(), f.selection, Settings(0, 1, 1, 1)), kInciseDone);
    EXPECT_EQ(f.O(8, 0), 1000.0f);
}
