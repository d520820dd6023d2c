#include "projection/MapProject.h"
#include "projection/builtin/BuiltinProjections.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <numbers>

using kv::MapProject;

namespace {
constexpr double kPi = std::numbers::pi;
constexpr double kDeg = kPi / 180.0;

std::unique_ptr<MapProject> Make(kv::ProjectionCreator create)
{
    return std::unique_ptr<MapProject>(create());
}
} // namespace

TEST(MapProjectHelpers, WrapLongitude)
{
    MapProject base;
    EXPECT_DOUBLE_EQ(base.WrapLongitude(3 * kPi), kPi);
    EXPECT_DOUBLE_EQ(base.WrapLongitude(-3.5 * kPi), 0.5 * kPi);
    for (double v : {0.0, 1.0, -2.5, kPi, -kPi})
        EXPECT_EQ(base.WrapLongitude(v), v);
    EXPECT_NEAR(base.WrapLongitude(1.5 * kPi), -0.5 * kPi, 1e-15);
    // At most 11 turns: 25 pi comes back as 3 pi (unchecked after the 11th).
    EXPECT_NEAR(base.WrapLongitude(25 * kPi), 3 * kPi, 1e-12);
}

TEST(MapProjectHelpers, InBoundsIsInclusiveAndFollowsInit)
{
    MapProject base;
    ASSERT_EQ(base.Init(0.25, 1.0, 0, 0, 1, 1, 0, 0), 0);
    const double latMax = 0.25 + kPi / 2, latMin = 0.25 - kPi / 2;
    const double lonMin = 1.0 - kPi, lonMax = 1.0 + kPi;
    EXPECT_EQ(base.InBounds(latMax, lonMin), 0);
    EXPECT_EQ(base.InBounds(latMin, lonMax), 0);
    EXPECT_EQ(base.InBounds(std::nextafter(latMax, 10.0), 1.0), -1);
    EXPECT_EQ(base.InBounds(std::nextafter(latMin, -10.0), 1.0), -1);
    EXPECT_EQ(base.InBounds(0, std::nextafter(lonMax, 10.0)), -1);
    EXPECT_EQ(base.InBounds(0, std::nextafter(lonMin, -10.0)), -1);
    EXPECT_EQ(base.InBounds(NAN, 1.0), -1);
}

TEST(MapProjectHelpers, DescribeProjectionFlags)
{
    EXPECT_EQ(kv::DescribeProjectionFlags(0x5068), " Conformal Perspective Azimuthal Polyconic");
    EXPECT_EQ(kv::DescribeProjectionFlags(0), "");
    EXPECT_EQ(kv::DescribeProjectionFlags(0x40), "");
    EXPECT_EQ(kv::DescribeProjectionFlags(0x7FFF),
              " Conic Cylindrical Conformal Equal Area Perspective Equidistant Pseudocylindrical Azimuthal"
              " Polyconic Interrupted");
}

TEST(MapProjectHelpers, LatitudeSeries)
{
    int status = -5;
    EXPECT_EQ(MapProject::AuthalicQ(0, 0.3), 0.6);
    EXPECT_EQ(MapProject::AlbersLatitude(0, 0.6, status), std::asin(0.3));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(MapProject::AlbersLatitude(0, 3.0, status), kPi / 2); // clamped
    EXPECT_DOUBLE_EQ(MapProject::SafeAsin(-1.5), -kPi / 2);

    // On an ellipsoid each iterative helper inverts its forward companion.
    const double e = 0.0818191908426; // the earth's first eccentricity
    for (double phi : {-1.2, -0.4, 0.0, 0.7, 1.4}) {
        EXPECT_NEAR(MapProject::AlbersLatitude(e, MapProject::AuthalicQ(e, std::sin(phi)), status), phi, 1e-9);
        EXPECT_EQ(status, 0);
        EXPECT_NEAR(MapProject::ConformalLatitude(e, MapProject::ConformalT(e, phi, std::sin(phi)), status), phi, 1e-10);
        EXPECT_EQ(status, 0);
        double e0, e1, e2, e3;
        MapProject::MeridianCoefficients(e * e, e0, e1, e2, e3);
        const double ml = MapProject::MeridianDistance(e0, e1, e2, e3, phi);
        EXPECT_NEAR(MapProject::RectifyingLatitude(ml, e0, e1, e2, e3, status), phi, 1e-10);
        EXPECT_EQ(status, 0);
    }
    // The quarter meridian of the earth ellipsoid is 10001965.729 m on a 6378137 m radius.
    double e0, e1, e2, e3;
    MapProject::MeridianCoefficients(e * e, e0, e1, e2, e3);
    EXPECT_NEAR(MapProject::MeridianDistance(e0, e1, e2, e3, kPi / 2) * 6378137.0, 10001965.729, 0.01);
    EXPECT_EQ(e3, e * e * e * e * e * e * (35.0 / 3072.0));
    // Sphere: the conformal latitude is the Gudermannian.
    EXPECT_NEAR(MapProject::ConformalLatitude(0, std::exp(-1.0), status), 2 * std::atan(std::exp(1.0)) - kPi / 2, 1e-15);
    // A conformal iteration that cannot settle reports 2; a rectifying one 3.
    EXPECT_EQ(MapProject::ConformalLatitude(0.9999, NAN, status), 0);
    EXPECT_EQ(status, 2);
    EXPECT_EQ(MapProject::RectifyingLatitude(NAN, 1, 0, 0, 0, status), 0);
    EXPECT_EQ(status, 3);
}

TEST(MapProjectBase, Defaults)
{
    MapProject base;
    EXPECT_STREQ(base.GetName(), "PlateCaree");
    EXPECT_EQ(base.GetFlags(), 0);
    EXPECT_EQ(base.GetId(), 0);
    EXPECT_EQ(base.GetUnitScale(), 1.0);
    EXPECT_EQ(base.GetDescription(), "");
    double xmin, ymax, xmax, ymin;
    base.GetExtents(xmin, ymax, xmax, ymin);
    EXPECT_EQ(xmin, -1);
    EXPECT_EQ(ymax, 0.5);
    EXPECT_EQ(xmax, 1);
    EXPECT_EQ(ymin, -0.5);
    EXPECT_EQ(base.MajorRadius(), 1);
    EXPECT_EQ(base.MinorRadius(), 1);
    EXPECT_EQ(base.Epsilon(), 1e-10);
    EXPECT_TRUE(base.WrapsLongitude());
    double a, b;
    base.GetLongitudeBounds(a, b);
    EXPECT_EQ(a, -kPi);
    EXPECT_EQ(b, kPi);
    base.GetLatitudeBounds(a, b);
    EXPECT_EQ(a, kPi / 2);
    EXPECT_EQ(b, -kPi / 2);
    double x, y;
    EXPECT_NE(base.Forward(0, 0, x, y), 0);
}

namespace {
struct Expected {
    int id;
    const char* name;
    int flags;
    double unitScale;
    double xmin, ymax, xmax, ymin;
    bool wholeGlobeLatitudes; // latitude bounds -pi/2..pi/2 instead of lat0 +- pi/2
};
constexpr double P = kPi, H = kPi / 2;
const Expected kTable[] = {
    {kv::kMapAzimuthalEquidistant, "Azimuthal Equidistant", 0x70, 0.3183098861837907, -P, P, P, -P, false},
    {kv::kMapEquirectangular, "Equirectangular", 0x11, 0.3183098861837907, -P, H, P, -H, true},
    {kv::kMapGnomonic, "Gnomonic", 0x4060, 1.0, -1, 0.5, 1, -0.5, false},
    {kv::kMapHammer, "Hammer", 0x2020, 0.36363636363636365, -2.75, 1.375, 2.75, -1.375, true},
    {kv::kMapLambertAzimuthalEqualArea, "Lambert Azimuthal Equal-Area", 0x2060, 0.5, -1, 1, 1, -1, false},
    {kv::kMapMercator, "Mercator", 0x1001, 0.3183098861837907, -P, H, P, -H, true},
    {kv::kMapMillerCylindrical, "Miller Cylindrical", 0x1, 0.3183098861837907, -P, H, P, -H, true},
    {kv::kMapMollweide, "Mollweide", 0x2002, 0.36363636363636365, -2.75, 1.375, 2.75, -1.375, true},
    {kv::kMapOrthographic, "Orthographic", 0x4060, 1.0, -P, H, P, -H, false},
    {kv::kMapSinusoidal, "Sinusoidal", 0x2002, 0.3183098861837907, -P, H, P, -H, true},
    {kv::kMapStereographic, "Stereographic", 0x5068, 0.5, -P, P, P, -P, true},
    {kv::kMapVanDerGrinten, "Van Der Grinten", 0x8, 0.3183098861837907, -P, H, P, -H, true},
    {kv::kMapWagnerIV, "Wagner IV", 0x2002, 0.36363636363636365, -2.75, 1.375, 2.75, -1.375, true},
    {kv::kMapPointy, "Pointy", 0x2, 0.3183098861837907, -P, H, P, -H, true},
    {kv::kMapWagnerVII, "Wagner VII", 0x2020, 0.3183098861837907, -P, H, P, -H, true},
    {kv::kMapAlbersEqualAreaConic, "Albers Equal-Area Conic", 0x2004, 0.3333333333333333, -1, 0.5, 1, -0.5, false},
    {kv::kMapEquidistantConic, "Equidistant Conic", 0x14, 0.30303030303030304, -1, 1, 1, -1, false},
    {kv::kMapLambertConformalConic, "Lambert Conformal Conic", 0x1004, 0.25, -P, H, P, -H, false},
};
} // namespace

TEST(BuiltinProjections, IdentityScaleExtentsAndBounds)
{
    auto builtins = kv::BuiltinProjections();
    ASSERT_EQ(builtins.size(), std::size(kTable));
    for (size_t i = 0; i < std::size(kTable); ++i) {
        const Expected& ex = kTable[i];
        SCOPED_TRACE(ex.name);
        EXPECT_EQ(builtins[i].id, ex.id) << "registration order";
        EXPECT_EQ(kv::FindBuiltinProjection(ex.id), &builtins[i]);
        auto p = Make(builtins[i].create);
        ASSERT_TRUE(p);
        EXPECT_EQ(p->GetId(), ex.id);
        EXPECT_STREQ(p->GetName(), ex.name);
        EXPECT_EQ(p->GetFlags(), ex.flags);
        EXPECT_EQ(p->GetUnitScale(), ex.unitScale);
        double xmin, ymax, xmax, ymin;
        p->GetExtents(xmin, ymax, xmax, ymin);
        EXPECT_EQ(xmin, ex.xmin);
        EXPECT_EQ(ymax, ex.ymax);
        EXPECT_EQ(xmax, ex.xmax);
        EXPECT_EQ(ymin, ex.ymin);
        EXPECT_EQ(p->GetDescription().empty(), ex.id == kv::kMapEquidistantConic);

        ASSERT_EQ(p->Init(0.3, -2.0, 0.5, 0.25, 1, 1, 50 * kDeg, 10 * kDeg), 0);
        double latMax, latMin, lonMin, lonMax;
        p->GetLatitudeBounds(latMax, latMin);
        p->GetLongitudeBounds(lonMin, lonMax);
        EXPECT_EQ(latMax, ex.wholeGlobeLatitudes ? H : 0.3 + H);
        EXPECT_EQ(latMin, ex.wholeGlobeLatitudes ? -H : 0.3 - H);
        EXPECT_EQ(lonMin, -2.0 - P);
        EXPECT_EQ(lonMax, -2.0 + P);
        // The centre maps to the false origin (Wagner VII's inverse refuses the exact centre).
        double x, y, lat, lon;
        {
            ASSERT_EQ(p->Init(0.0, -2.0, 0.5, 0.25, 1, 1, 50 * kDeg, 10 * kDeg), 0);
            ASSERT_EQ(p->Forward(0.0, -2.0, x, y), 0);
            EXPECT_NEAR(x, 0.25, 1e-12);
            EXPECT_NEAR(y, 0.5, 1e-12);
            if (ex.id != kv::kMapWagnerVII) {
                ASSERT_EQ(p->Inverse(0.25, 0.5, lat, lon), 0);
                EXPECT_NEAR(lat, 0.0, 1e-12);
                EXPECT_NEAR(lon, -2.0, 1e-12);
            }
        }
    }
    EXPECT_EQ(kv::FindBuiltinProjection(16), nullptr);
}

TEST(BuiltinProjections, EquirectangularBoundsUseTheUnwrappedLongitude)
{
    auto p = Make(kv::CreateMapEquirectangular);
    p->Init(0, kPi / 2, 0, 0, 1, 1, 0, 0);
    double lat, lon;
    ASSERT_EQ(p->Inverse(0.9 * kPi, 0, lat, lon), 0);
    EXPECT_NEAR(lon, -0.6 * kPi, 1e-12);
    EXPECT_NE(p->Inverse(1.1 * kPi, 0, lat, lon), 0);
    // The centre latitude is not used: the equator stays at y = 0.
    p->Init(0.5, 0, 0, 0, 1, 1, 0, 0);
    double x, y;
    ASSERT_EQ(p->Forward(0, 0.3, x, y), 0);
    EXPECT_EQ(y, 0);
}

TEST(BuiltinProjections, PolesOfThePointedMaps)
{
    double lat, lon;
    for (auto create : {kv::CreateMapSinusoidal, kv::CreateMapPointy, kv::CreateMapEquirectangular}) {
        auto p = Make(create);
        p->Init(0, 0, 0, 0, 1, 1, 0, 0);
        SCOPED_TRACE(p->GetName());
        const int expected = create == kv::CreateMapEquirectangular ? 0 : -1;
        EXPECT_EQ(p->Inverse(0, kPi / 2, lat, lon), expected);
        EXPECT_EQ(p->Inverse(0, -kPi / 2, lat, lon), expected);
    }
}

TEST(BuiltinProjections, HorizonAndPoles)
{
    double x, y;
    auto ortho = Make(kv::CreateMapOrthographic);
    auto gnom = Make(kv::CreateMapGnomonic);
    ortho->Init(0, 0, 0, 0, 1, 1, 0, 0);
    gnom->Init(0, 0, 0, 0, 1, 1, 0, 0);
    EXPECT_EQ(ortho->Forward(0, kPi / 2, x, y), 0);
    EXPECT_NEAR(x, 1.0, 1e-15);
    EXPECT_EQ(gnom->Forward(0, kPi / 2, x, y), -1);
    EXPECT_EQ(ortho->Forward(0, 2.0, x, y), -1);

    auto merc = Make(kv::CreateMapMercator);
    merc->Init(0, 0, 0, 0, 1, 1, 0, 0);
    EXPECT_EQ(merc->Forward(kPi / 2, 0, x, y), -1);
    EXPECT_EQ(merc->Forward(-kPi / 2, 1, x, y), -1);

    auto w7 = Make(kv::CreateMapWagnerVII);
    w7->Init(0, 0, 0.5, 0.25, 1, 1, 0, 0);
    double lat, lon;
    EXPECT_EQ(w7->Inverse(0.25, 0.5, lat, lon), -1);
    EXPECT_EQ(w7->Inverse(3.25, 0.5, lat, lon), -1);
    EXPECT_EQ(w7->Inverse(0.25, 2.1, lat, lon), -1);

    // The antipode of an azimuthal map cannot be drawn as one point.
    for (auto create : {kv::CreateMapAzimuthalEquidistant, kv::CreateMapLambertAzimuthalEqualArea,
                        kv::CreateMapStereographic}) {
        auto p = Make(create);
        p->Init(0, 0, 0, 0, 1, 1, 0, 0);
        EXPECT_EQ(p->Forward(0, kPi, x, y), -1) << p->GetName();
    }
}

TEST(BuiltinProjections, VanDerGrintenEquatorInverse)
{
    // The inverse's cubic degenerates on the equator (0/0 at the centre).
    auto p = Make(kv::CreateMapVanDerGrinten);
    p->Init(0, 0.5, 0, 0, 1, 1, 0, 0);
    double lat = 9, lon = 9;
    ASSERT_EQ(p->Inverse(0, 0, lat, lon), 0);
    EXPECT_EQ(lat, 0);
    EXPECT_EQ(lon, 0.5);
    ASSERT_EQ(p->Inverse(1.25, 0, lat, lon), 0);
    EXPECT_EQ(lat, 0);
    EXPECT_NEAR(lon, 1.75, 1e-12);
}

TEST(BuiltinProjections, LambertAzimuthalInverseNinetyDegreesFromTheCentre)
{
    // A point exactly 90 degrees of longitude from the centre makes the denominator of the
    // longitude 0: its longitude is lon0 + 90, not lon0.
    auto p = Make(kv::CreateMapLambertAzimuthalEqualArea);
    p->Init(35 * kDeg, -120 * kDeg, -0.2, 0.4, 1, 1, 0, 0);
    double x, y, lat, lon;
    ASSERT_EQ(p->Forward(64 * kDeg, 150 * kDeg, x, y), 0);
    ASSERT_EQ(p->Inverse(x, y, lat, lon), 0);
    EXPECT_NEAR(lat, 64 * kDeg, 1e-12);
    EXPECT_NEAR(lon, 150 * kDeg, 1e-12);
}

TEST(BuiltinProjections, ConicParallels)
{
    double x1, y1, x2, y2;
    for (auto create : {kv::CreateMapAlbersEqualAreaConic, kv::CreateMapLambertConformalConic}) {
        auto p = Make(create);
        SCOPED_TRACE(p->GetName());
        EXPECT_EQ(p->Forward(0.5, 0.5, x1, y1), -1) << "not initialised yet";
        EXPECT_EQ(p->Init(0, 0, 0, 0, 1, 1, 30 * kDeg, -30 * kDeg), -1);
        EXPECT_FALSE(p->IsUsable());
        EXPECT_EQ(p->Forward(0.5, 0.5, x1, y1), -1);
        EXPECT_EQ(p->Inverse(0.1, 0.1, x1, y1), -1);
        EXPECT_EQ(p->Init(0, 0, 0, 0, 1, 1, 50 * kDeg, 10 * kDeg), 0);
        EXPECT_TRUE(p->IsUsable());
        EXPECT_EQ(p->Forward(0.5, 0.5, x1, y1), 0);
    }

    // Equidistant Conic: only the first parallel counts; a first parallel on the equator
    // gives no cone and is refused.
    auto eqdc = Make(kv::CreateMapEquidistantConic);
    ASSERT_EQ(eqdc->Init(0.2, 0.1, 0, 0, 1, 1, 50 * kDeg, 10 * kDeg), 0);
    ASSERT_EQ(eqdc->Forward(0.6, -0.4, x1, y1), 0);
    ASSERT_EQ(eqdc->Init(0.2, 0.1, 0, 0, 1, 1, 50 * kDeg, 80 * kDeg), 0);
    ASSERT_EQ(eqdc->Forward(0.6, -0.4, x2, y2), 0);
    EXPECT_EQ(x1, x2);
    EXPECT_EQ(y1, y2);
    EXPECT_EQ(eqdc->Init(0.2, 0.1, 0, 0, 1, 1, 0, 30 * kDeg), -1);
    EXPECT_EQ(eqdc->Forward(0.6, -0.4, x2, y2), -1);
    EXPECT_EQ(eqdc->Inverse(0.1, 0.1, x2, y2), -1);
}
