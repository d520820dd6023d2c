#include "projection/builtin/BuiltinCommon.h"
#include "projection/builtin/BuiltinProjections.h"

namespace kv {
namespace {
using namespace builtin;

class MapStereographic final : public MapAzimuthal {
public:
    const char* GetName() const override { return "Stereographic"; }
    int GetFlags() const override
    {
        return kProjConformal | kProjPerspective | kProjAzimuthal | kProjCentredOnPoint | kProjPolyconic;
    }
    int GetId() const override { return kMapStereographic; }
    double GetUnitScale() const override { return 0.5; }
    void GetExtents(double& xmin, double& ymax, double& xmax, double& ymin) const override
    {
        xmin = -kPi, ymax = kPi, xmax = kPi, ymin = -kPi;
    }
    std::string GetDescription() const override
    {
        return "A perspective view from the point opposite the centre: conformal, and every "
               "circle on the sphere is drawn as a circle or a straight line. Scale grows away "
               "from the centre and the opposite point cannot be shown. Used for polar maps and "
               "for maps of large regions that must keep their shapes.";
    }

    int Init(double lat0, double lon0, double falseNorthing, double falseEasting, double majorRadius,
             double minorRadius, double p1, double p2) override
    {
        MapProject::Init(lat0, lon0, falseNorthing, falseEasting, majorRadius, minorRadius, p1, p2);
        UseGlobalLatitudeBounds();
        return 0;
    }

    int Forward(double lat, double lon, double& x, double& y) const override
    {
        const Terms t = ForwardTerms(lat, lon);
        const double h = 1.0 + t.g;
        if (std::fabs(h) <= m_eps)
            return -1; // the antipode
        const double k = 2.0 * m_majorRadius / h;
        x = m_x0 + k * t.cosLat * t.sinDlon;
        y = m_y0 + k * NorthTerm(t);
        return 0;
    }

    int Inverse(double x, double y, double& lat, double& lon) const override
    {
        double dx, dy, rho;
        const bool centre = OffsetFromCentre(x, y, dx, dy, rho, lat, lon);
        if (centre)
            return 0;
        // z = 2 atan(t), t = rho / 2R: sin z = 2t / (1 + t^2), cos z = (1 - t^2) / (1 + t^2).
        const double t = rho / (2.0 * m_majorRadius);
        const double sinz = 2.0 * t / (1.0 + t * t), cosz = (1.0 - t * t) / (1.0 + t * t);
        return FinishInverse(sinz, cosz, dx, dy, rho, Degenerate::kAcceptCentre, lat, lon);
    }
};

} // namespace

MapProject* CreateMapStereographic() { return CreateProjection<MapStereographic>(); }

} // namespace kv
