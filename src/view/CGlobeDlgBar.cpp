#include "view/CGlobeDlgBar.h"

#include "base/MessageService.h"
#include "base/ViewHooks.h"
#include "document/DocumentContext.h"
#include "world/SurfMap.h"
#include "world/SurfaceSampler.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kv {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kCellStep = 0.027777778;
constexpr int kCentre = CGlobeDlgBar::kGlobeSize / 2;
constexpr int kHintRecentre = 3;
constexpr int kHintWorldShift = 6;

// The first cell of each pass's 3 x 3 lattice.
constexpr int kPassStart[CGlobeDlgBar::kPasses][2] = {{1, 1}, {2, 2}, {0, 0}, {0, 2}, {2, 0},
                                                      {1, 0}, {2, 1}, {0, 1}, {1, 2}};

} // namespace

CGlobeDlgBar::CGlobeDlgBar()
{
    m_projection.SetProjection(kOrthographic);
    m_projection.SetCenter(0.0, 0.0);
}

CGlobeDlgBar::~CGlobeDlgBar() = default;

bool CGlobeDlgBar::EnsureGlobe()
{
    if (m_suppressed)
        return false;
    if (!m_mask.empty())
        return true;
    m_rect = {kGlobeLeft, kGlobeTop, kGlobeRight, kGlobeBottom};
    if (m_image.Create(kGlobeSize, kGlobeSize, 32) != 0)
        return false;
    m_geo.Allocate(kGlobeSize, kGlobeSize);
    m_mask.assign(static_cast<size_t>(kGlobeSize) * kGlobeSize, kOffGlobe);
    for (int i = 0; i < kGlobeSize; ++i) {
        for (int j = 0; j < kGlobeSize; ++j) {
            const double u = (i - kCentre) * kCellStep;
            const double v = (j - kCentre) * kCellStep;
            const double r = std::sqrt(u * u + v * v);
            if (r > 1.0)
                continue;
            const double shade = std::clamp((std::cos(r * kPi / 2.0) + 1.0) / 2.0, 0.0, 1.0);
            m_mask[static_cast<size_t>(i) * kGlobeSize + j] =
                static_cast<uint8_t>(std::max(1, static_cast<int>(254.0 * shade)));
        }
    }
    return true;
}

uint8_t CGlobeDlgBar::MaskAt(int row, int column) const
{
    if (m_mask.empty() || row < 0 || row >= kGlobeSize || column < 0 || column >= kGlobeSize)
        return kOffGlobe;
    return m_mask[static_cast<size_t>(row) * kGlobeSize + column];
}

int CGlobeDlgBar::SetSource(SurfMap* world, const LightParms* light)
{
    if (!EnsureGlobe())
        return -1;
    m_world = world;
    if (light != nullptr) {
        m_light = *light;
        // The copy borrows no climate lists.
        m_light.temperatureList = m_light.rainfallList = m_light.climateList = nullptr;
    }
    m_pass = 0;
    return 0;
}

int CGlobeDlgBar::SetCenter(float latitude, float longitude)
{
    if (!EnsureGlobe())
        return -1;
    m_projection.SetCenter(latitude, longitude);
    m_pass = 0;
    return 0;
}

int CGlobeDlgBar::MoveCenterBy(double latitudeDelta, double longitudeDelta)
{
    double latitude = 0.0, longitude = 0.0;
    m_projection.GetCenter(latitude, longitude);
    const TwoPtHint hint(latitude + latitudeDelta, longitude + longitudeDelta, 0.0, 0.0);
    UpdateActiveDocViews(nullptr, kHintRecentre, &hint);
    return 0;
}

bool CGlobeDlgBar::RenderGlobe()
{
    if (m_world == nullptr || m_image.IsEmpty())
        return false;
    if (m_pass == 0) {
        m_sampler.reset();
        m_sampler = std::make_unique<SurfaceSampler>(&m_projection, m_world, &m_light, 1);
        m_sampler->SetTarget(&m_geo, &m_image, nullptr);
    }
    if (m_pass == kPassComplete)
        return false;
    const int x0 = kPassStart[m_pass % kPasses][0];
    const int y0 = kPassStart[m_pass % kPasses][1];
    const int w = m_image.GetWidth(), h = m_image.GetHeight();
    for (int y = y0; y < h; y += 3) {
        for (int x = x0; x < w; x += 3) {
            uint32_t colour = kButtonFace;
            double latitude = 0.0, longitude = 0.0;
            if (m_sampler->PixelToLatLon(x, y, latitude, longitude)) {
                const float altitude = m_sampler->GetAltitude(latitude, longitude);
                const uint32_t shaded = m_sampler->ShadePoint(&m_geo, x, y, latitude, longitude, altitude, false);
                const uint32_t m = MaskAt(y, x);
                colour = 0;
                for (int shift = 0; shift < 24; shift += 8)
                    colour |= ((((shaded >> shift) & 0xFFu) * m / 256u) & 0xFFu) << shift;
            }
            if (m_pass == 0) {
                for (int by = y; by < std::min(y + 3, h); ++by)
                    for (int bx = x; bx < std::min(x + 3, w); ++bx)
                        m_image.SetPixelFast(bx, by, colour);
            } else {
                m_image.SetPixelFast(x, y, colour);
            }
        }
    }
    m_pass = m_pass + 1 >= kPasses ? kPassComplete : m_pass + 1;
    return true;
}

int CGlobeDlgBar::SetViewOutline(const VideoBuffer& coverage, const ProjectionParms& view)
{
    if (!EnsureGlobe())
        return -1;
    m_outlineLat.clear();
    m_outlineLon.clear();
    m_outlineCount = 0;
    const int w = coverage.GetWidth(), h = coverage.GetHeight();
    if (w <= 0 || h <= 0)
        return 0;
    const double k = view.GetScale() / (std::min(w, h) * 0.5);
    m_outlineLat.reserve(static_cast<size_t>(2 * w + 2 * h));
    m_outlineLon.reserve(static_cast<size_t>(2 * w + 2 * h));
    // The view's pixel mapping: rows downward, the offset inside the projection.
    auto add = [&](int x, int y) {
        double latitude = 0.0, longitude = 0.0;
        if (view.MapToLatLon((x - w / 2) * k, (h / 2 - y) * k, latitude, longitude) != 0)
            return;
        m_outlineLat.push_back(static_cast<float>(latitude));
        m_outlineLon.push_back(static_cast<float>(longitude));
        ++m_outlineCount;
    };
    for (int x = 0; x < w; ++x) {
        for (int y = 0; y < h; ++y) {
            if (coverage.GetPixel(x, y) != 0) {
                add(x, y);
                break;
            }
        }
    }
    for (int x = w - 1; x >= 0; --x) {
        for (int y = h - 1; y >= 1; --y) {
            if (coverage.GetPixel(x, y) != 0) {
                add(x, y);
                break;
            }
        }
    }
    return 0;
}

bool CGlobeDlgBar::GlobeCell(int x, int y, int& gx, int& gy) const
{
    gx = x - m_rect.left;
    gy = y - m_rect.top;
    return x >= m_rect.left && x < m_rect.right && y >= m_rect.top && y < m_rect.bottom;
}

bool CGlobeDlgBar::OnLButtonDown(int x, int y)
{
    if (!EnsureGlobe())
        return false;
    int gx, gy;
    if (!GlobeCell(x, y, gx, gy) || MaskAt(gy, gx) == kOffGlobe)
        return false;
    m_dragging = true;
    m_cursor = kCursorGrab;
    m_dragX = gx;
    m_dragY = gy;
    m_projection.GetCenter(m_dragLatitude, m_dragLongitude);
    return true;
}

bool CGlobeDlgBar::OnMouseMove(int x, int y)
{
    if (!EnsureGlobe())
        return false;
    int gx, gy;
    const bool inside = GlobeCell(x, y, gx, gy);
    if (m_dragging) {
        const double latitude = m_dragLatitude + (m_dragY - gy) * 90.0 / m_image.GetHeight();
        const double longitude = m_dragLongitude + (m_dragX - gx) * 90.0 / m_image.GetWidth();
        SetCenter(static_cast<float>(latitude), static_cast<float>(longitude));
        m_cursor = kCursorGrab;
        return true;
    }
    m_cursor = inside && MaskAt(gy, gx) != kOffGlobe ? kCursorOverGlobe : kCursorArrow;
    return true;
}

bool CGlobeDlgBar::OnLButtonUp(int, int)
{
    if (!EnsureGlobe() || !m_dragging)
        return false;
    m_dragging = false;
    m_cursor = kCursorArrow;
    double latitude = 0.0, longitude = 0.0;
    m_projection.GetCenter(latitude, longitude);
    const TwoPtHint hint(latitude, longitude, 0.0, 0.0);
    UpdateActiveDocViews(nullptr, kHintRecentre, &hint);
    return true;
}

bool CGlobeDlgBar::OnRButtonDown(int x, int y)
{
    if (!EnsureGlobe())
        return false;
    int gx, gy;
    if (!m_sampler || !GlobeCell(x, y, gx, gy) || MaskAt(gy, gx) == kOffGlobe)
        return false;
    double latitude = 0.0, longitude = 0.0;
    if (!m_sampler->PixelToLatLon(gx, gy, latitude, longitude))
        return false;
    char question[128];
    std::snprintf(question, sizeof question, kMovePoleQuestion, latitude, longitude);
    if (AskYesNo(question)) {
        const TwoPtHint hint(latitude, longitude, 0.0, 0.0);
        UpdateActiveDocViews(nullptr, kHintWorldShift, &hint);
    }
    return false;
}

} // namespace kv
