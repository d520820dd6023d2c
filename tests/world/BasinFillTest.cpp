#include "world/BasinFill.h"

#include "ProgressFixtures.h"
#include "WorldFixtures.h"
#include "base/Progress.h"
#include "projection/ProjectionParms.h"
#include "world/SurfaceSampler.h"
#include "world/SurfMap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

using namespace kv;

namespace {

// The scan form of the fill, step by step: the drying walk from the border, then the eight
// alternating scan orders until one changes nothing (no visit cap), in single precision.
class ScanFill {
public:
    ScanFill(const std::vector<float>& z, const std::vector<float>& l, int w, int h)
        : Z(z), L(l), F(z.size()), W(w), H(h)
    {
    }

    std::vector<float> Run()
    {
        for (int r = 0; r < H; ++r)
            for (int c = 0; c < W; ++c)
                F[At(r, c)] = (r == 0 || r == H - 1 || c == 0 || c == W - 1) ? Z[At(r, c)] : 1e20f;
        for (std::size_t i = 0; i < F.size(); ++i)
            if (L[i] > Z[i])
                F[i] = L[i];
        depth = 0;
        for (int c = 0; c < W; ++c)
            DryUpward(0, c);
        for (int c = 0; c < W; ++c)
            DryUpward(H - 1, c);
        for (int r = 0; r < H; ++r)
            DryUpward(r, 0);
        for (int r = 0; r < H; ++r)
            DryUpward(r, W - 1);
        if (W > 2 && H > 2) {
            int s = 0;
            for (bool changed = true; changed; s = (s + 1) % 8) {
                changed = false;
                Scan(s, changed);
            }
        }
        for (std::size_t i = 0; i < F.size(); ++i)
            if (L[i] > Z[i])
                F[i] = Z[i];
        return F;
    }

private:
    static constexpr int kRow[8] = {-1, -1, -1, 0, 1, 1, 1, 0};
    static constexpr int kCol[8] = {-1, 0, 1, 1, 1, 0, -1, -1};
    static float Drop(int k) { return (k & 1) ? 0.5f : 0.70710677f; }

    std::size_t At(int r, int c) const { return static_cast<std::size_t>(r) * W + c; }

    void DryUpward(int r, int c)
    {
        if (++depth <= 10000) {
            for (int k = 0; k < 8; ++k) {
                const int nr = r + kRow[k], nc = c + kCol[k];
                if (nr < 0 || nr >= H || nc < 0 || nc >= W)
                    continue;
                const std::size_t n = At(nr, nc);
                if (F[n] != Z[n] && Z[n] >= F[At(r, c)] + Drop(k)) {
                    F[n] = Z[n];
                    DryUpward(nr, nc);
                }
            }
        }
        --depth;
    }

    void Process(int r, int c, bool& changed)
    {
        const std::size_t p = At(r, c);
        if (!(F[p] > Z[p]))
            return;
        for (int k = 0; k < 8; ++k) {
            const std::size_t n = At(r + kRow[k], c + kCol[k]);
            if (Z[p] >= F[n] + Drop(k)) {
                F[p] = Z[p];
                changed = true;
                DryUpward(r, c);
                return;
            }
            if (F[p] > F[n] + Drop(k)) {
                F[p] = F[n] + Drop(k);
                changed = true;
            }
        }
    }

    void Scan(int s, bool& changed)
    {
        const int top = 1, bottom = H - 2, left = 1, right = W - 2;
        auto rowsDown = [&](bool down, bool leftToRight) {
            for (int i = 0; i <= bottom - top; ++i)
                for (int j = 0; j <= right - left; ++j)
                    Process(down ? top + i : bottom - i, leftToRight ? left + j : right - j, changed);
        };
        auto columnsAcross = [&](bool leftToRight, bool down) {
            for (int j = 0; j <= right - left; ++j)
                for (int i = 0; i <= bottom - top; ++i)
                    Process(down ? top + i : bottom - i, leftToRight ? left + j : right - j, changed);
        };
        switch (s) {
        case 0: rowsDown(true, true); break;
        case 1: rowsDown(false, false); break;
        case 2: columnsAcross(false, true); break;
        case 3: columnsAcross(true, false); break;
        case 4: rowsDown(true, false); break;
        case 5: rowsDown(false, true); break;
        case 6: columnsAcross(true, true); break;
        default: columnsAcross(false, false); break;
        }
    }

    const std::vector<float>& Z;
    const std::vector<float>& L;
    std::vector<float> F;
    int W, H;
    int depth = 0;
};

Grid2DPtr MakeGrid(const std::vector<float>& values, int w, int h)
{
    Grid2DPtr g = Alloc2D(w, h, sizeof(float));
    std::memcpy(g->Data(), values.data(), values.size() * sizeof(float));
    return g;
}

std::vector<float> Values(const Grid2D& g)
{
    const float* p = g.DataAs<float>();
    return std::vector<float>(p, p + g.CellCount());
}

std::vector<float> Fill(const std::vector<float>& z, const std::vector<float>& l, int w, int h)
{
    Grid2DPtr Z = MakeGrid(z, w, h), L = MakeGrid(l, w, h), F = Alloc2D(w, h, sizeof(float));
    EXPECT_TRUE(FillBasins(Z.get(), L.get(), F.get(), w, h, 123.0f));
    return Values(*F);
}

void ExpectSameBits(const std::vector<float>& expected, const std::vector<float>& actual, int w, const std::string& what)
{
    ASSERT_EQ(expected.size(), actual.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(std::memcmp(&expected[i], &actual[i], sizeof(float)), 0)
            << what << " cell (" << i % w << ", " << i / w << "): scans " << expected[i] << ", fill " << actual[i];
    }
}

struct Fixture {
    const char* name;
    int w, h;
    std::vector<float> z;
    std::vector<float> l; // empty: no water anywhere (level -1000)
};

// Seeded grids of low relief with plateaus, so that basins, flats and near ties of the two
// drops are common; some cells under water, on the border too.
Fixture RandomFixture(unsigned seed, int w, int h, double waterShare)
{
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> level(0, 6);
    std::uniform_real_distribution<float> jitter(0.0f, 1.0f);
    std::bernoulli_distribution wet(waterShare);
    Fixture f{"random", w, h, {}, {}};
    for (int i = 0; i < w * h; ++i) {
        const float z = level(rng) * 0.35f + (jitter(rng) < 0.3f ? jitter(rng) : 0.0f);
        f.z.push_back(z);
        f.l.push_back(wet(rng) ? z + 0.1f + jitter(rng) : -1000.0f);
    }
    return f;
}

} // namespace

TEST(BasinFillTest, SettlesWhereTheScansSettle)
{
    const float no = -1000.0f;
    std::vector<Fixture> fixtures = {
        {"one-cell pit", 5, 5,
         {5, 5, 5, 5, 5, 5, 4, 3, 4, 5, 5, 2.2f, 0, 2.5f, 5, 5, 4, 3.1f, 4, 5, 5, 5, 1, 5, 5}, {}},
        {"nested basins", 7, 5,
         {9, 9, 9, 9, 9, 9, 9, 9, 1, 4, 6, 4, 2, 9, 9, 4, 0, 6, 1, 4, 9, 9, 1, 4, 6, 4, 3, 9, 9, 9, 9, 9, 9, 9, 5},
         {}},
        {"flat plateau", 6, 4, std::vector<float>(24, 3.0f), {}},
        {"flat with low border gap", 6, 4, {3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 1, 3, 3, 3, 3}, {}},
        {"water inside", 5, 5,
         {6, 6, 6, 6, 6, 6, 2, 1, 2, 6, 6, 1, 0, 3, 6, 6, 2, 1, 2, 6, 6, 6, 6, 4, 6},
         {no, no, no, no, no, no, no, 1.5f, no, no, no, no, 2.0f, no, no, no, no, no, no, no, no, no, no, no, no}},
        {"water on the border", 5, 4,
         {1, 1, 0.2f, 1, 1, 1, 0.5f, 0.4f, 0.3f, 1, 1, 0.1f, 0.6f, 0.2f, 1, 1, 1, 1, 1, 1},
         {no, no, 0.9f, no, no, no, no, no, no, no, no, no, no, no, no, no, no, no, no, 3.0f}},
        {"corner reached before edge", 4, 4,
         {5, 0, 5, 5, 0.2f, 2, 1.1f, 5, 5, 0.8f, 5, 5, 5, 5, 5, 5}, {}},
        // The wet border cell lies 3 above the filled basin beside it, which does not dry it.
        {"wet border beside a filled basin", 5, 4,
         {9, 9, 5, 9, 9, 1.5f, 1, 8, 0, 9, 9, 9, 8, 8, 9, 9, 9, 9, 9, 9},
         {no, no, 10, no, no, no, no, no, no, no, no, no, no, no, no, no, no, no, no, no}},
        {"3 x 3", 3, 3, {2, 2, 2, 2, 0, 2, 2, 1.5f, 2}, {}},
        {"4 x 2", 4, 2, {1, 0, 3, 2, 0.5f, 4, 0.1f, 2}, {no, 2.0f, no, no, no, no, no, 2.1f}},
    };
    for (unsigned seed = 1; seed <= 40; ++seed)
        fixtures.push_back(RandomFixture(seed, 5 + static_cast<int>(seed % 23), 4 + static_cast<int>(seed * 7 % 17),
                                         seed % 3 == 0 ? 0.0 : 0.15));
    fixtures.push_back(RandomFixture(99, 120, 60, 0.05));
    for (Fixture& f : fixtures) {
        if (f.l.empty())
            f.l.assign(f.z.size(), no);
        const std::vector<float> expected = ScanFill(f.z, f.l, f.w, f.h).Run();
        ExpectSameBits(expected, Fill(f.z, f.l, f.w, f.h), f.w, f.name);
    }
}

TEST(BasinFillTest, OneCellPitRisesToItsLowestOutletPlusTheDrop)
{
    // The pit at (2, 2) in a ring that drains to a border at 0; its lowest ways out are
    // the corner at 0.5 and the edge at 0.6.
    const std::vector<float> z = {0, 0, 0, 0, 0, 0, 0.5f, 3, 3, 0, 0, 0.6f, 0, 3, 0, 0, 3, 3, 3, 0, 0, 0, 0, 0, 0};
    const std::vector<float> f = Fill(z, std::vector<float>(25, -1.0f), 5, 5);
    EXPECT_EQ(f[12], std::min(0.5f + 0.70710677f, 0.6f + 0.5f));
    for (int i = 0; i < 25; ++i) {
        if (i != 12) {
            EXPECT_EQ(f[i], z[i]) << i;
        }
    }
}

TEST(BasinFillTest, RefusesGridsItCannotFillAndLeavesTheOutputAlone)
{
    Grid2DPtr z = Alloc2D(6, 4, sizeof(float)), l = Alloc2D(6, 4, sizeof(float));
    Grid2DPtr f = Alloc2D(6, 4, sizeof(float)), small = Alloc2D(5, 4, sizeof(float)), bytes = Alloc2D(6, 4, 1);
    f->DataAs<float>()[7] = 42.0f;
    struct Case {
        const char* name;
        const Grid2D* z;
        const Grid2D* l;
        Grid2D* f;
        int w, h;
    } cases[] = {
        {"no altitude", nullptr, l.get(), f.get(), 6, 4},
        {"no water level", z.get(), nullptr, f.get(), 6, 4},
        {"no output", z.get(), l.get(), nullptr, 6, 4},
        {"altitude of another size", small.get(), l.get(), f.get(), 6, 4},
        {"output of bytes", z.get(), l.get(), bytes.get(), 6, 4},
        {"sizes not the grids'", z.get(), l.get(), f.get(), 5, 4},
        {"output is the altitude", z.get(), l.get(), z.get(), 6, 4},
        {"output is the water level", z.get(), l.get(), l.get(), 6, 4},
        {"no cells", z.get(), l.get(), f.get(), 0, 4},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(FillBasins(c.z, c.l, c.f, c.w, c.h, 0.0f)) << c.name;
        EXPECT_EQ(f->DataAs<float>()[7], 42.0f) << c.name;
    }
}

TEST(BasinFillTest, AbortStopsTheFillAndClearsTheAbortValue)
{
    const Fixture big = RandomFixture(7, 400, 400, 0.0);
    Grid2DPtr Z = MakeGrid(big.z, 400, 400), L = MakeGrid(std::vector<float>(big.z.size(), -9.0f), 400, 400);
    Grid2DPtr F = Alloc2D(400, 400, sizeof(float));
    {
        AbortDuring abort("Filling Basins", 2);
        EXPECT_FALSE(FillBasins(Z.get(), L.get(), F.get(), 400, 400, 0.0f));
        EXPECT_EQ(AbortDuring::s_matchingPolls, 2);
        EXPECT_EQ(g_abortValue.load(), 0);
    }
    AbortDuring never("", 0);
    EXPECT_TRUE(FillBasins(Z.get(), L.get(), F.get(), 400, 400, 0.0f));
}

TEST(BasinFillTest, HeightGridHoldsTheSamplerAltitudeOfEveryCell)
{
    SurfMap world;
    RecalculateWorld(world);
    Grid2DPtr grid = ComputeHeightGrid(world, 64, 32, "Calculating World Heights");
    ASSERT_TRUE(grid);
    ASSERT_EQ(grid->Width(), 64u);
    ASSERT_EQ(grid->Height(), 32u);
    ProjectionParms projection;
    SurfaceSampler sampler(&projection, &world, nullptr, 1);
    const GridRows<const float> rows = std::as_const(*grid).Rows<float>();
    for (int r = 0; r < 32; ++r) {
        for (int c = 0; c < 64; ++c) {
            // Column c of 64 lies at c x 360 / 64 - 180, where the sampling reads it back.
            ASSERT_EQ(rows[r][c], sampler.GetAltitude(r * 180.0 / 31 - 90.0, c * 5.625 - 180.0)) << c << "," << r;
        }
    }

    {
        AbortDuring abort("Calculating World Heights");
        EXPECT_FALSE(ComputeHeightGrid(world, 64, 32, "Calculating World Heights"));
        EXPECT_EQ(g_abortValue.load(), kAbortValue);
    }
    g_abortValue.store(0);
    EXPECT_FALSE(ComputeHeightGrid(world, 1, 32, "x"));
}
