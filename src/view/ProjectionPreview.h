// The live preview of the Map Projection dialog: the world drawn in the edited projection
// into a small image, one interleaved pass per timer tick. The preview owns its sampler,
// its per-pixel buffers and a copy of the lighting, so the map view's own buffers (which
// its render worker writes) are never touched.
#pragma once

#include "base/color/LightParms.h"
#include "base/raster/VideoBuffer.h"
#include "world/GeoBuffers.h"

#include <memory>

namespace kv {

class ProjectionParms;
class SurfMap;
class SurfaceSampler;

class ProjectionPreview {
public:
    static constexpr int kPasses = 9;
    static constexpr uint32_t kBackground = 0xFF0000;  // before the first pass

    ProjectionPreview();
    ~ProjectionPreview();

    // The image size; false when it cannot be made. The image starts as kBackground.
    bool Create(int width, int height);
    // The world and lighting drawn (the lighting is copied; null world: nothing drawn).
    void SetSource(SurfMap* world, const LightParms* light);
    // Colour of pixels off the map.
    void SetOffMapColour(uint32_t colour) { m_offMap = colour; }
    // Starts again from pass 0.
    void Restart() { m_pass = 0; }
    // Runs the next pass with `parms` (pass 0 makes the sampler); false when complete or
    // nothing can be drawn.
    bool Step(ProjectionParms& parms);
    bool Complete() const { return m_pass < 0; }
    int Pass() const { return m_pass; }
    const VideoBuffer& Image() const { return m_image; }
    // The smaller side (the drag unit).
    int SmallerSide() const;

private:
    VideoBuffer m_image;
    GeoBuffers m_buffers;
    LightParms m_light;
    SurfMap* m_world = nullptr;
    std::unique_ptr<SurfaceSampler> m_sampler;
    uint32_t m_offMap = 0xC0C0C0;
    int m_pass = 0;
};

} // namespace kv
