#include "projection/builtin/BuiltinCommon.h"
#include "projection/builtin/BuiltinProjections.h"

namespace kv {
namespace {
using namespace builtin;

class MapMercator final : public MapGlobal {
public:
    const char* GetName() const override { return "Mercator"; }
    int GetFlags() const override { return kProjConformal | kProjCylindrical; }
    int GetId() const override { return kMapMercator; }
    double GetUnitScale() const override { return kInvPi; }
    void GetExtents(double& xmin, double& ymax, double& xmax, double& ymin) const override
    {
        xmin = -kPi, ymax = kHalfPi, xmax = kPi, ymin = -kHalfPi;
    }
    std::string GetDescription() const override
    {
        return "The conformal cylindrical map: angles and small shapes are true and every line of "
               "constant bearing is straight. Scale grows without limit towards the poles, which "
               "cannot be shown, so high latitudes look far larger than they are. Used for "
               "navigation charts and equatorial regions.";
    }

    int Init(double lat0, double lon0, double falseNorthing, double falseEasting, double majorRadius,
             double minorRadius, double p1, double p2) override
    {
        MapGlobal::Init(lat0, lon0, falseNorthing, falseEasting, majorRadius, minorRadius, p1, p2);
        const double ratio = minorRadius / majorRadius;
        m_e = std::sqrt(1.0 - ratio * ratio);
        m_m1 = 1.0; // scale factor 1 on the equator
        return 0;
    }

    int Forward(double lat, double lon, double& x, double& y) const override
    {
        if (std::fabs(std::fabs(lat) - kHalfPi) <= m_eps)
            return -1;
        const double rm = m_majorRadius * m_m1;
        x = m_x0 + rm * WrapLongitude(lon - m_lon0);
        y = m_y0 - rm * std::log(ConformalT(m_e, lat, std::sin(lat)));
        return 0;
    }

    int Inverse(double x, double y, double& lat, double& lon) const override
    {
        const double rm = m_majorRadius * m_m1;
        int status;
        lat = ConformalLatitude(m_e, std::exp(-(y - m_y0) / rm), status);
        if (status != 0)
            return -1;
        const double unwrapped = m_lon0 + (x - m_x0) / rm;
        lon = WrapLongitude(unwrapped);
        return InBounds(lat, unwrapped);
    }

private:
    double m_e = 0;  // eccentricity
    double m_m1 = 1; // scale factor
};

} // namespace

MapProject* CreateMapMercator() { return CreateProjection<MapMercator>(); }

} // namespace kv
