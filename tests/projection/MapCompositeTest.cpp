#include "projection/MapComposite.h"
#include "projection/ProjectionParms.h"
#include "projection/ProjectionRegistry.h"
#include "base/text/CExpression.h"
#include "base/text/CTokenizer.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <atomic>
#include <random>
#include <string>
#include <thread>
#include <vector>

using kv::MapComposite;
using kv::ProjectionParms;
using kv::ProjectionRegistry;
namespace fs = std::filesystem;

namespace {

// Two sinusoidal lobes: west of Greenwich on the left, east of it on the right. Values are
// number expressions, so a negative value after another needs the comma ("0 -90" is -90).
const char* kTwoLobes = R"(
Projection 100, "Two Lobes"
Description "Two sinusoidal lobes"
Scale 1
Extent -2, 1, 2, -1
Segment Sinusoidal, 0, -90, 0, 0, 1, 50, 10
Offset -1, 0
Effective -180, 90, 0, -90
EndSegment
Segment Sinusoidal 0 90 0 0 1 50 10
Offset 1 0
Effective 0, 90, 180, -90
EndSegment
EndProjection
)";

class MapCompositeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ProjectionRegistry::Destroy();
        m_dir = fs::path(KV_TEST_BINARY_DIR) /
                ("composite_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override
    {
        // Only the registered definitions still hold instances (their segments').
        EXPECT_EQ(ProjectionRegistry::Get().OutstandingInstances(), m_baseline);
        ProjectionRegistry::Destroy();
        fs::remove_all(m_dir);
    }
    // Writes Projection.txt and loads the folder.
    ProjectionRegistry& LoadDefinitions(const std::string& text)
    {
        std::ofstream(m_dir / "Projection.txt", std::ios::binary) << text;
        ProjectionRegistry& r = ProjectionRegistry::Get();
        EXPECT_EQ(r.Load(m_dir.string() + "/"), 0);
        m_baseline = r.OutstandingInstances();
        return r;
    }
    // Parses one definition on its own.
    static std::unique_ptr<MapComposite> Parse(const std::string& text, const std::string& dir)
    {
        const fs::path path = fs::path(dir) / "one.txt";
        std::ofstream(path, std::ios::binary) << text;
        kv::CTokenizer t;
        EXPECT_EQ(t.Open(path.string(), false), 0);
        while (t.GetToken() != kv::kTokEnd && t.GetToken() != kv::kw::Projection)
            t.NextToken();
        auto c = std::make_unique<MapComposite>();
        EXPECT_EQ(c->Parse(t), 0);
        c->Init(0, 0, 0, 0, 1, 1, 0, 0);
        return c;
    }
    std::unique_ptr<MapComposite> Parse(const std::string& text) { return Parse(text, m_dir.string()); }

    fs::path m_dir;
    size_t m_baseline = 0;
};

} // namespace

TEST_F(MapCompositeTest, TwoLobesRegisterAndProjectBothWays)
{
    ProjectionRegistry& r = LoadDefinitions(kTwoLobes);
    ASSERT_TRUE(r.IsRegistered(100));
    EXPECT_EQ(r.GetName(100), "Two Lobes");
    EXPECT_EQ(r.GetFlags(100), kv::kProjInterrupted);
    EXPECT_EQ(r.FindByName("Two Lobes"), 100);

    ProjectionParms p;
    ASSERT_EQ(p.SetProjection(100), 0);
    ASSERT_EQ(p.SetOffset(0, 0), 0);
    EXPECT_EQ(p.GetProjection()->GetDescription(), "Two sinusoidal lobes");
    EXPECT_EQ(p.GetUnitFactor(), 1.0);
    double xmin, ymax, xmax, ymin;
    p.GetExtents(xmin, ymax, xmax, ymin);
    EXPECT_EQ(xmin, -2);
    EXPECT_EQ(ymax, 1);
    EXPECT_EQ(xmax, 2);
    EXPECT_EQ(ymin, -1);

    // Each lobe's segment settings and the composite's own settings hold an x offset of
    // 0.00001 unit map coordinates.
    const double e = 0.00002;
    struct Case {
        double lat, lon, x, y;
    };
    const Case cases[] = {
        {0, -90, -1 + e, 0},
        {0, -180, -1.5 + e, 0},
        {0, 90, 1 + e, 0},
        {0, 179, 1 + e + 89.0 / 180, 0},
        {60, -45, -1 + e + 0.25 * 0.5, 60.0 / 180},
        {-30, 135, 1 + e + 0.25 * std::cos(M_PI / 6), -30.0 / 180},
    };
    for (const Case& c : cases) {
        double x, y, lat, lon;
        ASSERT_EQ(p.LatLonToMap(c.lat, c.lon, x, y), 0) << c.lat << ", " << c.lon;
        EXPECT_NEAR(x, c.x, 1e-12) << c.lat << ", " << c.lon;
        EXPECT_NEAR(y, c.y, 1e-12) << c.lat << ", " << c.lon;
        ASSERT_EQ(p.MapToLatLon(x, y, lat, lon), 0);
        EXPECT_NEAR(lat, c.lat, 1e-9);
        EXPECT_NEAR(lon, c.lon, 1e-9);
    }
    double lat, lon;
    EXPECT_NE(p.MapToLatLon(0.25, 0.5, lat, lon), 0) << "the gap between the lobes";
    EXPECT_NE(p.MapToLatLon(-1.0, 1.05, lat, lon), 0) << "outside the extent";
}

TEST_F(MapCompositeTest, NoFolderReadsNoDefinitionsOfTheWorkingFolder)
{
    std::ofstream(m_dir / "Projection.txt", std::ios::binary) << kTwoLobes;
    const fs::path previous = fs::current_path();
    fs::current_path(m_dir);
    ProjectionRegistry& r = ProjectionRegistry::Get();
    EXPECT_EQ(r.Load(""), 0);
    fs::current_path(previous);
    EXPECT_FALSE(r.IsRegistered(100));
}

TEST_F(MapCompositeTest, RoundTripsHoldForAnyCentre)
{
    LoadDefinitions(kTwoLobes);
    for (double centreLat : {0.0, 25.0, -40.0}) {
        for (double centreLon : {0.0, 70.0, -160.0}) {
            ProjectionParms p;
            ASSERT_EQ(p.SetProjection(100), 0);
            p.SetCenter(centreLat, centreLon);
            p.SetOffset(0.1, -0.05);
            int trips = 0;
            for (double lat = -85; lat <= 85; lat += 10) {
                for (double lon = -178; lon < 180; lon += 13) {
                    double x, y, la, lo;
                    ASSERT_EQ(p.LatLonToMap(lat, lon, x, y), 0) << lat << ", " << lon;
                    ASSERT_EQ(p.MapToLatLon(x, y, la, lo), 0) << lat << ", " << lon;
                    EXPECT_NEAR(la, lat, 1e-9);
                    EXPECT_NEAR(std::remainder(lo - lon, 360.0), 0, 1e-9);
                    ++trips;
                }
            }
            EXPECT_GT(trips, 400);
        }
    }
}

TEST_F(MapCompositeTest, CachingMovesTheAcceptingSegmentFirst)
{
    auto cached = Parse(kTwoLobes);
    ASSERT_EQ(cached->GetSegmentCount(), 2u);
    EXPECT_TRUE(cached->GetCaching());
    EXPECT_EQ(cached->GetSearchOrder(), (std::vector<int>{0, 1}));
    double x, y, lat, lon;
    ASSERT_EQ(cached->Forward(0.2, 1.0, x, y), 0); // east: second lobe
    EXPECT_EQ(cached->GetSearchOrder(), (std::vector<int>{1, 0}));
    // Both lobes accept longitude 0; the one first in the search order wins.
    ASSERT_EQ(cached->Forward(0, 0, x, y), 0);
    EXPECT_NEAR(x, 0.5 + 0.00001, 1e-12);
    ASSERT_EQ(cached->Inverse(-1.2, 0.1, lat, lon), 0);
    EXPECT_EQ(cached->GetSearchOrder(), (std::vector<int>{0, 1}));
    ASSERT_EQ(cached->Forward(0, 0, x, y), 0);
    EXPECT_NEAR(x, -0.5 + 0.00001, 1e-12);

    std::string text = kTwoLobes;
    text.replace(text.find("EndProjection"), 13, "NoCache\nEndProjection");
    auto uncached = Parse(text);
    EXPECT_FALSE(uncached->GetCaching());
    ASSERT_EQ(uncached->Forward(0.2, 1.0, x, y), 0);
    EXPECT_EQ(uncached->GetSearchOrder(), (std::vector<int>{0, 1}));
    ASSERT_EQ(uncached->Forward(0, 0, x, y), 0);
    EXPECT_NEAR(x, -0.5 + 0.00001, 1e-12);
}

TEST_F(MapCompositeTest, ExtentRectanglesIntersect)
{
    auto c = Parse(R"(Projection 101 Boxed
Extent -2, 1, 0.5, -1
Extent -0.5, 1, 2, -1
Segment Equirectangular 0 0 0 0 1 50 10
EndSegment
EndProjection)");
    double xmin, ymax, xmax, ymin, lat, lon, x, y;
    c->GetExtents(xmin, ymax, xmax, ymin);
    EXPECT_EQ(xmin, -2);
    EXPECT_EQ(xmax, 2);
    EXPECT_EQ(c->GetExtentCount(), 2u);
    EXPECT_EQ(c->Inverse(0.0, 0.2, lat, lon), 0);
    EXPECT_EQ(c->Inverse(0.7, 0.2, lat, lon), -1);
    EXPECT_EQ(c->Inverse(-0.7, 0.2, lat, lon), -1);
    EXPECT_EQ(c->Forward(0.1, 0.1, x, y), 0);
    EXPECT_EQ(c->Forward(0.1, 2.5, x, y), -1); // x = 2.5/pi, inside one rectangle only

    // No extent: overall extents 0 and no rectangle test; a missing Scale means 1.
    auto open = Parse("Projection 102 Open\nSegment Equirectangular 0 0 0 0 1 50 10\nEndSegment\n");
    open->GetExtents(xmin, ymax, xmax, ymin);
    EXPECT_EQ(xmin, 0);
    EXPECT_EQ(ymax, 0);
    EXPECT_EQ(xmax, 0);
    EXPECT_EQ(ymin, 0);
    EXPECT_EQ(open->GetUnitScale(), 1.0);
    EXPECT_EQ(open->Inverse(0.9, 0.45, lat, lon), 0);
    EXPECT_NEAR(lat, 0.45 * M_PI, 1e-12);
}

TEST_F(MapCompositeTest, ExclusionsCutSegments)
{
    // Inverted circle: the segment takes only points within 0.5 of the origin.
    auto c = Parse(R"(Projection 103 Disc
Scale 2
Segment Orthographic 0 0 0 0 1 50 10
Exclude 1 1 0 0 0.5
EndSegment)");
    EXPECT_EQ(c->GetUnitScale(), 0.5);
    double lat, lon, x, y;
    EXPECT_EQ(c->Inverse(0.3, 0.3, lat, lon), 0);
    EXPECT_EQ(c->Inverse(0.36, 0.36, lat, lon), -1);
    EXPECT_EQ(c->Inverse(0.5, 0.0, lat, lon), -1) << "the rim itself is outside (strict)";
    // Forward tests the same shape on the composite map.
    EXPECT_EQ(c->Forward(0.3, 0.2, x, y), 0);
    EXPECT_LT(x * x + y * y, 0.25);
    EXPECT_EQ(c->Forward(0.6, 0.0, x, y), -1);

    // Shapes tested on composite coordinates even when the segment is moved and turned.
    auto moved = Parse(R"(Projection 104 Moved
Segment Equirectangular 0 0 0 0 1 50 10
Offset 1 0.5
Scale 2 2
Rotate 90
Exclude 2 0  0.5 0  1.5 0  1.5 1  0.5 1
EndSegment)");
    // (1, 0.5) lies inside the square: excluded both ways.
    EXPECT_EQ(moved->Inverse(1.0, 0.5, lat, lon), -1);
    EXPECT_EQ(moved->Forward(0, 0.0001 * M_PI / M_PI, x, y), -1);
    // Outside the square: accepted, and the placement undone exactly.
    ASSERT_EQ(moved->Inverse(1.0, 1.5, lat, lon), 0);
    ASSERT_EQ(moved->Forward(lat, lon, x, y), 0);
    EXPECT_NEAR(x, 1.0, 1e-12);
    EXPECT_NEAR(y, 1.5, 1e-12);
}

TEST_F(MapCompositeTest, ExclusionShapes)
{
    MapComposite::Exclusion tri;
    tri.type = 3;
    tri.x[0] = 0, tri.y[0] = 0, tri.x[1] = 2, tri.y[1] = 0, tri.x[2] = 0, tri.y[2] = 2;
    EXPECT_TRUE(tri.Excludes(0.5, 0.5));
    EXPECT_FALSE(tri.Excludes(1.5, 1.5));
    EXPECT_FALSE(tri.Excludes(-0.1, 0.5));
    tri.type |= MapComposite::kExcludeInverted;
    EXPECT_FALSE(tri.Excludes(0.5, 0.5));
    EXPECT_TRUE(tri.Excludes(1.5, 1.5));

    MapComposite::Exclusion quad; // a concave "arrow" quadrilateral
    quad.type = 2;
    const double qx[] = {0, 4, 0, 1}, qy[] = {0, 2, 4, 2};
    for (int i = 0; i < 4; ++i)
        quad.x[i] = qx[i], quad.y[i] = qy[i];
    EXPECT_TRUE(quad.Excludes(2, 2));
    EXPECT_FALSE(quad.Excludes(0.5, 2)) << "in the notch";
    EXPECT_FALSE(quad.Excludes(5, 2));

    MapComposite::Exclusion circle;
    circle.type = 1;
    circle.x[0] = 1, circle.y[0] = 1, circle.x[1] = 1;
    EXPECT_TRUE(circle.Excludes(1.5, 1.5));
    EXPECT_FALSE(circle.Excludes(2, 1)) << "strictly inside only";
}

TEST_F(MapCompositeTest, ParseNeedsTheProjectionKeyword)
{
    kv::CTokenizer t;
    t.LoadLine("Segment Mercator");
    MapComposite c;
    EXPECT_EQ(c.Parse(t), -1);
}

TEST_F(MapCompositeTest, EndSegmentAppendsTheWorkingSegmentAsItStands)
{
    // Before any "Segment" the working segment is the default settings (Equirectangular)
    // with whatever placement was given; a second "EndSegment" appends the same again.
    auto c = Parse(R"(Projection 105 Stray
Offset 0.5 0
EndSegment
Segment Sinusoidal 0 0 0 0 1 50 10
EndSegment
EndSegment
EndProjection)");
    ASSERT_EQ(c->GetSegmentCount(), 3u);
    EXPECT_EQ(c->GetSegment(0).settings.GetProjectionId(), 2);
    EXPECT_EQ(c->GetSegment(0).offsetX, 0.5);
    EXPECT_EQ(c->GetSegment(1).settings.GetProjectionId(), 10);
    EXPECT_EQ(c->GetSegment(2).settings.GetProjectionId(), 10);
    EXPECT_NE(c->GetSegment(1).settings.GetProjection(), c->GetSegment(2).settings.GetProjection());
    // The first segment wins: equator, 90 degrees east is pi/2 projection units (1/2 a unit)
    // plus the default offset of 0.0001 projection units, then placed 0.5 to the right.
    double x, y;
    ASSERT_EQ(c->Forward(0, M_PI / 2, x, y), 0);
    EXPECT_NEAR(x, 0.5 + 0.5 + 0.0001 / M_PI, 1e-12);
    EXPECT_NEAR(y, 0, 1e-12);
}

TEST_F(MapCompositeTest, BadDefinitionsLoadWhatIsValid)
{
    std::string text = std::string(kTwoLobes) + R"(
// unknown segment name, missing values, a composite naming itself
Projection 101 "Odd"
Scale
Segment Nonexistent 0
EndSegment
Segment Odd 0 0 0 0 1 50 10
Effective -180, 90, 180
EndSegment
Exclude 1e30 1e30 1 2
EndProjection
Projection 6 "Takes Mercator's id"
EndProjection
Projection 300 "Too high"
EndProjection
Projection 1e30 "Absurd"
EndProjection
Projection 102 "Two Lobes"
Scale -4
Segment "Two Lobes" 0 0 0 0 1 30, -30
EndSegment
Segment "Albers Equal-Area Conic" 0 0 0 0 1 30, -30
Effective 0, 0, 0, 0
EndSegment
EndProjection
Projection 103 Unterminated
Segment Mercator 0 0 0 0 1 50 10
)";
    ProjectionRegistry& r = LoadDefinitions(text);
    EXPECT_TRUE(r.IsRegistered(100));
    ASSERT_TRUE(r.IsRegistered(101));
    EXPECT_EQ(r.GetName(6), "Mercator");
    EXPECT_EQ(r.FindByName("Too high"), -1);
    EXPECT_EQ(r.FindByName("Absurd"), -1);
    EXPECT_TRUE(r.IsRegistered(102));
    EXPECT_TRUE(r.IsRegistered(103)) << "the end of the text ends a definition";

    ProjectionParms odd;
    ASSERT_EQ(odd.SetProjection(101), 0);
    const auto* c = dynamic_cast<const MapComposite*>(odd.GetProjection());
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->GetUnitScale(), 1.0) << "a missing scale leaves 1";
    ASSERT_EQ(c->GetSegmentCount(), 2u);
    // Neither an unknown name nor the composite's own name gives anything but Equirectangular.
    EXPECT_EQ(c->GetSegment(0).settings.GetProjectionId(), 2);
    EXPECT_EQ(c->GetSegment(1).settings.GetProjectionId(), 2);
    EXPECT_EQ(c->GetSegment(1).latMin, kv::kExpressionFailed) << "a missing value reads as the failure value";

    // A segment may use an earlier composite; symmetric parallels are refused there.
    ProjectionParms nested;
    ASSERT_EQ(nested.SetProjection(102), 0);
    const auto* n = dynamic_cast<const MapComposite*>(nested.GetProjection());
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->GetUnitScale(), 1.0) << "a negative scale is ignored";
    EXPECT_EQ(n->GetSegment(0).settings.GetProjectionId(), 100);
    // The conic segment inherits the working segment's symmetric parallels and refuses them:
    // it rejects every point.
    EXPECT_EQ(n->GetSegment(1).settings.GetProjectionId(), 18);
    EXPECT_FALSE(n->GetSegment(1).settings.GetProjection()->IsUsable());
    EXPECT_EQ(n->InstanceCount(), 4); // the nested composite, its two lobes and the conic
    double x, y, lat, lon;
    ASSERT_EQ(nested.LatLonToMap(10, 100, x, y), 0);
    ASSERT_EQ(nested.MapToLatLon(x, y, lat, lon), 0);
    EXPECT_NEAR(lon, 100, 1e-9);
}

TEST_F(MapCompositeTest, RandomBytesAndFloodsNeverCrash)
{
    std::mt19937 rng(11);
    std::string noise;
    for (int i = 0; i < 200000; ++i)
        noise += static_cast<char>(rng());
    // Keywords scattered in the noise make the parser take its paths on garbage.
    const char* words[] = {"Projection ", "Segment ", "EndSegment\n", "Exclude ", "Extent ", "Scale ",
                           "Offset ", "Rotate ", "Effective ", "NoCache\n", "Description ", "EndProjection\n"};
    for (int i = 0; i < 3000; ++i)
        noise.insert(rng() % noise.size(), words[rng() % std::size(words)]);
    LoadDefinitions(noise);

    // Far more segments than a definition may hold: the rest is ignored.
    ProjectionRegistry::Destroy();
    std::string flood = "Projection 120 Flood\n";
    for (size_t i = 0; i < MapComposite::kMaxSegments + 50; ++i)
        flood += "Segment Pointy 0 0 0 0 1 50 10\nExclude 1 0 0 0 1\nEndSegment\n";
    ProjectionRegistry& r = LoadDefinitions(flood);
    ASSERT_TRUE(r.IsRegistered(120));
    ProjectionParms p;
    ASSERT_EQ(p.SetProjection(120), 0);
    EXPECT_EQ(dynamic_cast<const MapComposite*>(p.GetProjection())->GetSegmentCount(), MapComposite::kMaxSegments);
}

TEST_F(MapCompositeTest, NestingIsBounded)
{
    // Each level uses the previous one four times: copies would grow as 4^depth.
    std::string text = "Projection 130 L0\nSegment Sinusoidal 0 0 0 0 1 50 10\nEndSegment\nEndProjection\n";
    for (int level = 1; level <= 8; ++level) {
        text += "Projection " + std::to_string(130 + level) + " L" + std::to_string(level) + "\n";
        for (int k = 0; k < 4; ++k)
            text += "Segment L" + std::to_string(level - 1) + " 0 0 0 0 1 50 10\nEndSegment\n";
        text += "EndProjection\n";
    }
    ProjectionRegistry& r = LoadDefinitions(text);
    const size_t before = r.OutstandingInstances();
    ProjectionParms deep;
    ASSERT_EQ(deep.SetProjection(138), 0);
    const auto* c = dynamic_cast<const MapComposite*>(deep.GetProjection());
    ASSERT_NE(c, nullptr);
    // A nested composite joins only while the total stays in bounds; plain segments add one each.
    EXPECT_LE(c->InstanceCount(), MapComposite::kMaxInstances + 4);
    EXPECT_EQ(r.OutstandingInstances() - before, static_cast<size_t>(c->InstanceCount()) + 1);
    // The levels that fit are whole: a copy of L0 holds 2 instances (itself and its lobe),
    // L1 4 x 2 = 8, L2 4 x 9 = 36, L3 4 x 37 = 148, L4 4 x 149 = 596.
    ProjectionParms four;
    ASSERT_EQ(four.SetProjection(134), 0);
    EXPECT_EQ(dynamic_cast<const MapComposite*>(four.GetProjection())->InstanceCount(), 596);
}

TEST_F(MapCompositeTest, HoldersHaveTheirOwnInstanceAndThreadsAgree)
{
    LoadDefinitions(kTwoLobes);
    ProjectionParms west, east;
    ASSERT_EQ(west.SetProjection(100), 0);
    ASSERT_EQ(east.SetProjection(100), 0);
    EXPECT_NE(west.GetProjection(), east.GetProjection());
    west.SetCenter(10, -60);
    east.SetCenter(-20, 120);

    // Expected results worked out on one thread first.
    struct Sample {
        double lat, lon, wx, wy, ex, ey;
    };
    std::vector<Sample> samples;
    for (double lat = -80; lat <= 80; lat += 7)
        for (double lon = -179; lon < 180; lon += 11) {
            Sample s{lat, lon, 0, 0, 0, 0};
            ASSERT_EQ(west.LatLonToMap(lat, lon, s.wx, s.wy), 0);
            ASSERT_EQ(east.LatLonToMap(lat, lon, s.ex, s.ey), 0);
            samples.push_back(s);
        }

    // Four threads: two share the west settings (one instance, locked), two use east.
    std::atomic<int> mismatches{0};
    auto work = [&](const ProjectionParms& p, bool isWest) {
        for (int round = 0; round < 20; ++round) {
            for (const Sample& s : samples) {
                double x, y, lat, lon;
                if (p.LatLonToMap(s.lat, s.lon, x, y) != 0 || x != (isWest ? s.wx : s.ex) || y != (isWest ? s.wy : s.ey))
                    ++mismatches;
                if (p.MapToLatLon(x, y, lat, lon) != 0 || std::fabs(lat - s.lat) > 1e-9 ||
                    std::fabs(std::remainder(lon - s.lon, 360.0)) > 1e-9)
                    ++mismatches;
            }
        }
    };
    std::thread a(work, std::cref(west), true), b(work, std::cref(west), true);
    std::thread c(work, std::cref(east), false), d(work, std::cref(east), false);
    a.join();
    b.join();
    c.join();
    d.join();
    EXPECT_EQ(mismatches.load(), 0);
}
