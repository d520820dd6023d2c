// Pieces shared by the built-in projections: constants, the spherical azimuthal
// formulas and the conic inverse radius.
#pragma once

#include "projection/MapProject.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>

namespace kv::builtin {

inline constexpr double kPi = std::numbers::pi;
inline constexpr double kHalfPi = std::numbers::pi / 2;
inline constexpr double kInvPi = 0.3183098861837907;
inline constexpr double kFourElevenths = 0.36363636363636365;

// Allocates a projection for a creator function: null when memory is exhausted.
template <typename T> MapProject* CreateProjection()
{
    return new (std::nothrow) T();
}

// Solves theta + sin theta = target by Newton steps from theta = start: one step, then
// further steps while the last one was not below eps, at most maxFurther of them.
// Returns false when it does not converge.
inline bool SolveAuxiliaryAngle(double target, double start, int maxFurther, double eps, double& theta)
{
    theta = start;
    for (int i = 0;; ++i) {
        double s, c;
        MapProject::SinCos(theta, s, c);
        const double step = -(theta + s - target) / (1.0 + c);
        theta += step;
        if (std::fabs(step) < eps)
            return true;
        if (i >= maxFurther)
            return false;
    }
}

// Base of the projections that show the whole globe whatever the centre latitude:
// their latitude bounds are -pi/2 .. pi/2 instead of lat0 +- pi/2.
class MapGlobal : public MapProject {
public:
    int Init(double lat0, double lon0, double falseNorthing, double falseEasting, double majorRadius,
             double minorRadius, double p1, double p2) override
    {
        MapProject::Init(lat0, lon0, falseNorthing, falseEasting, majorRadius, minorRadius, p1, p2);
        UseGlobalLatitudeBounds();
        return 0;
    }
};

// Base of the five spherical azimuthal projections centred on lat0/lon0.
class MapAzimuthal : public MapProject {
protected:
    struct Terms {
        double sinLat, cosLat, sinDlon, cosDlon;
        double g; // cosine of the angular distance from the centre
    };
    Terms ForwardTerms(double lat, double lon) const
    {
        Terms t;
        SinCos(lat, t.sinLat, t.cosLat);
        SinCos(WrapLongitude(lon - m_lon0), t.sinDlon, t.cosDlon);
        t.g = m_sinLat0 * t.sinLat + m_cosLat0 * t.cosLat * t.cosDlon;
        return t;
    }
    // y of the map before the radial factor: cos lat0 sin lat - sin lat0 cos lat cos dlon.
    double NorthTerm(const Terms& t) const { return m_cosLat0 * t.sinLat - m_sinLat0 * t.cosLat * t.cosDlon; }

    // Latitude of a point at angular distance z (given as sin and cos) from the centre;
    // sinLat receives its sine (the clamped arcsine argument).
    double InverseLatitude(double sinz, double cosz, double dy, double rho, double& sinLat) const
    {
        sinLat = std::clamp(cosz * m_sinLat0 + dy * sinz * m_cosLat0 / rho, -1.0, 1.0);
        return std::asin(sinLat);
    }
    // Longitude in the polar aspect: lon0 plus the atan2 term, not wrapped.
    double PolarLongitude(double dx, double dy) const
    {
        return m_lat0 >= 0 ? m_lon0 + std::atan2(dx, -dy) : m_lon0 - std::atan2(-dx, dy);
    }

    // Offsets of (x, y) from the false origin and their distance rho. True when the point is
    // the centre itself (rho <= eps): lat and lon are then the centre's.
    bool OffsetFromCentre(double x, double y, double& dx, double& dy, double& rho, double& lat, double& lon) const
    {
        dx = x - m_x0;
        dy = y - m_y0;
        rho = std::sqrt(dx * dx + dy * dy);
        if (rho > m_eps)
            return false;
        lat = m_lat0;
        lon = m_lon0;
        return true;
    }

    enum class Degenerate {
        kNoBoundsTest,   // never tests the bounds (Azimuthal Equidistant)
        kAcceptCentre,   // the meridian through the centre is accepted without bounds test
        kAlwaysTest,     // the bounds are tested in every case (Orthographic)
    };
    // The shared end of the inverse: the point lies at angular distance z from the
    // centre (rho > eps). Fills lat and lon and returns the status.
    int FinishInverse(double sinz, double cosz, double dx, double dy, double rho, Degenerate rule,
                      double& lat, double& lon) const
    {
        double sinLat;
        lat = InverseLatitude(sinz, cosz, dy, rho, sinLat);
        if (IsPolarAspect()) {
            lon = PolarLongitude(dx, dy);
            return 0;
        }
        const double con = cosz - m_sinLat0 * sinLat;
        double unwrapped = m_lon0;
        if (std::fabs(con) < m_eps && std::fabs(dx) < m_eps) {
            lon = m_lon0;
            if (rule != Degenerate::kAlwaysTest)
                return 0;
        } else {
            unwrapped = m_lon0 + std::atan2(dx * sinz * m_cosLat0, con * rho);
            lon = WrapLongitude(unwrapped);
        }
        if (rule == Degenerate::kNoBoundsTest)
            return 0;
        return InBounds(lat, unwrapped);
    }
};

// Base of the three conic projections. A failed Init leaves the projection unusable
// until a later Init succeeds; until the first Init it has no constants at all.
class MapConic : public MapProject {
public:
    MapConic() { m_usable = false; }

protected:
    // Eccentricity of the ellipsoid from the two radii.
    void DeriveEccentricity()
    {
        const double ratio = m_minorRadius / m_majorRadius;
        m_es = 1.0 - ratio * ratio;
        m_e = std::sqrt(m_es);
    }
    int Fail()
    {
        m_usable = false;
        return -1;
    }
    struct ParallelTerms {
        double s1, c1, s2, c2; // sines and cosines of the two standard parallels
    };
    // The common start of the two-parallel conics: the base Init, then the eccentricity and
    // the parallels' sines and cosines. False (the projection is unusable) when the
    // parallels are symmetric about the equator: they give no cone.
    bool InitTwoParallels(double lat0, double lon0, double falseNorthing, double falseEasting, double majorRadius,
                          double minorRadius, double p1, double p2, ParallelTerms& t)
    {
        MapProject::Init(lat0, lon0, falseNorthing, falseEasting, majorRadius, minorRadius, p1, p2);
        if (std::fabs(p1 + p2) < m_eps) {
            Fail();
            return false;
        }
        DeriveEccentricity();
        SinCos(p1, t.s1, t.c1);
        SinCos(p2, t.s2, t.c2);
        return true;
    }
    // Forward from the radius of the parallel: theta = n dlon.
    void PlaceOnCone(double rho1, double lon, double& x, double& y) const
    {
        const double theta = m_n * WrapLongitude(lon - m_lon0);
        x = m_x0 + rho1 * std::sin(theta);
        y = m_y0 + m_rho0 - rho1 * std::cos(theta);
    }
    // Inverse radius r and cone angle theta of (x, y); the sign follows the cone
    // constant (positive when `positive`, else r is negated and the axes flipped).
    void ConeRadius(double x, double y, bool positive, double& r, double& theta) const
    {
        const double dx = x - m_x0;
        const double dy = m_rho0 - (y - m_y0);
        const double s = positive ? 1.0 : -1.0;
        r = s * std::sqrt(dx * dx + dy * dy);
        theta = r != 0.0 ? std::atan2(s * dx, s * dy) : 0.0;
    }

    double m_es = 0, m_e = 0; // eccentricity squared, eccentricity
    double m_n = 0;           // cone constant
    double m_rho0 = 0;        // radius at the centre latitude
};

} // namespace kv::builtin
