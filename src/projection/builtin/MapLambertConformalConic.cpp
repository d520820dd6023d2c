#include "projection/builtin/BuiltinCommon.h"
#include "projection/builtin/BuiltinProjections.h"

namespace kv {
namespace {
using namespace builtin;

class MapLambertConformalConic final : public MapConic {
public:
    const char* GetName() const override { return "Lambert Conformal Conic"; }
    int GetFlags() const override { return kProjConformal | kProjConic; }
    int GetId() const override { return kMapLambertConformalConic; }
    double GetUnitScale() const override { return 0.25; }
    void GetExtents(double& xmin, double& ymax, double& xmax, double& ymin) const override
    {
        xmin = -kPi, ymax = kHalfPi, xmax = kPi, ymin = -kHalfPi;
    }
    std::string GetDescription() const override
    {
        return "A conformal conic map with two standard parallels: angles and small shapes are "
               "true everywhere, and scale is true along the standard parallels and nearly so "
               "between them. Used for aeronautical charts and mid-latitude regions.";
    }

    int Init(double lat0, double lon0, double falseNorthing, double falseEasting, double majorRadius,
             double minorRadius, double p1, double p2) override
    {
        ParallelTerms t;
        if (!InitTwoParallels(lat0, lon0, falseNorthing, falseEasting, majorRadius, minorRadius, p1, p2, t))
            return -1;
        const double s1 = t.s1, c1 = t.c1, s2 = t.s2, c2 = t.c2;
        const double m1 = ConicM(m_e, s1, c1), t1 = ConformalT(m_e, p1, s1);
        const double m2 = ConicM(m_e, s2, c2), t2 = ConformalT(m_e, p2, s2);
        const double t0 = ConformalT(m_e, lat0, m_sinLat0);
        m_n = std::fabs(p1 - p2) > m_eps ? std::log(m1 / m2) / std::log(t1 / t2) : s1;
        m_f = m1 / (m_n * std::pow(t1, m_n));
        m_rho0 = majorRadius * m_f * std::pow(t0, m_n);
        return 0;
    }

    int Forward(double lat, double lon, double& x, double& y) const override
    {
        if (!m_usable)
            return -1;
        double rho1 = 0;
        if (std::fabs(std::fabs(lat) - kHalfPi) > m_eps)
            rho1 = m_majorRadius * m_f * std::pow(ConformalT(m_e, lat, std::sin(lat)), m_n);
        else if (lat * m_n <= 0)
            return -1; // the pole away from the cone's apex is at infinity
        PlaceOnCone(rho1, lon, x, y);
        return 0;
    }

    int Inverse(double x, double y, double& lat, double& lon) const override
    {
        if (!m_usable)
            return -1;
        double r, theta;
        ConeRadius(x, y, m_n > 0, r, theta);
        const double unwrapped = m_lon0 + theta / m_n;
        lon = WrapLongitude(unwrapped);
        if (r != 0 || m_n > 0) {
            int status;
            lat = ConformalLatitude(m_e, std::pow(r / (m_majorRadius * m_f), 1.0 / m_n), status);
            if (status != 0)
                return -1;
        } else {
            lat = -kHalfPi;
        }
        if (std::fabs(lat) >= kHalfPi)
            return -1;
        return InBounds(lat, unwrapped);
    }

private:
    double m_f = 0; // F = m1 / (n t1^n)
};

} // namespace

MapProject* CreateMapLambertConformalConic() { return CreateProjection<MapLambertConformalConic>(); }

} // namespace kv
