#include "projection/builtin/BuiltinCommon.h"
#include "projection/builtin/BuiltinProjections.h"

namespace kv {
namespace {
using namespace builtin;

// The square root of two as the formula has always used it (ten digits).
constexpr double kHammerRoot2 = 1.414213562;

class MapHammer final : public MapGlobal {
public:
    const char* GetName() const override { return "Hammer"; }
    int GetFlags() const override { return kProjEqualArea | kProjAzimuthal; }
    int GetId() const override { return kMapHammer; }
    double GetUnitScale() const override { return kFourElevenths; }
    void GetExtents(double& xmin, double& ymax, double& xmax, double& ymin) const override
    {
        xmin = -2.75, ymax = 1.375, xmax = 2.75, ymin = -1.375;
    }
    std::string GetDescription() const override
    {
        return "An equal-area map of the whole sphere inside a 2:1 ellipse, made by stretching "
               "the equatorial aspect of the Lambert azimuthal projection. Its curved parallels "
               "give less shearing near the edges than the Mollweide map. Used for world maps "
               "where areas must compare.";
    }

    int Init(double lat0, double lon0, double falseNorthing, double falseEasting, double majorRadius,
             double minorRadius, double p1, double p2) override
    {
        MapGlobal::Init(lat0, lon0, falseNorthing, falseEasting, majorRadius, minorRadius, p1, p2);
        m_r2 = majorRadius * majorRadius;
        return 0;
    }

    int Forward(double lat, double lon, double& x, double& y) const override
    {
        const double half = WrapLongitude(lon - m_lon0) / 2;
        double sinLat, cosLat;
        SinCos(lat, sinLat, cosLat);
        const double d = m_majorRadius * kHammerRoot2 / std::sqrt(1.0 + cosLat * std::cos(half));
        x = m_x0 + 2.0 * d * cosLat * std::sin(half);
        y = m_y0 + d * sinLat;
        return 0;
    }

    int Inverse(double x, double y, double& lat, double& lon) const override
    {
        const double dx = x - m_x0, dy = y - m_y0;
        const double d = 4.0 * m_r2 - dx * dx / 4.0 - dy * dy;
        if (d < 0)
            return -1;
        const double z = std::sqrt(d) / 2.0;
        const double s = dy * z / m_r2;
        if (s <= -1.0 || s >= 1.0)
            return -1;
        lat = SafeAsin(s);
        const double unwrapped = m_lon0 + 2.0 * std::atan2(z * dx, 2.0 * m_r2 - dx * dx / 4.0 - dy * dy);
        lon = WrapLongitude(unwrapped);
        return InBounds(lat, unwrapped);
    }

private:
    double m_r2 = 1; // R squared
};

} // namespace

MapProject* CreateMapHammer() { return CreateProjection<MapHammer>(); }

} // namespace kv
