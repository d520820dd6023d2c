#include "base/Progress.h"
#include "projection/ProjectionParms.h"
#include "world/AltitudeGrid.h"
#include "world/SurfaceSampler.h"

#include "WorldFixtures.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace kv;

namespace {

std::vector<std::string> g_calls;
int g_abortAtPoll = -1;

ProgressHooks RecordingHooks()
{
    ProgressHooks hooks;
    hooks.begin = [](const char* text, int mode) { g_calls.push_back(std::string("begin ") + text + " " + std::to_string(mode)); };
    hooks.end = [] { g_calls.push_back("end"); };
    hooks.step = [](double done, double total) {
        g_calls.push_back("step " + std::to_string(int(done)) + "/" + std::to_string(int(total)));
        return 0;
    };
    hooks.poll = [] {
        g_calls.push_back("poll");
        if (--g_abortAtPoll == 0)
            g_abortValue = kAbortValue;
        return 0;
    };
    return hooks;
}

struct AltitudeGridTest : ::testing::Test {
    void SetUp() override
    {
        RecalculateWorld(world);
        g_calls.clear();
        g_abortAtPoll = -1;
        previous = SetProgressHooks(RecordingHooks());
    }
    void TearDown() override
    {
        SetProgressHooks(previous);
        g_abortValue = 0;
    }
    SurfMap world;
    ProjectionParms projection;
    ProgressHooks previous;
};

} // namespace

TEST_F(AltitudeGridTest, EveryCellIsTheSamplersAltitudeAtAnyThreadCount)
{
    SurfaceSampler sampler(&projection, &world, nullptr, 1);
    Grid2DPtr one = Alloc2D(40, 20, sizeof(float)), many = Alloc2D(40, 20, sizeof(float));
    AltitudeGridProgress progress;
    ASSERT_TRUE(EvaluateAltitudeGrid(sampler, *one, progress, 1));
    ASSERT_TRUE(EvaluateAltitudeGrid(sampler, *many, progress, 5));
    EXPECT_EQ(Equal2D(one.get(), many.get()), 1);
    // Column c of 40 lies at c x 360 / 40 - 180, where the sampling reads it back.
    for (int r : {0, 7, 19})
        for (int c : {0, 13, 39})
            EXPECT_EQ(one->Row<float>(r)[c], sampler.GetAltitude(r * 180.0 / 19 - 90.0, c * 9.0 - 180.0));
}

TEST_F(AltitudeGridTest, ReportsEveryRowAndStopsWhereTheUserDid)
{
    SurfaceSampler sampler(&projection, &world, nullptr, 1);
    Grid2DPtr grid = Alloc2D(8, 4, sizeof(float));
    AltitudeGridProgress progress;
    progress.text = "Evaluating";
    progress.totalFactor = 2;
    ASSERT_TRUE(EvaluateAltitudeGrid(sampler, *grid, progress, 3));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"begin Evaluating 1", "poll", "step 0/8", "poll", "step 1/8", "poll",
                                                 "step 2/8", "poll", "step 3/8", "end"}));

    // Esc at the second poll: rows after row 1 stay 0.
    g_calls.clear();
    g_abortAtPoll = 2;
    Grid2DPtr stopped = Alloc2D(8, 4, sizeof(float));
    EXPECT_FALSE(EvaluateAltitudeGrid(sampler, *stopped, progress, 3));
    EXPECT_EQ(stopped->Row<float>(1)[3], grid->Row<float>(1)[3]);
    for (int r : {2, 3})
        for (int c = 0; c < 8; ++c)
            EXPECT_EQ(stopped->Row<float>(r)[c], 0.0f);
    // Without stopping, every row is evaluated whatever the user does.
    g_abortAtPoll = 1;
    progress.stopOnAbort = false;
    progress.pollFirst = false;
    g_calls.clear();
    Grid2DPtr all = Alloc2D(8, 4, sizeof(float));
    EXPECT_TRUE(EvaluateAltitudeGrid(sampler, *all, progress, 3));
    EXPECT_EQ(Equal2D(all.get(), grid.get()), 1);
    EXPECT_EQ(g_calls[1], "step 0/8");
}
