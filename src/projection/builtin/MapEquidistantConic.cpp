#include "projection/builtin/BuiltinCommon.h"
#include "projection/builtin/BuiltinProjections.h"

namespace kv {
namespace {
using namespace builtin;

// One standard parallel: only the first parallel is used.
class MapEquidistantConic final : public MapConic {
public:
    const char* GetName() const override { return "Equidistant Conic"; }
    int GetFlags() const override { return kProjEquidistant | kProjConic; }
    int GetId() const override { return kMapEquidistantConic; }
    double GetUnitScale() const override { return 0.30303030303030304; }
    void GetExtents(double& xmin, double& ymax, double& xmax, double& ymin) const override
    {
        xmin = -1, ymax = 1, xmax = 1, ymin = -1;
    }
    // No description of its own.

    int Init(double lat0, double lon0, double falseNorthing, double falseEasting, double majorRadius,
             double minorRadius, double p1, double p2) override
    {
        MapProject::Init(lat0, lon0, falseNorthing, falseEasting, majorRadius, minorRadius, p1, p2);
        DeriveEccentricity();
        MeridianCoefficients(m_es, m_e0, m_e1, m_e2, m_e3);
        double s1, c1;
        SinCos(p1, s1, c1);
        // A standard parallel on the equator gives a cone constant of 0: no cone at all.
        if (std::fabs(s1) < m_eps)
            return Fail();
        m_n = s1;
        m_g = MeridianDistance(m_e0, m_e1, m_e2, m_e3, p1) + ConicM(m_e, s1, c1) / m_n;
        m_rho0 = majorRadius * (m_g - MeridianDistance(m_e0, m_e1, m_e2, m_e3, lat0));
        return 0;
    }

    int Forward(double lat, double lon, double& x, double& y) const override
    {
        if (!m_usable)
            return -1;
        PlaceOnCone(m_majorRadius * (m_g - MeridianDistance(m_e0, m_e1, m_e2, m_e3, lat)), lon, x, y);
        return 0;
    }

    int Inverse(double x, double y, double& lat, double& lon) const override
    {
        if (!m_usable)
            return -1;
        double r, theta;
        ConeRadius(x, y, m_n >= 0, r, theta);
        int status;
        lat = RectifyingLatitude(m_g - r / m_majorRadius, m_e0, m_e1, m_e2, m_e3, status);
        const double unwrapped = m_lon0 + theta / m_n;
        lon = WrapLongitude(unwrapped);
        if (status != 0 || std::fabs(lat) > kHalfPi || InBounds(lat, unwrapped) != 0)
            return -1;
        return 0;
    }

private:
    double m_e0 = 0, m_e1 = 0, m_e2 = 0, m_e3 = 0; // meridian distance coefficients
    double m_g = 0;
};

} // namespace

MapProject* CreateMapEquidistantConic() { return CreateProjection<MapEquidistantConic>(); }

} // namespace kv
