#include "projection/builtin/BuiltinCommon.h"
#include "projection/builtin/BuiltinProjections.h"

namespace kv {
namespace {
using namespace builtin;

class MapAlbersEqualAreaConic final : public MapConic {
public:
    const char* GetName() const override { return "Albers Equal-Area Conic"; }
    int GetFlags() const override { return kProjEqualArea | kProjConic; }
    int GetId() const override { return kMapAlbersEqualAreaConic; }
    double GetUnitScale() const override { return 0.3333333333333333; }
    // Extents are those of the base.
    std::string GetDescription() const override
    {
        return "An equal-area conic map with two standard parallels, along which scale is true. "
               "Distortion is small in the band between them, which makes it the usual choice "
               "for mid-latitude regions wider east-west than north-south.";
    }

    int Init(double lat0, double lon0, double falseNorthing, double falseEasting, double majorRadius,
             double minorRadius, double p1, double p2) override
    {
        ParallelTerms t;
        if (!InitTwoParallels(lat0, lon0, falseNorthing, falseEasting, majorRadius, minorRadius, p1, p2, t))
            return -1;
        const double s1 = t.s1, c1 = t.c1, s2 = t.s2, c2 = t.c2;
        const double m1 = ConicM(m_e, s1, c1), q1 = AuthalicQ(m_e, s1);
        const double m2 = ConicM(m_e, s2, c2), q2 = AuthalicQ(m_e, s2);
        const double q0 = AuthalicQ(m_e, m_sinLat0);
        m_n = std::fabs(p1 - p2) > m_eps ? (m1 * m1 - m2 * m2) / (q2 - q1) : s1;
        m_c = m1 * m1 + m_n * q1;
        m_rho0 = majorRadius * std::sqrt(m_c - m_n * q0) / m_n;
        return 0;
    }

    int Forward(double lat, double lon, double& x, double& y) const override
    {
        if (!m_usable)
            return -1;
        const double rho1 = m_majorRadius * std::sqrt(m_c - m_n * AuthalicQ(m_e, std::sin(lat))) / m_n;
        PlaceOnCone(rho1, lon, x, y);
        return 0;
    }

    int Inverse(double x, double y, double& lat, double& lon) const override
    {
        if (!m_usable)
            return -1;
        double r, theta;
        ConeRadius(x, y, m_n >= 0, r, theta);
        const double con = r * m_n / m_majorRadius;
        const double q = (m_c - con * con) / m_n;
        const double polar = 1.0 - 0.5 * (1.0 - m_es) * std::log((1.0 - m_e) / (1.0 + m_e)) / m_e;
        if (m_e < 1e-10 || std::fabs(std::fabs(polar) - std::fabs(q)) > 1e-10) {
            int status;
            lat = AlbersLatitude(m_e, q, status);
            if (status != 0)
                return status;
        } else {
            lat = q >= 0 ? kHalfPi : -kHalfPi;
        }
        const double unwrapped = m_lon0 + theta / m_n;
        lon = WrapLongitude(unwrapped);
        if (std::fabs(lat) >= kHalfPi)
            return -1;
        return InBounds(lat, unwrapped);
    }

private:
    double m_c = 0; // C = m1^2 + n q1
};

} // namespace

MapProject* CreateMapAlbersEqualAreaConic() { return CreateProjection<MapAlbersEqualAreaConic>(); }

} // namespace kv
