// The world surface: everything that defines a world except its views.
//
// It holds the parameters of the fractal basis (noise source, its 128-byte parameter
// block, origin and scale of the sampled region of noise space), the numbers that turn
// the basis into altitudes, seven channel grids of floats over the whole globe, the
// climate model, the selection mask and two imported data surfaces.
//
// Channels: 0 roughness, 1 land offset, 2 rainfall, 3 temperature, 4 water level,
// 5 climate (-1 = none painted), 6 prescale offset (only while prescaleEnabled);
// 7 means the altitude and maps to channel 1 where a grid is meant.
//
// Grid geometry: width W, height H = W / 2. Sampling maps (lat, lon) to x = (lon / 360
// + 0.5) x W (W columns around the globe, wrapping) and y = (lat / 180 + 0.5) x (H - 1)
// (clamped); cell (col, row) lies where the sampling reads it back (GridCellToLatLon in
// GridGeometry.h): latitude row x 180 / (H - 1) - 90, longitude col x 360 / W - 180.
//
// The render worker reads the grids while the user-interface thread may only replace
// them after stopping it (RestoreUndoData does so through the view hooks).
#pragma once

#include "shading/ShaderWorld.h"
#include "base/layers/CISurf.h"
#include "base/layers/CSelection.h"
#include "base/noise/CSourceDatabase.h"
#include "base/color/ClimateParms.h"
#include "base/grid/Grid2D.h"
#include "base/Undo.h"
#include "base/noise/TexRecords.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace kv {

class SurfMap;
class SurfaceSampler;

// The document that owns a world, as the world sees it.
class SurfMapOwner {
public:
    virtual ~SurfMapOwner() = default;
    // Records an undo step of `channel` (a SurfaceChannel, or kUndoChannelSelection) under
    // `stepName` before an edit; 0 on success.
    virtual int RecordUndo(const std::string& stepName, int channel) = 0;
};

// What a painting brush offers the world: one stroke segment on a channel grid,
// weighted by the selection. The painting tools' brush (SurfBrush) implements it.
class ChannelBrush {
public:
    virtual ~ChannelBrush() = default;
    // One stamp into `grid` around cell (x0, y0), old values read from `grid1` at (x1, y1)
    // (the world passes one grid and one cell twice); a and b are 0. Negative when the
    // stamp falls outside the grid.
    virtual int StrokeSegment(Grid2D& grid, int x0, int y0, Grid2D& grid1, int x1, int y1,
                              const CSelection* selection, int a, int b) = 0;
    // The value painted and the channel's value range, which the view sets before each
    // stroke point.
    virtual void SetValue(float) {}
    virtual void SetRange(float /*low*/, float /*high*/) {}
};

enum SurfaceChannel : int {
    kChannelRoughness = 0,
    kChannelLandOffset = 1,
    kChannelRainfall = 2,
    kChannelTemperature = 3,
    kChannelWaterLevel = 4,
    kChannelClimate = 5,
    kChannelPrescale = 6,
    kChannelAltitude = 7,
};
constexpr int kChannelGridCount = 7;
// The undo channel of the selection mask: its steps record the world's CSelection (as that
// object's channel 0), not a channel grid.
constexpr int kUndoChannelSelection = 8192;

// Where a world's altitude comes from (SurfMap::surfaceType, stored in documents). Any
// other value evaluates to altitude 0.
enum SurfaceType : int {
    kSurfaceProcedural = 0,            // the fractal basis
    kSurfaceImported = 4,              // imported data surface 1 is the basis
    kSurfaceProceduralNoRoughness = 5, // as procedural; the roughness channel resets to 0
    kSurfaceProceduralPlanar = 6,      // as procedural; made with spherical mapping off
};

// Saved state of one channel grid of a world.
class SurfParmsUndoData : public UndoData {
public:
    // Clones the owner's grid of `channel` (0..6); false when there is none.
    bool Capture(CUndoable& owner, int channel, int extra) override;
    const Grid2D* Saved() const { return m_grid.get(); }

private:
    Grid2DPtr m_grid;
};

// Where a channel sample falls: four columns and rows with their cubic weights.
struct ChannelTaps {
    int cols[4];
    int rows[4];
    double wx[4];
    double wy[4];
};

class SurfMap : public CUndoable, public ShaderWorld {
public:
    static constexpr int kResolution1024 = 0;
    static constexpr int kResolution512 = 1;
    static constexpr int kResolution256 = 2;
    static constexpr int kMaxGridWidth = 8190;
    static constexpr int kMinGridWidth = 4;
    // Results of SetResolution besides 0.
    static constexpr int kResolutionRefused = -1;
    static constexpr int kResolutionNoMemory = -2;

    explicit SurfMap(SurfMapOwner* owner = nullptr);
    SurfMap(const SurfMap& other);
    SurfMap& operator=(const SurfMap& other);
    ~SurfMap() override;

    // ---- parameters ----
    int SetDefaults();
    void CopyParms(const SurfMap& other);
    // Basis id 1, the origin, the scale on all three axes, no shaping, exponents 1.
    void SetUnitBasis(double x, double y, double z, double scale);

    // ---- grids ----
    // Code 0, 1, 2: width 1024, 512, 256; another code v: the even width v AND 0x1FFE.
    // kResolutionRefused for a negative code or a width below kMinGridWidth (grids
    // unchanged); kResolutionNoMemory when memory cannot be had. With `keep` the grids are resampled, else made anew and reset.
    int SetResolution(int code, bool keep);
    void ClearChannels();
    int GetResolutionCode() const;
    int ResolutionCodeToWidth(int code) const;
    int64_t EstimateMemory(int code) const;
    int GetGridSize(int& w, int& h) const;
    void GetGridDims(int& w, int& h) const;
    Grid2D* Channel(int channel);
    const Grid2D* Channel(int channel) const;
    // The channel grid reference, for code that replaces grids (whole-channel operations).
    Grid2DPtr& ChannelSlot(int channel) { return grids[channel]; }

    // ---- cells and samples ----
    // A negative channel means defaultChannel (negative there: 1). Reads outside the
    // grid or of a channel above 6 give 0; such writes are refused.
    float GetCellValue(int col, int row, int channel) const;
    bool SetCellValue(int col, int row, float value, int channel);
    bool LatLonToGrid(double latitude, double longitude, double& x, double& y) const;
    void SampleScaleOffset(double latitude, double longitude, float& scale, float& offset) const;
    void SamplePrescale(double latitude, double longitude, float& value) const;
    float SampleWaterLevel(double latitude, double longitude) const;
    // SampleWaterLevel at n points.
    void SampleWaterLevels(const double* latitude, const double* longitude, int n, float* levels) const;
    // The painted climate class at a point (the climate channel's cell, truncated); -1 for
    // none, without a climate grid, and for a cell that is not a number or beyond int.
    int GetClimateOverride(double latitude, double longitude) const;
    // Bicubic and bilinear samples of any channel grid (0 without one).
    float SampleChannelCubic(int channel, double latitude, double longitude) const;
    float SampleChannelBilinear(int channel, double latitude, double longitude) const;
    int BrushAtLatLon(int channel, double latitude, double longitude, ChannelBrush& brush);
    void GetAltitudeRange(float& minValue, float& maxValue) const override;
    int SampleImportedSurface(double latitude, double longitude) const override;
    const ClimateParms* GetClimateParms() const override { return &climate; }
    double GetBasisOriginX() const override { return originX; }

    // ---- evaluation ----
    // Makes the noise source of basisId current (falling back to id 0 with a message).
    int CreateFractalBasis();
    // The basis at a point: channel 1 in raster mode, the noise source on this world's
    // own parameter block for the procedural surface types, imported surface 1 for
    // kSurfaceImported (mapped now when it is not yet), 0 otherwise.
    double EvaluateBasis(double latitude, double longitude);
    // The same for raster and imported worlds without changing anything (imported
    // surface 1 must be mapped already): what render threads use.
    double SampleStoredBasis(double latitude, double longitude) const;
    int EvaluateClimate(double latitude, double longitude, double altitude, float& rain, float& temperature,
                        int& climateClass);
    // The source for basisId: the current one, else the registry's entry (not created).
    const CSourceDatabase::SourceEntry* LookupSource() const;

    // ---- owner ----
    void SetOwner(SurfMapOwner* newOwner) { owner = newOwner; }
    SurfMapOwner* GetOwner() const { return owner; }
    // Records an undo step through the owner; -1 without one.
    int NotifyOwner(const std::string& stepName, int a, int b, int c, int d, int e);
    // Update hint 16 to the active document's views.
    void RefreshViews();

    // ---- undo ----
    bool CreateUndoData(int channel, int extra, std::unique_ptr<UndoData>& out) override;
    bool RestoreUndoData(UndoData& data) override;

    // ---- archive and parameter text (SurfMapArchive.cpp, SurfMapParms.cpp) ----
    // The binary record is written at kArchiveVersion and read back to version 256; a
    // damaged record raises the archive error and leaves the world as it was. After a
    // read every channel grid and the selection have the size gridWidth x gridHeight.
    static constexpr int32_t kArchiveVersion = 271;
    void Serialize(CArchive& ar);
    // The "FracParms" ... "FracParmsEnd" text block, keywords spelled by the tokenizer.
    // WriteParms: 0, or -1 when the file cannot be written. ReadParms: from the current
    // token, 0 after "FracParmsEnd", -1 when the text ends first (what was read is kept).
    int WriteParms(std::FILE* file, const CTokenizer& tokenizer) const;
    int ReadParms(CTokenizer& tokenizer);
    // A world parameter file holding one text block. Writing replaces the file only once
    // it is complete: 0, -1 when it cannot be created, -2 when writing fails. Reading:
    // ReadParms' result, or -2 when the file cannot be opened.
    int WriteParmsFile(const std::string& path) const;
    int ReadParmsFile(const std::string& path);
    // Whether a lacunarity read from outside may replace the current one: one that is not
    // a positive number gives infinite octave weights and NaN noise, so readers keep the
    // old value instead. Values the text form writes as 0 ("%0.5f", below 0.000005)
    // count as 0, so that what a reader took is also what a text file carries.
    static bool UsableLacunarity(double value);
    // ---- end of archive and parameter text ----

    // Sampling geometry shared by the channel samplers (and the sampler's two-grid reads).
    // Taps are placed on the grid's own size (which SetResolution keeps equal to
    // gridWidth x gridHeight; CopyParms alone may leave them apart).
    static bool CubicTaps(const Grid2D& grid, double latitude, double longitude, ChannelTaps& taps);
    static float SampleTaps(const Grid2D& grid, const ChannelTaps& taps);
    // The latitude/longitude actually used for channel sampling (the axis shift rule).
    void ShiftForGrids(double& latitude, double& longitude) const;
    // The reset value of a channel.
    float ResetValue(int channel) const;
    // Every channel grid to its reset value; with `zeroFilled` (fresh grids) the channels
    // that reset to zero are left as they are.
    void FillChannels(bool zeroFilled);

    // ==== whole-channel operations (SurfMapChannels.cpp) ====================================
    // With an active selection a cell's new value n is blended with its old value o by the
    // cell's weight w (byte / 255): o + w (n - o); without one every cell takes n. Undo steps
    // are the callers'. Each returns 0, or -1 (nothing changed) for a channel the operation
    // does not take, a missing grid, or an amount that is not a finite number.
    // `threads`: rows spread over that many threads (0: all cores); the result is the same.

    // 0..6: the grid takes value; 7: GlobalSetAltitude (value, 1 sample) through `sampler`
    // (without one, a sampler made on this world).
    int GlobalSetChannel(int channel, float value, const SurfaceSampler* sampler = nullptr);
    // 0, 1, 2, 3, 4, 6 (7 means 1).
    int AddToChannel(int channel, float amount, float low, float high);
    // 0, 1, 2, 3, 4, 6.
    int SmoothChannel(int channel, float radius);
    int ClampChannel(int channel, float low, float high);
    // 0..6.
    int AddNoiseToChannel(int channel, bool gaussian, float offset, float amplitude, float floor);

    int FillGridValue(Grid2D* grid, float value, int threads = 0);
    // o + w x amount (o + amount without a selection), clamped to low .. high.
    int AddToGrid(Grid2D* grid, float amount, float low, float high, int threads = 0);
    // Gaussian blur with sigma = radius, weighted by the selection while one is active.
    int BlurGrid(Grid2D* grid, float radius);
    int ClampGrid(Grid2D* grid, float low, float high, int threads = 0);
    // Cells whose value e has e - floor >= 0.01, row by row, each drawing r (|gaussian| or
    // uniform - 0.5): n = offset + (amplitude r + e). Other cells draw nothing.
    int AddNoiseToGrid(Grid2D* grid, bool gaussian, float offset, float amplitude, float floor);

    // Whole-world evaluations through `sampler` (the view's, or one on this world), cell
    // positions from its GridCellToLatLon, with progress "Calculating World Data": 0, or
    // -1 when the user aborted (nothing written) or a grid is missing. A sample count below
    // 1 counts as 1 and above kMaxWorldSamples as that.
    static constexpr int kMaxWorldSamples = 1024;
    // Land offset such that roughness x shaped basis + offset = value (basis averaged over
    // the cell and samples - 1 jittered points).
    int GlobalSetAltitude(double value, int samples, const SurfaceSampler& sampler, int threads = 0);
    // Temperature (degrees Celsius) and rainfall made equal to value: channel 3 (2) moves by
    // value - the mean of `samples` jittered climate evaluations.
    int GlobalSetTemperature(double value, int samples, const SurfaceSampler& sampler, int threads = 0);
    int GlobalSetRainfall(double value, int samples, const SurfaceSampler& sampler, int threads = 0);
    // Altitudes in low .. high mapped through the curve (at least two finite values) to
    // low + curve(t) x (high - low), on the selected cells (every cell without a selection),
    // all evaluated on the world as it was; "Remapping Altitudes". -1 for a short curve,
    // bounds that are not finite numbers, or when aborted (nothing written).
    int RemapAltitudes(double low, double high, std::span<const double> curve, const SurfaceSampler& sampler,
                       int threads = 0);
    // Raises the land offset of the selected cells by (high - low) (D / m)^exponent + low
    // (sets it with `set`), D the distance from the unselected cells, m its largest value;
    // returns m (0 with no selection), or -1 without a land offset grid of the selection's
    // size or for amounts that are not finite numbers.
    float MoundFromSelection(float low, float high, bool set, float exponent);
    // ==== end of whole-channel operations ===================================================

    // ---- fields ----
    int surfaceType = kSurfaceProcedural;
    int secondSurfaceMode = 0;
    ClimateParms climate;
    uint8_t directClimate = 0;
    CSelection selection;
    int mirrorLatitude = 0;
    int mirrorLongitude = 0;
    int rasterMode = 0;
    double originX = -10, originY = -10, originZ = -10;
    double scaleX = 2, scaleY = 2, scaleZ = 2;
    int basisId = 0;
    TexParms sourceParms{};
    const CSourceDatabase::SourceEntry* source = nullptr;
    int sphericalMapping = 1;
    int prescaleEnabled = 0;
    double axisLongitude = 0, axisLatitude = 0;
    int axisRotate = 1;
    int axisShiftsGrids = 0;
    double waterPercent = 70.0;
    double shelfAltitude = -304.80000376701355;
    int shapingOn = 1;
    double maxAltitude = 9144.000113010406;
    double minAltitude = -9144.000113010406;
    double landSize = 1.2;
    double circumference = 40233.60049724579;
    std::string name;
    double exponentAbove = 1.75;
    double exponentBelow = 0.6;
    float seaBias = 0.0f;
    float factorBelow = 1.0f;
    float factorAbove = 1.0f;
    int gridWidth = 256;
    int gridHeight = 128;
    int randomOrigin = 1;
    Grid2DPtr grids[kChannelGridCount];
    CISurf surface1;
    CISurf surface2;
    int defaultChannel = 1;

private:
    void SetDefaultSourceParms();
    static void LinearTaps(const Grid2D& grid, double latitude, double longitude, int& c0, int& c1, int& r0,
                           int& r1, double& fx, double& fy);
    // The bilinear sample of a grid at a point.
    static float BilinearAt(const Grid2D& grid, double latitude, double longitude);
    int ResolveChannel(int channel) const;

    SurfMapOwner* owner = nullptr;
};

} // namespace kv
