#include "projection/builtin/BuiltinCommon.h"
#include "projection/builtin/BuiltinProjections.h"

namespace kv {
namespace {
using namespace builtin;

class MapMillerCylindrical final : public MapGlobal {
public:
    const char* GetName() const override { return "Miller Cylindrical"; }
    int GetFlags() const override { return kProjCylindrical; }
    int GetId() const override { return kMapMillerCylindrical; }
    double GetUnitScale() const override { return kInvPi; }
    void GetExtents(double& xmin, double& ymax, double& xmax, double& ymin) const override
    {
        xmin = -kPi, ymax = kHalfPi, xmax = kPi, ymin = -kHalfPi;
    }
    std::string GetDescription() const override
    {
        return "A Mercator map with its latitudes compressed by four fifths, so that the poles "
               "can be shown as straight lines. It is neither conformal nor equal-area but keeps "
               "a familiar look with less exaggeration at high latitudes. Used for general world "
               "maps.";
    }

    int Forward(double lat, double lon, double& x, double& y) const override
    {
        x = m_x0 + m_majorRadius * WrapLongitude(lon - m_lon0);
        y = m_y0 + 1.25 * m_majorRadius * std::log(std::tan(kPi / 4 + 0.4 * lat));
        return 0;
    }

    int Inverse(double x, double y, double& lat, double& lon) const override
    {
        const double unwrapped = m_lon0 + (x - m_x0) / m_majorRadius;
        lat = 2.5 * (std::atan(std::exp(0.8 * (y - m_y0) / m_majorRadius)) - kPi / 4);
        lon = WrapLongitude(unwrapped);
        return InBounds(lat, unwrapped);
    }
};

} // namespace

MapProject* CreateMapMillerCylindrical() { return CreateProjection<MapMillerCylindrical>(); }

} // namespace kv
