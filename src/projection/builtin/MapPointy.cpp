#include "projection/builtin/BuiltinCommon.h"
#include "projection/builtin/BuiltinProjections.h"

namespace kv {
namespace {
using namespace builtin;

// A pseudocylindrical map whose parallels shrink linearly to points at the poles: its
// outline is a rhombus. It is the building block of interrupted icosahedral maps, which
// are defined as composites of several such lobes.
class MapPointy final : public MapGlobal {
public:
    const char* GetName() const override { return "Pointy"; }
    int GetFlags() const override { return kProjPseudocylindrical; }
    int GetId() const override { return kMapPointy; }
    double GetUnitScale() const override { return kInvPi; }
    void GetExtents(double& xmin, double& ymax, double& xmax, double& ymin) const override
    {
        xmin = -kPi, ymax = kHalfPi, xmax = kPi, ymin = -kHalfPi;
    }
    std::string GetDescription() const override
    {
        return "Evenly spaced straight parallels whose length falls linearly from the full "
               "equator to a point at each pole, so the world fills a rhombus. Its triangular "
               "lobes fit together into interrupted maps that can be folded into a polyhedron.";
    }

    int Forward(double lat, double lon, double& x, double& y) const override
    {
        x = m_x0 + m_majorRadius * WrapLongitude(lon - m_lon0) * (1.0 - std::fabs(lat) / kHalfPi);
        y = m_y0 + m_majorRadius * lat;
        return 0;
    }

    int Inverse(double x, double y, double& lat, double& lon) const override
    {
        lat = (y - m_y0) / m_majorRadius;
        if (std::fabs(lat) >= kHalfPi)
            return -1;
        const double t = 1.0 - std::fabs(lat) / kHalfPi;
        const double unwrapped = t > m_eps ? m_lon0 + (x - m_x0) / (m_majorRadius * t) : m_lon0;
        lon = WrapLongitude(unwrapped);
        return InBounds(lat, unwrapped);
    }
};

} // namespace

MapProject* CreateMapPointy() { return CreateProjection<MapPointy>(); }

} // namespace kv
