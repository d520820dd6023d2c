// Whole-channel operations of the world surface: set, add, smooth, clamp, roughen, and the
// whole-world evaluations that make altitude, temperature or rainfall equal to a value,
// remap altitudes and raise mounds over the selection.
#include "world/SurfMap.h"

#include "platform/ParallelFor.h"
#include "base/grid/GridFilters.h"
#include "base/Progress.h"
#include "base/Random.h"
#include "world/RowEvaluation.h"
#include "world/SurfaceSampler.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace kv {

namespace {

constexpr double kKelvinOffset = 273.15;
constexpr double kNoiseFloorMargin = 0.01;
// Highest t of an altitude remap: the top of the range stays inside the last curve segment.
constexpr double kRemapTop = 0.99999;
constexpr double kRemapMinRange = 0.00001;
// Grids smaller than this are filled on the calling thread.
constexpr std::size_t kParallelCells = 1 << 16;
// Jitter draws buffered at once for a block of rows (two bytes each).
constexpr std::size_t kDrawBudget = std::size_t{1} << 22;
// Rows per thread in one block of a whole-world evaluation, and the fewest rows a block has.
constexpr int kRowsPerThread = 4;
constexpr int kMinBlockRows = 16;

bool IsFloatGrid(const Grid2D* grid)
{
    return grid != nullptr && grid->ElementSize() == sizeof(float) && grid->Width() > 0 && grid->Height() > 0;
}

float ClampValue(float v, float low, float high)
{
    return v < low ? low : (v > high ? high : v);
}

float Blend(float oldValue, float newValue, double weight)
{
    return static_cast<float>(oldValue + weight * (newValue - oldValue));
}

int ThreadCount(int threads)
{
    return threads > 0 ? threads : HardwareThreads();
}

// body(firstRow, endRow) over the grid's rows, spread over threads when it is large.
template <class Body>
void ForRows(const Grid2D& grid, int threads, Body body)
{
    const int h = static_cast<int>(grid.Height());
    if (grid.CellCount() < kParallelCells || ThreadCount(threads) == 1)
        body(0, h);
    else
        ParallelRows(h, body, ThreadCount(threads));
}

// Every cell of a float grid from its old value, blended by the selection's weight while
// it is active.
template <class NewValue>
void MapCells(Grid2D& grid, const CSelection& selection, int threads, NewValue newValue)
{
    const int w = static_cast<int>(grid.Width());
    GridRows<float> cells = grid.Rows<float>();
    const bool weighted = selection.IsActive();
    ForRows(grid, threads, [&](int first, int end) {
        for (int r = first; r < end; ++r) {
            float* row = cells[static_cast<std::size_t>(r)];
            if (weighted) {
                for (int c = 0; c < w; ++c)
                    row[c] = Blend(row[c], newValue(row[c]), selection.GetWeightOrOne(c, r));
            } else {
                for (int c = 0; c < w; ++c)
                    row[c] = newValue(row[c]);
            }
        }
    });
}

// Rows of a whole-world evaluation through EvaluateRows (a sampler copy per thread):
// body(sampler, row, draws) for every row, each row's jitter draws (drawsPerCell per cell)
// taken from the calling thread's generator in row order before a block of rows is
// evaluated, so that the draws, and the results, do not depend on the number of threads.
// The generator goes on from where the draws left it (preparing the copies reseeds it).
// Progress steps and polls after every row; false when the user aborted.
class JitteredRows {
public:
    JitteredRows(const SurfaceSampler& sampler, int width, int height, int drawsPerCell, int threads)
        : m_sampler(sampler),
          m_height(height),
          m_rowDraws(static_cast<std::size_t>(width) * static_cast<std::size_t>(drawsPerCell)),
          m_threads(threads)
    {
        m_blockRows = std::max(ThreadCount(threads) * kRowsPerThread, kMinBlockRows);
        if (m_rowDraws > 0)
            m_blockRows = static_cast<int>(std::clamp<std::size_t>(kDrawBudget / m_rowDraws, 1, m_blockRows));
        m_draws.resize(m_rowDraws * static_cast<std::size_t>(m_blockRows));
    }

    template <class Body>
    bool Run(Body body)
    {
        for (int first = 0; first < m_height; first += m_blockRows) {
            const int end = std::min(first + m_blockRows, m_height);
            const std::size_t count = m_rowDraws * static_cast<std::size_t>(end - first);
            for (std::size_t i = 0; i < count; ++i)
                m_draws[i] = static_cast<uint16_t>(Rand());
            const uint32_t state = RandState();
            EvaluateRows(
                m_sampler, end - first,
                [&](SurfaceSampler& s, int i) {
                    body(static_cast<const SurfaceSampler&>(s), first + i,
                         m_draws.data() + m_rowDraws * static_cast<std::size_t>(i));
                },
                nullptr, m_threads);
            SRand(state);
            for (int r = first; r < end; ++r) {
                ProgressStepHook(r, m_height);
                ProgressPollHook();
                if (AbortRequested())
                    return false;
            }
        }
        return true;
    }

private:
    const SurfaceSampler& m_sampler;
    int m_height;
    std::size_t m_rowDraws;
    int m_threads;
    int m_blockRows = 1;
    std::vector<uint16_t> m_draws;
};

// Runs an evaluation between a progress begin and end, with the abort value cleared first.
template <class Body>
bool EvaluateWithProgress(const char* text, JitteredRows& evaluation, Body body)
{
    g_abortValue.store(0);
    ProgressBeginHook(text, 1);
    const bool done = evaluation.Run(body);
    ProgressEndHook();
    return done && !AbortRequested();
}

int ClampSamples(int samples)
{
    return std::clamp(samples, 1, SurfMap::kMaxWorldSamples);
}

} // namespace

// ---------------------------------------------------------------------------------------
// Channel forms

int SurfMap::GlobalSetChannel(int channel, float value, const SurfaceSampler* sampler)
{
    if (channel == kChannelAltitude) {
        if (sampler != nullptr)
            return GlobalSetAltitude(value, 1, *sampler);
        const SurfaceSampler own(nullptr, this, nullptr, 1);
        return GlobalSetAltitude(value, 1, own);
    }
    if (channel < 0 || channel > kChannelPrescale)
        return -1;
    return FillGridValue(grids[channel].get(), value);
}

namespace {

// Channels 0, 1, 2, 3, 4 and 6 (the climate channel holds class codes, not amounts).
bool IsAmountChannel(int channel)
{
    return channel >= kChannelRoughness && channel <= kChannelPrescale && channel != kChannelClimate;
}

} // namespace

int SurfMap::AddToChannel(int channel, float amount, float low, float high)
{
    if (channel == kChannelAltitude)
        channel = kChannelLandOffset;
    if (!IsAmountChannel(channel))
        return -1;
    return AddToGrid(grids[channel].get(), amount, low, high);
}

int SurfMap::SmoothChannel(int channel, float radius)
{
    if (!IsAmountChannel(channel))
        return -1;
    return BlurGrid(grids[channel].get(), radius);
}

int SurfMap::ClampChannel(int channel, float low, float high)
{
    if (!IsAmountChannel(channel))
        return -1;
    return ClampGrid(grids[channel].get(), low, high);
}

int SurfMap::AddNoiseToChannel(int channel, bool gaussian, float offset, float amplitude, float floor)
{
    if (channel < 0 || channel > kChannelPrescale)
        return -1;
    return AddNoiseToGrid(grids[channel].get(), gaussian, offset, amplitude, floor);
}

// ---------------------------------------------------------------------------------------
// Grid forms

int SurfMap::FillGridValue(Grid2D* grid, float value, int threads)
{
    if (!IsFloatGrid(grid) || !std::isfinite(value))
        return -1;
    MapCells(*grid, selection, threads, [value](float) { return value; });
    return 0;
}

int SurfMap::AddToGrid(Grid2D* grid, float amount, float low, float high, int threads)
{
    if (!IsFloatGrid(grid) || !std::isfinite(amount))
        return -1;
    const int w = static_cast<int>(grid->Width());
    GridRows<float> cells = grid->Rows<float>();
    const bool weighted = selection.IsActive();
    ForRows(*grid, threads, [&](int first, int end) {
        for (int r = first; r < end; ++r) {
            float* row = cells[static_cast<std::size_t>(r)];
            for (int c = 0; c < w; ++c) {
                const float added = weighted ? static_cast<float>(row[c] + selection.GetWeightOrOne(c, r) * amount)
                                             : row[c] + amount;
                row[c] = ClampValue(added, low, high);
            }
        }
    });
    return 0;
}

int SurfMap::BlurGrid(Grid2D* grid, float radius)
{
    if (!IsFloatGrid(grid))
        return -1;
    int result;
    if (selection.IsActive()) {
        const Grid2D* mask = selection.Cells();
        if (mask == nullptr)
            return -1;
        result = MaskedBlurFloatGrid(*grid, radius, *mask);
    } else {
        result = GaussianBlurFloatGrid(*grid, radius);
    }
    return result == kFilterOk ? 0 : -1;
}

int SurfMap::ClampGrid(Grid2D* grid, float low, float high, int threads)
{
    if (!IsFloatGrid(grid))
        return -1;
    MapCells(*grid, selection, threads, [low, high](float v) { return ClampValue(v, low, high); });
    return 0;
}

int SurfMap::AddNoiseToGrid(Grid2D* grid, bool gaussian, float offset, float amplitude, float floor)
{
    if (!IsFloatGrid(grid) || !std::isfinite(offset) || !std::isfinite(amplitude))
        return -1;
    // The draws follow the cells in order: one thread.
    MapCells(*grid, selection, 1, [&](float e) {
        if (!(e - static_cast<double>(floor) >= kNoiseFloorMargin))
            return e;
        const double r = gaussian ? std::fabs(RandomGaussian()) : RandomUniform() - 0.5;
        return static_cast<float>(offset + (amplitude * r + e));
    });
    return 0;
}

// ---------------------------------------------------------------------------------------
// Whole-world evaluations

int SurfMap::GlobalSetAltitude(double value, int samples, const SurfaceSampler& sampler, int threads)
{
    Grid2D* offset = grids[kChannelLandOffset].get();
    const Grid2D* scale = grids[kChannelRoughness].get();
    if (!IsFloatGrid(offset) || !IsFloatGrid(scale) || scale->Width() != offset->Width() ||
        scale->Height() != offset->Height() || !std::isfinite(value))
        return -1;
    samples = ClampSamples(samples);
    const int w = static_cast<int>(offset->Width());
    const int h = static_cast<int>(offset->Height());
    Grid2DPtr basis = Alloc2D(offset->Width(), offset->Height(), sizeof(float));
    if (!basis)
        return -1;
    GridRows<float> b = basis->Rows<float>();
    const double latJitter = 360.0 / (w * 32767.0);
    const double lonJitter = 180.0 / (h * 32767.0);
    const double inverse = 1.0 / samples;

    JitteredRows evaluation(sampler, w, h, 2 * (samples - 1), threads);
    const bool done = EvaluateWithProgress("Calculating World Data", evaluation,
                                           [&](const SurfaceSampler& s, int r, const uint16_t* draws) {
        float* row = b[static_cast<std::size_t>(r)];
        for (int c = 0; c < w; ++c) {
            double lat = 0.0, lon = 0.0;
            s.GridCellToLatLon(c, r, lat, lon);
            float sum = static_cast<float>(s.GetBasisValue(lat, lon));
            for (int k = 1; k < samples; ++k) {
                const int r1 = *draws++;
                const int r2 = *draws++;
                sum = static_cast<float>(sum + s.GetBasisValue(lat + r2 * latJitter, lon + r1 * lonJitter));
            }
            row[c] = static_cast<float>(sum * inverse);
        }
    });
    if (!done)
        return -1;
    GridRows<const float> roughness = static_cast<const Grid2D*>(scale)->Rows<float>();
    const bool weighted = selection.IsActive();
    GridRows<float> cells = offset->Rows<float>();
    ForRows(*offset, threads, [&](int first, int end) {
        for (int r = first; r < end; ++r)
            for (int c = 0; c < w; ++c) {
                const auto ur = static_cast<std::size_t>(r);
                const float target = static_cast<float>(value - roughness[ur][c] * b[ur][c]);
                cells[ur][c] = weighted ? Blend(cells[ur][c], target, selection.GetWeightOrOne(c, r)) : target;
            }
    });
    return 0;
}

namespace {

// Temperature (Celsius) or rainfall made equal to value on `grid` (channel 3 or 2).
int GlobalSetClimate(SurfMap& world, Grid2D* grid, bool temperature, double value, int samples,
                     const SurfaceSampler& sampler, int threads)
{
    if (!IsFloatGrid(grid) || !std::isfinite(value))
        return -1;
    samples = ClampSamples(samples);
    const int w = static_cast<int>(grid->Width());
    const int h = static_cast<int>(grid->Height());
    Grid2DPtr mean = Alloc2D(grid->Width(), grid->Height(), sizeof(float));
    if (!mean)
        return -1;
    GridRows<float> b = mean->Rows<float>();
    const double latJitter = 360.0 / (w * 32767.0);
    const double lonJitter = 180.0 / (h * 32767.0);
    const double inverse = 1.0 / samples;

    JitteredRows evaluation(sampler, w, h, 2 * samples, threads);
    const bool done = EvaluateWithProgress("Calculating World Data", evaluation,
                                           [&](const SurfaceSampler& s, int r, const uint16_t* draws) {
        float* row = b[static_cast<std::size_t>(r)];
        for (int c = 0; c < w; ++c) {
            double lat = 0.0, lon = 0.0;
            s.GridCellToLatLon(c, r, lat, lon);
            const float altitude = s.GetAltitude(lat, lon);
            float sum = 0.0f;
            for (int k = 0; k < samples; ++k) {
                const double jitteredLat = lat + *draws++ * latJitter;
                const double jitteredLon = lon + *draws++ * lonJitter;
                float rain = 0.0f, temp = 0.0f;
                int climateClass = 0;
                s.GetClimate(jitteredLat, jitteredLon, altitude, rain, temp, climateClass, nullptr);
                sum += temperature ? temp : rain;
            }
            row[c] = temperature ? static_cast<float>(sum * inverse - kKelvinOffset) : static_cast<float>(sum * inverse);
        }
    });
    if (!done)
        return -1;
    const CSelection& selection = world.selection;
    const bool weighted = selection.IsActive();
    GridRows<float> cells = grid->Rows<float>();
    ForRows(*grid, threads, [&](int first, int end) {
        for (int r = first; r < end; ++r)
            for (int c = 0; c < w; ++c) {
                const auto ur = static_cast<std::size_t>(r);
                const float target = static_cast<float>(cells[ur][c] + value - b[ur][c]);
                cells[ur][c] = weighted ? Blend(cells[ur][c], target, selection.GetWeightOrOne(c, r)) : target;
            }
    });
    return 0;
}

} // namespace

int SurfMap::GlobalSetTemperature(double value, int samples, const SurfaceSampler& sampler, int threads)
{
    return GlobalSetClimate(*this, grids[kChannelTemperature].get(), true, value, samples, sampler, threads);
}

int SurfMap::GlobalSetRainfall(double value, int samples, const SurfaceSampler& sampler, int threads)
{
    return GlobalSetClimate(*this, grids[kChannelRainfall].get(), false, value, samples, sampler, threads);
}

int SurfMap::RemapAltitudes(double low, double high, std::span<const double> curve, const SurfaceSampler& sampler,
                            int threads)
{
    Grid2D* offset = grids[kChannelLandOffset].get();
    if (curve.size() < 2 || !IsFloatGrid(offset) || !std::isfinite(low) || !std::isfinite(high))
        return -1;
    for (double v : curve)
        if (!std::isfinite(v))
            return -1;
    // Every altitude is read from the world as it was; the new offsets go to a copy that
    // replaces the channel's cells once every row is done.
    Grid2DPtr result = Clone2D(offset);
    if (!result)
        return -1;
    const int w = static_cast<int>(offset->Width());
    const int h = static_cast<int>(offset->Height());
    const int n = static_cast<int>(curve.size()) - 1;
    const double range = high - low;
    const double inverse = std::fabs(range) > kRemapMinRange ? 1.0 / range : range;
    const bool selectedOnly = selection.IsActive();
    GridRows<float> out = result->Rows<float>();

    JitteredRows evaluation(sampler, w, h, 0, threads);
    g_abortValue.store(0);
    ProgressBeginHook("Remapping Altitudes", 1);
    const bool done = evaluation.Run([&](const SurfaceSampler& s, int r, const uint16_t*) {
        float* row = out[static_cast<std::size_t>(r)];
        for (int c = 0; c < w; ++c) {
            if (selectedOnly && selection.GetAtIfActive(c, r) == 0)
                continue;
            double lat = 0.0, lon = 0.0;
            s.GridCellToLatLon(c, r, lat, lon);
            const float a = s.GetAltitude(lat, lon);
            if (a < low || a > high)
                continue;
            const double t = std::clamp((a - low) * inverse, 0.0, kRemapTop);
            const double x = t * n;
            const int k = static_cast<int>(x);
            const double f = x - k;
            const double v = curve[static_cast<std::size_t>(k)] +
                             (curve[static_cast<std::size_t>(k) + 1] - curve[static_cast<std::size_t>(k)]) * f;
            row[c] = static_cast<float>(row[c] + (v * range + low - a));
        }
    });
    ProgressEndHook();
    if (!done || AbortRequested())
        return -1;
    Copy2D(offset, result.get());
    return 0;
}

float SurfMap::MoundFromSelection(float low, float high, bool set, float exponent)
{
    Grid2D* offset = grids[kChannelLandOffset].get();
    if (!IsFloatGrid(offset) || !std::isfinite(low) || !std::isfinite(high) || !std::isfinite(exponent))
        return -1.0f;
    if (!selection.IsActive())
        return 0.0f;
    if (selection.GetWidth() != static_cast<int>(offset->Width()) ||
        selection.GetHeight() != static_cast<int>(offset->Height()))
        return -1.0f;
    Grid2DPtr distance = Alloc2D(offset->Width(), offset->Height(), sizeof(float));
    if (!distance)
        return -1.0f;
    float largest = 0.0f;
    if (selection.DistanceFill(*distance, &largest, 0.0f) != CSelection::kOk || !(largest > 0.0f))
        return 0.0f;
    GridRows<const float> d = static_cast<const Grid2D&>(*distance).Rows<float>();
    GridRows<float> cells = offset->Rows<float>();
    const double span = static_cast<double>(high) - low;
    ForRows(*offset, 0, [&](int first, int end) {
        for (int r = first; r < end; ++r) {
            const auto ur = static_cast<std::size_t>(r);
            for (std::size_t c = 0; c < offset->Width(); ++c) {
                if (!(d[ur][c] > 0.0f))
                    continue;
                const float raised = static_cast<float>(span * std::pow(d[ur][c] / largest, exponent) + low);
                cells[ur][c] = set ? raised : cells[ur][c] + raised;
            }
        }
    });
    return largest;
}

} // namespace kv
