#include "view/ProjectionPreview.h"

#include "world/SurfaceSampler.h"

#include <algorithm>

namespace kv {

namespace {

// Where each pass starts inside every 3 x 3 block.
constexpr int kStart[ProjectionPreview::kPasses][2] = {{0, 0}, {1, 1}, {2, 2}, {0, 2}, {2, 0},
                                                       {1, 0}, {2, 1}, {0, 1}, {1, 2}};
constexpr int kShaderId = 1;

} // namespace

ProjectionPreview::ProjectionPreview() = default;
ProjectionPreview::~ProjectionPreview() = default;

bool ProjectionPreview::Create(int width, int height)
{
    m_sampler.reset();
    if (m_image.Create(std::max(width, kVideoBufferMinWidth), std::max(height, kVideoBufferMinHeight)) != 0)
        return false;
    m_image.Clear(kBackground);
    if (!m_buffers.Allocate(m_image.GetWidth(), m_image.GetHeight()))
        return false;
    m_pass = 0;
    return true;
}

void ProjectionPreview::SetSource(SurfMap* world, const LightParms* light)
{
    m_world = world;
    if (light != nullptr)
        m_light = *light;
    m_sampler.reset();
    m_pass = 0;
}

int ProjectionPreview::SmallerSide() const
{
    return std::min(m_image.GetWidth(), m_image.GetHeight());
}

bool ProjectionPreview::Step(ProjectionParms& parms)
{
    if (m_pass < 0 || m_world == nullptr || m_image.IsEmpty())
        return false;
    if (m_pass == 0) {
        m_sampler = std::make_unique<SurfaceSampler>(&parms, m_world, &m_light, kShaderId);
        m_sampler->SetTarget(&m_buffers, &m_image, nullptr);
        m_sampler->Prepare();
    }
    const int w = m_image.GetWidth(), h = m_image.GetHeight();
    const int x0 = kStart[m_pass % kPasses][0], y0 = kStart[m_pass % kPasses][1];
    for (int row = y0; row < h; row += 3) {
        for (int col = x0; col < w; col += 3) {
            double latitude = 0, longitude = 0;
            uint32_t colour = m_offMap;
            if (m_sampler->PixelToLatLon(col, row, latitude, longitude)) {
                const float altitude = m_sampler->GetAltitude(latitude, longitude);
                colour = m_sampler->ShadePoint(&m_buffers, col, row, latitude, longitude, altitude, false) & 0xFFFFFF;
            }
            if (m_pass == 0) {
                for (int r = row; r < std::min(row + 3, h); ++r)
                    for (int c = col; c < std::min(col + 3, w); ++c)
                        m_image.SetPixelFast(c, r, colour);
            } else {
                m_image.SetPixelFast(col, row, colour);
            }
        }
    }
    m_pass = m_pass + 1 >= kPasses ? -1 : m_pass + 1;
    return true;
}

} // namespace kv
