#include "projection/builtin/BuiltinCommon.h"
#include "projection/builtin/BuiltinProjections.h"

namespace kv {
namespace {
using namespace builtin;

constexpr double kWagnerIVAngle = 2.9604205062;
constexpr double kWagnerIVInvAngle = 0.3377898504302692;
constexpr double kWagnerIVX = 0.8631;
constexpr double kWagnerIVY = 1.56548;

class MapWagnerIV final : public MapGlobal {
public:
    const char* GetName() const override { return "Wagner IV"; }
    int GetFlags() const override { return kProjEqualArea | kProjPseudocylindrical; }
    int GetId() const override { return kMapWagnerIV; }
    double GetUnitScale() const override { return kFourElevenths; }
    void GetExtents(double& xmin, double& ymax, double& xmax, double& ymin) const override
    {
        xmin = -2.75, ymax = 1.375, xmax = 2.75, ymin = -1.375;
    }
    std::string GetDescription() const override
    {
        return "An equal-area pseudocylindrical map with elliptical meridians and flat poles half "
               "as long as the equator. It shears shapes less than the Mollweide map at high "
               "latitudes. Used for thematic world maps.";
    }

    int Forward(double lat, double lon, double& x, double& y) const override
    {
        const double dlon = WrapLongitude(lon - m_lon0);
        double theta;
        if (!SolveAuxiliaryAngle(kWagnerIVAngle * std::sin(lat), lat, 30, m_eps, theta))
            return -1;
        theta /= 2.0;
        x = m_x0 + kWagnerIVX * m_majorRadius * dlon * std::cos(theta);
        y = m_y0 + kWagnerIVY * m_majorRadius * std::sin(theta);
        return 0;
    }

    int Inverse(double x, double y, double& lat, double& lon) const override
    {
        const double s = (y - m_y0) / (kWagnerIVY * m_majorRadius);
        if (s < -1.0 || s > 1.0)
            return -1;
        const double t = std::asin(s);
        const double unwrapped = m_lon0 + (x - m_x0) / (kWagnerIVX * m_majorRadius * std::cos(t));
        const double q = (2.0 * t + std::sin(2.0 * t)) * kWagnerIVInvAngle;
        if (q < -1.0 || q > 1.0)
            return -1;
        lat = std::asin(q);
        lon = WrapLongitude(unwrapped);
        return InBounds(lat, unwrapped);
    }
};

} // namespace

MapProject* CreateMapWagnerIV() { return CreateProjection<MapWagnerIV>(); }

} // namespace kv
