#include "projection/builtin/BuiltinCommon.h"
#include "projection/builtin/BuiltinProjections.h"

namespace kv {
namespace {
using namespace builtin;

constexpr double kThird = 1.0 / 3.0;
constexpr double kTwentySeventh = 0.037037037037037035;
constexpr double kPiThird = 1.0471975511965976;

class MapVanDerGrinten final : public MapGlobal {
public:
    const char* GetName() const override { return "Van Der Grinten"; }
    int GetFlags() const override { return kProjPolyconic; }
    int GetId() const override { return kMapVanDerGrinten; }
    double GetUnitScale() const override { return kInvPi; }
    void GetExtents(double& xmin, double& ymax, double& xmax, double& ymin) const override
    {
        xmin = -kPi, ymax = kHalfPi, xmax = kPi, ymin = -kHalfPi;
    }
    std::string GetDescription() const override
    {
        return "The whole sphere inside a circle, with circular arcs for parallels and meridians. "
               "A compromise that looks like Mercator near the equator without its infinite "
               "poles, though high latitudes are still much enlarged. Long used for general "
               "world maps.";
    }

    int Forward(double lat, double lon, double& x, double& y) const override
    {
        const double dlon = WrapLongitude(lon - m_lon0);
        const double piR = kPi * m_majorRadius;
        if (std::fabs(lat) <= m_eps) {
            x = m_x0 + m_majorRadius * dlon;
            y = m_y0;
            return 0;
        }
        const double theta = SafeAsin(2.0 * std::fabs(lat) / kPi);
        if (std::fabs(dlon) <= m_eps || std::fabs(std::fabs(lat) - kHalfPi) <= m_eps) {
            x = m_x0;
            y = m_y0 + SignOf(lat) * piR * std::tan(0.5 * theta);
            return 0;
        }
        const double a = 0.5 * std::fabs(kPi / dlon - dlon / kPi);
        const double a2 = a * a;
        double sinTh, cosTh;
        SinCos(theta, sinTh, cosTh);
        const double g = cosTh / (sinTh + cosTh - 1.0);
        const double g2 = g * g;
        const double p = g * (2.0 / sinTh - 1.0);
        const double p2 = p * p;
        double con = piR * (a * (g - p2) + std::sqrt(a2 * (g - p2) * (g - p2) - (p2 + a2) * (g2 - p2))) / (p2 + a2);
        if (dlon < 0)
            con = -con;
        x = m_x0 + con;
        const double c = std::fabs(con / piR);
        y = m_y0 + SignOf(lat) * piR * std::sqrt(1.0 - c * c - 2.0 * a * c);
        return 0;
    }

    int Inverse(double x, double y, double& lat, double& lon) const override
    {
        const double piR = kPi * m_majorRadius;
        const double dy = y - m_y0;
        const double xx = (x - m_x0) / piR;
        const double yy = dy / piR;
        const double xys = xx * xx + yy * yy;
        if (std::fabs(yy) < m_eps) {
            // The equator: the cubic degenerates (0/0 at the centre), the answer is plain.
            lat = 0;
            return InverseLongitude(xx, yy, xys, lat, lon);
        }
        const double c1 = -std::fabs(yy) * (1.0 + xys);
        const double c2 = c1 - 2.0 * yy * yy + xx * xx;
        const double c3 = -2.0 * c1 + 1.0 + 2.0 * yy * yy + xys * xys;
        const double d = yy * yy / c3 + (2.0 * c2 * c2 * c2 / c3 / c3 / c3 - (9.0 * c1 * c2 / c3 / c3)) * kTwentySeventh;
        const double a1 = (c1 - c2 * c2 * kThird / c3) / c3;
        const double m1 = 2.0 * std::sqrt(-a1 * kThird);
        double con = ((3.0 * d) / a1) / m1;
        if (con > 1.0)
            con = 1.0;
        else if (con < -1.0)
            con = -1.0;
        const double th1 = std::acos(con) * kThird;
        lat = SignOf(dy) * (-m1 * std::cos(th1 + kPiThird) - c2 * kThird / c3) * kPi;
        return InverseLongitude(xx, yy, xys, lat, lon);
    }

private:
    int InverseLongitude(double xx, double yy, double xys, double lat, double& lon) const
    {
        if (std::fabs(xx) < m_eps) {
            lon = m_lon0;
            return 0;
        }
        const double unwrapped =
            m_lon0 + kPi * (xys - 1.0 + std::sqrt(1.0 + 2.0 * (xx * xx - yy * yy) + xys * xys)) / (2.0 * xx);
        lon = WrapLongitude(unwrapped);
        return InBounds(lat, unwrapped);
    }
};

} // namespace

MapProject* CreateMapVanDerGrinten() { return CreateProjection<MapVanDerGrinten>(); }

} // namespace kv
