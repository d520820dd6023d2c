#include "world/ChannelDeterrace.h"

#include "ProgressFixtures.h"

#include "base/AppSettings.h"
#include "base/Progress.h"
#include "base/grid/GridFilters.h"
#include "base/layers/CSelection.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace kv;

namespace {

// Terraces: steps of 10 every 4 columns.
Grid2DPtr Terraces(int w, int h)
{
    Grid2DPtr g = Alloc2D(w, h, sizeof(float));
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c)
            g->Row<float>(r)[c] = static_cast<float>((c / 4) * 10 + r);
    return g;
}

} // namespace

TEST(ChannelDeterraceTest, CopiesOrBlendsTheFilteredGridByTheSelection)
{
    const int w = 24, h = 6;
    Grid2DPtr original = Terraces(w, h);
    Grid2DPtr filtered = Alloc2D(w, h, sizeof(float));
    ASSERT_EQ(DeterraceSurface(*original, *filtered, 8, 1e-5f), kFilterOk);
    ASSERT_NE(std::memcmp(original->Data(), filtered->Data(), original->ByteCount()), 0);

    CSelection none;
    Grid2DPtr grid = Clone2D(original.get());
    EXPECT_EQ(DeterraceChannelGrid(*grid, 8, none), 0);
    EXPECT_EQ(std::memcmp(grid->Data(), filtered->Data(), grid->ByteCount()), 0);

    CSelection selection;
    ASSERT_EQ(selection.Create(w, h), CSelection::kOk);
    selection.SetAt(5, 2, 255);
    selection.SetAt(6, 2, 51);
    selection.SetActive(true);
    grid = Clone2D(original.get());
    EXPECT_EQ(DeterraceChannelGrid(*grid, 8, selection), 0);
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) {
            const float old = original->Row<float>(r)[c], f = filtered->Row<float>(r)[c];
            const double weight = (r == 2 && c == 5) ? 1.0 : (r == 2 && c == 6) ? 51 / 255.0 : 0.0;
            EXPECT_FLOAT_EQ(grid->Row<float>(r)[c], static_cast<float>(old + weight * (f - old))) << c << "," << r;
        }
}

TEST(ChannelDeterraceTest, AbortInTheFilterChangesNothingAndInTheBlendKeepsRowsDone)
{
    const int w = 24, h = 6;
    Grid2DPtr original = Terraces(w, h);
    CSelection selection;
    ASSERT_EQ(selection.Create(w, h), CSelection::kOk);
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c)
            selection.SetAt(c, r, 255);
    selection.SetActive(true);
    {
        AbortDuring abort("Deterracing Surface");
        Grid2DPtr grid = Clone2D(original.get());
        EXPECT_EQ(DeterraceChannelGrid(*grid, 8, selection), 0);
        EXPECT_EQ(std::memcmp(grid->Data(), original->Data(), grid->ByteCount()), 0);
        EXPECT_EQ(g_abortValue.load(), 0);
    }
    {
        // The blend stops after its second row.
        AbortDuring abort("Blending result back into surface", 2);
        Grid2DPtr grid = Clone2D(original.get());
        EXPECT_EQ(DeterraceChannelGrid(*grid, 8, selection), 0);
        EXPECT_NE(std::memcmp(grid->Row<float>(1), original->Row<float>(1), w * sizeof(float)), 0);
        EXPECT_EQ(std::memcmp(grid->Row<float>(2), original->Row<float>(2), w * sizeof(float)), 0);
        EXPECT_EQ(g_abortValue.load(), 0);
    }
}

TEST(ChannelDeterraceTest, EpsilonComesFromTheProfileOrItsDefault)
{
    const struct {
        const char* text;
        float expected;
    } cases[] = {{"0.25", 0.25f}, {"abc", 1e-5f}, {"", 1e-5f}, {"1e300", 1e-5f}, {"nan", 1e-5f}};
    for (const auto& c : cases) {
        GetAppSettings().WriteString("Settings", "DeterraceEpsilon", c.text);
        EXPECT_EQ(DeterraceEpsilon(), c.expected) << c.text;
    }
    GetAppSettings().WriteString("Settings", "DeterraceEpsilon", "0.00001");
}
