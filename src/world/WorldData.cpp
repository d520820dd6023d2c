#include "world/WorldData.h"

#include "projection/ProjectionParms.h"
#include "base/raster/VideoBuffer.h"
#include "world/GeoBuffers.h"
#include "world/SurfaceSampler.h"

#include <algorithm>
#include <atomic>

namespace kv {

namespace {

// Unit map coordinates of the sampled map's offset.
constexpr double kMapOffset = 0.00001;
constexpr int kShaderId = 1;
constexpr int kCountedBins = 1024;
// The side Compute samples (SetSampledMapSize).
std::atomic<int> g_sampledMapSize{WorldData::kMapSize};

} // namespace

int WorldData::SetSampledMapSize(int side)
{
    return g_sampledMapSize.exchange(std::max(side, 8));
}

int WorldData::SampledMapSize() { return g_sampledMapSize.load(); }

WorldData::WorldData() : m_histogram(kBins, 0u) {}

WorldData::~WorldData() = default;

void WorldData::Reset()
{
    m_minimum = 0.0f;
    m_maximum = 0.0f;
    std::fill(m_histogram.begin(), m_histogram.end(), 0u);
    m_count = 0;
}

int WorldData::Compute(SurfMap& world)
{
    const int side = SampledMapSize();
    VideoBuffer mask;
    mask.CreateMapped(side, side);

    ProjectionParms projection;
    projection.SetProjection(kSinusoidalId);
    projection.SetScale(1.0);
    projection.SetOffset(kMapOffset, kMapOffset);

    GeoBuffers target;
    target.Allocate(side, side);

    std::fill(m_histogram.begin(), m_histogram.end(), 0u);
    m_count = 0;
    float minimum = 1e20f;
    float maximum = -1e20f;
    if (target.rawBasis && target.valid && !mask.IsEmpty()) {
        {
            const SurfaceSampler sampler(&projection, &world, nullptr, kShaderId);
            // Rows spread over the cores give the pixels of one RenderRect; a map of a few
            // dozen rows (a harness's) is drawn sooner by the calling thread alone.
            constexpr int kFewestRowsToShare = 64;
            RenderRectInBands(sampler, &target, nullptr, &mask, 0, 0, side - 1, side - 1,
                              side < kFewestRowsToShare ? 1 : 0);
        }
        GridRows<const float> raw = static_cast<const Grid2D&>(*target.rawBasis).Rows<float>();
        GridRows<const uint8_t> valid = static_cast<const Grid2D&>(*target.valid).Rows<uint8_t>();
        for (int r = 0; r < side; ++r)
            for (int c = 0; c < side; ++c) {
                if (valid[r][c] == 0)
                    continue;
                const float v = raw[r][c];
                if (v < minimum)
                    minimum = v;
                if (v > maximum)
                    maximum = v;
            }
        // Infinite when maximum = minimum: every product below is then not a number (or
        // infinite) and no sample is counted.
        const float scale = 1024.0f / (maximum - minimum);
        for (int r = 0; r < side; ++r)
            for (int c = 0; c < side; ++c) {
                if (mask.GetPixel(c, r) == 0)
                    continue;
                const float position = (raw[r][c] - minimum) * scale;
                // Truncation toward zero lands in 0 .. 1023 exactly for positions in
                // (-1, 1024); nothing else is converted.
                if (!(position > -1.0f && position < static_cast<float>(kCountedBins)))
                    continue;
                ++m_histogram[static_cast<std::size_t>(static_cast<int>(position))];
                ++m_count;
            }
    }
    m_minimum = minimum;
    m_maximum = maximum;

    mask.Free();
    target.Free();
    projection.ReleaseProjection();
    return 0;
}

double WorldData::Percentile(double p) const
{
    const double threshold = m_count * p * 0.01;
    uint32_t sum = 0;
    for (int i = 0; i < kBins; ++i) {
        sum += m_histogram[static_cast<std::size_t>(i)];
        if (static_cast<double>(sum) >= threshold)
            return m_minimum + static_cast<double>(m_maximum - m_minimum) * (i * 0.0009765625);
    }
    return m_minimum;
}

} // namespace kv
