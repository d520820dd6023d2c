#include "base/Progress.h"
#include "base/Random.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

TEST(Random, SequenceFollowsTheGenerator)
{
    kv::SRand(1);
    // state 1 -> 1*214013+2531011 = 2745024 -> >>16 = 41
    EXPECT_EQ(kv::Rand(), 41);
    uint32_t state = 2745024u;
    for (int i = 0; i < 1000; ++i) {
        state = state * 214013u + 2531011u;
        ASSERT_EQ(kv::Rand(), static_cast<int>((state >> 16) & 0x7FFF));
    }
    kv::SeedRandom(12345);
    EXPECT_EQ(kv::LastRandomSeed(), 12345u);
    state = 12345u * 214013u + 2531011u;
    EXPECT_FLOAT_EQ(kv::RandomUniform(), static_cast<float>((state >> 16) & 0x7FFF) * (1.0f / 32767.0f));
}

TEST(Random, GaussianStaysInItsRange)
{
    // Each value takes four draws, summed in single precision, scaled by s = 2a/4, less a = sqrt(12).
    kv::SRand(7);
    uint32_t state = 7u;
    for (int k = 0; k < 3; ++k) {
        float draws = 0.0f;
        for (int i = 0; i < 4; ++i) {
            state = state * 214013u + 2531011u;
            draws += static_cast<float>((state >> 16) & 0x7FFF) * (1.0f / 32767.0f);
        }
        EXPECT_DOUBLE_EQ(kv::RandomGaussian(), draws * (std::sqrt(12.0) / 2.0) - std::sqrt(12.0)) << k;
    }
    kv::SRand(7);
    double sum = 0, sq = 0;
    const int n = 20000;
    for (int i = 0; i < n; ++i) {
        double g = kv::RandomGaussian();
        ASSERT_LE(std::fabs(g), std::sqrt(12.0) + 1e-6);
        sum += g;
        sq += g * g;
    }
    EXPECT_NEAR(sum / n, 0.0, 0.05);
    EXPECT_NEAR(sq / n, 1.0, 0.05);
}

namespace {
struct FakeWindow : kv::ProgressWindow {
    static std::vector<int>* positions;
    void SetText(const std::string&) override {}
    void SetPosition(int p) override { positions->push_back(p); }
    std::string GetPlacement() const override { return "p"; }
    void SetPlacement(const std::string&) override {}
};
std::vector<int>* FakeWindow::positions = nullptr;
std::unique_ptr<kv::ProgressWindow> MakeFake() { return std::make_unique<FakeWindow>(); }
} // namespace

TEST(Progress, DefaultStepShowsEveryNthPercentOnce)
{
    std::vector<int> shown;
    FakeWindow::positions = &shown;
    kv::SetProgressWindowFactory(MakeFake);
    struct Case { int stepMode; std::vector<int> expect; };
    const Case cases[] = {{3, {0, 3, 6, 9}}, {0, {0, 10}}, {100, {0, 10}}, {1, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}}};
    for (const Case& c : cases) {
        shown.clear();
        kv::ProgressBegin("work", c.stepMode);
        for (int i = 0; i <= 10; ++i) {
            kv::ProgressStep(i, 100);
            kv::ProgressStep(i, 100); // the same percent twice moves the bar once
        }
        EXPECT_EQ(kv::ProgressStep(5, 0), 0);
        kv::ProgressEnd();
        EXPECT_EQ(shown, c.expect) << c.stepMode;
    }
    kv::SetProgressWindowFactory(nullptr);
}

namespace {
struct EscPump : kv::ProgressEventPump {
    int pumped = 0;
    bool EventWaiting() override { return true; }
    bool WaitingEventIsEscape() override { return pumped >= 2; }
    bool PumpOne() override { ++pumped; return true; }
};
} // namespace

TEST(Progress, PollSeesEscapeAndSetsAbort)
{
    EscPump pump;
    kv::g_abortValue = 0;
    kv::SetProgressEventPump(&pump);
    EXPECT_EQ(kv::ProgressPoll(), -1);
    EXPECT_EQ(pump.pumped, 2);
    EXPECT_TRUE(kv::AbortRequested());
    // A quit request seen while pumping stops the operation too.
    struct QuitPump : kv::ProgressEventPump {
        bool EventWaiting() override { return true; }
        bool WaitingEventIsEscape() override { return false; }
        bool PumpOne() override { return false; }
    } quit;
    kv::g_abortValue = 0;
    kv::SetProgressEventPump(&quit);
    EXPECT_EQ(kv::ProgressPoll(), -1);
    EXPECT_TRUE(kv::AbortRequested());
    kv::SetProgressEventPump(nullptr);
    kv::g_abortValue = 0;
    EXPECT_EQ(kv::ProgressPoll(), 0);
}
