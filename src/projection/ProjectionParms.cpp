#include "projection/ProjectionParms.h"

#include "projection/MapProject.h"
#include "projection/ProjectionRegistry.h"

#include <cmath>
#include <utility>

namespace kv {

namespace {
constexpr double kDegToRad = 0.017453292519943295;
constexpr double kRadToDeg = 57.29577951308232;

// Whole turns until the value lies in [-180, 180]. The remainder by 360 is exact, so the
// result is the one repeated additions of 360 would give, without looping on huge values.
double IntoHalfTurn(double v)
{
    if (v > 180.0 || v < -180.0)
        v = std::fmod(v, 360.0);
    if (v > 180.0)
        v -= 360.0;
    else if (v < -180.0)
        v += 360.0;
    return v;
}
} // namespace

ProjectionParms::ProjectionParms()
{
    SetProjection(kDefaultProjectionId);
}

ProjectionParms::ProjectionParms(const ProjectionParms& other)
{
    *this = other;
}

ProjectionParms& ProjectionParms::operator=(const ProjectionParms& other)
{
    if (this == &other)
        return *this;
    CopySettings(other);
    if (other.m_projection)
        SetProjection(other.m_projectionId); // a fresh instance: never shared
    else
        ReleaseProjection();
    return *this;
}

ProjectionParms::ProjectionParms(ProjectionParms&& other) noexcept
{
    *this = std::move(other);
}

ProjectionParms& ProjectionParms::operator=(ProjectionParms&& other) noexcept
{
    if (this == &other)
        return *this;
    ReleaseProjection();
    CopySettings(other);
    m_projection = std::exchange(other.m_projection, nullptr);
    return *this;
}

ProjectionParms::~ProjectionParms()
{
    ReleaseProjection();
}

void ProjectionParms::CopySettings(const ProjectionParms& other)
{
    m_scale = other.m_scale;
    m_unitFactor = other.m_unitFactor;
    m_centerLat = other.m_centerLat;
    m_centerLon = other.m_centerLon;
    m_offsetX = other.m_offsetX;
    m_offsetY = other.m_offsetY;
    m_parallel1 = other.m_parallel1;
    m_parallel2 = other.m_parallel2;
    m_projectionId = other.m_projectionId;
}

bool ProjectionParms::ReleaseProjection()
{
    if (!m_projection)
        return false;
    ProjectionRegistry::Get().ReleaseInstance(m_projection);
    m_projection = nullptr;
    return true;
}

int ProjectionParms::AcquireProjection(int id, bool byName, const std::string& name)
{
    ReleaseProjection();
    ProjectionRegistry& registry = ProjectionRegistry::Get();
    MapProject* p = byName ? registry.CreateByName(name) : registry.CreateInstance(id);
    int result = 0;
    if (p) {
        id = byName ? p->GetId() : id;
    } else {
        p = registry.CreateInstance(kDefaultProjectionId);
        id = kDefaultProjectionId;
        result = -1;
    }
    m_projection = p;
    m_projectionId = id;
    return result;
}

int ProjectionParms::SetProjection(int id)
{
    const int result = AcquireProjection(id, false, std::string());
    // A projection that refuses the current parallels is kept (the caller chose it) but
    // reports off the map until they change; the caller learns of it here.
    return Reinit() != 0 ? -1 : result;
}

int ProjectionParms::SetProjectionByName(const std::string& name)
{
    const int result = AcquireProjection(0, true, name);
    return Reinit() != 0 ? -1 : result;
}

int ProjectionParms::GetProjectionFlags()
{
    if (!m_projection)
        AcquireProjection(m_projectionId, false, std::string());
    return m_projection ? m_projection->GetFlags() : 0;
}

int ProjectionParms::Reinit()
{
    if (!m_projection) {
        AcquireProjection(m_projectionId, false, std::string());
        if (!m_projection)
            return -1;
    }
    const int result = m_projection->Init(m_centerLat * kDegToRad, m_centerLon * kDegToRad, m_offsetY, m_offsetX, 1.0, 1.0,
                                          m_parallel1 * kDegToRad, m_parallel2 * kDegToRad);
    // A plug-in's unit scale is not trusted to be usable.
    const double unitScale = m_projection->GetUnitScale();
    m_unitFactor = std::isfinite(unitScale) && unitScale > 0 ? 1.0 / unitScale : 1.0;
    return result;
}

namespace {
// Applies a change of settings; when the projection refuses the result, the settings are
// put back and -1 returned.
template <typename Change> int ApplyOrKeep(ProjectionParms& parms, double* fields[], int count, Change change)
{
    double saved[8];
    for (int i = 0; i < count; ++i)
        saved[i] = *fields[i];
    change();
    if (parms.Reinit() == 0)
        return 0;
    for (int i = 0; i < count; ++i)
        *fields[i] = saved[i];
    parms.Reinit();
    return -1;
}
} // namespace

int ProjectionParms::SetCenter(double lat, double lon)
{
    if (!std::isfinite(lat) || !std::isfinite(lon))
        return -1;
    double* fields[] = {&m_centerLat, &m_centerLon};
    return ApplyOrKeep(*this, fields, 2, [&] {
        lat = IntoHalfTurn(lat);
        lon = IntoHalfTurn(lon);
        if (lat > 90.0)
            lat = 180.0 - lat;
        else if (lat < -90.0)
            lat = -lat - 180.0;
        if (lat > kMaxCentreLatitude)
            lat = kMaxCentreLatitude;
        else if (lat < -kMaxCentreLatitude)
            lat = -kMaxCentreLatitude;
        m_centerLat = lat;
        m_centerLon = lon;
    });
}

int ProjectionParms::GetCenter(double& lat, double& lon) const
{
    lat = m_centerLat;
    lon = m_centerLon;
    return 0;
}

int ProjectionParms::SetOffset(double x, double y)
{
    double* fields[] = {&m_offsetX, &m_offsetY};
    return ApplyOrKeep(*this, fields, 2, [&] {
        Reinit(); // the unit factor must be that of the current projection
        m_offsetX = m_unitFactor * (x == 0.0 ? kZeroOffsetX : x);
        m_offsetY = m_unitFactor * y;
    });
}

int ProjectionParms::GetOffset(double& x, double& y) const
{
    x = m_offsetX / m_unitFactor;
    y = m_offsetY / m_unitFactor;
    return 0;
}

int ProjectionParms::SetConicParallels(double p1, double p2)
{
    double* fields[] = {&m_parallel1, &m_parallel2};
    return ApplyOrKeep(*this, fields, 2, [&] {
        m_parallel1 = p1;
        m_parallel2 = p2;
    });
}

int ProjectionParms::GetConicParallels(double& p1, double& p2) const
{
    p1 = m_parallel1;
    p2 = m_parallel2;
    return 0;
}

int ProjectionParms::SetScale(double s)
{
    double* fields[] = {&m_scale};
    return ApplyOrKeep(*this, fields, 1, [&] { m_scale = s; });
}

int ProjectionParms::GetScale(double& s) const
{
    s = m_scale;
    return 0;
}

int ProjectionParms::LatLonToMap(double lat, double lon, double& x, double& y) const
{
    if (!m_projection)
        return -1;
    double px = 0, py = 0;
    const int status = m_projection->Forward(lat * kDegToRad, lon * kDegToRad, px, py);
    x = px / m_unitFactor;
    y = py / m_unitFactor;
    return status;
}

int ProjectionParms::MapToLatLon(double x, double y, double& lat, double& lon) const
{
    if (!m_projection)
        return -1;
    double la = 0, lo = 0;
    const int status = m_projection->Inverse(x * m_unitFactor, y * m_unitFactor, la, lo);
    lat = la * kRadToDeg;
    lon = lo * kRadToDeg;
    return status;
}

int ProjectionParms::GetExtents(double& xmin, double& ymax, double& xmax, double& ymin)
{
    Reinit();
    if (!m_projection)
        return -1;
    m_projection->GetExtents(xmin, ymax, xmax, ymin);
    const double unitScale = m_projection->GetUnitScale();
    const double k = std::isfinite(unitScale) && unitScale > 0 ? unitScale : 1.0;
    xmin *= k;
    ymax *= k;
    xmax *= k;
    ymin *= k;
    return 0;
}

void ProjectionParms::DescribeProjectionFlags(int flags, std::string& text)
{
    text = kv::DescribeProjectionFlags(flags);
}

} // namespace kv
