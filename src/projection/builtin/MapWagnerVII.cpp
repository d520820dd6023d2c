#include "projection/builtin/BuiltinCommon.h"
#include "projection/builtin/BuiltinProjections.h"

namespace kv {
namespace {
using namespace builtin;

constexpr double kWagnerVIIX = 2.66723;
constexpr double kWagnerVIIY = 1.24104;
constexpr double kWagnerVIISin = 0.90631;
constexpr double kWagnerVIIInvX = 0.3749207979814264;   // 1 / 2.66723
constexpr double kWagnerVIIInvY = 0.8057758009411462;   // 1 / 1.24104
constexpr double kWagnerVIIYSin = 1.1247669623999998;   // 1.24104 * 0.90631
// Fixed limits of the inverse, in projection units.
constexpr double kWagnerVIIMaxX = 2.75;
constexpr double kWagnerVIIMaxY = 1.5;

class MapWagnerVII final : public MapGlobal {
public:
    const char* GetName() const override { return "Wagner VII"; }
    int GetFlags() const override { return kProjEqualArea | kProjAzimuthal; }
    int GetId() const override { return kMapWagnerVII; }
    double GetUnitScale() const override { return kInvPi; }
    void GetExtents(double& xmin, double& ymax, double& xmax, double& ymin) const override
    {
        xmin = -kPi, ymax = kHalfPi, xmax = kPi, ymin = -kHalfPi;
    }
    std::string GetDescription() const override
    {
        return "An equal-area world map with curved parallels and flattened poles, derived from "
               "the Hammer map by compressing a band of the sphere. It balances shapes across "
               "the whole globe better than most equal-area maps. Used for thematic world maps.";
    }

    int Forward(double lat, double lon, double& x, double& y) const override
    {
        const double third = WrapLongitude(lon - m_lon0) / 3.0;
        const double s = kWagnerVIISin * std::sin(lat);
        const double c0 = std::sqrt(1.0 - s * s);
        const double c1 = std::sqrt(2.0 / (1.0 + c0 * std::cos(third)));
        x = m_x0 + kWagnerVIIX * m_majorRadius * c0 * c1 * std::sin(third);
        y = m_y0 + kWagnerVIIY * m_majorRadius * s * c1;
        return 0;
    }

    int Inverse(double x, double y, double& lat, double& lon) const override
    {
        const double dx = x - m_x0, dy = y - m_y0;
        if (std::fabs(dy) > kWagnerVIIMaxY || std::fabs(dx) > kWagnerVIIMaxX)
            return -1;
        const double ty = dy * kWagnerVIIInvY, tx = dx * kWagnerVIIInvX;
        const double d = ty * ty + tx * tx;
        if (d <= 0)
            return -1;
        const double p = std::sqrt(d);
        const double f = p / (2.0 * m_majorRadius);
        if (f <= -1.0 || f >= 1.0)
            return -1;
        const double c = 2.0 * std::asin(f);
        const double q = std::sin(c) * dy / (kWagnerVIIYSin * p);
        if (q <= -1.0 || q >= 1.0)
            return -1;
        lat = std::asin(q);
        const double unwrapped = m_lon0 + 3.0 * std::atan2(std::tan(c) * dx, kWagnerVIIX * p);
        lon = WrapLongitude(unwrapped);
        return InBounds(lat, unwrapped);
    }
};

} // namespace

MapProject* CreateMapWagnerVII() { return CreateProjection<MapWagnerVII>(); }

} // namespace kv
