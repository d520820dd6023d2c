#include "projection/builtin/BuiltinCommon.h"
#include "projection/builtin/BuiltinProjections.h"

namespace kv {
namespace {
using namespace builtin;

class MapAzimuthalEquidistant final : public MapAzimuthal {
public:
    const char* GetName() const override { return "Azimuthal Equidistant"; }
    int GetFlags() const override { return kProjEquidistant | kProjAzimuthal | kProjCentredOnPoint; }
    int GetId() const override { return kMapAzimuthalEquidistant; }
    double GetUnitScale() const override { return kInvPi; }
    void GetExtents(double& xmin, double& ymax, double& xmax, double& ymin) const override
    {
        xmin = -kPi, ymax = kPi, xmax = kPi, ymin = -kPi;
    }
    std::string GetDescription() const override
    {
        return "Distances and directions from the centre point are true, so every straight line "
               "through the centre is a great circle measured to scale. The whole sphere fits in a "
               "circle whose rim is the point opposite the centre; shapes stretch strongly towards "
               "that rim. Used for range maps and for polar maps.";
    }

    int Forward(double lat, double lon, double& x, double& y) const override
    {
        const Terms t = ForwardTerms(lat, lon);
        double k = 1.0;
        if (std::fabs(std::fabs(t.g) - 1.0) < m_eps) {
            if (t.g < 0)
                return -1; // the antipode is the whole rim
        } else {
            const double z = std::acos(t.g);
            k = z / std::sin(z);
        }
        x = m_x0 + m_majorRadius * k * t.cosLat * t.sinDlon;
        y = m_y0 + m_majorRadius * k * NorthTerm(t);
        return 0;
    }

    int Inverse(double x, double y, double& lat, double& lon) const override
    {
        double dx, dy, rho;
        const bool centre = OffsetFromCentre(x, y, dx, dy, rho, lat, lon);
        if (rho > kPi * m_majorRadius)
            return -1;
        if (centre)
            return 0;
        double sinz, cosz;
        SinCos(rho / m_majorRadius, sinz, cosz);
        return FinishInverse(sinz, cosz, dx, dy, rho, Degenerate::kNoBoundsTest, lat, lon);
    }
};

} // namespace

MapProject* CreateMapAzimuthalEquidistant() { return CreateProjection<MapAzimuthalEquidistant>(); }

} // namespace kv
