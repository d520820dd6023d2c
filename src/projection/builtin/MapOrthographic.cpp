#include "projection/builtin/BuiltinCommon.h"
#include "projection/builtin/BuiltinProjections.h"

namespace kv {
namespace {
using namespace builtin;

class MapOrthographic final : public MapAzimuthal {
public:
    const char* GetName() const override { return "Orthographic"; }
    int GetFlags() const override { return kProjPerspective | kProjAzimuthal | kProjCentredOnPoint; }
    int GetId() const override { return kMapOrthographic; }
    double GetUnitScale() const override { return 1.0; }
    void GetExtents(double& xmin, double& ymax, double& xmax, double& ymin) const override
    {
        xmin = -kPi, ymax = kHalfPi, xmax = kPi, ymin = -kHalfPi;
    }
    std::string GetDescription() const override
    {
        return "The sphere as seen from infinitely far away: one hemisphere in a circle, looking "
               "like a globe. It is neither equal-area nor conformal; features crowd together "
               "towards the rim. Used for pictorial views of the planet.";
    }

    int Forward(double lat, double lon, double& x, double& y) const override
    {
        const Terms t = ForwardTerms(lat, lon);
        if (t.g <= 0 && std::fabs(t.g) > m_eps)
            return -1; // behind the horizon
        x = m_x0 + m_majorRadius * t.cosLat * t.sinDlon;
        y = m_y0 + m_majorRadius * NorthTerm(t);
        return 0;
    }

    int Inverse(double x, double y, double& lat, double& lon) const override
    {
        double dx, dy, rho;
        const bool centre = OffsetFromCentre(x, y, dx, dy, rho, lat, lon);
        if (rho > m_majorRadius + 1e-7)
            return -1;
        if (centre)
            return 0;
        // z = asin(rho / R): sin z is the clamped ratio, cos z follows.
        const double sinz = std::min(rho / m_majorRadius, 1.0), cosz = std::sqrt(1.0 - sinz * sinz);
        return FinishInverse(sinz, cosz, dx, dy, rho, Degenerate::kAlwaysTest, lat, lon);
    }
};

} // namespace

MapProject* CreateMapOrthographic() { return CreateProjection<MapOrthographic>(); }

} // namespace kv
