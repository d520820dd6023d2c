#include "projection/builtin/BuiltinCommon.h"
#include "projection/builtin/BuiltinProjections.h"

namespace kv {
namespace {
using namespace builtin;

class MapLambertAzimuthalEqualArea final : public MapAzimuthal {
public:
    const char* GetName() const override { return "Lambert Azimuthal Equal-Area"; }
    int GetFlags() const override { return kProjEqualArea | kProjAzimuthal | kProjCentredOnPoint; }
    int GetId() const override { return kMapLambertAzimuthalEqualArea; }
    double GetUnitScale() const override { return 0.5; }
    void GetExtents(double& xmin, double& ymax, double& xmax, double& ymin) const override
    {
        xmin = -1, ymax = 1, xmax = 1, ymin = -1;
    }
    std::string GetDescription() const override
    {
        return "Areas are true everywhere and directions from the centre are true. The whole "
               "sphere fits in a circle, the point opposite the centre becoming its rim; shapes "
               "are good near the centre and sheared towards the edge. Used for continents, "
               "oceans and hemispheres.";
    }

    int Forward(double lat, double lon, double& x, double& y) const override
    {
        const Terms t = ForwardTerms(lat, lon);
        if (t.g == -1.0)
            return -1;
        const double k = m_majorRadius * std::sqrt(2.0 / (1.0 + t.g));
        x = m_x0 + k * t.cosLat * t.sinDlon;
        y = m_y0 + k * NorthTerm(t);
        return 0;
    }

    int Inverse(double x, double y, double& lat, double& lon) const override
    {
        double dx, dy, rho;
        const bool centre = OffsetFromCentre(x, y, dx, dy, rho, lat, lon);
        const double r = rho / (2.0 * m_majorRadius);
        if (r > 1.0)
            return -1;
        if (centre)
            return 0;
        // z = 2 asin r: sin z = 2 r sqrt(1 - r^2), cos z = 1 - 2 r^2.
        const double sinz = 2.0 * r * std::sqrt(1.0 - r * r), cosz = 1.0 - 2.0 * r * r;
        double sinLat;
        lat = InverseLatitude(sinz, cosz, dy, rho, sinLat);
        // The polar aspect keeps the wrapped longitude here, unlike the other azimuthals.
        if (IsPolarAspect()) {
            lon = WrapLongitude(PolarLongitude(dx, dy));
            return 0;
        }
        const double con = cosz - sinLat * m_sinLat0;
        // con is 0 on the whole meridian 90 degrees from the centre, where the longitude is
        // lon0 +- pi/2; only on the central meridian (dx = 0 too) is it lon0.
        lon = con != 0.0 || dx != 0.0 ? WrapLongitude(m_lon0 + std::atan2(dx * sinz * m_cosLat0, con * rho)) : m_lon0;
        return 0;
    }
};

} // namespace

MapProject* CreateMapLambertAzimuthalEqualArea() { return CreateProjection<MapLambertAzimuthalEqualArea>(); }

} // namespace kv
