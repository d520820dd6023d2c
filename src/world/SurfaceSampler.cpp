#include "world/SurfaceSampler.h"

#include "platform/ParallelFor.h"
#include "projection/ProjectionParms.h"
#include "shading/ShadeSample.h"
#include "shading/ShaderRegistry.h"
#include "base/AppSettings.h"
#include "base/layers/ImageOverlay.h"
#include "base/color/LightParms.h"
#include "base/Random.h"
#include "base/raster/VideoBuffer.h"
#include "base/noise/BuiltinNoise.h"
#include "world/SurfMap.h"
#include "world/GridGeometry.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <memory>
#include <mutex>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kv {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegToRad = 0.017453292519943295;
constexpr double kRadToDeg = 180.0 * (1.0 / kPi);
// Diagonal steps SurfaceNormal takes to leave the map seam before giving up.
constexpr int kSeamRetries = 4;

// ratio^e with the sign of ratio kept (2^(e log2 |ratio|)); 0 at 0.
double SignedPower(double ratio, double e)
{
    if (ratio == 0.0)
        return 0.0;
    double magnitude = std::exp2(e * std::log2(std::fabs(ratio)));
    return ratio < 0.0 ? -magnitude : magnitude;
}

// Multiplies m on the right by the rotation about z (axis 2) or x (axis 0) by angle.
void RotateRight(double m[3][3], int axis, double angle)
{
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    double r[3][3];
    if (axis == 2) {
        const double z[3][3] = {{c, -s, 0}, {s, c, 0}, {0, 0, 1}};
        std::copy(&z[0][0], &z[0][0] + 9, &r[0][0]);
    } else {
        const double x[3][3] = {{1, 0, 0}, {0, c, -s}, {0, s, c}};
        std::copy(&x[0][0], &x[0][0] + 9, &r[0][0]);
    }
    double out[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            out[i][j] = m[i][0] * r[0][j] + m[i][1] * r[1][j] + m[i][2] * r[2][j];
    std::copy(&out[0][0], &out[0][0] + 9, &m[0][0]);
}

// Orders the corners of a pixel rectangle (both corners inside it) and clamps them to
// the width x height target; false when the rectangle misses the target.
bool OrderAndClampRect(int& x0, int& y0, int& x1, int& y1, int width, int height)
{
    if (x0 > x1)
        std::swap(x0, x1);
    if (y0 > y1)
        std::swap(y0, y1);
    if (width < 1 || height < 1 || x1 < 0 || y1 < 0 || x0 >= width || y0 >= height)
        return false;
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, width - 1);
    y1 = std::min(y1, height - 1);
    return true;
}

} // namespace

std::shared_mutex& NoiseTablesLock()
{
    static std::shared_mutex lock;
    return lock;
}

NoiseEvaluationScope::NoiseEvaluationScope() : m_lock(NoiseTablesLock()) {}

NoiseEvaluationScope::~NoiseEvaluationScope() = default;

// ---------------------------------------------------------------------------------------
// Construction and preparation

SurfaceSampler::SurfaceSampler(ProjectionParms* projection, SurfMap* world, LightParms* light, int shaderId)
    : m_shaderId(shaderId), m_projection(projection), m_world(world), m_light(light)
{
    ReadProjectionOffsets();
    Prepare();
}

SurfaceSampler::SurfaceSampler(const SurfaceSampler& other)
    : m_shaderId(other.m_shaderId),
      m_minSide(other.m_minSide),
      m_mapSize(other.m_mapSize),
      m_pixelScaleX(other.m_pixelScaleX),
      m_pixelScaleY(other.m_pixelScaleY),
      m_offsetX(other.m_offsetX),
      m_offsetY(other.m_offsetY),
      m_projection(other.m_projection),
      m_world(other.m_world),
      m_light(other.m_light),
      m_overlays(other.m_overlays),
      m_minValue(other.m_minValue),
      m_maxValue(other.m_maxValue),
      m_width(other.m_width),
      m_height(other.m_height),
      m_halfWidth(other.m_halfWidth),
      m_halfHeight(other.m_halfHeight),
      m_belowRange(other.m_belowRange),
      m_aboveRange(other.m_aboveRange),
      m_target(other.m_target),
      m_colorBuffer(other.m_colorBuffer),
      m_maskBuffer(other.m_maskBuffer)
{
    std::copy(&other.m_matrix[0][0], &other.m_matrix[0][0] + 9, &m_matrix[0][0]);
    Prepare();
}

SurfaceSampler::~SurfaceSampler() = default;

void SurfaceSampler::ReadProjectionOffsets()
{
    m_offsetX = 0.0;
    m_offsetY = 0.0;
}

void SurfaceSampler::Prepare()
{
    if (GetAppSettings().RebuildNoiseOnPrepare()) {
        // Never while a render evaluates the tables.
        std::unique_lock<std::shared_mutex> exclusive(NoiseTablesLock());
        RebuildNoiseTables();
        // The octave weights follow the world's configuration: settle them here, so that
        // render threads only read them.
        if (m_world != nullptr) {
            if (const CSourceDatabase::SourceEntry* entry = m_world->LookupSource()) {
                TexParms local = m_world->sourceParms;
                entry->Evaluate(local);
            }
        }
    }
    if (m_world == nullptr)
        return;
    SRand(static_cast<uint32_t>(m_world->sourceParms.seed));
    m_minValue = 1e25f;
    m_maxValue = -1e25f;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            m_matrix[i][j] = i == j ? 1.0 : 0.0;
    double a = 0.0;
    double b = 90.0;
    if (m_world->axisRotate) {
        a = m_world->axisLongitude;
        b = 90.0 - m_world->axisLatitude;
    }
    RotateRight(m_matrix, 2, a * kDegToRad);
    RotateRight(m_matrix, 0, b * kDegToRad);
    m_preparedSource = m_world->LookupSource();
    // An imported basis is mapped here, on the preparing thread, never by a render.
    if (m_world->surfaceType == kSurfaceImported && !m_world->surface1.IsMapped())
        m_world->surface1.MapFile();
    UpdateRanges();
    if (m_light != nullptr)
        m_light->UpdateLight(m_world->minAltitude, 0.0, m_world->maxAltitude);
}

void SurfaceSampler::UpdateRanges()
{
    if (m_world == nullptr)
        return;
    m_belowRange = static_cast<float>(m_world->minAltitude - m_world->shelfAltitude);
    m_aboveRange = static_cast<float>(m_world->maxAltitude - m_world->shelfAltitude);
}

void SurfaceSampler::SetTarget(GeoBuffers* target, VideoBuffer* colorBuffer, VideoBuffer* maskBuffer)
{
    m_target = target;
    m_colorBuffer = colorBuffer;
    m_maskBuffer = maskBuffer;
    if (colorBuffer != nullptr && !colorBuffer->IsEmpty()) {
        m_width = colorBuffer->GetWidth();
        m_height = colorBuffer->GetHeight();
    } else if (target != nullptr && target->width > 0 && target->height > 0) {
        m_width = target->width;
        m_height = target->height;
    } else {
        m_width = m_height = 1;
    }
    m_minSide = std::min(m_width, m_height);
    if (m_projection != nullptr) {
        double scale = 1.0;
        m_projection->GetScale(scale);
        m_mapSize = scale;
    }
    m_pixelScaleX = m_pixelScaleY = m_mapSize / (m_minSide * 0.5);
    m_halfWidth = m_width / 2;
    m_halfHeight = m_height / 2;
    UpdateRanges();
}

ProjectionParms* SurfaceSampler::SetProjection(ProjectionParms* projection)
{
    ProjectionParms* previous = m_projection;
    m_projection = projection;
    ReadProjectionOffsets();
    return previous;
}

// ---------------------------------------------------------------------------------------
// Mappings

bool SurfaceSampler::PixelToLatLon(int col, int row, double& latitude, double& longitude) const
{
    latitude = longitude = 0.0;
    if (m_projection == nullptr)
        return false;
    const double x = (col + m_offsetX - m_halfWidth) * m_pixelScaleX;
    const double y = (m_halfHeight - (row + m_offsetY)) * m_pixelScaleY;
    if (m_projection->MapToLatLon(x, y, latitude, longitude) != 0)
        return false;
    Mirror(latitude, longitude);
    return true;
}

void SurfaceSampler::Mirror(double& latitude, double& longitude) const
{
    if (m_world == nullptr)
        return;
    if (m_world->mirrorLatitude)
        latitude = -latitude;
    if (m_world->mirrorLongitude)
        longitude = -longitude;
}

bool SurfaceSampler::LatLonToPixelD(double latitude, double longitude, double& x, double& y) const
{
    x = y = 0.0;
    if (m_projection == nullptr)
        return false;
    Mirror(latitude, longitude);
    double mapX = 0.0, mapY = 0.0;
    if (m_projection->LatLonToMap(latitude, longitude, mapX, mapY) != 0)
        return false;
    // The exact inverse of PixelToLatLon in both axes.
    x = mapX / m_pixelScaleX - m_offsetX + m_halfWidth;
    y = m_halfHeight - mapY / m_pixelScaleY - m_offsetY;
    return true;
}

bool SurfaceSampler::LatLonToPixelF(double latitude, double longitude, float& x, float& y) const
{
    double dx = 0.0, dy = 0.0;
    const bool onMap = LatLonToPixelD(latitude, longitude, dx, dy);
    x = static_cast<float>(dx);
    y = static_cast<float>(dy);
    return onMap;
}

bool SurfaceSampler::LatLonToPixel(double latitude, double longitude, int& x, int& y) const
{
    x = y = 0;
    double dx = 0.0, dy = 0.0;
    if (!LatLonToPixelD(latitude, longitude, dx, dy))
        return false;
    // Truncated from the double position (a float would round 39.9999999 up to 40).
    auto clampPixel = [](double v) {
        if (!(v > -32767.0))
            return -32767;
        if (v > 32767.0)
            return 32767;
        return static_cast<int>(v);
    };
    x = clampPixel(dx);
    y = clampPixel(dy);
    return true;
}

bool SurfaceSampler::GridCellToLatLon(int col, int row, double& latitude, double& longitude) const
{
    latitude = longitude = 0.0;
    if (m_world == nullptr)
        return true;
    kv::GridCellToLatLon(col, row, m_world->gridWidth, m_world->gridHeight, latitude, longitude);
    return true;
}

// ---------------------------------------------------------------------------------------
// Evaluation

const CSourceDatabase::SourceEntry* SurfaceSampler::BasisSource() const
{
    if (m_world == nullptr || m_world->surfaceType == kSurfaceImported)
        return nullptr;
    return m_world->source != nullptr ? m_world->source : m_preparedSource;
}

void SurfaceSampler::NoisePoint(double latitude, double longitude, double point[3]) const
{
    const SurfMap& world = *m_world;
    if (world.sphericalMapping) {
        if (!world.axisRotate) {
            longitude += world.axisLongitude;
            latitude += world.axisLatitude;
        }
        const double lat = latitude * kDegToRad;
        const double lon = longitude * kDegToRad;
        // A row of a cylindrical map keeps its latitude: its sine and cosine are reused
        // (compared bit for bit, so that -0 keeps its own sine).
        if (std::bit_cast<uint64_t>(lat) != std::bit_cast<uint64_t>(m_trigLatitude)) {
            m_cosLatitude = std::cos(lat);
            m_sinLatitude = std::sin(lat);
            m_trigLatitude = lat;
        }
        const double cosLat = m_cosLatitude;
        const double v[3] = {cosLat * std::cos(lon), cosLat * std::sin(lon), m_sinLatitude};
        double t[3];
        for (int k = 0; k < 3; ++k)
            t[k] = v[0] * m_matrix[0][k] + v[1] * m_matrix[1][k] + v[2] * m_matrix[2][k];
        point[0] = world.scaleX * t[0] + world.originX;
        point[1] = world.scaleY * t[1] + world.originY;
        point[2] = world.scaleZ * t[2] + world.originZ;
    } else {
        point[0] = (longitude / 360.0 + 0.5) * world.scaleX * 2.0 + world.originX;
        point[1] = (latitude / 180.0 + 0.5) * world.scaleY + world.originY;
        point[2] = world.originZ;
    }
}

double SurfaceSampler::EvaluateBasis(double latitude, double longitude) const
{
    if (m_world == nullptr)
        return 0.0;
    if (m_world->surfaceType == kSurfaceImported)
        return m_world->SampleStoredBasis(latitude, longitude);
    // Every call evaluates on its own copy of the block: sources rewrite the point.
    TexParms local = m_world->sourceParms;
    NoisePoint(latitude, longitude, local.point);
    const CSourceDatabase::SourceEntry* entry = BasisSource();
    return entry != nullptr ? entry->Evaluate(local) : 0.0;
}

double SurfaceSampler::ShapeBasis(double latitude, double longitude, double basis) const
{
    if (m_world == nullptr)
        return basis;
    const SurfMap& world = *m_world;
    if (world.surfaceType == kSurfaceImported)
        return basis;
    float b = static_cast<float>(basis);
    if (world.prescaleEnabled && world.grids[kChannelPrescale]) {
        float prescale = 0.0f;
        world.SamplePrescale(latitude, longitude, prescale);
        b += prescale;
    }
    const float s = b - world.seaBias;
    const float v = s * (s < 0.0f ? world.factorBelow : world.factorAbove);
    if (world.shapingOn && world.waterPercent > 0.0) {
        const double shelf = world.shelfAltitude;
        const double d = v - shelf;
        // A range of zero width has nowhere to go: the level stays at the shelf.
        if (d < 0.0)
            return m_belowRange == 0.0f ? shelf : shelf + m_belowRange * SignedPower(d / m_belowRange, world.exponentBelow);
        return m_aboveRange == 0.0f ? shelf : shelf + m_aboveRange * SignedPower(d / m_aboveRange, world.exponentAbove);
    }
    return v;
}

double SurfaceSampler::GetBasisValue(double latitude, double longitude) const
{
    return ShapeBasis(latitude, longitude, EvaluateBasis(latitude, longitude));
}

float SurfaceSampler::AltitudeFromShaped(double latitude, double longitude, double shaped) const
{
    if (m_world == nullptr)
        return static_cast<float>(shaped);
    if (m_world->rasterMode)
        return static_cast<float>(m_world->SampleStoredBasis(latitude, longitude));
    float scale = 0.0f, offset = 0.0f;
    m_world->SampleScaleOffset(latitude, longitude, scale, offset);
    return scale * static_cast<float>(shaped) + offset;
}

float SurfaceSampler::GetAltitude(double latitude, double longitude) const
{
    if (m_world == nullptr)
        return 0.0f;
    if (m_world->rasterMode)
        return static_cast<float>(m_world->SampleStoredBasis(latitude, longitude));
    return AltitudeFromShaped(latitude, longitude, GetBasisValue(latitude, longitude));
}

int SurfaceSampler::GetClimate(double latitude, double longitude, double altitude, float& rain, float& temperature,
                               int& climateClass, float* waterOut) const
{
    if (m_world == nullptr) {
        rain = temperature = 0.0f;
        climateClass = 0;
        if (waterOut != nullptr)
            *waterOut = 0.0f;
        return 0;
    }
    if (waterOut != nullptr)
        *waterOut = m_world->SampleWaterLevel(latitude, longitude);
    return m_world->EvaluateClimate(latitude, longitude, altitude, rain, temperature, climateClass);
}

// ---------------------------------------------------------------------------------------
// Rendering

void SurfaceSampler::TrackRange(float value)
{
    if (value < m_minValue)
        m_minValue = value;
    if (value > m_maxValue)
        m_maxValue = value;
}

SurfaceSampler::AltitudeSource SurfaceSampler::CellAltitudeSource(bool inTarget, int mode) const
{
    if (m_world != nullptr && m_world->rasterMode)
        return AltitudeSource::StoredBasis;
    if ((mode & kCellColour) != 0 && inTarget && m_target->altitude)
        return AltitudeSource::Target;
    if (mode == kCellStoredPositions && inTarget && m_target->rawBasis)
        return AltitudeSource::RawBasis;
    return AltitudeSource::Evaluation;
}

bool SurfaceSampler::CellPosition(int col, int row, int mode, double& latitude, double& longitude) const
{
    const GeoBuffers* target = m_target;
    const bool inTarget = target != nullptr && col >= 0 && row >= 0 && col < target->width && row < target->height;
    if ((mode & kCellStoredPositions) != 0 && inTarget && target->latitude && target->longitude && target->valid) {
        const auto urow = static_cast<std::size_t>(row);
        latitude = target->latitude->Row<float>(urow)[col] * kRadToDeg;
        longitude = target->longitude->Row<float>(urow)[col] * kRadToDeg;
        return target->valid->Row<uint8_t>(urow)[col] != 0;
    }
    return PixelToLatLon(col, row, latitude, longitude);
}

bool SurfaceSampler::ComputeCell(int col, int row, int mode, bool* aboveWaterOut)
{
    double latitude = 0.0, longitude = 0.0;
    const bool valid = CellPosition(col, row, mode, latitude, longitude);
    return FinishCell(col, row, mode, valid, latitude, longitude, nullptr, aboveWaterOut);
}

bool SurfaceSampler::FinishCell(int col, int row, int mode, bool valid, double latitude, double longitude,
                                const float* sourceValue, bool* aboveWaterOut)
{
    GeoBuffers* target = m_target;
    const bool inTarget = target != nullptr && col >= 0 && row >= 0 && col < target->width && row < target->height;
    const auto urow = static_cast<std::size_t>(row);
    const bool colouring = (mode & kCellColour) != 0;
    const bool storedPositions = (mode & kCellStoredPositions) != 0 && inTarget && target->latitude &&
                                 target->longitude && target->valid;

    if (aboveWaterOut != nullptr)
        *aboveWaterOut = false;
    if (valid) {
        float altitude = 0.0f;
        bool fromTarget = false;
        switch (CellAltitudeSource(inTarget, mode)) {
        case AltitudeSource::StoredBasis:
            altitude = static_cast<float>(m_world->SampleStoredBasis(latitude, longitude));
            break;
        case AltitudeSource::Target:
            altitude = target->altitude->Row<float>(urow)[col];
            fromTarget = true;
            break;
        case AltitudeSource::RawBasis:
            altitude = AltitudeFromShaped(latitude, longitude,
                                          ShapeBasis(latitude, longitude, target->rawBasis->Row<float>(urow)[col]));
            break;
        case AltitudeSource::Evaluation: {
            const double basis = sourceValue != nullptr ? *sourceValue : EvaluateBasis(latitude, longitude);
            if (inTarget && target->rawBasis)
                target->rawBasis->Row<float>(urow)[col] = static_cast<float>(basis);
            altitude = AltitudeFromShaped(latitude, longitude, ShapeBasis(latitude, longitude, basis));
            break;
        }
        }

        TrackRange(altitude);
        // A value read back from the target is already there with its position and
        // range: the colouring pass writes nothing the neighbouring cells read.
        if (inTarget && !fromTarget) {
            target->minValue = m_minValue;
            target->maxValue = m_maxValue;
            if (target->altitude)
                target->altitude->Row<float>(urow)[col] = altitude;
            if (!storedPositions && target->latitude && target->longitude) {
                target->latitude->Row<float>(urow)[col] = static_cast<float>(latitude * kDegToRad);
                target->longitude->Row<float>(urow)[col] = static_cast<float>(longitude * kDegToRad);
            }
        }
        if (m_colorBuffer != nullptr)
            m_colorBuffer->SetPixel(col, row, ShadePoint(target, col, row, latitude, longitude, altitude, colouring));
        if (aboveWaterOut != nullptr && m_world != nullptr)
            *aboveWaterOut = m_world->SampleWaterLevel(latitude, longitude) < altitude;
    }

    if (inTarget && target->valid) {
        uint8_t& cell = target->valid->Row<uint8_t>(urow)[col];
        if (cell != static_cast<uint8_t>(valid ? 1 : 0))
            cell = valid ? 1 : 0;
    }
    if (m_maskBuffer != nullptr)
        m_maskBuffer->SetPixel(col, row, valid ? 0xFFFFFFu : 0u);
    return valid;
}

void SurfaceSampler::ComputeRun(int row, int x0, int x1, int mode, bool* anyAboveWater)
{
    // Cells per group: enough to keep the noise lanes full, few enough for the stack.
    constexpr int kGroup = 64;
    if (anyAboveWater != nullptr)
        *anyAboveWater = false;
    m_rampsReady = m_colorBuffer != nullptr && m_light != nullptr;
    if (m_rampsReady) {
        m_seaRamp.Prepare(m_light->seaColors);
        m_landRamp.Prepare(m_light->landColors);
    }
    // The colouring pass over altitudes already in the target: no noise, one lookup per run.
    if ((mode & kCellColour) != 0 && anyAboveWater == nullptr && ColourRunFromTarget(row, x0, x1, mode)) {
        m_rampsReady = false;
        return;
    }
    const GeoBuffers* target = m_target;
    const bool rowInTarget = target != nullptr && row >= 0 && row < target->height;
    for (int first = x0; first <= x1; first += kGroup) {
        const int n = std::min(kGroup, x1 - first + 1);
        double latitude[kGroup], longitude[kGroup];
        bool valid[kGroup];
        int slot[kGroup];
        double px[kGroup], py[kGroup], pz[kGroup];
        float value[kGroup];
        // The source is looked up per group, as the world may change between groups.
        const CSourceDatabase::SourceEntry* source = BasisSource();
        int points = 0;
        for (int k = 0; k < n; ++k) {
            const int col = first + k;
            valid[k] = CellPosition(col, row, mode, latitude[k], longitude[k]);
            slot[k] = -1;
            const bool inTarget = rowInTarget && col >= 0 && col < target->width;
            if (valid[k] && source != nullptr && CellAltitudeSource(inTarget, mode) == AltitudeSource::Evaluation) {
                double point[3];
                NoisePoint(latitude[k], longitude[k], point);
                px[points] = point[0];
                py[points] = point[1];
                pz[points] = point[2];
                slot[k] = points++;
            }
        }
        if (points > 0)
            source->EvaluateMany(m_world->sourceParms, points, px, py, pz, value);
        for (int k = 0; k < n; ++k) {
            bool above = false;
            FinishCell(first + k, row, mode, valid[k], latitude[k], longitude[k],
                       slot[k] >= 0 ? &value[slot[k]] : nullptr, anyAboveWater != nullptr ? &above : nullptr);
            if (above)
                *anyAboveWater = true;
        }
    }
    m_rampsReady = false;
}

int SurfaceSampler::RenderRect(GeoBuffers* target, VideoBuffer* colorBuffer, VideoBuffer* maskBuffer, int x0, int y0,
                               int x1, int y1)
{
    SetTarget(target, colorBuffer, maskBuffer);
    if (!OrderAndClampRect(x0, y0, x1, y1, m_width, m_height))
        return -1;

    NoiseEvaluationScope evaluating;
    const int firstMode = (target != nullptr && target->positionsValid) ? kCellStoredPositions : 0;
    // The colouring pass needs the neighbours' altitudes: every value first, then colours.
    VideoBuffer* colour = m_colorBuffer;
    m_colorBuffer = nullptr;
    for (int y = y0; y <= y1; ++y)
        ComputeRun(y, x0, x1, firstMode, nullptr);
    m_colorBuffer = colour;
    if (colour != nullptr) {
        for (int y = y0; y <= y1; ++y)
            ComputeRun(y, x0, x1, firstMode | kCellColour, nullptr);
    }
    if (target != nullptr) {
        target->minValue = m_minValue;
        target->maxValue = m_maxValue;
    }
    return 0;
}

int RenderRectInBands(const SurfaceSampler& prototype, GeoBuffers* target, VideoBuffer* colorBuffer,
                      VideoBuffer* maskBuffer, int x0, int y0, int x1, int y1, int bands)
{
    if (target == nullptr)
        return -1;
    int width = target->width, height = target->height;
    if (colorBuffer != nullptr && !colorBuffer->IsEmpty()) {
        width = colorBuffer->GetWidth();
        height = colorBuffer->GetHeight();
    }
    if (!OrderAndClampRect(x0, y0, x1, y1, width, height))
        return -1;
    if (bands <= 0)
        bands = HardwareThreads();
    const int rows = y1 - y0 + 1;
    bands = std::min(bands, rows);

    // One sampler and one view of the target per thread, each on its own cache lines: the
    // sampler and the view's range are written at every pixel. The grids are shared.
    struct alignas(64) Worker {
        explicit Worker(const SurfaceSampler& p, const GeoBuffers& t) : sampler(p), view(t) {}
        SurfaceSampler sampler;
        GeoBuffers view;
    };
    std::vector<std::unique_ptr<Worker>> workers;
    for (int i = 0; i < bands; ++i)
        workers.push_back(std::make_unique<Worker>(prototype, *target));
    // The threads take short runs of rows in turn, so that a thread that drew cheap rows
    // (near a pole, off the globe) takes more of them. A pixel does not depend on which
    // sampler computes it, and minimum and maximum merge in any order.
    const int runRows = std::max(1, rows / (bands * 16));
    const int runs = (rows + runRows - 1) / runRows;
    auto eachRun = [&](auto&& body) {
        std::atomic<int> next{0};
        ParallelRows(
            bands,
            [&](int begin, int end) {
                for (int i = begin; i < end; ++i) {
                    Worker& worker = *workers[static_cast<std::size_t>(i)];
                    for (int run = next.fetch_add(1, std::memory_order_relaxed); run < runs;
                         run = next.fetch_add(1, std::memory_order_relaxed)) {
                        const int first = y0 + run * runRows;
                        body(worker, first, std::min(first + runRows, y1 + 1));
                    }
                }
            },
            bands);
    };
    // Every value of every row first, then every colour.
    eachRun([&](Worker& worker, int first, int last) {
        worker.sampler.RenderRect(&worker.view, nullptr, maskBuffer, x0, first, x1, last - 1);
    });
    if (colorBuffer != nullptr) {
        const int mode = (target->positionsValid ? kCellStoredPositions : 0) | kCellColour;
        for (auto& worker : workers)
            worker->sampler.SetTarget(&worker->view, colorBuffer, maskBuffer);
        eachRun([&](Worker& worker, int first, int last) {
            NoiseEvaluationScope evaluating;
            for (int y = first; y < last; ++y)
                worker.sampler.ComputeRun(y, x0, x1, mode, nullptr);
        });
    }
    std::vector<GeoBuffers*> views;
    for (auto& worker : workers)
        views.push_back(&worker->view);
    target->minValue = views[0]->minValue;
    target->maxValue = views[0]->maxValue;
    for (const GeoBuffers* view : views) {
        target->minValue = std::min(target->minValue, view->minValue);
        target->maxValue = std::max(target->maxValue, view->maxValue);
    }
    return 0;
}

void SurfaceSampler::SurfaceNormal(const GeoBuffers* target, int col, int row, float normal[3], bool flat) const
{
    if (flat)
        SurfaceNormals(target, col, row, nullptr, normal);
    else
        SurfaceNormals(target, col, row, normal, nullptr);
}

bool SurfaceSampler::PrepareNormals(const GeoBuffers* target, NormalGrids& grids) const
{
    if (target == nullptr || !target->latitude || !target->longitude || !target->altitude)
        return false;
    grids.w = target->width;
    grids.h = target->height;
    // A target one pixel wide or high has no neighbour to measure a slope against.
    if (grids.w < 2 || grids.h < 2)
        return false;
    grids.lat = static_cast<const Grid2D&>(*target->latitude).Rows<float>();
    grids.lon = static_cast<const Grid2D&>(*target->longitude).Rows<float>();
    grids.alt = static_cast<const Grid2D&>(*target->altitude).Rows<float>();
    grids.latSign = (m_world != nullptr && m_world->mirrorLatitude) ? -1.0 : 1.0;
    grids.lonSign = (m_world != nullptr && m_world->mirrorLongitude) ? -1.0 : 1.0;
    grids.f = (m_world != nullptr ? m_world->circumference : 40233.60049724579) * 1000.0 / 360.0;
    grids.g = m_light != nullptr ? m_light->vertExag : 1.0;
    return true;
}

namespace {

// Sets the normals given (either may be null) to the vertical.
void SetVertical(float* relief, float* flat)
{
    for (float* normal : {relief, flat}) {
        if (normal != nullptr) {
            normal[0] = 0.0f;
            normal[1] = 0.0f;
            normal[2] = 1.0f;
        }
    }
}

// The relief and flat normals of cell (col, row) of prepared grids (either output may be
// null); the vertical where there is no slope to measure.
inline void NormalsAt(const SurfaceSampler::NormalGrids& grids, int col, int row, float* relief, float* flat)
{
    SetVertical(relief, flat);
    const int w = grids.w;
    const int h = grids.h;
    if (col < 0 || row < 0 || col >= w || row >= h)
        return;
    const GridRows<const float>& lat = grids.lat;
    const GridRows<const float>& lon = grids.lon;
    const GridRows<const float>& alt = grids.alt;
    const double latSign = grids.latSign;
    const double lonSign = grids.lonSign;

    int c = col, r = row;
    for (int attempt = 0; attempt <= kSeamRetries; ++attempt) {
        // The neighbour to the right and below; at the last column or row the one on the
        // other side, with the differences turned so they still point right and down.
        const int cx = c + 1 < w ? c + 1 : c - 1;
        const int ry = r + 1 < h ? r + 1 : r - 1;
        const double sx = cx > c ? 1.0 : -1.0;
        const double sy = ry > r ? 1.0 : -1.0;
        const auto uc = static_cast<std::size_t>(c);
        const auto ur = static_cast<std::size_t>(r);
        const auto ucx = static_cast<std::size_t>(cx);
        const auto ury = static_cast<std::size_t>(ry);
        const double dLatX = sx * latSign * (lat[ur][ucx] - lat[ur][uc]);
        const double dLonX = sx * lonSign * (lon[ur][ucx] - lon[ur][uc]);
        const double dLatY = sy * latSign * (lat[ury][uc] - lat[ur][uc]);
        const double dLonY = sy * lonSign * (lon[ury][uc] - lon[ur][uc]);
        if (dLatX * dLatX + dLonX * dLonX > kPi * kPi || dLatY * dLatY + dLonY * dLonY > kPi * kPi) {
            // The pair straddles the map seam: try the next cell along the diagonal.
            c = (c + 1) % w;
            r = (r + 1) % h;
            continue;
        }
        const double f = grids.f;
        const double g = grids.g;
        // (dLon F, dLat F, dAlt) across crossed with the same down; the flat normal has no
        // altitude differences.
        auto cross = [&](double dAltX, double dAltY, float* normal) {
            const double a[3] = {dLonX * f, dLatX * f, dAltX};
            const double b[3] = {dLonY * f, dLatY * f, dAltY};
            const double n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
            if (n[0] == 0.0 && n[1] == 0.0 && n[2] == 0.0)
                return; // coincident positions: no slope to measure, the vertical stays
            normal[0] = static_cast<float>(n[0]);
            normal[1] = static_cast<float>(n[1]);
            normal[2] = static_cast<float>(n[2]);
        };
        if (relief != nullptr)
            cross(sx * (alt[ur][ucx] - alt[ur][uc]) * g, sy * (alt[ury][uc] - alt[ur][uc]) * g, relief);
        if (flat != nullptr)
            cross(0.0, 0.0, flat);
        return;
    }
}

// The normals of a group of cells along a row, as NormalsAlongRow leaves them.
struct RowNormals {
    float relief[3][SurfaceSampler::kShadeGroup];
    float flat[3][SurfaceSampler::kShadeGroup];
    bool seam[SurfaceSampler::kShadeGroup];
};

// NormalsAt of cells first .. first + n - 1 of `row`, for cells whose neighbours to the
// right and below are inside the grids (first + n < w, row + 1 < h), two cells at a time in
// double lanes: each lane performs NormalsAt's steps in the same order (the turn factors are
// 1 here, and multiplying by them changes nothing). `seam` marks the cells whose pair
// straddles the map seam: NormalsAt looks further for those, and their normals here are not
// to be used. Returns the cells done (a last odd one, or all without SSE2, are left to
// NormalsAt).
int NormalsAlongRow(const SurfaceSampler::NormalGrids& grids, int row, int first, int n, RowNormals& out)
{
    int j = 0;
#if defined(__SSE2__)
    const auto ur = static_cast<std::size_t>(row);
    const float* latHere = grids.lat[ur] + first;
    const float* latBelow = grids.lat[ur + 1] + first;
    const float* lonHere = grids.lon[ur] + first;
    const float* lonBelow = grids.lon[ur + 1] + first;
    const float* altHere = grids.alt[ur] + first;
    const float* altBelow = grids.alt[ur + 1] + first;
    auto load2 = [](const float* p) { return _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))); };
    // (a - b) in single precision, then widened.
    auto difference = [&](const float* a, const float* b) { return _mm_cvtps_pd(_mm_sub_ps(load2(a), load2(b))); };
    auto lowFloats = [](__m128d mask) {
        const __m128 m = _mm_castpd_ps(mask);
        return _mm_shuffle_ps(m, m, _MM_SHUFFLE(2, 0, 2, 0));
    };
    auto choose = [](__m128 flat, __m128 vertical, __m128 value) {
        return _mm_or_ps(_mm_and_ps(flat, vertical), _mm_andnot_ps(flat, value));
    };
    auto store2 = [](float* p, __m128 v) { _mm_storel_pi(reinterpret_cast<__m64*>(p), v); };
    const __m128d latSign = _mm_set1_pd(grids.latSign), lonSign = _mm_set1_pd(grids.lonSign);
    const __m128d f = _mm_set1_pd(grids.f), g = _mm_set1_pd(grids.g), limit = _mm_set1_pd(kPi * kPi);
    const __m128d zero = _mm_setzero_pd();
    const __m128 none = _mm_setzero_ps(), up = _mm_set1_ps(1.0f);
    for (; j + 2 <= n; j += 2) {
        const __m128d dLatX = _mm_mul_pd(latSign, difference(latHere + j + 1, latHere + j));
        const __m128d dLonX = _mm_mul_pd(lonSign, difference(lonHere + j + 1, lonHere + j));
        const __m128d dLatY = _mm_mul_pd(latSign, difference(latBelow + j, latHere + j));
        const __m128d dLonY = _mm_mul_pd(lonSign, difference(lonBelow + j, lonHere + j));
        const __m128d seamX = _mm_cmpgt_pd(_mm_add_pd(_mm_mul_pd(dLatX, dLatX), _mm_mul_pd(dLonX, dLonX)), limit);
        const __m128d seamY = _mm_cmpgt_pd(_mm_add_pd(_mm_mul_pd(dLatY, dLatY), _mm_mul_pd(dLonY, dLonY)), limit);
        const int seams = _mm_movemask_pd(_mm_or_pd(seamX, seamY));
        out.seam[j] = (seams & 1) != 0;
        out.seam[j + 1] = (seams & 2) != 0;
        const __m128d dAltX = _mm_mul_pd(difference(altHere + j + 1, altHere + j), g);
        const __m128d dAltY = _mm_mul_pd(difference(altBelow + j, altHere + j), g);
        const __m128d a0 = _mm_mul_pd(dLonX, f), a1 = _mm_mul_pd(dLatX, f);
        const __m128d b0 = _mm_mul_pd(dLonY, f), b1 = _mm_mul_pd(dLatY, f);
        const __m128d r0 = _mm_sub_pd(_mm_mul_pd(a1, dAltY), _mm_mul_pd(dAltX, b1));
        const __m128d r1 = _mm_sub_pd(_mm_mul_pd(dAltX, b0), _mm_mul_pd(a0, dAltY));
        const __m128d r2 = _mm_sub_pd(_mm_mul_pd(a0, b1), _mm_mul_pd(a1, b0));
        // The flat normal: the same cross product with no altitude differences.
        const __m128d f0 = _mm_sub_pd(_mm_mul_pd(a1, zero), _mm_mul_pd(zero, b1));
        const __m128d f1 = _mm_sub_pd(_mm_mul_pd(zero, b0), _mm_mul_pd(a0, zero));
        const __m128d& f2 = r2;
        // Coincident positions leave the vertical.
        const __m128 reliefFlat = lowFloats(
            _mm_and_pd(_mm_and_pd(_mm_cmpeq_pd(r0, zero), _mm_cmpeq_pd(r1, zero)), _mm_cmpeq_pd(r2, zero)));
        const __m128 flatFlat = lowFloats(
            _mm_and_pd(_mm_and_pd(_mm_cmpeq_pd(f0, zero), _mm_cmpeq_pd(f1, zero)), _mm_cmpeq_pd(f2, zero)));
        store2(&out.relief[0][j], choose(reliefFlat, none, _mm_cvtpd_ps(r0)));
        store2(&out.relief[1][j], choose(reliefFlat, none, _mm_cvtpd_ps(r1)));
        store2(&out.relief[2][j], choose(reliefFlat, up, _mm_cvtpd_ps(r2)));
        store2(&out.flat[0][j], choose(flatFlat, none, _mm_cvtpd_ps(f0)));
        store2(&out.flat[1][j], choose(flatFlat, none, _mm_cvtpd_ps(f1)));
        store2(&out.flat[2][j], choose(flatFlat, up, _mm_cvtpd_ps(f2)));
    }
#else
    (void)grids, (void)row, (void)first, (void)n, (void)out;
#endif
    return j;
}

} // namespace

void SurfaceSampler::SurfaceNormals(const GeoBuffers* target, int col, int row, float* relief, float* flat) const
{
    NormalGrids grids;
    if (PrepareNormals(target, grids))
        NormalsAt(grids, col, row, relief, flat);
    else
        SetVertical(relief, flat);
}

uint32_t SurfaceSampler::ShadePoint(const GeoBuffers* target, int col, int row, double latitude, double longitude,
                                    float altitude, bool withNormals) const
{
    if (m_world == nullptr)
        return 0xFFFFFF;
    ShadeSetup setup;
    PrepareShade(setup, withNormals);
    return ShadeWith(setup, target, col, row, latitude, longitude, altitude, withNormals);
}

void SurfaceSampler::PrepareShade(ShadeSetup& setup, bool withNormals) const
{
    const ShaderRegistry& registry = GetShaderRegistry();
    setup.shader = registry.GetShader(m_shaderId);
    ShadeSample& sample = setup.sample;
    sample = ShadeSample{};
    sample.flags = registry.GetFlags(m_shaderId);
    sample.altitudeColorWeight = kShaderConstant;
    if (m_world != nullptr) {
        sample.minAltitude = static_cast<float>(m_world->minAltitude);
        sample.maxAltitude = static_cast<float>(m_world->maxAltitude);
    }
    if (m_light != nullptr) {
        sample.ambient = static_cast<float>(m_light->ambient);
        sample.gamma = static_cast<float>(m_light->gamma);
        if (withNormals) {
            const float* light = m_light->GetLightVector();
            std::copy(light, light + 3, sample.lightVector);
        }
    }
}

void SurfaceSampler::ShadeSurroundings(ShadeSample* samples, const double* latitude, const double* longitude,
                                       int n) const
{
    // The shaders of one run share their flags.
    const int flags = n > 0 ? samples[0].flags : 0;
    if (flags & kShaderWantsClimate) {
        for (int i = 0; i < n; ++i) {
            ShadeSample& sample = samples[i];
            int climateClass = 0;
            GetClimate(latitude[i], longitude[i], sample.altitude, sample.rainfall, sample.temperature, climateClass,
                       &sample.waterLevel);
            sample.climateCode = static_cast<float>(climateClass);
        }
    } else if ((flags & (kShaderWantsClimate | kShaderWantsWaterLevel)) == kShaderWantsWaterLevel) {
        float water[kShadeGroup];
        m_world->SampleWaterLevels(latitude, longitude, n, water);
        for (int i = 0; i < n; ++i)
            samples[i].waterLevel = water[i];
    } else {
        for (int i = 0; i < n; ++i)
            samples[i].waterLevel = 0.0f;
    }
    for (int i = 0; i < n; ++i) {
        samples[i].latitude = static_cast<float>(latitude[i]);
        samples[i].longitude = static_cast<float>(longitude[i]);
    }
}

void SurfaceSampler::ShadeAltitudeColors(ShadeSample* samples, int n) const
{
    // The point's water level is its sea level: depth is measured from it.
    if (m_light == nullptr)
        return;
    if (!m_rampsReady) {
        for (int i = 0; i < n; ++i)
            samples[i].altitudeColor = m_light->AltitudeColorAt(samples[i].altitude, samples[i].waterLevel);
        return;
    }
    float altitude[kShadeGroup], water[kShadeGroup];
    uint32_t colour[kShadeGroup];
    for (int i = 0; i < n; ++i) {
        altitude[i] = samples[i].altitude;
        water[i] = samples[i].waterLevel;
    }
    m_light->AltitudeColorsAt(altitude, water, n, m_seaRamp, m_landRamp, colour);
    for (int i = 0; i < n; ++i)
        samples[i].altitudeColor = colour[i];
}

uint32_t SurfaceSampler::ShadeWith(const ShadeSetup& setup, const GeoBuffers* target, int col, int row,
                                   double latitude, double longitude, float altitude, bool withNormals) const
{
    ShadeSample sample = setup.sample;
    sample.altitude = altitude;
    ShadeSurroundings(&sample, &latitude, &longitude, 1);
    ShadeAltitudeColors(&sample, 1);
    if (withNormals && m_light != nullptr)
        SurfaceNormals(target, col, row, sample.landNormal, sample.seaNormal);
    return setup.shader != nullptr ? setup.shader->Shade(&sample) : kMissingShaderColor;
}

bool SurfaceSampler::ColourRunFromTarget(int row, int x0, int x1, int mode)
{
    GeoBuffers* target = m_target;
    VideoBuffer* colour = m_colorBuffer;
    VideoBuffer* mask = m_maskBuffer;
    if (m_world == nullptr || m_world->rasterMode || colour == nullptr || colour->IsEmpty() ||
        (mask != nullptr && mask->IsEmpty()) || target == nullptr || !target->altitude ||
        x0 < 0 || x1 < x0 || row < 0 || row >= target->height || x1 >= target->width || row >= colour->GetHeight() ||
        x1 >= colour->GetWidth() || (mask != nullptr && (row >= mask->GetHeight() || x1 >= mask->GetWidth())))
        return false;
    ShadeSetup setup;
    PrepareShade(setup, true);
    NormalGrids normals;
    const bool normalsReady = PrepareNormals(target, normals);
    RowNormals rowNormals;
    const auto urow = static_cast<std::size_t>(row);
    const float* altitude = target->altitude->Row<float>(urow);
    uint8_t* validRow = target->valid ? target->valid->Row<uint8_t>(urow) : nullptr;
    // The row's pixels are stored through pointers taken once: the buffers are not
    // re-read after every byte stored.
    uint8_t* const colourRow = colour->RowPointer(row);
    const int colourBytes = colour->BytesPerPixel();
    uint8_t* const maskRow = mask != nullptr ? mask->RowPointer(row) : nullptr;
    const int maskBytes = mask != nullptr ? mask->BytesPerPixel() : 0;
    // ShadeWith's steps, each over a group of cells before the next: a point's steps depend
    // on each other, the points do not, so the processor overlaps the points of a loop.
    ShadeSample samples[kShadeGroup];
    double latitude[kShadeGroup], longitude[kShadeGroup];
    int column[kShadeGroup];
    for (int first = x0; first <= x1; first += kShadeGroup) {
        const int last = std::min(first + kShadeGroup - 1, x1);
        int count = 0;
        for (int col = first; col <= last; ++col) {
            const bool valid = CellPosition(col, row, mode, latitude[count], longitude[count]);
            if (valid) {
                TrackRange(altitude[col]);
                samples[count] = setup.sample;
                samples[count].altitude = altitude[col];
                column[count++] = col;
            }
            if (validRow != nullptr && validRow[col] != static_cast<uint8_t>(valid ? 1 : 0))
                validRow[col] = valid ? 1 : 0;
            if (maskRow != nullptr)
                VideoBuffer::StorePixelBytes(maskRow + static_cast<std::size_t>(col) * maskBytes, maskBytes,
                                             valid ? 0xFFFFFFu : 0u);
        }
        ShadeSurroundings(samples, latitude, longitude, count);
        ShadeAltitudeColors(samples, count);
        if (m_light != nullptr && normalsReady) {
            // Cells with both neighbours inside the grids in lanes, the rest one by one.
            const int inside = row + 1 < normals.h ? std::min(last, normals.w - 2) - first + 1 : 0;
            const int done = inside > 0 ? NormalsAlongRow(normals, row, first, inside, rowNormals) : 0;
            for (int i = 0; i < count; ++i) {
                const int j = column[i] - first;
                if (j >= done || rowNormals.seam[j]) {
                    NormalsAt(normals, column[i], row, samples[i].landNormal, samples[i].seaNormal);
                    continue;
                }
                for (int axis = 0; axis < 3; ++axis) {
                    samples[i].landNormal[axis] = rowNormals.relief[axis][j];
                    samples[i].seaNormal[axis] = rowNormals.flat[axis][j];
                }
            }
        }
        uint32_t shaded[kShadeGroup];
        if (setup.shader != nullptr)
            setup.shader->ShadeMany(samples, count, shaded);
        else
            std::fill(shaded, shaded + count, kMissingShaderColor);
        for (int i = 0; i < count; ++i)
            VideoBuffer::StorePixelBytes(colourRow + static_cast<std::size_t>(column[i]) * colourBytes, colourBytes,
                                         shaded[i]);
    }
    return true;
}

bool SurfaceSampler::ShowsOverlays() const
{
    return m_colorBuffer != nullptr && m_overlays != nullptr && m_overlays->AnyVisible();
}

int SurfaceSampler::ColorPixel(int col, int row)
{
    if (m_colorBuffer == nullptr || m_overlays == nullptr)
        return 1;
    if (col < 0 || row < 0 || col >= m_colorBuffer->GetWidth() || row >= m_colorBuffer->GetHeight())
        return 1;
    double latitude = 0.0, longitude = 0.0;
    if (!PixelToLatLon(col, row, latitude, longitude))
        return 1;
    float altitude = 0.0f;
    if (m_target != nullptr && m_target->altitude && col < m_target->width && row < m_target->height)
        altitude = m_target->altitude->Row<float>(static_cast<std::size_t>(row))[col];
    const uint32_t over = m_overlays->CompositeAt(latitude, longitude, altitude, col, row);
    const uint32_t a = over >> 24;
    if (a == 0)
        return 1;
    if (a == 255) {
        m_colorBuffer->SetPixel(col, row, over & 0x00FFFFFFu);
        return 1;
    }
    const uint32_t old = m_colorBuffer->GetPixel(col, row);
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t o = (old >> shift) & 0xFF;
        const uint32_t n = (over >> shift) & 0xFF;
        const uint32_t c = ((o * (255 - a)) >> 8) + n * a / 256;
        out |= std::min<uint32_t>(c, 255) << shift;
    }
    m_colorBuffer->SetPixel(col, row, out);
    return 1;
}

// ---------------------------------------------------------------------------------------
// Shader helpers

uint32_t SurfaceSampler::ValueToColor(float value, int id) const
{
    if (m_world == nullptr)
        return 0xFFFFFF;
    return GetShaderRegistry().ValueToColor(id < 0 ? m_shaderId : id, value);
}

void SurfaceSampler::GetShaderRange(float& low, float& high, int id) const
{
    GetShaderRegistry().GetRange(id < 0 ? m_shaderId : id, &low, &high);
}

float SurfaceSampler::ToDisplayUnits(float value) const
{
    return GetShaderRegistry().ToDisplayUnits(m_shaderId, value);
}

std::string SurfaceSampler::GetShaderName(int id) const
{
    std::string text;
    GetShaderRegistry().GetUnits(id < 0 ? m_shaderId : id, text);
    return text;
}

std::string SurfaceSampler::GetClimateName(int code) const
{
    if (m_world == nullptr)
        return std::string();
    return m_world->climate.GetClimateName(code);
}

} // namespace kv
