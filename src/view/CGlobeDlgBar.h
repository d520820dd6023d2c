// The Globe Tools bar's model: a small shaded orthographic globe of the world, refined in
// nine passes (the first in 3 x 3 blocks), turned by dragging inside the disc; letting go
// centres the map view on the globe's centre, a right click offers to move the north pole
// there. The window around it (a dock in the main frame) forwards mouse positions in its
// client area, paints Image() at GlobeRect()'s corner and calls RenderGlobe at idle until
// the picture is complete.
//
// The globe renders with its own sampler, its own per-pixel buffers and its own copy of the
// lighting, never the map view's (which the view's worker uses).
#pragma once

#include "base/color/LightParms.h"
#include "base/raster/VideoBuffer.h"
#include "projection/ProjectionParms.h"
#include "world/GeoBuffers.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace kv {

class SurfaceSampler;
class SurfMap;

class CGlobeDlgBar {
public:
    static constexpr int kGlobeSize = 72;
    static constexpr int kGlobeLeft = 14, kGlobeTop = 14;
    static constexpr int kGlobeRight = kGlobeLeft + kGlobeSize, kGlobeBottom = kGlobeTop + kGlobeSize;
    static constexpr int kOrthographic = 9;
    static constexpr int kPasses = 9;
    static constexpr int kPassComplete = -1;
    static constexpr uint8_t kOffGlobe = 255;
    static constexpr uint32_t kButtonFace = 0xF0F0F0;
    static constexpr int kCursorArrow = 0;
    static constexpr int kCursorGrab = 522;
    static constexpr int kCursorOverGlobe = 523;
    static constexpr const char* kMovePoleQuestion = "Move North Pole to this point\n(%0.4f, %0.4f)?";

    struct Rect {
        int left = 0, top = 0, right = 0, bottom = 0;
    };

    CGlobeDlgBar();
    ~CGlobeDlgBar();
    CGlobeDlgBar(const CGlobeDlgBar&) = delete;
    CGlobeDlgBar& operator=(const CGlobeDlgBar&) = delete;

    // While set (a windowless run) the bar makes nothing and every call that needs the
    // globe does nothing.
    void SetSuppressed(bool suppressed) { m_suppressed = suppressed; }
    // Makes the image and the shade mask on first use; false while suppressed.
    bool EnsureGlobe();

    // The world to show and a copy of the lighting; restarts the picture. 0, -1 when the
    // globe cannot be made.
    int SetSource(SurfMap* world, const LightParms* light);
    // The globe's centre (degrees; wrapped and folded); restarts the picture.
    int SetCenter(float latitude, float longitude);
    // Sends hint 3 to the views with the globe's centre moved by the deltas; the globe's own
    // centre stays. 0.
    int MoveCenterBy(double latitudeDelta, double longitudeDelta);
    // One refinement pass; false when there was nothing to do (no world, or complete).
    bool RenderGlobe();
    // The outline of the view's rendered area (its coverage image, non-zero on the map)
    // in latitude and longitude, through the view's own pixel mapping.
    int SetViewOutline(const VideoBuffer& coverage, const ProjectionParms& view);

    // ---- mouse, in the bar's client coordinates; true when the bar handled it ----
    bool OnLButtonDown(int x, int y);
    bool OnMouseMove(int x, int y);
    bool OnLButtonUp(int x, int y);
    // Asks to move the north pole to the point (hint 6 on Yes); false (base handling).
    bool OnRButtonDown(int x, int y);

    // ---- state ----
    const VideoBuffer& Image() const { return m_image; }
    // The shade mask value of (row, column); kOffGlobe off the disc.
    uint8_t MaskAt(int row, int column) const;
    const Rect& GlobeRect() const { return m_rect; }
    ProjectionParms& Projection() { return m_projection; }
    int Pass() const { return m_pass; }
    // True while there is a world and the picture is not complete.
    bool IsRefining() const { return m_world != nullptr && m_pass != kPassComplete; }
    int Cursor() const { return m_cursor; }
    bool IsDragging() const { return m_dragging; }
    bool HasSampler() const { return m_sampler != nullptr; }
    int OutlineCount() const { return m_outlineCount; }
    const std::vector<float>& OutlineLatitudes() const { return m_outlineLat; }
    const std::vector<float>& OutlineLongitudes() const { return m_outlineLon; }

private:
    // The globe-image cell under a client point; false outside the globe rectangle.
    bool GlobeCell(int x, int y, int& gx, int& gy) const;

    VideoBuffer m_image;
    std::vector<uint8_t> m_mask;
    ProjectionParms m_projection;
    int m_cursor = kCursorArrow;
    bool m_dragging = false;
    int m_dragX = 0, m_dragY = 0;
    double m_dragLatitude = 0.0, m_dragLongitude = 0.0;
    std::vector<float> m_outlineLat, m_outlineLon;
    int m_outlineCount = 0;
    Rect m_rect;
    std::unique_ptr<SurfaceSampler> m_sampler;
    GeoBuffers m_geo;
    SurfMap* m_world = nullptr;
    LightParms m_light;
    int m_pass = 0;
    bool m_suppressed = false;
};

} // namespace kv
