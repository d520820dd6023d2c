#include "shading/UnitNoiseSurface.h"

#include "base/noise/BuiltinSources.h"

#include <cmath>
#include <numbers>

namespace kv {

namespace {
constexpr int kBrownianSourceId = 1;
} // namespace

UnitNoiseSurface::UnitNoiseSurface() : m_parms(DefaultSurfaceParms()) {}

void UnitNoiseSurface::SetUnitBasis(double x, double y, double z, double scale) {
    m_basisId = kBrownianSourceId;
    m_origin[0] = x;
    m_origin[1] = y;
    m_origin[2] = z;
    m_scale[0] = m_scale[1] = m_scale[2] = scale;
    m_source = nullptr;
}

bool UnitNoiseSurface::Bind() {
    const CSourceDatabase::SourceEntry* entry = nullptr;
    GetSourceDatabase().FindById(m_basisId, &entry);
    m_source = entry != nullptr && entry->evaluate != nullptr ? entry : nullptr;
    return m_source != nullptr;
}

double UnitNoiseSurface::Evaluate(double latitude, double longitude) const {
    if (m_source == nullptr) {
        return 0.0;
    }
    const double lat = latitude * (std::numbers::pi / 180.0);
    const double lon = longitude * (std::numbers::pi / 180.0);
    TexParms local = m_parms;
    local.point[0] = m_origin[0] + std::cos(lat) * std::cos(lon) * m_scale[0];
    local.point[1] = m_origin[1] + std::cos(lat) * std::sin(lon) * m_scale[1];
    local.point[2] = m_origin[2] + std::sin(lat) * m_scale[2];
    return m_source->Evaluate(local);
}

} // namespace kv
