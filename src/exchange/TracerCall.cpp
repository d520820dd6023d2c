#include "exchange/TracerCall.h"

#include "base/AppSettings.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kv {

namespace {

constexpr std::size_t kFlushBytes = 1 << 20;
constexpr float kSamePoint = 0.0001f;

// Cohen-Sutherland outcodes.
constexpr int kLeft = 1, kRight = 2, kBottom = 4, kTop = 8;

int OutCode(double x, double y, double xmin, double ymin, double xmax, double ymax)
{
    int code = 0;
    if (x < xmin)
        code |= kLeft;
    else if (x > xmax)
        code |= kRight;
    if (y < ymin)
        code |= kBottom;
    else if (y > ymax)
        code |= kTop;
    return code;
}

// Clips a-b to the rectangle; false when nothing is left.
bool Clip(double& ax, double& ay, double& bx, double& by, double xmin, double ymin, double xmax, double ymax)
{
    int ca = OutCode(ax, ay, xmin, ymin, xmax, ymax);
    int cb = OutCode(bx, by, xmin, ymin, xmax, ymax);
    for (int guard = 0; guard < 8; ++guard) {
        if (!(ca | cb))
            return true;
        if (ca & cb)
            return false;
        const int out = ca ? ca : cb;
        double x = 0.0, y = 0.0;
        if (out & kTop) {
            x = ax + (bx - ax) * (ymax - ay) / (by - ay);
            y = ymax;
        } else if (out & kBottom) {
            x = ax + (bx - ax) * (ymin - ay) / (by - ay);
            y = ymin;
        } else if (out & kRight) {
            y = ay + (by - ay) * (xmax - ax) / (bx - ax);
            x = xmax;
        } else {
            y = ay + (by - ay) * (xmin - ax) / (bx - ax);
            x = xmin;
        }
        if (out == ca) {
            ax = x;
            ay = y;
            ca = OutCode(ax, ay, xmin, ymin, xmax, ymax);
        } else {
            bx = x;
            by = y;
            cb = OutCode(bx, by, xmin, ymin, xmax, ymax);
        }
    }
    return !(ca | cb);
}

double AngleBetween(double a, double b)
{
    double d = std::fabs(a - b);
    if (d > std::numbers::pi)
        d = 2.0 * std::numbers::pi - d;
    return d;
}

} // namespace

double ReadMergeAngle()
{
    const double angle = GetAppSettings().GetInt("Settings", "MergeAngle", 100) * 0.0001;
    return angle < 0.0 ? 0.0 : angle;
}

TracerCall::TracerCall() : mergeAngle(ReadMergeAngle()) {}

TracerCall::~TracerCall() = default;

int TracerCall::Open(const std::string& path)
{
    if (IsOpen())
        return -1;
    if (!m_file.Open(path))
        return -2;
    m_failed = false;
    m_buffer.clear();
    return 0;
}

int TracerCall::Flush()
{
    if (m_failed || !IsOpen())
        return kWriteFailed;
    if (!m_buffer.empty() && std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file.File()) != m_buffer.size())
        m_failed = true;
    m_buffer.clear();
    return m_failed ? kWriteFailed : 0;
}

int TracerCall::Emit()
{
    if (m_failed || !IsOpen())
        return kWriteFailed;
    return m_buffer.size() >= kFlushBytes ? Flush() : 0;
}

int TracerCall::Close()
{
    if (!IsOpen())
        return -1;
    if (Flush() != 0) {
        m_file.Discard();
        return -1;
    }
    return m_file.Commit() ? 0 : -1;
}

void TracerCall::Discard()
{
    m_buffer.clear();
    m_file.Discard();
}

int TracerCall::SelectLayer(const std::string& name)
{
    m_layer = m_template ? fcw::FindLayer(*m_template, name) : 0;
    return m_layer;
}

fcw::EntityHeader TracerCall::Header(bool filledAndOutlined)
{
    fcw::EntityHeader h;
    h.fillColour = static_cast<uint8_t>(pen.colour[0]);
    h.lineColour = static_cast<uint8_t>(pen.colour[1]);
    h.pen = pen.lineWidth;
    h.layer = static_cast<int16_t>(m_layer);
    h.fillStyle = fillStyle;
    h.filled = filledAndOutlined ? 1 : 0;
    h.number = nextNumber++;
    return h;
}

void TracerCall::WriteRaw(const uint8_t* data, std::size_t size)
{
    m_buffer.insert(m_buffer.end(), data, data + size);
    Emit();
}

int TracerCall::WriteText(float x, float y, float height, int16_t font, const std::string& text)
{
    fcw::PutText(m_buffer, Header(false), x, y, height, font, text);
    return Emit();
}

int TracerCall::WriteBox(float x0, float y0, float x1, float y1)
{
    const DrawingPen saved = pen;
    const float a = x0 + 0.01f, b = y0 + 0.01f, c = x1 + 0.01f, d = y1 + 0.01f;
    const float corners[10] = {a, b, c, b, c, d, a, d, a, b};
    pen.colour[0] = saved.colour[1];
    fcw::PutPolyline(m_buffer, Header(false), corners, 4, true);
    pen.colour[0] = saved.colour[0];
    pen.colour[1] = saved.colour[0];
    fcw::PutPolyline(m_buffer, Header(false), corners, 5, false);
    pen = saved;
    return Emit();
}

int TracerCall::WriteLinkArea(float x0, float y0, float x1, float y1, const std::string& command)
{
    const auto s = static_cast<float>(symbolScale);
    fcw::PutLinkArea(m_buffer, Header(false), x0 * s, y0 * s, x1 * s, y1 * s, command);
    return Emit();
}

int TracerCall::WritePolyline(const float* xy, int count, bool filledPolygon)
{
    if (count < 2)
        return 0;
    const bool outlined = pen.styleFlag[0] != 0 && pen.styleFlag[1] != 0;
    if (filledPolygon && count <= fcw::kMaxPolylinePoints) {
        fcw::PutPolyline(m_buffer, Header(outlined), xy, count, true);
        return Emit();
    }
    for (int start = 0; start + 1 < count;) {
        const int n = std::min(count - start, fcw::kMaxPolylinePoints);
        fcw::PutPolyline(m_buffer, Header(false), xy + 2 * start, n, false);
        if (Emit() != 0)
            return kWriteFailed;
        start += n - 1;
    }
    return 0;
}

int TracerCall::WriteMapNotes(const std::string& note)
{
    fcw::PutMapNotes(m_buffer, nextNumber++, note);
    return Emit();
}

int TracerCall::OpenGroup()
{
    fcw::PutGroup(m_buffer, Header(false));
    fcw::PutMarker(m_buffer, fcw::kOpenList);
    ++m_openGroups;
    return Emit();
}

int TracerCall::CloseGroup()
{
    if (m_openGroups == 0)
        return 0;
    fcw::PutMarker(m_buffer, fcw::kCloseList);
    --m_openGroups;
    return Emit();
}

void TracerCall::CloseAllGroups()
{
    while (m_openGroups > 0)
        CloseGroup();
}

int TracerCall::WriteRun(std::vector<float>& run)
{
    int result = 0;
    if (run.size() >= 4)
        result = WritePolyline(run.data(), static_cast<int>(run.size() / 2), false);
    run.clear();
    return result;
}

int TracerCall::Trace(const line_pts& line)
{
    if (!IsOpen())
        return -1;
    if (m_failed)
        return kWriteFailed;
    const int n = line.Count();
    if (n < 2)
        return 0;
    const line_pts::Point* p = line.Points();

    // Merge: from each kept point, the points whose next segment keeps the direction of
    // the kept point's segment (within the merge angle) are left out.
    std::vector<int> kept;
    kept.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n - 1;) {
        kept.push_back(i);
        const double direction = std::atan2(p[i + 1].y - p[i].y, p[i + 1].x - p[i].x);
        int j = i + 1;
        while (j + 1 < n &&
               AngleBetween(std::atan2(p[j + 1].y - p[j].y, p[j + 1].x - p[j].x), direction) <= mergeAngle)
            ++j;
        i = j;
    }
    kept.push_back(n - 1);

    // Grid cells to drawing units.
    const double sx = (m_destination.x1 - m_destination.x0) / std::fabs(m_source.x1 - m_source.x0 + 1.0);
    const double sy = (m_destination.y1 - m_destination.y0) / std::fabs(m_source.y1 - m_source.y0 + 1.0);
    m_points.clear();
    int least = 0, greatest = 0, leftmost = 0, rightmost = 0;
    for (std::size_t k = 0; k < kept.size(); ++k) {
        const line_pts::Point& q = p[kept[k]];
        const auto x = static_cast<float>(m_destination.x0 + (q.x - m_source.x0) * sx);
        const auto y = static_cast<float>(m_destination.y0 + (q.y - m_source.y0) * sy);
        m_points.push_back(x);
        m_points.push_back(y);
        const int at = static_cast<int>(k);
        if (y < m_points[2 * static_cast<std::size_t>(least) + 1])
            least = at;
        if (y > m_points[2 * static_cast<std::size_t>(greatest) + 1])
            greatest = at;
        if (x < m_points[2 * static_cast<std::size_t>(leftmost)])
            leftmost = at;
        if (x > m_points[2 * static_cast<std::size_t>(rightmost)])
            rightmost = at;
    }
    const int count = static_cast<int>(m_points.size() / 2);

    int result = 0;
    if (line.IsClosed() && pen.styleFlag[1] != 0) {
        result = WritePolyline(m_points.data(), count, true);
    } else {
        const double xmin = std::min(m_destination.x0, m_destination.x1);
        const double xmax = std::max(m_destination.x0, m_destination.x1);
        const double ymin = std::min(m_destination.y0, m_destination.y1);
        const double ymax = std::max(m_destination.y0, m_destination.y1);
        m_run.clear();
        bool continues = false;
        for (int k = 0; k + 1 < count && result == 0; ++k) {
            double ax = m_points[2 * static_cast<std::size_t>(k)], ay = m_points[2 * static_cast<std::size_t>(k) + 1];
            double bx = m_points[2 * static_cast<std::size_t>(k) + 2], by = m_points[2 * static_cast<std::size_t>(k) + 3];
            const double origBx = bx, origBy = by;
            const double origAx = ax, origAy = ay;
            if (!Clip(ax, ay, bx, by, xmin, ymin, xmax, ymax)) {
                result = WriteRun(m_run);
                continues = false;
                continue;
            }
            if (std::fabs(bx - ax) <= kSamePoint && std::fabs(by - ay) <= kSamePoint)
                continue;
            const bool startMoved = ax != origAx || ay != origAy;
            if (!continues || startMoved) {
                result = WriteRun(m_run);
                m_run.push_back(static_cast<float>(ax));
                m_run.push_back(static_cast<float>(ay));
            }
            m_run.push_back(static_cast<float>(bx));
            m_run.push_back(static_cast<float>(by));
            continues = bx == origBx && by == origBy;
        }
        if (result == 0)
            result = WriteRun(m_run);
    }
    if (result != 0)
        return result;

    if (pen.extra >= 1 && pen.extra <= 4) {
        const int at = pen.extra == 1 ? least : pen.extra == 2 ? greatest : pen.extra == 3 ? leftmost : rightmost;
        labels.push_back({labelValue, m_points[2 * static_cast<std::size_t>(at)],
                          m_points[2 * static_cast<std::size_t>(at) + 1], pen.extra});
    }
    return 0;
}

} // namespace kv
