#include "projection/MapProject.h"
#include "projection/ProjectionParms.h"
#include "projection/ProjectionRegistry.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using kv::ProjectionParms;
using kv::ProjectionRegistry;

namespace {
constexpr double kPi = std::numbers::pi;

class ProjectionParmsTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        EXPECT_EQ(ProjectionRegistry::Get().OutstandingInstances(), 0u) << "an instance was not handed back";
        ProjectionRegistry::Destroy();
    }
};
} // namespace

TEST_F(ProjectionParmsTest, Defaults)
{
    ProjectionParms p;
    ASSERT_NE(p.GetProjection(), nullptr);
    EXPECT_EQ(p.GetProjectionId(), kv::kMapEquirectangular);
    EXPECT_STREQ(p.GetProjection()->GetName(), "Equirectangular");
    double a, b;
    p.GetCenter(a, b);
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 0);
    p.GetOffset(a, b);
    EXPECT_DOUBLE_EQ(a, 0.0001 / kPi); // the default offset is held in projection units
    EXPECT_EQ(b, 0);
    p.GetConicParallels(a, b);
    EXPECT_EQ(a, 50);
    EXPECT_EQ(b, 10);
    EXPECT_EQ(p.GetScale(), 1.0);
    EXPECT_DOUBLE_EQ(p.GetUnitFactor(), kPi);
    EXPECT_EQ(p.GetProjectionFlags(), 0x11);
    std::string text;
    ProjectionParms::DescribeProjectionFlags(0x11, text);
    EXPECT_EQ(text, " Cylindrical Equidistant");
}

TEST_F(ProjectionParmsTest, SetCenterFoldsAndClamps)
{
    struct Case {
        double lat, lon, expectLat, expectLon;
    };
    const Case cases[] = {
        {100, 190, 80, -170},
        {95, 0, 85, 0},
        {90, 0, 89.9990005493164, 0},
        {-90, 0, -89.9990005493164, 0},
        {-100, -190, -80, 170},
        {540, 0, 0, 0},       // 540 -> 180 -> folded over the pole to 0
        {-270, 725, 89.9990005493164, 5}, // -270 -> 90 -> clamped
        {30, 180, 30, 180},
        {30, -180, 30, -180},
        {1e20, 1e20, std::fmod(1e20, 360.0) - 360.0, std::fmod(1e20, 360.0) - 360.0},
    };
    for (const Case& c : cases) {
        ProjectionParms p;
        EXPECT_EQ(p.SetCenter(c.lat, c.lon), 0);
        double lat, lon;
        p.GetCenter(lat, lon);
        EXPECT_DOUBLE_EQ(lat, c.expectLat > 90 ? 180 - c.expectLat : c.expectLat) << c.lat << ", " << c.lon;
        EXPECT_DOUBLE_EQ(lon, c.expectLon) << c.lat << ", " << c.lon;
    }
    ProjectionParms p;
    p.SetCenter(10, 20);
    EXPECT_EQ(p.SetCenter(NAN, 0), -1);
    EXPECT_EQ(p.SetCenter(0, INFINITY), -1);
    double lat, lon;
    p.GetCenter(lat, lon);
    EXPECT_EQ(lat, 10);
    EXPECT_EQ(lon, 20);
}

TEST_F(ProjectionParmsTest, OffsetsAreUnitMapCoordinates)
{
    ProjectionParms p;
    EXPECT_EQ(p.SetOffset(0, 0), 0);
    double x, y;
    p.GetOffset(x, y);
    EXPECT_DOUBLE_EQ(x, 0.00001);
    EXPECT_EQ(y, 0);
    EXPECT_DOUBLE_EQ(p.GetProjection()->FalseEasting(), 0.00001 * kPi);

    // The offset is converted with the factor of the projection current at the time.
    p.SetProjection(kv::kMapGnomonic); // unit scale 1
    p.SetOffset(0.5, -0.25);
    EXPECT_DOUBLE_EQ(p.GetProjection()->FalseEasting(), 0.5);
    EXPECT_DOUBLE_EQ(p.GetProjection()->FalseNorthing(), -0.25);
    double lat, lon;
    ASSERT_EQ(p.MapToLatLon(0.5, -0.25, lat, lon), 0);
    EXPECT_NEAR(lat, 0, 1e-12);
    EXPECT_NEAR(lon, 0, 1e-12);
}

TEST_F(ProjectionParmsTest, UnknownProjectionFallsBack)
{
    ProjectionParms p;
    p.SetProjection(kv::kMapMercator);
    EXPECT_EQ(p.SetProjection(17), -1); // no projection has id 17
    EXPECT_EQ(p.GetProjectionId(), kv::kMapEquirectangular);
    EXPECT_STREQ(p.GetProjection()->GetName(), "Equirectangular");
    EXPECT_EQ(p.SetProjectionByName("mercator"), -1);
    EXPECT_EQ(p.GetProjectionId(), kv::kMapEquirectangular);
    EXPECT_EQ(p.SetProjectionByName("Mercator"), 0);
    EXPECT_EQ(p.GetProjectionId(), kv::kMapMercator);
    EXPECT_DOUBLE_EQ(p.GetUnitFactor(), kPi);
}

TEST_F(ProjectionParmsTest, RefusedSettingsKeepThePreviousOnes)
{
    ProjectionParms p;
    ASSERT_EQ(p.SetProjection(kv::kMapAlbersEqualAreaConic), 0);
    EXPECT_EQ(p.SetConicParallels(30, -30), -1);
    double p1, p2;
    p.GetConicParallels(p1, p2);
    EXPECT_EQ(p1, 50);
    EXPECT_EQ(p2, 10);
    double x, y;
    EXPECT_EQ(p.LatLonToMap(40, 10, x, y), 0) << "still usable on the kept parallels";
    EXPECT_EQ(p.SetConicParallels(20, 60), 0);
    p.GetConicParallels(p1, p2);
    EXPECT_EQ(p1, 20);

    // Equidistant Conic refuses a first parallel on the equator: it is taken, says so, and
    // reports off the map until the parallels change.
    ASSERT_EQ(p.SetConicParallels(0, 30), 0);
    EXPECT_EQ(p.SetProjection(kv::kMapEquidistantConic), -1);
    EXPECT_EQ(p.GetProjectionId(), kv::kMapEquidistantConic);
    EXPECT_EQ(p.LatLonToMap(40, 10, x, y), -1);
    EXPECT_EQ(p.SetConicParallels(0, 45), -1) << "refused again: the parallels stay";
    p.GetConicParallels(p1, p2);
    EXPECT_EQ(p2, 30);
    EXPECT_EQ(p.SetConicParallels(40, 30), 0);
    EXPECT_EQ(p.LatLonToMap(40, 10, x, y), 0);

    // Projections without parallels take any.
    ProjectionParms q;
    EXPECT_EQ(q.SetConicParallels(30, -30), 0);

    // A conic taken on such parallels refuses every setting until they change, but only the
    // parallels are kept back: scale, centre and offset given meanwhile (the order a dialog
    // applies them in) are stored and hold once usable parallels follow.
    EXPECT_EQ(q.SetProjection(kv::kMapAlbersEqualAreaConic), -1);
    EXPECT_EQ(q.SetScale(2.5), -1);
    EXPECT_EQ(q.SetCenter(20, 30), -1);
    EXPECT_EQ(q.SetOffset(0.5, 0.25), -1);
    EXPECT_EQ(q.SetConicParallels(60, 20), 0);
    EXPECT_EQ(q.GetScale(), 2.5);
    double lat, lon;
    q.GetCenter(lat, lon);
    EXPECT_EQ(lat, 20);
    EXPECT_EQ(lon, 30);
    q.GetOffset(x, y);
    EXPECT_DOUBLE_EQ(x, 0.5);
    EXPECT_DOUBLE_EQ(y, 0.25);
    EXPECT_EQ(q.LatLonToMap(20, 30, x, y), 0);
    EXPECT_NEAR(x, 0.5, 1e-12) << "the centre lands on the offset";
    EXPECT_NEAR(y, 0.25, 1e-12);
}

TEST_F(ProjectionParmsTest, CopiesHoldTheirOwnInstance)
{
    ProjectionParms a;
    a.SetProjection(kv::kMapMollweide);
    a.SetCenter(20, 30);
    ProjectionParms b(a);
    EXPECT_NE(a.GetProjection(), b.GetProjection());
    EXPECT_EQ(b.GetProjectionId(), kv::kMapMollweide);
    double lat, lon;
    b.GetCenter(lat, lon);
    EXPECT_EQ(lat, 20);
    EXPECT_EQ(b.GetProjection()->CentreLatitude(), a.GetProjection()->CentreLatitude());
    EXPECT_EQ(ProjectionRegistry::Get().OutstandingInstances(), 2u);

    EXPECT_TRUE(a.ReleaseProjection());
    EXPECT_FALSE(a.ReleaseProjection());
    double x, y;
    EXPECT_EQ(b.LatLonToMap(10, 40, x, y), 0);
    EXPECT_EQ(a.LatLonToMap(10, 40, x, y), -1) << "no projection held";

    // Assigning from an object without a projection drops the target's own.
    ProjectionParms c;
    c = a;
    EXPECT_EQ(c.GetProjection(), nullptr);
    EXPECT_EQ(c.GetProjectionId(), 8);
    EXPECT_EQ(c.GetProjectionFlags(), 0x2002); // takes an instance of the stored id
    ASSERT_NE(c.GetProjection(), nullptr);

    ProjectionParms moved(std::move(b));
    EXPECT_EQ(b.GetProjection(), nullptr);
    EXPECT_EQ(moved.GetProjectionId(), 8);
    c = c;
    EXPECT_NE(c.GetProjection(), nullptr);
}

TEST_F(ProjectionParmsTest, WorkedConversions)
{
    ProjectionParms p; // Equirectangular, unit factor pi, x offset 0.0001 projection units
    double x, y, lat, lon;
    ASSERT_EQ(p.LatLonToMap(45, 90, x, y), 0);
    EXPECT_DOUBLE_EQ(x, 0.5 + 0.0001 / kPi);
    EXPECT_DOUBLE_EQ(y, 0.25);
    ASSERT_EQ(p.MapToLatLon(0.5 + 0.0001 / kPi, 0.25, lat, lon), 0);
    EXPECT_NEAR(lat, 45, 1e-12);
    EXPECT_NEAR(lon, 90, 1e-12);
    EXPECT_NE(p.MapToLatLon(0, 0.6, lat, lon), 0);

    // Orthographic: unit scale 1, so unit map coordinates are projection units.
    p.SetProjection(kv::kMapOrthographic);
    p.SetOffset(0, 0);
    ASSERT_EQ(p.LatLonToMap(30, 0, x, y), 0);
    EXPECT_NEAR(x, 0.00001, 1e-15);
    EXPECT_NEAR(y, 0.5, 1e-15);

    // Lambert Azimuthal Equal-Area: unit scale 0.5; the antipode of the centre is 2 R away.
    p.SetProjection(kv::kMapLambertAzimuthalEqualArea);
    p.SetOffset(0, 0);
    ASSERT_EQ(p.LatLonToMap(0, 90, x, y), 0);
    EXPECT_NEAR(x, 0.5 * std::sqrt(2.0) + 0.00001, 1e-12);

    double xmin, ymax, xmax, ymin;
    struct Ext {
        int id;
        double xmin, ymax, xmax, ymin;
    };
    const Ext exts[] = {{kv::kMapEquirectangular, -1, 0.5, 1, -0.5},
                        {kv::kMapHammer, -1, 0.5, 1, -0.5},
                        {kv::kMapLambertAzimuthalEqualArea, -0.5, 0.5, 0.5, -0.5},
                        {kv::kMapOrthographic, -kPi, kPi / 2, kPi, -kPi / 2},
                        {kv::kMapAlbersEqualAreaConic, -1.0 / 3, 0.5 / 3, 1.0 / 3, -0.5 / 3}};
    for (const Ext& e : exts) {
        p.SetProjection(e.id);
        ASSERT_EQ(p.GetExtents(xmin, ymax, xmax, ymin), 0);
        EXPECT_NEAR(xmin, e.xmin, 1e-15) << e.id;
        EXPECT_NEAR(ymax, e.ymax, 1e-15) << e.id;
        EXPECT_NEAR(xmax, e.xmax, 1e-15) << e.id;
        EXPECT_NEAR(ymin, e.ymin, 1e-15) << e.id;
    }
}

TEST_F(ProjectionParmsTest, RoundTripsForEveryBuiltinAtSeveralCentresAndOffsets)
{
    struct Setting {
        double lat, lon, ox, oy;
    };
    const Setting settings[] = {{0, 0, 0, 0}, {35, -120, 0.2, -0.1}, {-60, 170, -0.3, 0.25}, {89.999, 45, 0, 0}};
    ProjectionRegistry& registry = ProjectionRegistry::Get();
    for (int id = registry.FirstId(); id != ProjectionRegistry::kEndId; id = registry.NextId(id)) {
        for (const Setting& s : settings) {
            ProjectionParms p;
            ASSERT_EQ(p.SetProjection(id), 0);
            p.SetCenter(s.lat, s.lon);
            p.SetOffset(s.ox, s.oy);
            SCOPED_TRACE(registry.GetName(id) + " at " + std::to_string(s.lat) + "," + std::to_string(s.lon));
            int trips = 0;
            for (double lat = -80; lat <= 80; lat += 16) {
                for (double lon = -175; lon < 180; lon += 25) {
                    double x, y, la, lo;
                    if (p.LatLonToMap(lat, lon, x, y) != 0)
                        continue;
                    if (p.MapToLatLon(x, y, la, lo) != 0)
                        continue; // outside the inverse's bounds (conics, azimuthal far side)
                    EXPECT_NEAR(la, lat, 1e-6) << lat << ", " << lon;
                    EXPECT_NEAR(std::remainder(lo - lon, 360.0), 0, 1e-6 / std::cos(lat * kPi / 180)) << lat << ", " << lon;
                    ++trips;
                }
            }
            EXPECT_GE(trips, 40);
        }
    }
}
