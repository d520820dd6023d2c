// The contour tracer: every crossed edge written once, rings closed at their start edge,
// long lines continued, saddles paired by their mean, the sink's answer returned; checked
// against an outside contour generator on the same grids.
#include "exchange/ContourTracer.h"

#include "base/raster/VideoBuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

using kv::line_pts;

namespace {

constexpr float kRing = -1e20f;

struct Grid {
    int width = 0;
    int height = 0;
    kv::Grid2DPtr cells;
    kv::GridRows<const float> Rows() const { return static_cast<const kv::Grid2D&>(*cells).Rows<float>(); }
    float& At(int row, int col) { return cells->Rows<float>()[static_cast<std::size_t>(row)][col]; }
};

Grid MakeGrid(int width, int height)
{
    Grid g;
    g.width = width;
    g.height = height;
    g.cells = kv::Alloc2D(static_cast<std::size_t>(width), static_cast<std::size_t>(height), sizeof(float));
    return g;
}

// Inner values surrounded by a ring of -1e20, as the drawing export samples a map.
Grid Ringed(const std::vector<std::vector<float>>& inner)
{
    const int h = static_cast<int>(inner.size()) + 2;
    const int w = static_cast<int>(inner[0].size()) + 2;
    Grid g = MakeGrid(w, h);
    for (int i = 0; i < h; ++i)
        for (int j = 0; j < w; ++j)
            g.At(i, j) = (i == 0 || j == 0 || i == h - 1 || j == w - 1) ? kRing : inner[static_cast<std::size_t>(i - 1)][static_cast<std::size_t>(j - 1)];
    return g;
}

Grid Circle(int side)
{
    std::vector<std::vector<float>> inner(static_cast<std::size_t>(side), std::vector<float>(static_cast<std::size_t>(side)));
    const double c = (side - 1) / 2.0;
    for (int i = 0; i < side; ++i)
        for (int j = 0; j < side; ++j)
            inner[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)] = static_cast<float>(20.0 - std::hypot(i - c, j - c));
    return Ringed(inner);
}

struct Line {
    std::vector<line_pts::Point> points;
    bool closed = false;
};

struct Recorder : kv::TraceCallback {
    int Trace(const line_pts& line) override
    {
        lines.push_back({std::vector<line_pts::Point>(line.Points(), line.Points() + line.Count()), line.IsClosed()});
        return answer;
    }
    int Segments() const
    {
        int n = 0;
        for (const Line& l : lines)
            n += static_cast<int>(l.points.size()) - 1;
        return n;
    }
    std::vector<Line> lines;
    int answer = 0;
};

bool Crosses(double a, double b, double x) { return (a <= x && b > x) || (b <= x && a > x); }

// Crossed edges as the tracer's contract states them: key (row, col, vertical) -> point.
std::map<std::tuple<int, int, int>, std::pair<double, double>> CrossingPoints(const Grid& g, double x)
{
    std::map<std::tuple<int, int, int>, std::pair<double, double>> out;
    auto r = g.Rows();
    for (int i = 0; i < g.height; ++i)
        for (int j = 0; j < g.width; ++j) {
            const double a = r[static_cast<std::size_t>(i)][j];
            if (j + 1 < g.width) {
                const double b = r[static_cast<std::size_t>(i)][j + 1];
                if (Crosses(a, b, x))
                    out[{i, j, 0}] = {j + (x - a) / (b - a), i};
            }
            if (i + 1 < g.height) {
                const double b = r[static_cast<std::size_t>(i) + 1][j];
                if (Crosses(a, b, x))
                    out[{i, j, 1}] = {j, i + (x - a) / (b - a)};
            }
        }
    return out;
}

using Points = std::vector<std::pair<double, double>>;

// Each point of either list lies within 1e-4 of a point of the other (the traced points
// are floats).
void ExpectSamePoints(const Points& a, const Points& b)
{
    auto near = [](const Points& from, const Points& to) {
        int missing = 0;
        for (const auto& p : from)
            if (std::none_of(to.begin(), to.end(), [&](const auto& q) {
                    return std::fabs(p.first - q.first) < 1e-4 && std::fabs(p.second - q.second) < 1e-4;
                }))
                ++missing;
        return missing;
    };
    EXPECT_EQ(near(a, b), 0);
    EXPECT_EQ(near(b, a), 0);
}

Points TracedPoints(const Recorder& rec)
{
    Points pts;
    for (const Line& l : rec.lines)
        for (const auto& p : l.points)
            pts.push_back({p.x - 0.01, p.y - 0.01});
    return pts;
}

Points ExpectedPoints(const Grid& g, double x)
{
    Points pts;
    for (const auto& [key, p] : CrossingPoints(g, x))
        pts.push_back(p);
    return pts;
}

int Trace(Recorder& rec, const Grid& g, double level, int maxPoints = 20000, const kv::VideoBuffer* mask = nullptr)
{
    return kv::TraceContours(rec, g.Rows(), level, g.width, g.height, nullptr, nullptr, maxPoints, mask);
}

} // namespace

// The three grids on which a trace that retraces, stops early or skips cells loses
// crossings: every crossing is written once, and every ring is closed.
TEST(ContourTracer, EveryCrossingOnceOnRingedFixtures)
{
    struct Case {
        const char* name;
        Grid grid;
        double level;
        int crossings;
    };
    Case cases[] = {
        {"2x3 corners", Ringed({{0.9f, 0.2f}, {0.7f, -0.7f}, {-0.9f, 0.4f}}), 0.3, 10},
        {"3x3 saddles", Ringed({{-0.5f, 0.2f, -0.9f}, {0.2f, -0.2f, 0.9f}, {-0.5f, 0.2f, -0.2f}}), 0.1, 16},
        {"circle", Circle(64), 0.5, 152},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(static_cast<int>(CrossingPoints(c.grid, c.level).size()), c.crossings);
        Recorder rec;
        EXPECT_EQ(Trace(rec, c.grid, c.level), 0);
        EXPECT_EQ(rec.Segments(), c.crossings);
        ExpectSamePoints(TracedPoints(rec), ExpectedPoints(c.grid, c.level));
        for (const Line& l : rec.lines) {
            EXPECT_TRUE(l.closed);
            EXPECT_EQ(l.points.front().x, l.points.back().x);
            EXPECT_EQ(l.points.front().y, l.points.back().y);
        }
    }
}

// A ring longer than maxPoints goes out in pieces that continue one another: 152
// segments in all, no piece longer than the limit, each starting where the last ended.
TEST(ContourTracer, CutLineContinuesAsTheNext)
{
    Grid g = Circle(64);
    Recorder rec;
    ASSERT_EQ(Trace(rec, g, 0.5, 50), 0);
    EXPECT_EQ(rec.Segments(), 152);
    ASSERT_EQ(rec.lines.size(), 4u); // 49 + 49 + 49 + 5 segments
    for (std::size_t k = 0; k < rec.lines.size(); ++k) {
        EXPECT_LE(rec.lines[k].points.size(), 50u);
        EXPECT_FALSE(rec.lines[k].closed);
        if (k > 0) {
            EXPECT_EQ(rec.lines[k].points.front().x, rec.lines[k - 1].points.back().x);
            EXPECT_EQ(rec.lines[k].points.front().y, rec.lines[k - 1].points.back().y);
        }
    }
    EXPECT_EQ(rec.lines.back().points.back().x, rec.lines.front().points.front().x);
}

// A single saddle cell: the mean of the corners decides which corners the two lines cut
// off, and both lines are traced from the one cell.
TEST(ContourTracer, SaddlePairsByMean)
{
    struct Case {
        float low;          // the two low corners
        double level;
        bool lowsJoined;    // mean below the level: the high corners are cut off
    };
    for (Case c : {Case{0.0f, 0.6, true}, Case{0.4f, 0.6, false}}) {
        Grid g = MakeGrid(2, 2);
        g.At(0, 0) = 1.0f;
        g.At(0, 1) = c.low;
        g.At(1, 1) = 1.0f;
        g.At(1, 0) = c.low;
        Recorder rec;
        ASSERT_EQ(Trace(rec, g, c.level), 0);
        ASSERT_EQ(rec.lines.size(), 2u);
        // Each line cuts off the corner nearest both of its points.
        std::set<std::pair<int, int>> corners;
        for (const Line& l : rec.lines) {
            ASSERT_EQ(l.points.size(), 2u);
            EXPECT_FALSE(l.closed);
            const float cx = std::round((l.points[0].x + l.points[1].x - 0.02f) - 0.5f);
            const float cy = std::round((l.points[0].y + l.points[1].y - 0.02f) - 0.5f);
            corners.insert({static_cast<int>(cy), static_cast<int>(cx)});
        }
        const std::set<std::pair<int, int>> highs{{0, 0}, {1, 1}}, lows{{0, 1}, {1, 0}};
        EXPECT_EQ(corners, c.lowsJoined ? highs : lows) << "low " << c.low;
    }
}

// Half-open crossings: a level equal to a corner crosses only where that corner is the
// lower end; a flat grid at the level gives nothing; an open line ends at the border.
TEST(ContourTracer, LevelOnCornersFlatGridsAndOpenLines)
{
    Grid flat = MakeGrid(4, 4);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            flat.At(i, j) = 2.0f;
    Recorder none;
    EXPECT_EQ(Trace(none, flat, 2.0), 0);
    EXPECT_TRUE(none.lines.empty());

    // Columns 0..3 valued 0, 1, 2, 3: level 1 crosses between columns 1 and 2 (1 is the
    // lower end), never between 0 and 1.
    Grid ramp = MakeGrid(4, 3);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 4; ++j)
            ramp.At(i, j) = static_cast<float>(j);
    Recorder rec;
    ASSERT_EQ(Trace(rec, ramp, 1.0), 0);
    ASSERT_EQ(rec.lines.size(), 1u);
    EXPECT_FALSE(rec.lines[0].closed);
    ASSERT_EQ(rec.lines[0].points.size(), 3u);
    for (const auto& p : rec.lines[0].points)
        EXPECT_FLOAT_EQ(p.x, 1.01f);
}

// The sink's negative answer stops the trace and is returned; a zero mask pixel stops a
// line from starting in its cell.
TEST(ContourTracer, SinkAnswerAndMask)
{
    Grid g = Ringed({{1, 1, 0, 0, 1, 1}, {1, 1, 0, 0, 1, 1}});
    Recorder stop;
    stop.answer = -7;
    EXPECT_EQ(Trace(stop, g, 0.5), -7);
    EXPECT_EQ(stop.lines.size(), 1u);

    Recorder all;
    ASSERT_EQ(Trace(all, g, 0.5), 0);
    EXPECT_EQ(all.lines.size(), 2u);

    kv::VideoBuffer mask;
    ASSERT_EQ(mask.Create(g.width, g.height, 32), 0);
    mask.Clear(0xFFFFFF);
    for (int i = 0; i < g.height; ++i)
        for (int j = 0; j < 5; ++j)
            mask.SetPixel(j, i, 0); // no start in the left ring's cells
    Recorder masked;
    ASSERT_EQ(Trace(masked, g, 0.5, 20000, &mask), 0);
    EXPECT_EQ(masked.lines.size(), 1u);
}

// Random grids (no value on the level): every crossed edge of the grid is met by exactly
// as many traced segments as it has cells beside it, and no segment is written twice.
TEST(ContourTracer, RandomGridsWriteEverySegmentOnce)
{
    std::mt19937 rng(29);
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    for (int trial = 0; trial < 40; ++trial) {
        const int w = 3 + trial % 13, h = 2 + (trial * 7) % 11;
        Grid g = MakeGrid(w, h);
        for (int i = 0; i < h; ++i)
            for (int j = 0; j < w; ++j) {
                // Values well clear of the level, so that no crossing lies on a corner.
                float v = value(rng);
                g.At(i, j) = std::fabs(v - 0.5f) < 0.02f ? 0.25f : v;
            }
        Recorder rec;
        ASSERT_EQ(Trace(rec, g, 0.5, 3 + trial % 5), 0);
        // Which edge a point lies on: integer row for horizontal edges, integer column else.
        auto edgeOf = [](const line_pts::Point& p) {
            const double x = p.x - 0.01, y = p.y - 0.01;
            if (std::fabs(y - std::round(y)) < 1e-5)
                return std::tuple<int, int, int>{static_cast<int>(std::lround(y)), static_cast<int>(std::floor(x)), 0};
            return std::tuple<int, int, int>{static_cast<int>(std::floor(y)), static_cast<int>(std::lround(x)), 1};
        };
        std::map<std::tuple<int, int, int>, int> degree;
        std::set<std::pair<std::tuple<int, int, int>, std::tuple<int, int, int>>> segments;
        for (const Line& l : rec.lines)
            for (std::size_t k = 0; k + 1 < l.points.size(); ++k) {
                auto a = edgeOf(l.points[k]), b = edgeOf(l.points[k + 1]);
                ++degree[a];
                ++degree[b];
                EXPECT_TRUE(segments.insert({std::min(a, b), std::max(a, b)}).second) << "trial " << trial;
            }
        const auto crossed = CrossingPoints(g, 0.5);
        for (const auto& [key, p] : crossed) {
            const auto [i, j, vertical] = key;
            const int cells = vertical ? (j > 0) + (j < w - 1) : (i > 0) + (i < h - 1);
            EXPECT_EQ(degree[key], cells) << "trial " << trial << " edge " << i << "," << j << "," << vertical;
            if (degree[key] != cells) {
                for (int r = 0; r < h; ++r) { for (int c = 0; c < w; ++c) std::printf("%5.2f ", g.At(r, c)); std::printf("\n"); }
                for (const Line& l : rec.lines) { for (auto& p : l.points) std::printf("(%.2f,%.2f) ", p.x - 0.01, p.y - 0.01); std::printf("\n"); }
            }
        }
        EXPECT_EQ(degree.size(), crossed.size()) << "trial " << trial;
    }
}

// The outside generator (gdal_contour, installed by scripts/install-deps.sh) finds the
// same crossing points on the same ringed grids and levels (it extends lines half a cell
// beyond an unringed border, which the export never has).
TEST(ContourTracer, SameCrossingsAsOutsideGenerator)
{
    const std::string tool = "/usr/bin/gdal_contour";
    ASSERT_EQ(::access(tool.c_str(), X_OK), 0) << "gdal_contour missing: run scripts/install-deps.sh";
    struct Case {
        Grid grid;
        double level;
    };
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> value(-1.0f, 1.0f);
    std::vector<std::vector<float>> inner(15, std::vector<float>(21));
    for (auto& row : inner)
        for (float& v : row)
            v = value(rng);
    Grid noisy = Ringed(inner);
    Case cases[] = {
        {Ringed({{0.9f, 0.2f}, {0.7f, -0.7f}, {-0.9f, 0.4f}}), 0.3},
        {Ringed({{-0.5f, 0.2f, -0.9f}, {0.2f, -0.2f, 0.9f}, {-0.5f, 0.2f, -0.2f}}), 0.1},
        {Circle(64), 0.5},
        {std::move(noisy), 0.1},
    };
    const std::string base = ::testing::TempDir() + "kv_contour_" + std::to_string(::getpid());
    int index = 0;
    for (Case& c : cases) {
        SCOPED_TRACE(index);
        const std::string asc = base + "_" + std::to_string(index) + ".asc";
        const std::string out = base + "_" + std::to_string(index++) + ".csv";
        {
            // Pixel centres at integer positions: column j at x = j, row i at y = height-1-i.
            std::ofstream f(asc);
            f << "ncols " << c.grid.width << "\nnrows " << c.grid.height
              << "\nxllcorner -0.5\nyllcorner -0.5\ncellsize 1\n";
            f.precision(9);
            auto r = c.grid.Rows();
            for (int i = 0; i < c.grid.height; ++i) {
                for (int j = 0; j < c.grid.width; ++j)
                    f << r[static_cast<std::size_t>(i)][j] << ' ';
                f << '\n';
            }
        }
        std::remove(out.c_str());
        std::ostringstream cmd;
        cmd.precision(9);
        cmd << tool << " -q -f CSV -lco GEOMETRY=AS_WKT -fl " << c.level << ' ' << asc << ' ' << out
            << " > /dev/null 2>&1";
        ASSERT_EQ(std::system(cmd.str().c_str()), 0) << cmd.str();
        std::ifstream in(out);
        std::stringstream text;
        text << in.rdbuf();
        std::string s = text.str();
        // Every "x y" pair inside the LINESTRING texts.
        std::vector<std::pair<double, double>> outside;
        for (std::size_t at = s.find("LINESTRING"); at != std::string::npos; at = s.find("LINESTRING", at + 1)) {
            const std::size_t open = s.find('(', at), close = s.find(')', open);
            std::stringstream coords(s.substr(open + 1, close - open - 1));
            std::string pair;
            while (std::getline(coords, pair, ',')) {
                std::stringstream xy(pair);
                double x = 0, y = 0;
                xy >> x >> y;
                outside.push_back({x, c.grid.height - 1 - y});
            }
        }
        Recorder rec;
        ASSERT_EQ(Trace(rec, c.grid, c.level), 0);
        ASSERT_FALSE(outside.empty());
        ExpectSamePoints(TracedPoints(rec), outside);
        std::remove(asc.c_str());
        std::remove(out.c_str());
    }
}

// Several levels in parallel come to the caller in level order, each with exactly the
// lines a trace of that level alone gives.
TEST(ContourTracer, LevelsInParallelMatchSingleTraces)
{
    Grid g = Circle(40);
    const std::vector<double> levels{-3.0, 0.5, 4.0, 9.5, 30.0};
    std::vector<int> order;
    const int result = kv::TraceContourLevels(
        levels, g.Rows(), g.width, g.height, 37, nullptr,
        [&](int k, const std::vector<line_pts>& lines) -> int {
            order.push_back(k);
            Recorder single;
            EXPECT_EQ(Trace(single, g, levels[static_cast<std::size_t>(k)], 37), 0);
            EXPECT_EQ(lines.size(), single.lines.size());
            for (std::size_t n = 0; n < std::min(lines.size(), single.lines.size()); ++n) {
                EXPECT_EQ(lines[n].Count(), static_cast<int>(single.lines[n].points.size()));
                for (int p = 0; p < std::min(lines[n].Count(), static_cast<int>(single.lines[n].points.size())); ++p)
                    EXPECT_EQ(lines[n][p].x, single.lines[n].points[static_cast<std::size_t>(p)].x);
            }
            return k == 3 ? -5 : 0;
        },
        3);
    EXPECT_EQ(result, -5);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3}));
}

// The tracer's point list: growing to n makes the count n (the buffer n + 128 long when
// it was full), growing to 0 or less frees it; added points carry the +0.01 offset.
TEST(ContourTracer, PointListGrowth)
{
    line_pts l;
    EXPECT_EQ(l.Grow(5), 0);
    EXPECT_EQ(l.Count(), 5);
    EXPECT_EQ(l.Capacity(), 133);
    EXPECT_EQ(l.Grow(133), 0);
    EXPECT_EQ(l.Capacity(), 261);
    EXPECT_EQ(l.Grow(2), 0);
    EXPECT_EQ(l.Capacity(), 261);
    EXPECT_EQ(l.AddPoint(3.0f, 4.0f), 3);
    EXPECT_FLOAT_EQ(l[2].x, 3.01f);
    EXPECT_FLOAT_EQ(l[2].y, 4.01f);
    EXPECT_EQ(l.Grow(0), 0);
    EXPECT_EQ(l.Count(), 0);
    EXPECT_EQ(l.Capacity(), 0);
    EXPECT_EQ(l.Grow(std::numeric_limits<int>::max()), -1);
    EXPECT_EQ(l.Capacity(), 0);
    EXPECT_EQ(l.AddPoint(1.0f, 1.0f), 1);
    EXPECT_EQ(l.Grow(std::numeric_limits<int>::max()), -2);
    EXPECT_EQ(l.Count(), 1);
}
