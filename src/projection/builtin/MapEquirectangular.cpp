#include "projection/builtin/BuiltinCommon.h"
#include "projection/builtin/BuiltinProjections.h"

namespace kv {
namespace {
using namespace builtin;

class MapEquirectangular final : public MapGlobal {
public:
    const char* GetName() const override { return "Equirectangular"; }
    int GetFlags() const override { return kProjEquidistant | kProjCylindrical; }
    int GetId() const override { return kMapEquirectangular; }
    double GetUnitScale() const override { return kInvPi; }
    void GetExtents(double& xmin, double& ymax, double& xmax, double& ymin) const override
    {
        xmin = -kPi, ymax = kHalfPi, xmax = kPi, ymin = -kHalfPi;
    }
    std::string GetDescription() const override
    {
        return "Latitude and longitude are plotted directly as y and x, giving a grid of equal "
               "squares twice as wide as it is high. Distances along the meridians are true; "
               "areas and shapes are increasingly stretched east-west away from the equator. "
               "It is the natural layout of whole-world raster data and texture maps.";
    }

    int Forward(double lat, double lon, double& x, double& y) const override
    {
        // There is no standard parallel: the centre latitude is not used.
        x = m_x0 + m_majorRadius * WrapLongitude(lon - m_lon0);
        y = m_y0 + m_majorRadius * lat;
        return 0;
    }

    int Inverse(double x, double y, double& lat, double& lon) const override
    {
        lat = (y - m_y0) / m_majorRadius;
        if (std::fabs(lat) > kHalfPi)
            return -1;
        const double unwrapped = m_lon0 + (x - m_x0) / m_majorRadius;
        lon = WrapLongitude(unwrapped);
        return InBounds(lat, unwrapped);
    }
};

} // namespace

MapProject* CreateMapEquirectangular() { return CreateProjection<MapEquirectangular>(); }

} // namespace kv
