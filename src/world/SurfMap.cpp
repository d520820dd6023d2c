#include "world/SurfMap.h"

#include "base/grid/GridFilters.h"
#include "base/noise/BuiltinSources.h"
#include "base/MessageService.h"
#include "base/ViewHooks.h"
#include "world/SurfaceSampler.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <mutex>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kv {

namespace {

constexpr double kDegToRad = 0.017453292519943295;

// Brings a sampling column position into [0, W) and splits it into cell and fraction.
// (Inlined: every shaded pixel samples a channel through it.)
[[gnu::always_inline]] inline void WrapColumn(double x, int w, int& c, double& fx)
{
    if (!std::isfinite(x))
        x = 0.0;
    // fmod is exact and gives x itself on [0, w): the usual case needs no division.
    if (!(x >= 0.0 && x < w))
        x = std::fmod(x, static_cast<double>(w));
    if (x < 0.0)
        x += w;
    c = static_cast<int>(x);
    if (c >= w) { // x just below w rounded up by the addition
        c = 0;
        x = 0.0;
    }
    fx = x - c;
}

// Clamps a sampling row position into [0, H - 1] and splits it.
[[gnu::always_inline]] inline void ClampRow(double y, int h, int& r, double& fy)
{
    if (!(y > 0.0))
        y = 0.0;
    if (y > h - 1)
        y = h - 1;
    r = static_cast<int>(y);
    if (r > h - 1)
        r = h - 1;
    fy = y - r;
}

// i % w for 0 <= i < 3 w without a division (sampling takes several per point).
inline int WrapIndex(int i, int w)
{
    while (i >= w)
        i -= w;
    return i;
}

// The bilinear blend of cells c0, c1 of rows r0, r1 of a float grid.
[[gnu::always_inline]] inline float BlendCells(const Grid2D& grid, int c0, int c1, int r0, int r1, double fx, double fy)
{
    const float* a = grid.Row<float>(static_cast<std::size_t>(r0));
    const float* b = grid.Row<float>(static_cast<std::size_t>(r1));
    const double top = a[c0] + (a[c1] - a[c0]) * fx;
    const double bottom = b[c0] + (b[c1] - b[c0]) * fx;
    return static_cast<float>(top + (bottom - top) * fy);
}

// Catmull-Rom weights of p0..p3 at t.
void CubicWeights(double t, double w[4])
{
    const double t2 = t * t;
    const double t3 = t2 * t;
    w[0] = -0.5 * t + t2 - 0.5 * t3;
    w[1] = 1.0 - 2.5 * t2 + 1.5 * t3;
    w[2] = 0.5 * t + 2.0 * t2 - 1.5 * t3;
    w[3] = -0.5 * t2 + 0.5 * t3;
}

// Two doubles side by side; each lane is rounded as its own scalar operation.
typedef double DoublePair __attribute__((vector_size(16)));

// SampleTaps on two grids of one size at once: lane 0 is grid a, lane 1 grid b, each
// formed by the same operations in the same order as SampleTaps.
void SampleTapsTwo(const Grid2D& a, const Grid2D& b, const ChannelTaps& taps, float& va, float& vb)
{
    GridRows<const float> rowsA = a.Rows<float>();
    GridRows<const float> rowsB = b.Rows<float>();
    const int c0 = taps.cols[0], c1 = taps.cols[1], c2 = taps.cols[2], c3 = taps.cols[3];
    DoublePair sum = {0.0, 0.0};
    for (int j = 0; j < 4; ++j) {
        const float* ra = rowsA[static_cast<std::size_t>(taps.rows[j])];
        const float* rb = rowsB[static_cast<std::size_t>(taps.rows[j])];
        const DoublePair across = taps.wx[0] * DoublePair{ra[c0], rb[c0]} + taps.wx[1] * DoublePair{ra[c1], rb[c1]} +
                                  taps.wx[2] * DoublePair{ra[c2], rb[c2]} + taps.wx[3] * DoublePair{ra[c3], rb[c3]};
        sum += taps.wy[j] * across;
    }
    va = static_cast<float>(sum[0]);
    vb = static_cast<float>(sum[1]);
}

} // namespace

// ---------------------------------------------------------------------------------------
// SurfParmsUndoData

bool SurfParmsUndoData::Capture(CUndoable& owner, int channel, int extra)
{
    auto* world = dynamic_cast<SurfMap*>(&owner);
    if (world == nullptr || channel < 0 || channel >= kChannelGridCount)
        return false;
    const Grid2D* grid = world->Channel(channel);
    if (grid == nullptr)
        return false;
    Grid2DPtr copy = Clone2D(grid);
    if (!copy)
        return false;
    if (!UndoData::Capture(owner, channel, extra))
        return false;
    m_grid = std::move(copy);
    return true;
}

// ---------------------------------------------------------------------------------------
// Construction and parameters

SurfMap::SurfMap(SurfMapOwner* ownerDoc) : owner(ownerDoc)
{
    SetDefaultSourceParms();
    sourceParms.octaves = 12.0;
    SetDefaults();
}

SurfMap::SurfMap(const SurfMap& other) : CUndoable(other), ShaderWorld(other), owner(nullptr)
{
    SetDefaultSourceParms();
    sourceParms.octaves = 12.0;
    *this = other;
}

SurfMap::~SurfMap() = default;

void SurfMap::SetDefaultSourceParms()
{
    sourceParms = DefaultSurfaceParms();
}

int SurfMap::SetDefaults()
{
    surfaceType = kSurfaceProcedural;
    secondSurfaceMode = 0;
    directClimate = 0;
    mirrorLatitude = 0;
    mirrorLongitude = 0;
    rasterMode = 0;
    originX = originY = originZ = -10.0;
    scaleX = scaleY = scaleZ = 2.0;
    basisId = 0;
    SetDefaultSourceParms();
    sphericalMapping = 1;
    prescaleEnabled = 0;
    axisLongitude = 0.0;
    axisLatitude = 0.0;
    axisRotate = 1;
    axisShiftsGrids = 0;
    waterPercent = 70.0;
    shelfAltitude = -304.80000376701355;
    shapingOn = 1;
    maxAltitude = 9144.000113010406;
    minAltitude = -9144.000113010406;
    landSize = 1.2;
    circumference = 40233.60049724579;
    exponentAbove = 1.75;
    exponentBelow = 0.6;
    seaBias = 0.0f;
    factorBelow = 1.0f;
    factorAbove = 1.0f;
    randomOrigin = 1;
    climate.ResetDefaults();
    name.clear();
    return SetResolution(kResolution256, false);
}

void SurfMap::CopyParms(const SurfMap& other)
{
    basisId = other.basisId;
    sphericalMapping = other.sphericalMapping;
    prescaleEnabled = other.prescaleEnabled;
    originX = other.originX;
    originY = other.originY;
    originZ = other.originZ;
    scaleX = other.scaleX;
    scaleY = other.scaleY;
    scaleZ = other.scaleZ;
    axisLongitude = other.axisLongitude;
    axisLatitude = other.axisLatitude;
    axisRotate = other.axisRotate;
    axisShiftsGrids = other.axisShiftsGrids;
    waterPercent = other.waterPercent;
    maxAltitude = other.maxAltitude;
    minAltitude = other.minAltitude;
    shapingOn = other.shapingOn;
    circumference = other.circumference;
    landSize = other.landSize;
    name = other.name;
    seaBias = other.seaBias;
    factorBelow = other.factorBelow;
    factorAbove = other.factorAbove;
    gridWidth = other.gridWidth;
    gridHeight = other.gridHeight;
    shelfAltitude = other.shelfAltitude;
    mirrorLatitude = other.mirrorLatitude;
    mirrorLongitude = other.mirrorLongitude;
    sourceParms = other.sourceParms;
    randomOrigin = other.randomOrigin;
    climate = other.climate;
    rasterMode = other.rasterMode;
}

SurfMap& SurfMap::operator=(const SurfMap& other)
{
    if (this == &other)
        return *this;
    CopyParms(other);
    for (auto& grid : grids)
        grid.reset();
    for (int ch = 0; ch < kChannelGridCount; ++ch) {
        if (ch == kChannelPrescale && !prescaleEnabled)
            continue;
        grids[ch] = Clone2D(other.grids[ch].get());
    }
    selection = other.selection;
    surface1 = other.surface1;
    surface2 = other.surface2;
    if (other.surface1.IsMapped())
        surface1.MapFile();
    if (other.surface2.IsMapped())
        surface2.MapFile();
    return *this;
}

void SurfMap::SetUnitBasis(double x, double y, double z, double scale)
{
    basisId = 1;
    originX = x;
    originY = y;
    originZ = z;
    scaleX = scaleY = scaleZ = scale;
    shapingOn = 0;
    exponentAbove = 1.0;
    exponentBelow = 1.0;
}

// ---------------------------------------------------------------------------------------
// Grids

int SurfMap::ResolutionCodeToWidth(int code) const
{
    if (code < 0)
        code = GetResolutionCode();
    switch (code) {
    case kResolution1024: return 1024;
    case kResolution512: return 512;
    case kResolution256: return 256;
    default: return code;
    }
}

int SurfMap::SetResolution(int code, bool keep)
{
    if (code < 0)
        return kResolutionRefused;
    int w;
    switch (code) {
    case kResolution1024: w = 1024; break;
    case kResolution512: w = 512; break;
    case kResolution256: w = 256; break;
    default: w = code & 0x1FFE; break;
    }
    // A grid of one row (or none) has no latitude spacing: every sample would divide by 0.
    if (w < kMinGridWidth)
        return kResolutionRefused;
    const int h = w / 2;

    const auto uw = static_cast<std::size_t>(w);
    const auto uh = static_cast<std::size_t>(h);
    if (keep) {
        for (int ch = 0; ch < kChannelGridCount; ++ch) {
            if (ch == kChannelPrescale && !prescaleEnabled)
                continue;
            if (!grids[ch]) {
                grids[ch] = Alloc2D(uw, uh, sizeof(float));
                if (!grids[ch])
                    return kResolutionNoMemory;
                if (ch != kChannelPrescale) {
                    float* p = grids[ch]->DataAs<float>();
                    std::fill(p, p + grids[ch]->CellCount(), ResetValue(ch));
                }
                continue;
            }
            ResizeFloatGrid(grids[ch], w, h);
            if (!grids[ch])
                return kResolutionNoMemory;
        }
    } else {
        for (auto& grid : grids)
            grid.reset();
        for (int ch = 0; ch < kChannelGridCount; ++ch) {
            if (ch == kChannelPrescale && !prescaleEnabled)
                continue;
            grids[ch] = Alloc2D(uw, uh, sizeof(float));
            if (!grids[ch])
                return kResolutionNoMemory;
        }
    }
    selection.Create(w, h);
    gridWidth = w;
    gridHeight = h;
    if (!keep)
        FillChannels(true);
    return 0;
}

float SurfMap::ResetValue(int channel) const
{
    switch (channel) {
    case kChannelRoughness: return surfaceType == kSurfaceProceduralNoRoughness ? 0.0f : 1.0f;
    case kChannelClimate: return -1.0f;
    default: return 0.0f;
    }
}

void SurfMap::ClearChannels()
{
    FillChannels(false);
}

void SurfMap::FillChannels(bool zeroFilled)
{
    for (int ch = 0; ch < kChannelGridCount; ++ch) {
        if (ch == kChannelPrescale && !prescaleEnabled)
            continue;
        Grid2D* grid = grids[ch].get();
        const float reset = ResetValue(ch);
        if (grid == nullptr || (zeroFilled && std::bit_cast<uint32_t>(reset) == 0u))
            continue;
        float* p = grid->DataAs<float>();
        std::fill(p, p + grid->CellCount(), reset);
    }
}

int SurfMap::GetResolutionCode() const
{
    if (!grids[0])
        return -1;
    switch (gridWidth) {
    case 256: return kResolution256;
    case 512: return kResolution512;
    case 1024: return kResolution1024;
    default: return gridWidth;
    }
}

int64_t SurfMap::EstimateMemory(int code) const
{
    const int64_t w = code < 0 ? gridWidth : ResolutionCodeToWidth(code);
    const int64_t channels = prescaleEnabled ? 7 : 6;
    return channels * w * w * 4 / 2;
}

int SurfMap::GetGridSize(int& w, int& h) const
{
    if (!grids[0]) {
        w = h = 0;
        return -1;
    }
    w = gridWidth;
    h = gridHeight;
    return 0;
}

void SurfMap::GetGridDims(int& w, int& h) const
{
    if (!grids[0]) {
        w = h = 0;
        return;
    }
    w = static_cast<int>(grids[0]->Width());
    h = static_cast<int>(grids[0]->Height());
}

Grid2D* SurfMap::Channel(int channel)
{
    if (channel == kChannelAltitude)
        channel = kChannelLandOffset;
    if (channel < 0 || channel >= kChannelGridCount)
        return nullptr;
    return grids[channel].get();
}

const Grid2D* SurfMap::Channel(int channel) const
{
    return const_cast<SurfMap*>(this)->Channel(channel);
}

// ---------------------------------------------------------------------------------------
// Cells and samples

int SurfMap::ResolveChannel(int channel) const
{
    if (channel < 0)
        channel = defaultChannel < 0 ? kChannelLandOffset : defaultChannel;
    return channel;
}

float SurfMap::GetCellValue(int col, int row, int channel) const
{
    channel = ResolveChannel(channel);
    if (channel > 6)
        return 0.0f;
    const Grid2D* grid = grids[channel].get();
    if (grid == nullptr || col < 0 || row < 0 || static_cast<std::size_t>(col) >= grid->Width() ||
        static_cast<std::size_t>(row) >= grid->Height())
        return 0.0f;
    return grid->Row<float>(static_cast<std::size_t>(row))[col];
}

bool SurfMap::SetCellValue(int col, int row, float value, int channel)
{
    channel = ResolveChannel(channel);
    if (channel > 6)
        return false;
    Grid2D* grid = grids[channel].get();
    if (grid == nullptr || col < 0 || row < 0 || static_cast<std::size_t>(col) >= grid->Width() ||
        static_cast<std::size_t>(row) >= grid->Height())
        return false;
    float& cell = grid->Row<float>(static_cast<std::size_t>(row))[col];
    if (selection.IsActive()) {
        double w = selection.GetWeightOrOne(col, row);
        cell = static_cast<float>(cell + w * (value - cell));
    } else {
        cell = value;
    }
    return true;
}

bool SurfMap::LatLonToGrid(double latitude, double longitude, double& x, double& y) const
{
    x = (longitude / 360.0 + 0.5) * gridWidth;
    y = (latitude / 180.0 + 0.5) * (gridHeight - 1);
    return x >= 0.0 && x < gridWidth && y > 0.0 && y < gridHeight;
}

void SurfMap::ShiftForGrids(double& latitude, double& longitude) const
{
    if (axisShiftsGrids && !axisRotate) {
        latitude += axisLatitude;
        longitude += axisLongitude;
    }
}

bool SurfMap::CubicTaps(const Grid2D& grid, double latitude, double longitude, ChannelTaps& taps)
{
    const int w = static_cast<int>(grid.Width());
    const int h = static_cast<int>(grid.Height());
    int c, r;
    double fx, fy;
    WrapColumn((longitude / 360.0 + 0.5) * w, w, c, fx);
    ClampRow((latitude / 180.0 + 0.5) * (h - 1), h, r, fy);
    taps.cols[0] = c == 0 ? w - 1 : c - 1;
    taps.cols[1] = c;
    taps.cols[2] = WrapIndex(c + 1, w);
    taps.cols[3] = WrapIndex(c + 2, w);
    taps.rows[0] = std::max(r - 1, 0);
    taps.rows[1] = r;
    taps.rows[2] = std::min(r + 1, h - 1);
    taps.rows[3] = std::min(r + 2, h - 1);
    CubicWeights(fx, taps.wx);
    CubicWeights(fy, taps.wy);
    return true;
}

float SurfMap::SampleTaps(const Grid2D& grid, const ChannelTaps& taps)
{
    GridRows<const float> rows = grid.Rows<float>();
    double sum = 0.0;
    for (int j = 0; j < 4; ++j) {
        const float* row = rows[static_cast<std::size_t>(taps.rows[j])];
        double across = taps.wx[0] * row[taps.cols[0]] + taps.wx[1] * row[taps.cols[1]] +
                        taps.wx[2] * row[taps.cols[2]] + taps.wx[3] * row[taps.cols[3]];
        sum += taps.wy[j] * across;
    }
    return static_cast<float>(sum);
}

[[gnu::always_inline]] inline void SurfMap::LinearTaps(const Grid2D& grid, double latitude, double longitude,
                                                      int& c0, int& c1, int& r0, int& r1, double& fx, double& fy)
{
    const int w = static_cast<int>(grid.Width());
    const int h = static_cast<int>(grid.Height());
    WrapColumn((longitude / 360.0 + 0.5) * w, w, c0, fx);
    ClampRow((latitude / 180.0 + 0.5) * (h - 1), h, r0, fy);
    c1 = WrapIndex(c0 + 1, w);
    r1 = std::min(r0 + 1, h - 1);
}

float SurfMap::SampleChannelCubic(int channel, double latitude, double longitude) const
{
    const Grid2D* grid = Channel(channel);
    ChannelTaps taps;
    if (grid == nullptr || !CubicTaps(*grid, latitude, longitude, taps))
        return 0.0f;
    return SampleTaps(*grid, taps);
}

[[gnu::always_inline]] inline float SurfMap::BilinearAt(const Grid2D& grid, double latitude, double longitude)
{
    int c0, c1, r0, r1;
    double fx, fy;
    LinearTaps(grid, latitude, longitude, c0, c1, r0, r1, fx, fy);
    return BlendCells(grid, c0, c1, r0, r1, fx, fy);
}

float SurfMap::SampleChannelBilinear(int channel, double latitude, double longitude) const
{
    const Grid2D* grid = Channel(channel);
    return grid != nullptr ? BilinearAt(*grid, latitude, longitude) : 0.0f;
}

void SurfMap::SampleWaterLevels(const double* latitude, const double* longitude, int n, float* levels) const
{
    const Grid2D* grid = Channel(kChannelWaterLevel);
    if (grid == nullptr) {
        std::fill(levels, levels + n, 0.0f);
        return;
    }
    // BilinearAt in two steps over up to 32 points at a time: every point's taps, then every
    // point's blend (each step's points overlap in the processor).
    const int w = static_cast<int>(grid->Width());
    const int h = static_cast<int>(grid->Height());
    constexpr int kChunk = 32;
    alignas(16) int column[kChunk], row[kChunk];
    alignas(16) double fx[kChunk], fy[kChunk];
    for (int first = 0; first < n; first += kChunk) {
        const int count = std::min(kChunk, n - first);
        const double* lat = latitude + first;
        const double* lon = longitude + first;
        int i = 0;
#if defined(__SSE2__)
        // Two points at a time: the same quotients, sums and products as LinearTaps; a
        // column that is not already inside the grid is wrapped one point at a time.
        const __m128d zero = _mm_setzero_pd(), half = _mm_set1_pd(0.5);
        const __m128d width = _mm_set1_pd(static_cast<double>(w)), lastRow = _mm_set1_pd(static_cast<double>(h - 1));
        for (; i + 2 <= count; i += 2) {
            const __m128d x = _mm_mul_pd(_mm_add_pd(_mm_div_pd(_mm_loadu_pd(lon + i), _mm_set1_pd(360.0)), half), width);
            __m128d y = _mm_mul_pd(_mm_add_pd(_mm_div_pd(_mm_loadu_pd(lat + i), _mm_set1_pd(180.0)), half), lastRow);
            if (_mm_movemask_pd(_mm_and_pd(_mm_cmpge_pd(x, zero), _mm_cmplt_pd(x, width))) == 3) {
                const __m128i c = _mm_cvttpd_epi32(x);
                _mm_storel_epi64(reinterpret_cast<__m128i*>(column + i), c);
                _mm_store_pd(fx + i, _mm_sub_pd(x, _mm_cvtepi32_pd(c)));
            } else {
                WrapColumn(_mm_cvtsd_f64(x), w, column[i], fx[i]);
                WrapColumn(_mm_cvtsd_f64(_mm_unpackhi_pd(x, x)), w, column[i + 1], fx[i + 1]);
            }
            // ClampRow: the maximum with 0 also takes a NaN to 0.
            y = _mm_min_pd(_mm_max_pd(y, zero), lastRow);
            const __m128i r = _mm_cvttpd_epi32(y);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(row + i), r);
            _mm_store_pd(fy + i, _mm_sub_pd(y, _mm_cvtepi32_pd(r)));
        }
#endif
        for (; i < count; ++i) {
            int c1, r1;
            LinearTaps(*grid, lat[i], lon[i], column[i], c1, row[i], r1, fx[i], fy[i]);
        }
        for (i = 0; i < count; ++i) {
            levels[first + i] = BlendCells(*grid, column[i], WrapIndex(column[i] + 1, w), row[i],
                                           std::min(row[i] + 1, h - 1), fx[i], fy[i]);
        }
    }
}

void SurfMap::SampleScaleOffset(double latitude, double longitude, float& scale, float& offset) const
{
    scale = offset = 0.0f;
    const Grid2D* roughness = grids[kChannelRoughness].get();
    const Grid2D* landOffset = grids[kChannelLandOffset].get();
    if (roughness == nullptr || landOffset == nullptr)
        return;
    ShiftForGrids(latitude, longitude);
    ChannelTaps taps;
    CubicTaps(*roughness, latitude, longitude, taps);
    if (landOffset->Width() == roughness->Width() && landOffset->Height() == roughness->Height()) {
        SampleTapsTwo(*roughness, *landOffset, taps, scale, offset);
    } else {
        scale = SampleTaps(*roughness, taps);
        CubicTaps(*landOffset, latitude, longitude, taps);
        offset = SampleTaps(*landOffset, taps);
    }
}

void SurfMap::SamplePrescale(double latitude, double longitude, float& value) const
{
    value = 0.0f;
    if (!grids[kChannelPrescale])
        return;
    ShiftForGrids(latitude, longitude);
    value = SampleChannelCubic(kChannelPrescale, latitude, longitude);
}

float SurfMap::SampleWaterLevel(double latitude, double longitude) const
{
    return SampleChannelBilinear(kChannelWaterLevel, latitude, longitude);
}

int SurfMap::GetClimateOverride(double latitude, double longitude) const
{
    const Grid2D* grid = grids[kChannelClimate].get();
    if (grid == nullptr)
        return -1;
    const double w = static_cast<double>(grid->Width());
    const double h = static_cast<double>(grid->Height());
    double x = (longitude / 360.0 + 0.5) * w;
    double y = (latitude / 180.0 + 0.5) * (h - 1);
    int c = std::isfinite(x) ? static_cast<int>(std::clamp(x, 0.0, w - 1.0)) : 0;
    int r = std::isfinite(y) ? static_cast<int>(std::clamp(y, 0.0, h - 1.0)) : 0;
    // A document may bring any float here: one that names no integer is no override.
    const float cell = grid->Row<float>(static_cast<std::size_t>(r))[c];
    if (!(cell > -2147483648.0f && cell < 2147483648.0f))
        return -1;
    return static_cast<int>(cell);
}

int SurfMap::BrushAtLatLon(int channel, double latitude, double longitude, ChannelBrush& brush)
{
    Grid2D* grid = Channel(channel);
    if (grid == nullptr)
        return -1;
    ShiftForGrids(latitude, longitude);
    const int w = static_cast<int>(grid->Width());
    const int h = static_cast<int>(grid->Height());
    int c, r;
    double fx, unusedFy;
    WrapColumn((longitude / 360.0 + 0.5) * w, w, c, fx);
    // The brush cell is the row of the point scaled by H (not H - 1), clamped to the grid.
    ClampRow((latitude / 180.0 + 0.5) * h, h, r, unusedFy);
    return brush.StrokeSegment(*grid, c, r, *grid, c, r, &selection, 0, 0);
}

void SurfMap::GetAltitudeRange(float& minValue, float& maxValue) const
{
    minValue = static_cast<float>(minAltitude);
    maxValue = static_cast<float>(maxAltitude);
}

int SurfMap::SampleImportedSurface(double latitude, double longitude) const
{
    if (secondSurfaceMode != 7)
        return static_cast<int>(kNoRawData);
    return static_cast<int>(surface2.SampleColor(latitude, longitude));
}

// ---------------------------------------------------------------------------------------
// Evaluation

const CSourceDatabase::SourceEntry* SurfMap::LookupSource() const
{
    if (source != nullptr)
        return source;
    const CSourceDatabase::SourceEntry* entry = nullptr;
    GetSourceDatabase().FindById(basisId, &entry);
    return entry;
}

int SurfMap::CreateFractalBasis()
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        {
            // Creating and destroying a source rebuilds the built-in tables: never while a
            // render evaluates them.
            std::unique_lock<std::shared_mutex> exclusive(NoiseTablesLock());
            if (source != nullptr) {
                source->Destroy(sourceParms);
                source = nullptr;
            }
            const CSourceDatabase::SourceEntry* entry = nullptr;
            if (GetSourceDatabase().FindById(basisId, &entry) >= 0 && entry != nullptr) {
                source = entry;
                source->Create(sourceParms);
                return 0;
            }
        }
        if (basisId == 0)
            break; // not even the ridged source: every evaluation gives 0
        char text[160];
        std::snprintf(text, sizeof text,
                      "Unable to create fractal basis function ID %d.\nUsing Ridged Multifractal instead.", basisId);
        ShowMessage(text);
        basisId = 0;
    }
    return 0;
}

double SurfMap::SampleStoredBasis(double latitude, double longitude) const
{
    if (rasterMode)
        return SampleChannelBilinear(kChannelLandOffset, latitude, longitude);
    if (surfaceType == kSurfaceImported && surface1.IsMapped())
        return surface1.SampleValue(latitude, longitude);
    return 0.0;
}

double SurfMap::EvaluateBasis(double latitude, double longitude)
{
    if (rasterMode)
        return SampleChannelBilinear(kChannelLandOffset, latitude, longitude);
    switch (surfaceType) {
    case kSurfaceProcedural:
    case kSurfaceProceduralNoRoughness:
    case kSurfaceProceduralPlanar: {
        if (sphericalMapping) {
            const double lat = latitude * kDegToRad;
            const double lon = longitude * kDegToRad;
            const double cosLat = std::cos(lat);
            sourceParms.point[0] = originX + cosLat * std::cos(lon) * scaleX;
            sourceParms.point[1] = originY + cosLat * std::sin(lon) * scaleY;
            sourceParms.point[2] = originZ + std::sin(lat) * scaleZ;
        } else {
            sourceParms.point[0] = (longitude / 360.0 + 0.5) * scaleX * 2.0 + originX;
            sourceParms.point[1] = (latitude / 180.0 + 0.5) * scaleY + originY;
            sourceParms.point[2] = originZ;
        }
        if (source == nullptr)
            source = LookupSource();
        return source ? source->Evaluate(sourceParms) : 0.0;
    }
    case kSurfaceImported:
        if (surface1.IsMapped() || surface1.MapFile() == CISurf::kMapOk)
            return surface1.SampleValue(latitude, longitude);
        return 0.0;
    default:
        return 0.0;
    }
}

int SurfMap::EvaluateClimate(double latitude, double longitude, double altitude, float& rain, float& temperature,
                             int& climateClass)
{
    float rainGrid, tempGrid;
    const Grid2D* rainChannel = grids[kChannelRainfall].get();
    const Grid2D* tempChannel = grids[kChannelTemperature].get();
    if (rainChannel != nullptr && tempChannel != nullptr && rainChannel->Width() == tempChannel->Width() &&
        rainChannel->Height() == tempChannel->Height()) {
        // One set of taps for both grids of one size.
        ChannelTaps taps;
        CubicTaps(*rainChannel, latitude, longitude, taps);
        SampleTapsTwo(*rainChannel, *tempChannel, taps, rainGrid, tempGrid);
    } else {
        rainGrid = SampleChannelCubic(kChannelRainfall, latitude, longitude);
        tempGrid = SampleChannelCubic(kChannelTemperature, latitude, longitude);
    }
    if (directClimate) {
        rain = rainGrid;
        temperature = std::max(tempGrid, 0.0f);
        int overrideClass = GetClimateOverride(latitude, longitude);
        climateClass = overrideClass >= 0 ? overrideClass : ClimateParms::LookupClimateClass(rain, temperature);
        return 0;
    }
    const float water = SampleWaterLevel(latitude, longitude);
    const int overrideClass = GetClimateOverride(latitude, longitude);
    double rainfall = 0.0, kelvin = 0.0;
    const int result = climate.EvaluateClimate(latitude, longitude, altitude, rainfall, kelvin, climateClass, rainGrid,
                                               tempGrid, water, overrideClass, originX, originY, originZ);
    rain = static_cast<float>(rainfall);
    temperature = static_cast<float>(kelvin);
    return result;
}

// ---------------------------------------------------------------------------------------
// Owner

int SurfMap::NotifyOwner(const std::string& stepName, int a, int, int, int, int)
{
    if (owner == nullptr)
        return -1;
    return owner->RecordUndo(stepName, a);
}

void SurfMap::RefreshViews()
{
    UpdateActiveDocViews(kHintChannelDataChanged);
}

// ---------------------------------------------------------------------------------------
// Undo

bool SurfMap::CreateUndoData(int channel, int extra, std::unique_ptr<UndoData>& out)
{
    if (channel == kChannelAltitude || channel < 0)
        channel = kChannelLandOffset;
    auto data = std::make_unique<SurfParmsUndoData>();
    if (!data->Capture(*this, channel, extra))
        return false;
    out = std::move(data);
    return true;
}

bool SurfMap::RestoreUndoData(UndoData& data)
{
    auto* record = dynamic_cast<SurfParmsUndoData*>(&data);
    if (record == nullptr || record->Owner() != this || record->Saved() == nullptr)
        return false;
    const int channel = record->Channel();
    if (channel < 0 || channel >= kChannelGridCount)
        return false;
    const Grid2D& saved = *record->Saved();
    const Grid2D* current = grids[channel].get();
    if (current == nullptr || saved.Width() != current->Width() || saved.Height() != current->Height() ||
        saved.ElementSize() != sizeof(float))
        return false;
    Grid2DPtr copy = Clone2D(&saved);
    if (!copy)
        return false;
    StopActiveViewRender();
    grids[channel] = std::move(copy);
    return true;
}

} // namespace kv
