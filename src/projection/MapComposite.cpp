#include "projection/MapComposite.h"

#include "base/text/CExpression.h"
#include "base/text/CTokenizer.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {
constexpr double kDegToRad = 0.017453292519943295;
constexpr double kRadToDeg = 57.29577951308232;

// Reads one number expression, skipping an optional comma before it. A missing or
// malformed value reads as kExpressionFailed.
double ReadValue(CTokenizer& t)
{
    if (t.GetToken() == kTokComma)
        t.NextToken();
    return ReadExpressionDouble(t);
}

int ReadInt(CTokenizer& t)
{
    if (t.GetToken() == kTokComma)
        t.NextToken();
    return ReadExpressionInt(t);
}

// A name is the text of one token: a quoted string or a word (keywords included). Anything
// else reads as the empty name and is not consumed.
std::string ReadName(CTokenizer& t, bool allowComma)
{
    if (allowComma && t.GetToken() == kTokComma)
        t.NextToken();
    const int code = t.GetToken();
    if (code == kTokString || code == kTokIdentifier || (code > kTokUnaryMinus && code < kFirstUserSymbol)) {
        std::string name = t.GetTokenText();
        t.NextToken();
        return name;
    }
    return std::string();
}

// Even-odd crossing test over the corners in order, closing edge included.
bool InsidePolygon(const double* xs, const double* ys, int n, double x, double y)
{
    bool inside = false;
    for (int i = 0, j = n - 1; i < n; j = i++) {
        const double xa = xs[j], ya = ys[j], xb = xs[i], yb = ys[i];
        if (y >= std::min(ya, yb) && y < std::max(ya, yb) && x < xa + (xb - xa) * (y - ya) / (yb - ya))
            inside = !inside;
    }
    return inside;
}
} // namespace

bool MapComposite::Exclusion::Excludes(double px, double py) const
{
    bool inside;
    switch (type & 0xFF) {
    case kExcludeCircle: {
        const double dx = px - x[0], dy = py - y[0];
        inside = x[1] * x[1] > dx * dx + dy * dy;
        break;
    }
    case kExcludeQuad:
        inside = InsidePolygon(x, y, 4, px, py);
        break;
    default:
        inside = InsidePolygon(x, y, 3, px, py);
        break;
    }
    return inside != ((type & kExcludeInverted) != 0);
}

void MapComposite::Segment::ResetPlacement()
{
    offsetX = offsetY = 0;
    scaleX = scaleY = 1;
    rotation = 0;
    lonMin = -180, latMax = 90, lonMax = 180, latMin = -90;
    exclusions.clear();
}

void MapComposite::Segment::CacheRotation()
{
    const double r = rotation * kDegToRad;
    cosRot = std::cos(r);
    sinRot = std::sin(r);
    cosNeg = std::cos(-r);
    sinNeg = std::sin(-r);
}

bool MapComposite::Segment::Excluded(double x, double y) const
{
    for (const Exclusion& e : exclusions)
        if (e.Excludes(x, y))
            return true;
    return false;
}

bool MapComposite::Segment::Inverse(double x, double y, double& lat, double& lon) const
{
    if (Excluded(x, y))
        return false;
    const double dx = x - offsetX, dy = y - offsetY;
    const double u = (dx * cosNeg - dy * sinNeg) / scaleX;
    const double v = (dx * sinNeg + dy * cosNeg) / scaleY;
    if (settings.MapToLatLon(u, v, lat, lon) != 0)
        return false;
    return InWindow(lat, lon);
}

bool MapComposite::Segment::Forward(double lat, double lon, double& x, double& y) const
{
    double u, v;
    if (settings.LatLonToMap(lat, lon, u, v) != 0)
        return false;
    u *= scaleX;
    v *= scaleY;
    x = u * cosRot - v * sinRot + offsetX;
    y = u * sinRot + v * cosRot + offsetY;
    // Exclusions are shapes on the composite map, whichever way a point travels.
    if (Excluded(x, y))
        return false;
    return InWindow(lat, lon);
}

MapComposite::MapComposite() = default;
MapComposite::~MapComposite() = default;

int MapComposite::Parse(CTokenizer& t)
{
    if (t.GetToken() != kw::Projection)
        return -1;
    m_cache = true;
    Segment work;
    bool inSegment = false;
    while (t.GetToken() != kTokEnd) {
        const int code = t.GetToken();
        if (code == kw::EndProjection)
            break;
        t.NextToken();
        switch (code) {
        case kw::Projection: {
            m_id = ReadInt(t);
            m_name = ReadName(t, true);
            break;
        }
        case kw::Description:
            m_description = ReadName(t, false);
            break;
        case kw::Scale:
            if (inSegment) {
                work.scaleX = ReadValue(t);
                work.scaleY = ReadValue(t);
            } else {
                // A scale that is missing, not positive or not finite leaves the map's size.
                const double s = ReadValue(t);
                if (std::isfinite(s) && s > 0 && s != kExpressionFailed)
                    m_scale = s;
            }
            break;
        case kw::Extent: {
            Rect r;
            r.xmin = ReadValue(t);
            r.ymax = ReadValue(t);
            r.xmax = ReadValue(t);
            r.ymin = ReadValue(t);
            if (m_extents.size() < kMaxExtents) {
                m_extents.push_back(r);
                m_xmin = std::min(m_xmin, r.xmin);
                m_ymax = std::max(m_ymax, r.ymax);
                m_xmax = std::max(m_xmax, r.xmax);
                m_ymin = std::min(m_ymin, r.ymin);
            }
            break;
        }
        case kw::Segment: {
            work.ResetPlacement();
            const std::string name = ReadName(t, true);
            double v[7];
            for (double& value : v)
                value = ReadValue(t);
            work.settings.SetProjectionByName(name);
            // A nested composite multiplies the instances every copy holds: keep them bounded.
            if (auto* nested = dynamic_cast<const MapComposite*>(work.settings.GetProjection());
                nested && m_instances + nested->InstanceCount() + 1 > kMaxInstances)
                work.settings.SetProjection(ProjectionParms::kDefaultProjectionId);
            work.settings.SetCenter(v[0], v[1]);
            work.settings.SetOffset(v[2], v[3]);
            work.settings.SetConicParallels(v[5], v[6]);
            work.settings.SetScale(v[4]);
            inSegment = true;
            break;
        }
        case kw::Offset:
            work.offsetX = ReadValue(t);
            work.offsetY = ReadValue(t);
            break;
        case kw::Effective:
            work.lonMin = ReadValue(t);
            work.latMax = ReadValue(t);
            work.lonMax = ReadValue(t);
            work.latMin = ReadValue(t);
            break;
        case kw::Rotate:
            work.rotation = ReadValue(t);
            break;
        case kw::Exclude: {
            Exclusion e;
            const int type = ReadInt(t);
            const int invert = ReadInt(t);
            e.type = static_cast<int>(static_cast<unsigned>(type) + (invert != 0 ? kExcludeInverted : 0u));
            const int values = (type & 0xFF) == kExcludeCircle ? 3 : (type & 0xFF) == kExcludeQuad ? 8 : 6;
            for (int i = 0; i < values; ++i)
                (i % 2 == 0 ? e.x : e.y)[i / 2] = ReadValue(t);
            if (work.exclusions.size() < kMaxExclusions)
                work.exclusions.push_back(e);
            break;
        }
        case kw::EndSegment:
            // Appends the working segment as it stands, also when no "Segment" started it
            // (the settings then are those of the last segment, or the defaults).
            work.CacheRotation();
            if (m_segments.size() < kMaxSegments) {
                const MapProject* p = work.settings.GetProjection();
                const auto* nested = dynamic_cast<const MapComposite*>(p);
                m_instances += nested ? nested->InstanceCount() + 1 : 1;
                m_segments.push_back(std::make_unique<Segment>(work));
                m_order.push_back(static_cast<int>(m_segments.size()) - 1);
            }
            inSegment = false;
            break;
        case kw::NoCache:
            m_cache = false;
            break;
        default:
            break; // anything else is skipped
        }
    }
    return 0;
}

std::unique_ptr<MapComposite> MapComposite::Clone() const
{
    auto copy = std::make_unique<MapComposite>();
    static_cast<MapProject&>(*copy) = static_cast<const MapProject&>(*this);
    copy->m_extents = m_extents;
    copy->m_description = m_description;
    for (const auto& s : m_segments)
        copy->m_segments.push_back(std::make_unique<Segment>(*s));
    {
        std::lock_guard<std::mutex> lock(m_lock);
        copy->m_order = m_order;
    }
    copy->m_xmin = m_xmin, copy->m_ymax = m_ymax, copy->m_xmax = m_xmax, copy->m_ymin = m_ymin;
    copy->m_scale = m_scale;
    copy->m_cache = m_cache;
    copy->m_name = m_name;
    copy->m_id = m_id;
    copy->m_instances = m_instances;
    return copy;
}

template <typename Try> bool MapComposite::Search(Try&& attempt) const
{
    for (size_t k = 0; k < m_order.size(); ++k) {
        if (attempt(*m_segments[static_cast<size_t>(m_order[k])])) {
            if (m_cache && k != 0)
                std::swap(m_order[0], m_order[k]);
            return true;
        }
    }
    return false;
}

int MapComposite::Inverse(double x, double y, double& lat, double& lon) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    // The extents belong to the composite's own frame: the false origin moves them with
    // the map, as it moves every built-in map.
    x -= m_x0;
    y -= m_y0;
    for (const Rect& r : m_extents)
        if (!r.Contains(x, y))
            return -1;
    double latDeg = 0, lonDeg = 0;
    if (!Search([&](const Segment& s) { return s.Inverse(x, y, latDeg, lonDeg); }))
        return -1;
    lat = latDeg * kDegToRad;
    lon = WrapLongitude(lonDeg * kDegToRad + m_lon0);
    return 0;
}

int MapComposite::Forward(double lat, double lon, double& x, double& y) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    const double latDeg = lat * kRadToDeg;
    const double lonDeg = WrapLongitude(lon - m_lon0) * kRadToDeg;
    double mx = 0, my = 0;
    if (!Search([&](const Segment& s) { return s.Forward(latDeg, lonDeg, mx, my); }))
        return -1;
    for (const Rect& r : m_extents)
        if (!r.Contains(mx, my))
            return -1;
    x = mx + m_x0;
    y = my + m_y0;
    return 0;
}

void MapComposite::GetExtents(double& xmin, double& ymax, double& xmax, double& ymin) const
{
    xmin = m_xmin;
    ymax = m_ymax;
    xmax = m_xmax;
    ymin = m_ymin;
}

std::vector<int> MapComposite::GetSearchOrder() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_order;
}

} // namespace kv
