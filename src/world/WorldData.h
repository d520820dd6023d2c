// Statistics of a world's raw fractal basis: its lowest and highest value and a histogram
// of 1025 bins, sampled once over an equal-area map of the whole world, from which the
// recalculation takes the sea level (the value below which the water percentage lies) and
// the scale factors of the land and sea.
#pragma once

#include <cstdint>
#include <vector>

namespace kv {

class SurfMap;

class WorldData {
public:
    static constexpr int kBins = 1025;
    // Side of the square sinusoidal map sampled (about 47,000 of its pixels are on the map).
    static constexpr int kMapSize = 384;
    static constexpr int kSinusoidalId = 10;
    // The side Compute samples: kMapSize, unless a harness that loads worlds by the
    // thousand (the fuzz targets) asked for a smaller map, whose statistics come from fewer
    // samples. A side below 8 is taken as 8. Returns the side before.
    static int SetSampledMapSize(int side);
    static int SampledMapSize();

    // Minimum and maximum 0, the histogram allocated and cleared, count 0.
    WorldData();
    virtual ~WorldData();
    WorldData(const WorldData&) = delete;
    WorldData& operator=(const WorldData&) = delete;

    // Minimum, maximum and count 0 and every bin cleared; the storage is kept.
    virtual void Reset();
    // Samples the raw basis of `world` over the map and fills minimum, maximum, histogram
    // and count. Always 0. With no pixel on the map, or a basis the same everywhere, the
    // count is 0.
    virtual int Compute(SurfMap& world);
    virtual float GetMinimum() const { return m_minimum; }
    virtual float GetMaximum() const { return m_maximum; }

    // The raw basis value below which p percent of the counted samples lie: the lower
    // edge of the first bin at which the running count reaches count x p / 100 (no
    // interpolation inside a bin); the minimum when no bin reaches it.
    double Percentile(double p) const;

    int Count() const { return m_count; }
    const std::vector<uint32_t>& Histogram() const { return m_histogram; }

private:
    float m_minimum = 0.0f;
    float m_maximum = 0.0f;
    // Bin i counts values in [minimum + i w, minimum + (i + 1) w), w = (maximum - minimum)
    // / 1024; bin 1024 (the maximum itself) is never counted into.
    std::vector<uint32_t> m_histogram;
    int m_count = 0;
};

} // namespace kv
