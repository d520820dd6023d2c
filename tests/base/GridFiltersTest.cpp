#include "base/grid/CubicInterpolation.h"
#include "base/grid/GridFilters.h"
#include "base/Progress.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace kv;

namespace {

template <class T>
Grid2DPtr MakeGrid(int w, int h, const std::vector<T>& values)
{
    Grid2DPtr g = Alloc2D(w, h, sizeof(T));
    std::memcpy(g->Data(), values.data(), sizeof(T) * values.size());
    return g;
}

template <class T>
Grid2DPtr Filled(int w, int h, T v)
{
    return MakeGrid<T>(w, h, std::vector<T>(static_cast<size_t>(w) * h, v));
}

template <class T>
T At(const Grid2D& g, int c, int r)
{
    return g.Rows<T>()[r][c];
}

} // namespace

TEST(GaussianKernel, FollowsItsOwnWidthRule)
{
    struct Case { float sigma; size_t taps; };
    for (const Case& c : {Case{1.0f, 7}, Case{0.5f, 5}, Case{0.25f, 3}, Case{2.0f, 11}}) {
        std::vector<float> w = GaussianKernel(c.sigma);
        ASSERT_EQ(w.size(), c.taps) << c.sigma;
        const int R = static_cast<int>(w.size() / 2);
        double sum = 0;
        for (float x : w)
            sum += x;
        EXPECT_NEAR(sum, 1.0, 1e-6);
        // Ratios against the centre: exp(-0.5 d^2 / (sigma^3 sqrt(2 pi))), not the textbook kernel.
        const double denom = std::pow(c.sigma, 3) * std::sqrt(2 * M_PI);
        for (int d = -R; d <= R; ++d) {
            EXPECT_NEAR(w[d + R] / w[R], std::exp(-0.5 * d * d / denom), 1e-6) << c.sigma << " " << d;
            EXPECT_EQ(w[d + R], w[R - d]);
        }
    }
    EXPECT_TRUE(GaussianKernel(0.0f).empty());
    EXPECT_TRUE(GaussianKernel(-1.0f).empty());
    EXPECT_TRUE(GaussianKernel(std::nanf("")).empty());
    EXPECT_TRUE(GaussianKernel(1e30f).empty());
}

TEST(GaussianBlur, ConstantGridsStayConstantAtEveryEdge)
{
    Grid2DPtr b = Filled<uint8_t>(13, 9, 200);
    ASSERT_EQ(GaussianBlurBytes(*b, 1.5f), kFilterOk);
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 13; ++c)
            ASSERT_EQ(At<uint8_t>(*b, c, r), 200) << c << "," << r;
    Grid2DPtr f = Filled<float>(13, 9, -3.25f);
    ASSERT_EQ(GaussianBlurFloatGrid(*f, 2.0f), kFilterOk);
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 13; ++c)
            ASSERT_NEAR(At<float>(*f, c, r), -3.25f, 1e-5f);
}

TEST(GaussianBlur, ColumnsWrapAtAnyRadiusAndRowsRenormalise)
{
    // One row: the vertical pass keeps it, so each cell is the wrapped horizontal sum.
    std::vector<uint8_t> row(10, 0);
    row[0] = 255;
    Grid2DPtr b = MakeGrid<uint8_t>(10, 1, row);
    ASSERT_EQ(GaussianBlurBytes(*b, 1.0f), kFilterOk);
    std::vector<float> w = GaussianKernel(1.0f);
    for (int c = 0; c < 10; ++c) {
        const int d = c <= 5 ? c : c - 10; // distance to column 0 across the wrap
        const int expect = std::abs(d) <= 3 ? static_cast<int>(255 * w[d + 3] + 0.5f) : 0;
        EXPECT_EQ(At<uint8_t>(*b, c, 0), expect) << c;
    }
    EXPECT_GT(At<uint8_t>(*b, 9, 0), 0); // column 0 reaches the last column

    // A radius of more than three widths: every offset still lands on a real column.
    Grid2DPtr f = MakeGrid<float>(3, 1, {1.0f, 0.0f, 0.0f});
    ASSERT_EQ(GaussianBlurFloatGrid(*f, 4.0f), kFilterOk); // R = 10
    std::vector<float> k = GaussianKernel(4.0f);
    for (int c = 0; c < 3; ++c) {
        double expect = 0;
        for (int d = -10; d <= 10; ++d)
            if ((((c + d) % 3) + 3) % 3 == 0)
                expect += k[d + 10];
        EXPECT_NEAR(At<float>(*f, c, 0), expect, 1e-6) << c;
    }

    // One column of two rows: each row keeps only the weights of the rows that exist.
    Grid2DPtr v = MakeGrid<float>(1, 2, {0.0f, 10.0f});
    ASSERT_EQ(GaussianBlurFloatGrid(*v, 1.0f), kFilterOk);
    EXPECT_NEAR(At<float>(*v, 0, 0), 10.0f * w[4] / (w[3] + w[4]), 1e-5);
    EXPECT_NEAR(At<float>(*v, 0, 1), 10.0f * w[3] / (w[2] + w[3]), 1e-5);
}

// A feather far wider than the grid (a script's "select f 2.e5": R = 500000 on 24 columns)
// gives what the kernel's definition gives, worked here in doubles tap by tap.
TEST(GaussianBlur, AKernelManyTimesWiderThanTheGridGivesItsDefinedResult)
{
    const int w = 24, h = 6;
    std::vector<uint8_t> cells(static_cast<size_t>(w) * h);
    for (size_t i = 0; i < cells.size(); ++i)
        cells[i] = static_cast<uint8_t>((i * 37) % 256);
    for (float sigma : {3.0f, 7.0f, 2.0e5f}) { // R = 8 (unfolded), 18 and 500000
        SCOPED_TRACE(sigma);
        Grid2DPtr b = MakeGrid<uint8_t>(w, h, cells);
        ASSERT_EQ(GaussianBlurBytes(*b, sigma), kFilterOk);
        const std::vector<float> k = GaussianKernel(sigma);
        const long long R = static_cast<long long>(k.size() / 2);
        // The weight of each column offset modulo the width, and the total.
        std::vector<double> byColumn(w, 0.0);
        double total = 0;
        for (long long d = -R; d <= R; ++d) {
            byColumn[static_cast<size_t>(((d % w) + w) % w)] += k[static_cast<size_t>(d + R)];
            total += k[static_cast<size_t>(d + R)];
        }
        std::vector<double> across(cells.size());
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) {
                double v = 0;
                for (int j = 0; j < w; ++j)
                    v += byColumn[j] * cells[static_cast<size_t>(r) * w + (c + j) % w];
                across[static_cast<size_t>(r) * w + c] = v / total;
            }
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) {
                double v = 0, sum = 0;
                for (int rr = 0; rr < h; ++rr)
                    if (std::llabs(rr - r) <= R) {
                        v += k[static_cast<size_t>(rr - r + R)] * across[static_cast<size_t>(rr) * w + c];
                        sum += k[static_cast<size_t>(rr - r + R)];
                    }
                EXPECT_NEAR(At<uint8_t>(*b, c, r), std::trunc(v / sum + 0.5), 1.0) << c << "," << r;
            }
    }
}

TEST(GaussianBlur, MaskedBlurBlendsByTheMaskAndRefusesBadInput)
{
    std::vector<float> values;
    for (int i = 0; i < 40; ++i)
        values.push_back(static_cast<float>((i * 37) % 11));
    Grid2DPtr blurred = MakeGrid<float>(8, 5, values);
    ASSERT_EQ(GaussianBlurFloatGrid(*blurred, 1.2f), kFilterOk);

    std::vector<uint8_t> m(40);
    for (int i = 0; i < 40; ++i)
        m[i] = static_cast<uint8_t>(i % 3 == 0 ? 0 : i % 3 == 1 ? 255 : 51);
    Grid2DPtr mask = MakeGrid<uint8_t>(8, 5, m);
    Grid2DPtr g = MakeGrid<float>(8, 5, values);
    ASSERT_EQ(MaskedBlurFloatGrid(*g, 1.2f, *mask), kFilterOk);
    for (int i = 0; i < 40; ++i) {
        const float v = values[i], b = blurred->DataAs<float>()[i];
        EXPECT_NEAR(g->DataAs<float>()[i], v + (b - v) * m[i] / 255.0f, 1e-5) << i;
    }

    Grid2DPtr small = Filled<uint8_t>(7, 5, 255);
    EXPECT_EQ(MaskedBlurFloatGrid(*g, 1.0f, *small), kFilterBadGrid);
    EXPECT_EQ(GaussianBlurBytes(*g, 1.0f), kFilterBadGrid);   // float cells are not bytes
    EXPECT_EQ(GaussianBlurFloatGrid(*mask, 1.0f), kFilterBadGrid);
    // A sigma of zero or below changes nothing.
    Grid2DPtr same = MakeGrid<float>(8, 5, values);
    EXPECT_EQ(GaussianBlurFloatGrid(*same, 0.0f), kFilterOk);
    EXPECT_EQ(GaussianBlurFloatGrid(*same, -2.0f), kFilterOk);
    EXPECT_EQ(MaskedBlurFloatGrid(*same, 0.0f, *mask), kFilterOk);
    EXPECT_EQ(std::memcmp(same->Data(), values.data(), 160), 0);
}

namespace {

struct ProgressLog {
    static inline std::vector<std::string> calls;
    static inline int abortAtPoll = -1;
    static inline int polls = 0;
};

ProgressHooks LoggingHooks()
{
    ProgressHooks h;
    h.begin = [](const char* text, int mode) { ProgressLog::calls.push_back(std::string("begin ") + text + " " + std::to_string(mode)); };
    h.end = [] { ProgressLog::calls.push_back("end"); };
    h.step = [](double cur, double total) {
        ProgressLog::calls.push_back("step " + std::to_string(static_cast<int>(cur)) + "/" + std::to_string(static_cast<int>(total)));
        return 0;
    };
    h.poll = [] {
        if (ProgressLog::polls++ == ProgressLog::abortAtPoll) {
            g_abortValue = kAbortValue;
            return -1;
        }
        return 0;
    };
    return h;
}

} // namespace

TEST(DeterraceSurface, InterpolatesAcrossFlatStepsByTheDistancesWalked)
{
    ProgressHooks old = SetProgressHooks(SilentProgressHooks());
    // Four equal rows of 0 0 0 10 10 10 10 20; two directions: along +x and -x.
    std::vector<float> row = {0, 0, 0, 10, 10, 10, 10, 20};
    std::vector<float> v;
    for (int r = 0; r < 4; ++r)
        v.insert(v.end(), row.begin(), row.end());
    Grid2DPtr src = MakeGrid<float>(8, 4, v);
    Grid2DPtr dst = Filled<float>(8, 4, -1.0f);
    ASSERT_EQ(DeterraceSurface(*src, *dst, 2, 1e-5f), kFilterOk);
    // Cell 1: +x stays in cell 1 for one step (4095 < 4096), then cells 2 and 3 (10): 3 flat
    // cells counted, end 10. -x: cell 0, then wraps to cell 7 (20): 2 counted, end 20.
    // 10 + (20 - 10) x 3 / 5 = 16.
    EXPECT_FLOAT_EQ(At<float>(*dst, 1, 2), 16.0f);
    // Cell 7 (20) is a peak: both walks end lower, so it keeps its own value.
    EXPECT_FLOAT_EQ(At<float>(*dst, 7, 0), 20.0f);
    // Cell 4 (10): +x: 4, 4, 5, 6 then 20 -> L 4, end 20; -x: 4, 3, then 0 -> L 2, end max(10, 0) = 10.
    // 20 + (10 - 20) x 4 / 6.
    EXPECT_FLOAT_EQ(At<float>(*dst, 4, 3), 20.0f + (10.0f - 20.0f) * 4.0f / 6.0f);

    // A flat grid: every walk stops after height + 1 cells at the same level.
    Grid2DPtr flat = Filled<float>(6, 3, 5.0f);
    Grid2DPtr out = Filled<float>(6, 3, 0.0f);
    ASSERT_EQ(DeterraceSurface(*flat, *out, 8, 0.0f), kFilterOk);
    for (int i = 0; i < 18; ++i)
        EXPECT_FLOAT_EQ(out->DataAs<float>()[i], 5.0f);
    SetProgressHooks(old);
}

TEST(DeterraceSurface, RefusesTooFewDirectionsAndBadGrids)
{
    ProgressHooks old = SetProgressHooks(SilentProgressHooks());
    Grid2DPtr src = MakeGrid<float>(3, 2, {1, 2, 3, 4, 5, 6});
    for (int n : {1, 0, -4}) {
        Grid2DPtr dst = Filled<float>(3, 2, 0.0f);
        EXPECT_EQ(DeterraceSurface(*src, *dst, n, 1e-5f), kFilterBadParameter) << n;
        EXPECT_EQ(Equal2D(src.get(), dst.get()), 1) << n; // the caller copying it back loses nothing
    }
    Grid2DPtr other = Filled<float>(3, 3, 0.0f);
    EXPECT_EQ(DeterraceSurface(*src, *other, 8, 1e-5f), kFilterBadGrid);
    EXPECT_EQ(DeterraceSurface(*src, *src, 8, 1e-5f), kFilterBadGrid);
    SetProgressHooks(old);
}

TEST(DeterraceSurface, ReportsEveryRowAndStopsWhenAborted)
{
    ProgressHooks old = SetProgressHooks(LoggingHooks());
    ProgressLog::calls.clear();
    ProgressLog::polls = 0;
    ProgressLog::abortAtPoll = -1;
    Grid2DPtr src = Filled<float>(4, 3, 1.0f);
    Grid2DPtr dst = Filled<float>(4, 3, 0.0f);
    ASSERT_EQ(DeterraceSurface(*src, *dst, 4, 0.0f), kFilterOk);
    EXPECT_EQ(ProgressLog::calls,
              (std::vector<std::string>{"begin Deterracing Surface 1", "step 0/3", "step 1/3", "step 2/3", "end"}));

    // Abort at the first poll of a tall grid: the rows of later bands are never written.
    ProgressLog::calls.clear();
    ProgressLog::polls = 0;
    ProgressLog::abortAtPoll = 0;
    const int tall = 4096;
    Grid2DPtr big = Filled<float>(4, tall, 1.0f);
    Grid2DPtr out = Filled<float>(4, tall, -1.0f);
    EXPECT_EQ(DeterraceSurface(*big, *out, 4, 0.0f), kFilterAborted);
    EXPECT_EQ(At<float>(*out, 0, 0), 1.0f);
    EXPECT_EQ(At<float>(*out, 0, tall - 1), -1.0f);
    EXPECT_EQ(ProgressLog::calls.back(), "end");
    EXPECT_EQ(ProgressLog::polls, 1);
    g_abortValue = 0;
    SetProgressHooks(old);
}

TEST(ResizeGrid, FloatResizeIsBilinearAndKeepsASameSizeGrid)
{
    // 4 col + 2 row sampled on 3 x 2; on 5 x 3 the new cell (j, i) lies at (j / 2, i / 2).
    Grid2DPtr g = MakeGrid<float>(3, 2, {0, 4, 8, 2, 6, 10});
    const Grid2D* before = g.get();
    ASSERT_EQ(ResizeFloatGrid(g, 3, 2), kFilterOk);
    EXPECT_EQ(g.get(), before);
    ASSERT_EQ(ResizeFloatGrid(g, 5, 3), kFilterOk);
    ASSERT_EQ(g->Width(), 5u);
    ASSERT_EQ(g->Height(), 3u);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 5; ++j)
            EXPECT_FLOAT_EQ(At<float>(*g, j, i), 2.0f * j + i) << j << "," << i;

    for (auto [w, h] : {std::pair{1, 3}, std::pair{3, 1}, std::pair{0, 0}, std::pair{-5, 4}}) {
        EXPECT_EQ(ResizeFloatGrid(g, w, h), kFilterBadParameter);
        EXPECT_EQ(g->Width(), 5u);
    }
    Grid2DPtr none;
    EXPECT_EQ(ResizeFloatGrid(none, 4, 4), kFilterBadGrid);
}

TEST(ResizeGrid, ColourResizeTruncatesEachChannelTwice)
{
    // Channels (red, green, blue, alpha) of the four corners, top row first.
    auto pack = [](uint32_t r, uint32_t g, uint32_t b, uint32_t a) { return r | g << 8 | b << 16 | a << 24; };
    Grid2DPtr g = MakeGrid<uint32_t>(2, 2, {pack(1, 10, 0, 255), pack(2, 20, 255, 255),
                                            pack(2, 30, 255, 255), pack(3, 40, 0, 255)});
    ASSERT_EQ(ResizeColorGrid(g, 3, 3), kFilterOk);
    // red: top trunc(1.5) = 1, bottom trunc(2.5) = 2, centre trunc(1.5) = 1;
    // green: 15 and 35 give 25; blue: 127 and 127 give 127; alpha stays 255.
    EXPECT_EQ(At<uint32_t>(*g, 1, 1), pack(1, 25, 127, 255));
    EXPECT_EQ(At<uint32_t>(*g, 0, 0), pack(1, 10, 0, 255));
    EXPECT_EQ(At<uint32_t>(*g, 2, 2), pack(3, 40, 0, 255));
    EXPECT_EQ(At<uint32_t>(*g, 2, 1), pack(2, 30, 127, 255)); // last column: no wrap to column 0
}

TEST(CubicInterpolation, KernelFormsAgreeAndColoursClamp)
{
    EXPECT_DOUBLE_EQ(CatmullRom(7, 1, 2, -4, 0.0f), 1.0);
    EXPECT_DOUBLE_EQ(CatmullRom(7, 1, 2, -4, 1.0f), 2.0);
    EXPECT_DOUBLE_EQ(CatmullRom(0, 1, 2, 3, 0.25f), 1.25);
    // 0, 200, 255, 0 at t = 0.5: 200 + 63.75 + 2.5 - 10.3125.
    EXPECT_DOUBLE_EQ(CatmullRom(0, 200, 255, 0, 0.5f), 255.9375);
    const float cases[][5] = {{0, 200, 255, 0, 0.5f}, {3, -1, 8, 2, 0.3f}, {1e3f, -2e3f, 5, 7, 0.9f}};
    for (const auto& c : cases)
        EXPECT_NEAR(CubicBasisEval(CatmullRomBasis(), c[0], c[1], c[2], c[3], c[4]),
                    CatmullRom(c[0], c[1], c[2], c[3], c[4]), 1e-9);

    // Red overshoots (255.9375 -> 255), green undershoots (255, 0, 50, 255 -> -3.75 -> 0),
    // blue is linear (10, 20, 30, 40 -> 25); the top byte of the result is 0.
    const uint32_t colours[4] = {0xFF0A'FF00u, 0xFF14'00C8u, 0xFF1E'32FFu, 0xFF28'FF00u};
    EXPECT_EQ(CubicBlendColor(CatmullRomBasis(), colours, 0.5), 0x0019'00FFu);
}
