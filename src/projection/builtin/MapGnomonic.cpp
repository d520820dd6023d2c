#include "projection/builtin/BuiltinCommon.h"
#include "projection/builtin/BuiltinProjections.h"

namespace kv {
namespace {
using namespace builtin;

class MapGnomonic final : public MapAzimuthal {
public:
    const char* GetName() const override { return "Gnomonic"; }
    int GetFlags() const override { return kProjPerspective | kProjAzimuthal | kProjCentredOnPoint; }
    int GetId() const override { return kMapGnomonic; }
    // Unit scale and extents are those of the base.
    std::string GetDescription() const override
    {
        return "A perspective view from the centre of the sphere: every great circle is a straight "
               "line, so the shortest route between two points is drawn with a ruler. Less than a "
               "hemisphere can be shown and distortion grows quickly away from the centre. Used "
               "for planning great-circle routes.";
    }

    int Forward(double lat, double lon, double& x, double& y) const override
    {
        const Terms t = ForwardTerms(lat, lon);
        // Points on the horizon (within epsilon) lie at infinity, those beyond it are hidden.
        if (t.g <= m_eps)
            return -1;
        x = m_x0 + m_majorRadius * t.cosLat * t.sinDlon / t.g;
        y = m_y0 + m_majorRadius * NorthTerm(t) / t.g;
        return 0;
    }

    int Inverse(double x, double y, double& lat, double& lon) const override
    {
        double dx, dy, rho;
        const bool centre = OffsetFromCentre(x, y, dx, dy, rho, lat, lon);
        if (centre)
            return 0;
        // z = atan(rho / R): cos z = 1 / sqrt(1 + t^2), sin z = t cos z.
        const double t = rho / m_majorRadius;
        const double cosz = 1.0 / std::sqrt(1.0 + t * t), sinz = t * cosz;
        return FinishInverse(sinz, cosz, dx, dy, rho, Degenerate::kAcceptCentre, lat, lon);
    }
};

} // namespace

MapProject* CreateMapGnomonic() { return CreateProjection<MapGnomonic>(); }

} // namespace kv
