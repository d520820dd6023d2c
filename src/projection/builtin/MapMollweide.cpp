#include "projection/builtin/BuiltinCommon.h"
#include "projection/builtin/BuiltinProjections.h"

namespace kv {
namespace {
using namespace builtin;

constexpr double kMollweideX = 0.900316316158;   // 2 sqrt(2) / pi
constexpr double kMollweideY = 1.4142135623731;  // sqrt(2)

class MapMollweide final : public MapGlobal {
public:
    const char* GetName() const override { return "Mollweide"; }
    int GetFlags() const override { return kProjEqualArea | kProjPseudocylindrical; }
    int GetId() const override { return kMapMollweide; }
    double GetUnitScale() const override { return kFourElevenths; }
    void GetExtents(double& xmin, double& ymax, double& xmax, double& ymin) const override
    {
        xmin = -2.75, ymax = 1.375, xmax = 2.75, ymin = -1.375;
    }
    std::string GetDescription() const override
    {
        return "An equal-area map of the whole sphere inside a 2:1 ellipse, with straight "
               "parallels and elliptical meridians. Shapes are good in the middle latitudes near "
               "the central meridian and sheared towards the edges. Used for world maps of "
               "distributions.";
    }

    int Forward(double lat, double lon, double& x, double& y) const override
    {
        double dlon = WrapLongitude(lon - m_lon0);
        double theta;
        if (!SolveAuxiliaryAngle(kPi * std::sin(lat), lat, 50, m_eps, theta))
            return -1;
        theta /= 2.0;
        if (kHalfPi - std::fabs(lat) < m_eps)
            dlon = 0;
        x = m_x0 + kMollweideX * m_majorRadius * dlon * std::cos(theta);
        y = m_y0 + kMollweideY * m_majorRadius * std::sin(theta);
        return 0;
    }

    int Inverse(double x, double y, double& lat, double& lon) const override
    {
        const double v = (y - m_y0) / (kMollweideY * m_majorRadius);
        // Above the top or below the bottom of the ellipse: off the map (clamping would put
        // the column x = x0 onto a pole).
        if (std::fabs(v) > 1.0)
            return -1;
        const double t = std::asin(v);
        const double unwrapped = m_lon0 + (x - m_x0) / (kMollweideX * m_majorRadius * std::cos(t));
        lon = WrapLongitude(unwrapped);
        if (lon < -kPi)
            lon = -kPi;
        else if (lon > kPi)
            lon = kPi;
        lat = SafeAsin((2.0 * t + std::sin(2.0 * t)) / kPi);
        return InBounds(lat, unwrapped);
    }
};

} // namespace

MapProject* CreateMapMollweide() { return CreateProjection<MapMollweide>(); }

} // namespace kv
