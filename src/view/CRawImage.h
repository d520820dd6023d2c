// An off-screen rendering of the world at any size: the same pixels as the map view,
// computed in one synchronous run with progress on all cores, then saved as JPEG, BMP,
// PNG or MDR (a CRVL-headed raster of the altitudes).
//
// Computing: every row in full evaluation (altitude, value, colour without relief), then
// optionally every cell again with lighting, then the image overlays pixel by pixel, then
// the rivers and (on request) the grids of the document. Rows are spread over cores; each
// thread has its own sampler copy, so the pixels equal those of one core. Progress steps
// and polls run on the calling thread; an abort (kAbortValue) stops between runs of rows.
//
// Every save writes a temporary file renamed over the target: a failed save leaves any
// earlier file as it was and reports a negative result.
#pragma once

#include "base/raster/VideoBuffer.h"
#include "world/GeoBuffers.h"

#include <memory>
#include <string>

namespace kv {

class ProjectionParms;
class SurfaceSampler;
class ViewDocument;

class CRawImage {
public:
    static constexpr int kDefaultSize = 128;
    static constexpr int kDefaultQuality = 75;

    CRawImage();
    explicit CRawImage(SurfaceSampler* source);
    CRawImage(const CRawImage&) = delete;
    CRawImage& operator=(const CRawImage&) = delete;
    virtual ~CRawImage();

    void SetSize(int width, int height);
    // 0..100 (clamped).
    void SetQuality(int quality);
    // Keeps `source` (not owned) and makes the own copy bound to this image's buffers.
    void SetSampler(SurfaceSampler* source);
    // Renders through a copy of `projection` in place of the source's projection (null:
    // the source's again).
    void SetProjection(const ProjectionParms* projection);
    // The document whose rivers and grids are drawn; by default the active one.
    void SetDocument(ViewDocument* document) { m_document = document; }
    // Threads used by Compute (0: every core).
    void SetThreads(int threads) { m_threads = threads; }

    // 0; -1 aborted; -2 no sampler; -3 the buffers refused the size.
    virtual int Compute(const char* progressText, bool shadingPass, bool riversAndGrids);
    // Colours every pixel from the geo buffers. 0; -1 aborted or no geo buffers; -2 no sampler.
    virtual int ColorFromGeo(bool lighting);
    virtual void Free();
    // Copies column 1 into column 0, column width-2 into width-1 and row height-2 into
    // row height-1 of the colour buffer (dead edges were filled by Compute already).
    void CopyEdgePixels();
    // An edge column or row of the picture with no cell on the map beside one mostly on
    // it (the seam of a whole-world map falling just outside the picture) takes that
    // line's colour, coverage and geo values, so that no picture or raster has a dead
    // edge. Compute does it before rivers and grids are drawn.
    void FillDeadEdges();

    // 0; -1 the computation failed or the encoder could not start; -2 a write failed.
    int SaveJPEG(const std::string& path, bool riversAndGrids);
    // VideoBuffer::SaveBMP's result; -1 when the computation failed.
    int SaveBMP(const std::string& path, bool riversAndGrids);
    // 0; -1 the computation failed or the file cannot be created; -2 the encoder could not
    // start; -3 a write failed.
    int SavePNG(const std::string& path, bool riversAndGrids);
    // 0; -1 the computation failed; -2 the file cannot be created; -3 aborted or a write
    // failed (nothing replaces the target).
    int SaveMDR(const std::string& path);
    // By the lower-cased text after the last ".": jpg/jpeg, bmp, png, mdr. The writer's
    // result; -1 (nothing written) without a "." or for another extension.
    int SaveByExtension(const std::string& path, bool riversAndGrids);

    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    int GetQuality() const { return m_quality; }
    bool IsComputed() const { return m_computed; }
    bool HasLand() const { return m_land != 0; }
    VideoBuffer& ColorBuffer() { return m_colour; }
    const VideoBuffer& ColorBuffer() const { return m_colour; }
    VideoBuffer& MaskBuffer() { return m_mask; }
    GeoBuffers& Geo() { return m_geo; }
    SurfaceSampler* OwnSampler() { return m_own.get(); }
    SurfaceSampler* SourceSampler() const { return m_source; }

protected:
    // Frees, makes the buffers at the image size and the own sampler; false when the
    // buffers refuse the size.
    bool Allocate();
    // Brings row y of the buffers to their state as freshly allocated (the first pass does
    // this for every row before it computes it).
    void ClearRow(int y);
    // Makes the own sampler a copy of the source bound to this image.
    void CopySource();
    void DrawRiversAndGrids(bool grids);

    SurfaceSampler* m_source = nullptr;
    int m_width = kDefaultSize;
    int m_height = kDefaultSize;
    std::unique_ptr<SurfaceSampler> m_own;
    std::unique_ptr<ProjectionParms> m_projection;
    VideoBuffer m_colour;
    VideoBuffer m_mask;
    VideoBuffer m_third;
    int m_quality = kDefaultQuality;
    bool m_computed = false;
    GeoBuffers m_geo;
    // The grids hold a former render's values until the first pass clears their rows.
    bool m_geoStale = false;
    int m_land = 0;
    ViewDocument* m_document = nullptr;
    int m_threads = 0;
};

} // namespace kv
