#include "projection/builtin/BuiltinCommon.h"
#include "projection/builtin/BuiltinProjections.h"

namespace kv {
namespace {
using namespace builtin;

class MapSinusoidal final : public MapGlobal {
public:
    const char* GetName() const override { return "Sinusoidal"; }
    int GetFlags() const override { return kProjEqualArea | kProjPseudocylindrical; }
    int GetId() const override { return kMapSinusoidal; }
    double GetUnitScale() const override { return kInvPi; }
    void GetExtents(double& xmin, double& ymax, double& xmax, double& ymin) const override
    {
        xmin = -kPi, ymax = kHalfPi, xmax = kPi, ymin = -kHalfPi;
    }
    std::string GetDescription() const override
    {
        return "An equal-area map with straight, evenly spaced parallels drawn at their true "
               "length and sine-curved meridians. Scale is true along every parallel and the "
               "central meridian; shapes shear away from it. Used for maps of Africa and South "
               "America and as the lobes of interrupted world maps.";
    }

    int Forward(double lat, double lon, double& x, double& y) const override
    {
        x = m_x0 + m_majorRadius * WrapLongitude(lon - m_lon0) * std::cos(lat);
        y = m_y0 + m_majorRadius * lat;
        return 0;
    }

    int Inverse(double x, double y, double& lat, double& lon) const override
    {
        lat = (y - m_y0) / m_majorRadius;
        if (std::fabs(lat) >= kHalfPi)
            return -1; // the poles are points: nothing to invert there
        double unwrapped = m_lon0;
        if (kHalfPi - std::fabs(lat) >= m_eps)
            unwrapped += (x - m_x0) / (m_majorRadius * std::cos(lat));
        lon = WrapLongitude(unwrapped);
        return InBounds(lat, unwrapped);
    }
};

} // namespace

MapProject* CreateMapSinusoidal() { return CreateProjection<MapSinusoidal>(); }

} // namespace kv
