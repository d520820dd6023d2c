// The one way from a pixel of a map, or a latitude and longitude, to the altitude,
// climate and colour of the world there.
//
// pixel -> PixelToLatLon (through the view's ProjectionParms) -> basis from the noise
// source on the sampler's own copy of the 128-byte parameter block, the unit-sphere point
// turned by the sampler's rotation matrix -> shaping -> roughness x shaped + land offset
// -> climate -> colour through the shader registry.
//
// Threads: a sampler is used by one thread. Evaluation only reads the world, the
// projection and the lighting, so several samplers may evaluate the same world at once;
// preparing a sampler writes the lighting's altitude range and so happens on the thread
// that owns the lighting (the user-interface thread). Several samplers may also fill one
// target (each its own GeoBuffers copy sharing the grids) in disjoint rectangles: the
// colouring pass only reads the grids that the evaluation pass wrote.
#pragma once

#include "base/color/CColorList.h"
#include "base/noise/CSourceDatabase.h"
#include "shading/ShadeSample.h"
#include "world/GeoBuffers.h"

#include <cstdint>
#include <limits>
#include <shared_mutex>
#include <string>

namespace kv {

class ImageOverlayList;
class LightParms;
class ProjectionParms;
class TexShader;
class SurfMap;
class VideoBuffer;

// Renders hold the built-in noise tables shared while they evaluate; rebuilding the
// tables (a sampler prepared with the noise-rebuild setting on, a world creating its
// basis) holds them exclusively and so waits for the renders to finish.
std::shared_mutex& NoiseTablesLock();

class NoiseEvaluationScope {
public:
    NoiseEvaluationScope();
    ~NoiseEvaluationScope();
    NoiseEvaluationScope(const NoiseEvaluationScope&) = delete;
    NoiseEvaluationScope& operator=(const NoiseEvaluationScope&) = delete;

private:
    std::shared_lock<std::shared_mutex> m_lock;
};

// Cell modes of ComputeCell.
constexpr int kCellColour = 1;          // colouring pass with surface normals
constexpr int kCellStoredPositions = 2; // latitude/longitude come from the target

class SurfaceSampler {
public:
    SurfaceSampler(ProjectionParms* projection, SurfMap* world, LightParms* light, int shaderId);
    // Its own matrix and the other's settings, then prepared again.
    SurfaceSampler(const SurfaceSampler& other);
    SurfaceSampler& operator=(const SurfaceSampler&) = delete;
    ~SurfaceSampler();

    // Reseeds the calling thread's generator with the world seed, resets the running
    // range and the rotation matrix and hands the altitude range to the lighting.
    void Prepare();

    void SetTarget(GeoBuffers* target, VideoBuffer* colorBuffer, VideoBuffer* maskBuffer);
    GeoBuffers* GetTarget() const { return m_target; }
    // Returns the previous projection.
    ProjectionParms* SetProjection(ProjectionParms* projection);
    // The overlays that ColorPixel composites (none by default). Whoever calls ColorPixel
    // holds OverlayLock() around its run of pixels.
    void SetOverlays(const ImageOverlayList* overlays) { m_overlays = overlays; }
    // Whether ColorPixel can change a pixel: a colour buffer and a visible overlay. The
    // caller holds OverlayLock().
    bool ShowsOverlays() const;

    // ---- mappings ----
    bool PixelToLatLon(int col, int row, double& latitude, double& longitude) const;
    bool LatLonToPixel(double latitude, double longitude, int& x, int& y) const;
    bool LatLonToPixelF(double latitude, double longitude, float& x, float& y) const;
    bool GridCellToLatLon(int col, int row, double& latitude, double& longitude) const;

    // ---- evaluation ----
    double EvaluateBasis(double latitude, double longitude) const;
    double ShapeBasis(double latitude, double longitude, double basis) const;
    double GetBasisValue(double latitude, double longitude) const;
    float AltitudeFromShaped(double latitude, double longitude, double shaped) const;
    float GetAltitude(double latitude, double longitude) const;
    int GetClimate(double latitude, double longitude, double altitude, float& rain, float& temperature,
                   int& climateClass, float* waterOut) const;

    // ---- rendering ----
    bool ComputeCell(int col, int row, int mode, bool* aboveWaterOut);
    // ComputeCell for cells x0..x1 of `row` in order, with the same results, in groups:
    // the positions of a group first, then the noise of all its points at once, then
    // the rest cell by cell. With `anyAboveWater`, whether any cell is above its water
    // level.
    void ComputeRun(int row, int x0, int x1, int mode, bool* anyAboveWater);
    // Renders pixels x0 <= x <= x1, y0 <= y <= y1 (both corners included, in any order,
    // clamped to the target; (0, 0, width - 1, height - 1) is the whole target): 0, or -1
    // when the rectangle misses the target.
    int RenderRect(GeoBuffers* target, VideoBuffer* colorBuffer, VideoBuffer* maskBuffer, int x0, int y0, int x1,
                   int y1);
    uint32_t ShadePoint(const GeoBuffers* target, int col, int row, double latitude, double longitude, float altitude,
                        bool withNormals) const;
    void SurfaceNormal(const GeoBuffers* target, int col, int row, float normal[3], bool flat) const;
    // Composites the overlays into the colour buffer's pixel; 1.
    int ColorPixel(int col, int row);

    // ---- shader helpers (a negative id means the sampler's shader) ----
    uint32_t ValueToColor(float value, int id = -1) const;
    void GetShaderRange(float& low, float& high, int id = -1) const;
    float ToDisplayUnits(float value) const;
    std::string GetShaderName(int id = -1) const;
    std::string GetClimateName(int code) const;

    // ---- state ----
    int ShaderId() const { return m_shaderId; }
    SurfMap* World() const { return m_world; }
    LightParms* Light() const { return m_light; }
    ProjectionParms* Projection() const { return m_projection; }
    float MinValue() const { return m_minValue; }
    float MaxValue() const { return m_maxValue; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    double PixelScale() const { return m_pixelScaleX; }
    const double (&Matrix() const)[3][3] { return m_matrix; }

    // The weight of the altitude colour handed to the shaders (16/255).
    static constexpr float kShaderConstant = 16.0f / 255.0f;

private:
    void ReadProjectionOffsets();
    void UpdateRanges();
    // Negates latitude and longitude as the world's mirror flags say (its own inverse).
    void Mirror(double& latitude, double& longitude) const;
    // The pixel position of a point in double precision; false off the map.
    bool LatLonToPixelD(double latitude, double longitude, double& x, double& y) const;
    // The relief and the flat normal of a cell (either may be null) from one set of
    // position differences.
    void SurfaceNormals(const GeoBuffers* target, int col, int row, float* relief, float* flat) const;

public:
    // The cells a colouring run shades at a time.
    static constexpr int kShadeGroup = 32;
    // What the normals of a target's cells are made from, looked up once for a run.
    struct NormalGrids {
        GridRows<const float> lat, lon, alt;
        int w = 0, h = 0;
        double latSign = 1.0, lonSign = 1.0;
        double f = 1.0; // metres per degree
        double g = 1.0; // vertical exaggeration
    };

private:
    // False where the target has no grids to measure slopes in (every normal vertical).
    bool PrepareNormals(const GeoBuffers* target, NormalGrids& grids) const;
    void TrackRange(float value);
    // Where a cell's altitude comes from.
    enum class AltitudeSource { StoredBasis, Target, RawBasis, Evaluation };
    AltitudeSource CellAltitudeSource(bool inTarget, int mode) const;
    // The position of a cell (stored in the target or unprojected); false off the map.
    bool CellPosition(int col, int row, int mode, double& latitude, double& longitude) const;
    // The source EvaluateBasis evaluates and the point it gives it; null when the basis
    // does not come from a source.
    const CSourceDatabase::SourceEntry* BasisSource() const;
    void NoisePoint(double latitude, double longitude, double point[3]) const;
    // The rest of ComputeCell after the position, with the source's value at the cell
    // when the caller has evaluated it (`sourceValue`), else evaluating it here.
    bool FinishCell(int col, int row, int mode, bool valid, double latitude, double longitude,
                    const float* sourceValue, bool* aboveWaterOut);
    // What ShadePoint looks up in the shader registry and the lighting, the same for every
    // point of a run: the shader, its flags and the sample's fields that do not vary.
    struct ShadeSetup {
        const TexShader* shader = nullptr;
        ShadeSample sample;
    };
    void PrepareShade(ShadeSetup& setup, bool withNormals) const;
    // ShadeWith's steps over n <= kShadeGroup samples of one run: their positions and what
    // the shader reads around them (the water level, the climate), then their altitude
    // colours (from altitude and water level).
    void ShadeSurroundings(ShadeSample* samples, const double* latitude, const double* longitude, int n) const;
    void ShadeAltitudeColors(ShadeSample* samples, int n) const;
    uint32_t ShadeWith(const ShadeSetup& setup, const GeoBuffers* target, int col, int row, double latitude,
                       double longitude, float altitude, bool withNormals) const;
    // The colouring pass over cells x0..x1 of `row` whose altitudes are in the target:
    // FinishCell's results with the lookups made once for the run. False (nothing done)
    // where the run is not wholly inside the target and the buffers.
    bool ColourRunFromTarget(int row, int x0, int x1, int mode);

    int m_shaderId;
    double m_minSide = 0.0;
    double m_mapSize = 1.0;
    double m_pixelScaleX = 1.0;
    double m_pixelScaleY = 1.0;
    // Pixel offsets of the map. The projection settings carry their own offset into the
    // projection (as false easting and northing), so these stay 0.
    double m_offsetX = 0.0;
    double m_offsetY = 0.0;
    double m_matrix[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    ProjectionParms* m_projection;
    SurfMap* m_world;
    LightParms* m_light;
    const ImageOverlayList* m_overlays = nullptr;
    float m_minValue = 1e25f;
    float m_maxValue = -1e25f;
    int m_width = 1;
    int m_height = 1;
    int m_halfWidth = 0;
    int m_halfHeight = 0;
    float m_belowRange = 1.0f;
    float m_aboveRange = 1.0f;
    GeoBuffers* m_target = nullptr;
    VideoBuffer* m_colorBuffer = nullptr;
    VideoBuffer* m_maskBuffer = nullptr;
    // The world's source as it was when the sampler was prepared (used while the world
    // has none current; the render never writes the world's reference).
    const CSourceDatabase::SourceEntry* m_preparedSource = nullptr;
    // The last latitude (radians) EvaluateBasis turned into a unit-sphere point, with its
    // cosine and sine (the sampler's thread alone uses them).
    // The lighting's colour lists made ready for the run of cells ComputeRun colours (the
    // lists may change between runs, never during one).
    CColorRamp m_seaRamp;
    CColorRamp m_landRamp;
    bool m_rampsReady = false;
    mutable double m_trigLatitude = std::numeric_limits<double>::quiet_NaN();
    mutable double m_cosLatitude = 1.0;
    mutable double m_sinLatitude = 0.0;
};

// RenderRect spread over `bands` threads, each with its own copy of `prototype` (made on
// the calling thread) taking short runs of rows in turn: every value of every row first,
// then every colour. The pixels, values and range are those of prototype.RenderRect; the
// target's range receives the merged range. Corners as in RenderRect. 0, or -1 when the
// rectangle misses the target or without a target. bands <= 0: all cores.
int RenderRectInBands(const SurfaceSampler& prototype, GeoBuffers* target, VideoBuffer* colorBuffer,
                      VideoBuffer* maskBuffer, int x0, int y0, int x1, int y1, int bands = 0);

} // namespace kv
