#include "document/AshgroveClimateModel.h"

#include "base/color/ClimateParms.h"
#include "base/MessageService.h"
#include "base/Progress.h"
#include "base/raster/VideoBuffer.h"
#include "platform/ParallelFor.h"
#include "world/SurfMap.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

namespace kv {

namespace {

constexpr int kDefaultSide = 128;
// Each neighbour's arrivals count this much in a cell's rainfall.
constexpr int kNeighbourSumWeight = 3;
constexpr float kHighlandFraction = 0.7f;
// The highest label of a grid just filled with -1 and 0.
constexpr int kNoPositiveLabel = 0;
// Columns handled together by the column passes (their per-column state lives on the stack).
constexpr int kColumnChunk = 64;

const uint32_t kSurfaceColours[3] = {0xFF0000, 0x408080, 0xC0C0C0};
const uint32_t kClimateColours[11] = {0xFF0000, 0x408080, 0xC0C0C0, 0xFFFFFF, 0xFFFFC0, 0x40C0C0,
                                      0x00FFFF, 0x208080, 0x008000, 0x00FF00, 0xC0FF80};

template <class T>
GridRows<T> RowsOf(const Grid2DPtr& grid)
{
    return grid->Rows<T>();
}

// Number of items of a column range handled by one chunk.
int ChunkCount(int w) { return (w + kColumnChunk - 1) / kColumnChunk; }

} // namespace

AshgroveClimateModel::AshgroveClimateModel() : pi(3.14159265359), degreesToRadians(0.01745329251994)
{
    SetDefaults();
    AllocateGrids();
}

void AshgroveClimateModel::SetDefaults()
{
    axialTilt = 35.0;
    eccentricity = 0.0;
    perihelionPhase = 0.0;
    continentalAmplitude = 45.0;
    continentalBase = 275.0;
    continentalTiltFactor = 1.0;
    landWeightBase = 0.6;
    landWeightDivisor = 180.0;
    maritimeAmplitude = 30.0;
    maritimeBase = 275.0;
    maritimeTiltFactor = 0.2;
    seaWeightBase = 0.2;
    seaWeightDivisor = 250.0;
    continentalInteriorDistance = 5;
    continentalCoastDistance = 1;
    oceanicCoastDistance = 3;
    oceanicInteriorDistance = 7;
    continentalWindow2Low = 130;
    continentalWindow2High = 180;
    continentalWindow1Low = 40;
    continentalWindow1High = 65;
    oceanicWindow2Low = 0;
    oceanicWindow2High = 20;
    oceanicWindow1Low = 220;
    oceanicWindow1High = 255;
    moistureSteps = 5;
    rainBase = 32;
    landRainBonus = 10;
    highlandRainOut = 32;
    ownArrivalWeight = 4;
    neighbourArrivalWeight = 3;
    thermalEquatorBonus = 32;
    nearEquatorBonus = 24;
    nextRowFlowBonus = -24;
    pressureTop = 255;
    isobarStep = 16;
    std::fill(std::begin(temperatureThresholds), std::end(temperatureThresholds), 0);
    const int temperatures[4] = {0, 40, 90, 120};
    std::copy(std::begin(temperatures), std::end(temperatures), temperatureThresholds);
    temperatureThresholdCount = 4;
    std::fill(std::begin(rainfallThresholds), std::end(rainfallThresholds), 0);
    const int rainfalls[5] = {40, 60, 110, 160, 180};
    std::copy(std::begin(rainfalls), std::end(rainfalls), rainfallThresholds);
    rainfallThresholdCount = 5;
    highlandCooling = 20;
    freezingTemperature = 263.0;
    std::memset(codeTable, 0, sizeof(codeTable));
    const uint8_t table[4][5] = {{4, 4, 4, 4, 4}, {5, 5, 8, 8, 8}, {6, 7, 8, 9, 10}, {6, 7, 9, 10, 10}};
    for (int k = 0; k < 4; ++k)
        for (int l = 0; l < 5; ++l)
            codeTable[k][l] = table[k][l];
    ringSteps = 15;
    neighbourhoodRadius = 3;
    m_width = m_height = kDefaultSide;
    m_seasons = kSeasons;
    FreeGrids();
}

void AshgroveClimateModel::FreeGrids()
{
    Grid2DPtr* singles[] = {&heights, &surfaceMask, &ringLabels, &modelCodes, &moistureA,
                            &moistureB, &arrivals,  &ringsLow,   &ringsHigh,  &pressureBytes};
    for (Grid2DPtr* grid : singles)
        grid->reset();
    for (int s = 0; s < kSeasons; ++s) {
        temperature[s].reset();
        pressureCode[s].reset();
        pressure[s].reset();
        rain[s].reset();
        windFlags[s].reset();
    }
    m_equatorRows.clear();
    m_equatorRows.shrink_to_fit();
}

void AshgroveClimateModel::ForRanges(int count, const std::function<void(int begin, int end)>& body) const
{
    if (m_pool != nullptr)
        m_pool->Run(count, body);
    else
        ParallelRows(count, body, threads);
}

void AshgroveClimateModel::SetGridSize(int width, int height)
{
    FreeGrids();
    m_width = width;
    m_height = height;
}

bool AshgroveClimateModel::AllocateGrids()
{
    FreeGrids();
    const auto w = static_cast<std::size_t>(m_width), h = static_cast<std::size_t>(m_height);
    bool ok = true;
    auto make = [&](Grid2DPtr& grid, std::size_t elementSize) {
        if (ok) {
            grid = Alloc2D(w, h, elementSize);
            ok = grid != nullptr;
        }
    };
    make(heights, sizeof(float));
    make(surfaceMask, 1);
    make(ringLabels, 1);
    make(modelCodes, 1);
    for (int s = 0; s < kSeasons; ++s) {
        make(temperature[s], sizeof(float));
        make(pressureCode[s], 1);
        make(pressure[s], sizeof(float));
        make(rain[s], sizeof(float));
        make(windFlags[s], 1);
    }
    make(moistureA, 1);
    make(moistureB, 1);
    make(arrivals, 1);
    make(ringsLow, 1);
    make(ringsHigh, 1);
    make(pressureBytes, 1);
    if (ok) {
        try {
            m_equatorRows.assign(w, 0);
        } catch (const std::bad_alloc&) {
            ok = false;
        }
    }
    if (!ok)
        FreeGrids();
    return ok;
}

bool AshgroveClimateModel::RunOn(SurfMap& world, int width, int height, const HeightGridEvaluator& evaluate)
{
    SetGridSize(width, height);
    auto fits = [&](int channel) {
        const Grid2D* grid = world.Channel(channel);
        return grid != nullptr && grid->ElementSize() == sizeof(float) &&
               grid->Width() == static_cast<std::size_t>(width) && grid->Height() == static_cast<std::size_t>(height);
    };
    if (width < 1 || height < 1 || !fits(kChannelRainfall) || !fits(kChannelTemperature) ||
        !fits(kChannelWaterLevel) || !fits(kChannelClimate)) {
        ShowMessage("The climate model needs the world's channel grids; nothing was changed.");
        return false;
    }
    if (!AllocateGrids()) {
        ShowMessage("Not enough memory to run the climate model; nothing was changed.");
        return false;
    }
    // The passes are many short sweeps: their threads are started once for the run.
    ParallelRowPool pool(threads);
    m_pool = &pool;
    struct PoolReset {
        ParallelRowPool*& pool;
        ~PoolReset() { pool = nullptr; }
    } poolReset{m_pool};

    if (evaluate)
        evaluate(*heights, "Evaluating heights"); // after an Esc the rest stays 0
    ClassifySurface(*world.Channel(kChannelWaterLevel));
    ProgressBeginHook("Computing climate", 1);
    Heat();
    ProgressStepHook(20, 100);
    for (int s = 0; s < m_seasons; ++s) {
        ContinentalPressure(s);
        OceanicPressure(s);
        ThermalEquator(s);
    }
    ProgressStepHook(40, 100);
    Winds();
    ProgressStepHook(60, 100);
    for (int s = 0; s < m_seasons; ++s) {
        MoistureTransport(s);
        Rainfall(s);
    }
    ProgressStepHook(80, 100);
    Classify();
    ProgressEndHook();
    Output(world);
    return true;
}

// ---------------------------------------------------------------------------- surface

void AshgroveClimateModel::ClassifySurface(const Grid2D& waterLevel)
{
    const int w = m_width, h = m_height;
    GridRows<const float> z = RowsOf<const float>(heights);
    GridRows<const float> water = waterLevel.Rows<float>();
    GridRows<uint8_t> mask = RowsOf<uint8_t>(surfaceMask);
    float highest = -1e20f;
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c)
            highest = std::max(highest, z[r][c]);
    const float threshold = highest * kHighlandFraction;
    EachRow(h, [&](int r) {
        for (int c = 0; c < w; ++c) {
            const float v = z[r][c];
            mask[r][c] = v > threshold ? kHighland : (v > water[r][c] ? kLand : kSea);
        }
    });
}

// ---------------------------------------------------------------------------- heat

int AshgroveClimateModel::LandCountAround(int col, int row) const
{
    const int w = m_width, h = m_height, radius = neighbourhoodRadius;
    GridRows<const uint8_t> mask = RowsOf<const uint8_t>(surfaceMask);
    int n = 0;
    for (int r = std::max(0, row - radius); r <= std::min(h - 1, row + radius); ++r)
        for (int dc = -radius; dc <= radius; ++dc) {
            const int c = ((col + dc) % w + w) % w;
            n += mask[r][c] != kSea ? 1 : 0;
        }
    return n;
}

void AshgroveClimateModel::Heat()
{
    const int w = m_width, h = m_height, seasons = m_seasons, radius = neighbourhoodRadius;
    const double g = (degreesToRadians * 180.0) / (axialTilt * continentalTiltFactor + 90.0);
    const double f = (degreesToRadians * 180.0) / (maritimeTiltFactor * axialTilt + 90.0);
    const double step = 2.0 * pi / seasons;
    GridRows<const uint8_t> mask = RowsOf<const uint8_t>(surfaceMask);
    // The window's land count per column for the rows around each row goes through the
    // pressure-byte grid, which is free until the pressure passes.
    GridRows<uint8_t> columnCounts = RowsOf<uint8_t>(pressureBytes);
    ForRanges(h, [&](int begin, int end) {
        for (int r = begin; r < end; ++r) {
            uint8_t* counts = columnCounts[r];
            std::memset(counts, 0, static_cast<std::size_t>(w));
            for (int rr = std::max(0, r - radius); rr <= std::min(h - 1, r + radius); ++rr)
                for (int c = 0; c < w; ++c)
                    counts[c] = static_cast<uint8_t>(counts[c] + (mask[rr][c] != kSea ? 1 : 0));
        }
    });
    ForRanges(h, [&](int begin, int end) {
        double a[kSeasons], b[kSeasons];
        for (int r = begin; r < end; ++r) {
            const double p = 90.0 - r * 180.0 / h;
            double angle = 0.0;
            for (int s = 0; s < seasons; ++s) {
                double shifted = angle + perihelionPhase;
                if (shifted > 2.0 * pi)
                    shifted -= 2.0 * pi;
                const double l = 1.0 + eccentricity * std::cos(shifted);
                a[s] = l * (continentalBase +
                            continentalAmplitude *
                                std::cos(g * (p + std::cos(angle) * axialTilt * continentalTiltFactor)));
                b[s] = l * (maritimeBase +
                            maritimeAmplitude * std::cos(f * (p + std::cos(angle) * maritimeTiltFactor * axialTilt)));
                angle += step;
            }
            const uint8_t* counts = columnCounts[r];
            float* out[kSeasons];
            for (int s = 0; s < seasons; ++s)
                out[s] = temperature[s]->Row<float>(static_cast<std::size_t>(r));
            for (int c = 0; c < w; ++c) {
                int n = 0;
                for (int dc = -radius; dc <= radius; ++dc) {
                    int cc = c + dc;
                    if (cc < 0 || cc >= w)
                        cc = (cc % w + w) % w;
                    n += counts[cc];
                }
                const double weight = mask[r][c] != kSea ? n / landWeightDivisor + landWeightBase
                                                          : n / seaWeightDivisor + seaWeightBase;
                for (int s = 0; s < seasons; ++s)
                    out[s][c] = static_cast<float>(b[s] + weight * (a[s] - b[s]));
            }
        }
    });
}

// ---------------------------------------------------------------------------- rings

void AshgroveClimateModel::GrowRings(Grid2D& labels) const
{
    const int w = static_cast<int>(labels.Width()), h = static_cast<int>(labels.Height());
    GridRows<const int8_t> lab = static_cast<const Grid2D&>(labels).Rows<int8_t>();
    std::atomic<int> highestLabel{-128};
    ForRanges(h, [&](int begin, int end) {
        int8_t local = -128;
        for (int r = begin; r < end; ++r)
            for (int c = 0; c < w; ++c)
                local = std::max(local, lab[r][c]);
        int seen = highestLabel.load();
        while (local > seen && !highestLabel.compare_exchange_weak(seen, local)) {
        }
    });
    GrowRings(labels, highestLabel.load());
}

void AshgroveClimateModel::GrowRings(Grid2D& labels, int highest) const
{
    const int w = static_cast<int>(labels.Width()), h = static_cast<int>(labels.Height());
    GridRows<int8_t> lab = labels.Rows<int8_t>();
    // Labels only become positive next to a positive label: without one nothing grows.
    for (int i = 1; i < ringSteps && highest > 0; ++i) {
        const auto step = static_cast<int8_t>(i);
        // A cell takes the step next to a positive label other than the step. Labels only
        // change from 0 to the step, and neither qualifies, so a step reads the same
        // whatever the scan order: even rows run side by side, then odd rows.
        std::atomic<bool> changed{false};
        for (int parity = 0; parity < 2; ++parity) {
            const int count = (h - parity + 1) / 2;
            ForRanges(count, [&](int begin, int end) {
                bool any = false;
                for (int k = begin; k < end; ++k) {
                    const int r = 2 * k + parity;
                    int8_t* row = lab[r];
                    const int8_t* next = r < h - 1 ? lab[r + 1] : nullptr;
                    const int8_t* previous = r > 0 ? lab[r - 1] : nullptr;
                    for (int c = 0; c < w; ++c) {
                        if (row[c] != 0)
                            continue;
                        const int left = c == 0 ? w - 1 : c - 1, right = c == w - 1 ? 0 : c + 1;
                        auto qualifies = [step](int8_t v) { return v > 0 && v != step; };
                        if (qualifies(row[left]) || qualifies(row[right]) || (next && qualifies(next[c])) ||
                            (previous && qualifies(previous[c]))) {
                            row[c] = step;
                            any = true;
                        }
                    }
                }
                if (any)
                    changed.store(true, std::memory_order_relaxed);
            });
        }
        // A step that changed nothing leaves the next step the same grid to read, with no
        // label equal to either step unless one was there from the start: nothing more
        // can change.
        if (!changed.load() && highest < i)
            break;
    }
    const auto last = static_cast<int8_t>(ringSteps);
    EachRow(h, [&](int r) {
        for (int c = 0; c < w; ++c)
            if (lab[r][c] == 0)
                lab[r][c] = last;
    });
}

// ---------------------------------------------------------------------------- pressure

void AshgroveClimateModel::SurfacePressure(int season, bool startOnLand, int coastDistance, int interiorDistance,
                                           int window1Low, int window1High, int window2Low, int window2High)
{
    const int w = m_width, h = m_height;
    GridRows<const uint8_t> mask = RowsOf<const uint8_t>(surfaceMask);
    GridRows<int8_t> lab = RowsOf<int8_t>(ringLabels);
    EachRow(h, [&](int r) {
        for (int c = 0; c < w; ++c)
            lab[r][c] = (mask[r][c] != kSea) == startOnLand ? -1 : 0;
    });
    GrowRings(*ringLabels, kNoPositiveLabel);
    EachRow(h, [&](int r) {
        for (int c = 0; c < w; ++c)
            lab[r][c] = lab[r][c] > coastDistance ? -1 : 0;
    });
    GrowRings(*ringLabels, kNoPositiveLabel);
    GridRows<uint8_t> code = RowsOf<uint8_t>(pressureCode[season]);
    GridRows<const float> t = RowsOf<const float>(temperature[season]);
    EachRow(h, [&](int r) {
        for (int c = 0; c < w; ++c) {
            code[r][c] = kNoPressure;
            if (lab[r][c] > interiorDistance) {
                const float v = t[r][c];
                if (window1Low <= v && v <= window1High)
                    code[r][c] = kLowPressure;
                if (window2Low <= v && v <= window2High)
                    code[r][c] = kHighPressure;
            }
        }
    });
}

void AshgroveClimateModel::ContinentalPressure(int season)
{
    SurfacePressure(season, true, continentalCoastDistance, continentalInteriorDistance, continentalWindow1Low,
                    continentalWindow1High, continentalWindow2Low, continentalWindow2High);
}

void AshgroveClimateModel::OceanicPressure(int season)
{
    SurfacePressure(season, false, oceanicCoastDistance, oceanicInteriorDistance, oceanicWindow1Low,
                    oceanicWindow1High, oceanicWindow2Low, oceanicWindow2High);
}

void AshgroveClimateModel::ThermalEquator(int season)
{
    const int w = m_width, h = m_height;
    GridRows<const float> t = RowsOf<const float>(temperature[season]);
    GridRows<uint8_t> code = RowsOf<uint8_t>(pressureCode[season]);
    ForRanges(ChunkCount(w), [&](int begin, int end) {
        double half[kColumnChunk];
        int found[kColumnChunk];
        for (int chunk = begin; chunk < end; ++chunk) {
            const int c0 = chunk * kColumnChunk, c1 = std::min(w, c0 + kColumnChunk), n = c1 - c0;
            std::fill(half, half + n, 0.0);
            for (int r = 0; r < h; ++r)
                for (int c = c0; c < c1; ++c)
                    half[c - c0] += t[r][c];
            // Each column walks down from row 0 taking off its rows until half its total is
            // gone; the columns of a chunk walk together, row by row.
            int open = 0;
            for (int i = 0; i < n; ++i) {
                half[i] *= 0.5;
                found[i] = half[i] > 0.0 ? -1 : 0;
                open += found[i] < 0 ? 1 : 0;
            }
            for (int r = 0; r < h && open > 0; ++r)
                for (int i = 0; i < n; ++i) {
                    if (found[i] >= 0)
                        continue;
                    half[i] -= t[r][c0 + i];
                    if (!(half[i] > 0.0)) {
                        found[i] = r + 1;
                        --open;
                    }
                }
            for (int c = c0; c < c1; ++c) {
                const int j = found[c - c0] < 0 ? h : found[c - c0];
                // A column whose last row holds more than half its total ends past the grid.
                m_equatorRows[static_cast<std::size_t>(c)] = std::min(j, h - 1);
            }
        }
    });
    for (int c = 0; c < w; ++c) {
        const int j = m_equatorRows[static_cast<std::size_t>(c)];
        code[j][c] = kThermalEquator;
        if (c > 0) {
            const int previous = m_equatorRows[static_cast<std::size_t>(c - 1)];
            for (int r = std::min(previous, j); r <= std::max(previous, j); ++r)
                code[r][c] = kThermalEquator;
        }
    }
}

// ---------------------------------------------------------------------------- winds

void AshgroveClimateModel::Winds()
{
    const int w = m_width, h = m_height;
    for (int s = 0; s < m_seasons; ++s) {
        PressureField(s);
        IsobarFlags(s);
        GridRows<uint8_t> flags = RowsOf<uint8_t>(windFlags[s]);
        EachRow(h, [&](int r) {
            for (int c = 0; c < w; ++c) {
                uint8_t v = flags[r][c];
                if (v & kWindRowDown)
                    v &= static_cast<uint8_t>(~kWindRowUp);
                if (v & kWindColumnUp)
                    v &= static_cast<uint8_t>(~kWindColumnDown);
                flags[r][c] = v;
            }
        });
    }
}

void AshgroveClimateModel::PressureField(int season)
{
    const int w = m_width, h = m_height;
    GridRows<const uint8_t> code = RowsOf<const uint8_t>(pressureCode[season]);
    GridRows<uint8_t> flags = RowsOf<uint8_t>(windFlags[season]);
    GridRows<int8_t> low = RowsOf<int8_t>(ringsLow);
    GridRows<int8_t> high = RowsOf<int8_t>(ringsHigh);
    EachRow(h, [&](int r) {
        for (int c = 0; c < w; ++c) {
            flags[r][c] = 0;
            const uint8_t v = code[r][c];
            low[r][c] = v == kLowPressure || v == kThermalEquator ? -1 : 0;
            high[r][c] = v == kHighPressure ? -1 : 0;
        }
    });
    GrowRings(*ringsLow, kNoPositiveLabel);
    GrowRings(*ringsHigh, kNoPositiveLabel);
    GridRows<uint8_t> bytes = RowsOf<uint8_t>(pressureBytes);
    GridRows<float> out = RowsOf<float>(pressure[season]);
    EachRow(h, [&](int r) {
        for (int c = 0; c < w; ++c) {
            int v;
            if (high[r][c] == -1)
                v = pressureTop;
            else if (low[r][c] == -1)
                v = 0;
            else {
                const int sum = low[r][c] + high[r][c];
                v = sum != 0 ? low[r][c] * pressureTop / sum : 0;
            }
            bytes[r][c] = static_cast<uint8_t>(v);
            out[r][c] = static_cast<float>(bytes[r][c]);
        }
    });
}

void AshgroveClimateModel::IsobarFlags(int season)
{
    const int w = m_width, h = m_height;
    // Level b = step, 2 step, ... up to the top. For two pressures p < q some level lies in
    // (p, q] exactly when fewer levels lie at or below p than at or below q, so every
    // comparison of the level loop comes down to the count of levels at or below a value.
    const int levels = isobarStep > 0 ? pressureTop / isobarStep : 0;
    auto below = [&](int v) { return isobarStep > 0 ? std::clamp(v / isobarStep, 0, levels) : 0; };
    GridRows<const uint8_t> bytes = RowsOf<const uint8_t>(pressureBytes);
    GridRows<const uint8_t> code = RowsOf<const uint8_t>(pressureCode[season]);
    GridRows<uint8_t> flags = RowsOf<uint8_t>(windFlags[season]);
    if (levels < 1)
        return;
    ForRanges(ChunkCount(w), [&](int begin, int end) {
        bool past[kColumnChunk];
        for (int chunk = begin; chunk < end; ++chunk) {
            const int c0 = chunk * kColumnChunk, c1 = std::min(w, c0 + kColumnChunk);
            std::fill(past, past + (c1 - c0), false);
            for (int k = 0; k < h; ++k) {
                const uint8_t* row = bytes[k];
                for (int x = c0; x < c1; ++x) {
                    bool& isPast = past[x - c0];
                    if (code[k][x] == kThermalEquator)
                        isPast = true;
                    const int here = below(row[x]);
                    uint8_t v = flags[k][x];
                    if (k > 0) {
                        const int above = below(bytes[k - 1][x]);
                        if (here > above) // at or above b here, below b in the row before
                            v |= isPast ? kWindColumnDown : kWindColumnUp;
                        if (above > here)
                            v |= isPast ? kWindColumnUp : kWindColumnDown;
                    }
                    const int left = below(row[x == 0 ? w - 1 : x - 1]);
                    if (here > left)
                        v |= isPast ? kWindRowUp : kWindRowDown;
                    if (left > here)
                        v |= isPast ? kWindRowDown : kWindRowUp;
                    flags[k][x] = v;
                }
            }
        }
    });
}

// ---------------------------------------------------------------------------- moisture

void AshgroveClimateModel::MoistureTransport(int season)
{
    const int w = m_width, h = m_height;
    GridRows<const uint8_t> mask = RowsOf<const uint8_t>(surfaceMask);
    GridRows<const uint8_t> flags = RowsOf<const uint8_t>(windFlags[season]);
    GridRows<uint8_t> arrived = RowsOf<uint8_t>(arrivals);
    GridRows<float> wet = RowsOf<float>(rain[season]);
    GridRows<uint8_t> a = RowsOf<uint8_t>(moistureA);
    EachRow(h, [&](int r) {
        for (int c = 0; c < w; ++c) {
            a[r][c] = mask[r][c] == kSea ? 1 : 0;
            arrived[r][c] = 0;
            wet[r][c] = 0.0f;
        }
    });
    // Moisture B keeps the front the previous season's last step left in it.
    for (int t = 0; t < moistureSteps; ++t) {
        GridRows<uint8_t> current = RowsOf<uint8_t>(t % 2 == 0 ? moistureA : moistureB);
        GridRows<uint8_t> next = RowsOf<uint8_t>(t % 2 == 0 ? moistureB : moistureA);
        // A cell writes only into the rows next to it and its own, and the counts add up
        // in any order: rows three apart run side by side, in three rounds.
        for (int phase = 0; phase < 3; ++phase) {
            const int count = (h - phase + 2) / 3;
            EachRow(count, [&](int k) {
                const int r = 3 * k + phase;
                for (int c = 0; c < w; ++c) {
                    if (current[r][c] == 0)
                        continue;
                    current[r][c] = 0;
                    if (mask[r][c] == kHighland) {
                        wet[r][c] += static_cast<float>(highlandRainOut);
                        continue;
                    }
                    int dr = 0, dc = 0;
                    switch (flags[r][c]) {
                    case 1: dr = -1; break;
                    case 2: dr = 1; break;
                    case 4: dc = 1; break;
                    case 8: dc = -1; break;
                    case 5: dr = -1; dc = 1; break;
                    case 6: dr = 1; dc = 1; break;
                    case 9: dr = -1; dc = -1; break;
                    case 10: dr = 1; dc = -1; break;
                    default: continue;
                    }
                    const int tr = r + dr;
                    if (tr < 0 || tr >= h)
                        continue;
                    const int tc = (c + dc + w) % w;
                    next[tr][tc] = 1;
                    arrived[tr][tc] = static_cast<uint8_t>(arrived[tr][tc] + 1);
                }
            });
        }
    }
}

void AshgroveClimateModel::Rainfall(int season)
{
    const int w = m_width, h = m_height;
    GridRows<const uint8_t> mask = RowsOf<const uint8_t>(surfaceMask);
    GridRows<const uint8_t> flags = RowsOf<const uint8_t>(windFlags[season]);
    GridRows<const uint8_t> code = RowsOf<const uint8_t>(pressureCode[season]);
    GridRows<const uint8_t> arrived = RowsOf<const uint8_t>(arrivals);
    GridRows<float> wet = RowsOf<float>(rain[season]);
    ForRanges(h, [&](int begin, int end) {
        for (int r = begin; r < end; ++r)
            for (int c = 0; c < w; ++c) {
                const int left = c == 0 ? w - 1 : c - 1, right = c == w - 1 ? 0 : c + 1;
                int cols[4] = {left, right, c, c};
                int rowsOf[4] = {r, r, r + 1, r - 1};
                const int n = arrived[r][c];
                int neighbourSum = 0;
                bool nearEquator = code[r][c] == kThermalEquator;
                bool nextRowFlow = (flags[r][c] & kWindRowUp) != 0;
                for (int k = 0; k < 4; ++k) {
                    const int nr = rowsOf[k];
                    if (nr < 0 || nr >= h)
                        continue;
                    neighbourSum += arrived[nr][cols[k]];
                    nearEquator = nearEquator || code[nr][cols[k]] == kThermalEquator;
                    nextRowFlow = nextRowFlow || (flags[nr][cols[k]] & kWindRowUp) != 0;
                }
                float value = static_cast<float>(rainBase + ownArrivalWeight * n + neighbourArrivalWeight * n +
                                                 kNeighbourSumWeight * neighbourSum) +
                              wet[r][c];
                if (mask[r][c] != kSea)
                    value += static_cast<float>(landRainBonus);
                if (code[r][c] == kThermalEquator)
                    value += static_cast<float>(thermalEquatorBonus);
                if (nearEquator)
                    value += static_cast<float>(nearEquatorBonus);
                if (nextRowFlow)
                    value += static_cast<float>(nextRowFlowBonus);
                wet[r][c] = std::clamp(value, 0.0f, 255.0f);
            }
    });
}

// ---------------------------------------------------------------------------- classes

int AshgroveClimateModel::TemperatureBand(double fahrenheit) const
{
    int k = 0;
    while (k < temperatureThresholdCount - 1 && fahrenheit > temperatureThresholds[k])
        ++k;
    return k;
}

int AshgroveClimateModel::RainfallBand(double rainfall) const
{
    int l = 0;
    while (l < rainfallThresholdCount - 1 && rainfall > rainfallThresholds[l])
        ++l;
    return l;
}

void AshgroveClimateModel::Classify()
{
    const int w = m_width, h = m_height, seasons = m_seasons;
    const float inverse = 1.0f / static_cast<float>(seasons);
    GridRows<const uint8_t> mask = RowsOf<const uint8_t>(surfaceMask);
    GridRows<uint8_t> codes = RowsOf<uint8_t>(modelCodes);
    ForRanges(h, [&](int begin, int end) {
        for (int r = begin; r < end; ++r)
            for (int c = 0; c < w; ++c) {
                float tSum = 0.0f, rSum = 0.0f;
                bool aboveFreezing = false;
                for (int s = 0; s < seasons; ++s) {
                    const float t = temperature[s]->Row<float>(static_cast<std::size_t>(r))[c];
                    tSum += t;
                    rSum += rain[s]->Row<float>(static_cast<std::size_t>(r))[c];
                    aboveFreezing = aboveFreezing || t > freezingTemperature;
                }
                if (mask[r][c] == kSea) {
                    codes[r][c] = aboveFreezing ? 0 : 3;
                    continue;
                }
                const float t = tSum * inverse, rainfall = rSum * inverse;
                double fahrenheit = (t - 273.0) * 1.8 + 32.0;
                if (mask[r][c] == kHighland)
                    fahrenheit -= highlandCooling;
                codes[r][c] = codeTable[TemperatureBand(fahrenheit)][RainfallBand(rainfall)];
            }
    });
}

void AshgroveClimateModel::Output(SurfMap& world)
{
    const int w = m_width, h = m_height, seasons = m_seasons;
    const float inverse = 1.0f / static_cast<float>(seasons);
    GridRows<const uint8_t> mask = RowsOf<const uint8_t>(surfaceMask);
    GridRows<uint8_t> codes = RowsOf<uint8_t>(modelCodes);
    GridRows<float> rainfallOut = world.Channel(kChannelRainfall)->Rows<float>();
    GridRows<float> temperatureOut = world.Channel(kChannelTemperature)->Rows<float>();
    GridRows<float> climateOut = world.Channel(kChannelClimate)->Rows<float>();
    ForRanges(h, [&](int begin, int end) {
        for (int r = begin; r < end; ++r)
            for (int c = 0; c < w; ++c) {
                float tSum = 0.0f, rSum = 0.0f;
                bool aboveFreezing = false;
                for (int s = 0; s < seasons; ++s) {
                    const float t = temperature[s]->Row<float>(static_cast<std::size_t>(r))[c];
                    tSum += t;
                    rSum += rain[s]->Row<float>(static_cast<std::size_t>(r))[c];
                    aboveFreezing = aboveFreezing || t > freezingTemperature;
                }
                if (mask[r][c] == kSea) {
                    codes[r][c] = aboveFreezing ? kOpenWater : kFrozenSea;
                    continue;
                }
                // Kelvin, as the class lookup and the direct climate read it.
                temperatureOut[r][c] = inverse * tSum;
                rainfallOut[r][c] = inverse * rSum;
                climateOut[r][c] = static_cast<float>(
                    ClimateParms::LookupClimateClass(rainfallOut[r][c], temperatureOut[r][c]));
            }
    });
}

// ---------------------------------------------------------------------------- layers

void AshgroveClimateModel::DrawCodes(VideoBuffer& bitmap, const Grid2D& grid, const uint32_t* colours,
                                     int count) const
{
    const int w = m_width, h = m_height;
    GridRows<const uint8_t> v = grid.Rows<uint8_t>();
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c)
            if (v[r][c] < count)
                bitmap.SetPixel(c, h - 1 - r, colours[v[r][c]]);
}

void AshgroveClimateModel::DrawValues(VideoBuffer& bitmap, const Grid2D& grid, const uint32_t* colours,
                                      int count) const
{
    const int w = m_width, h = m_height;
    GridRows<const float> v = grid.Rows<float>();
    float lo = 1e20f, hi = -1e20f;
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) {
            lo = std::min(lo, v[r][c]);
            hi = std::max(hi, v[r][c]);
        }
    const float span = hi - lo;
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) {
            // A flat layer draws every cell in the first colour.
            float position = span > 0.0f ? (v[r][c] - lo) / span * static_cast<float>(count - 1) : 0.0f;
            if (!(position >= 0.0f))
                position = 0.0f;
            const int i = std::min(static_cast<int>(position), count - 1);
            const float f = position - static_cast<float>(i);
            const uint32_t from = colours[i], to = colours[i + 1];
            uint32_t colour = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                const int b0 = static_cast<int>((from >> shift) & 0xFF), b1 = static_cast<int>((to >> shift) & 0xFF);
                const int b = static_cast<int>(static_cast<float>(b1 - b0) * f + static_cast<float>(b0));
                colour |= static_cast<uint32_t>(b & 0xFF) << shift;
            }
            bitmap.SetPixel(c, h - 1 - r, colour);
        }
}

void AshgroveClimateModel::DrawLayer(VideoBuffer& bitmap, int layer, int season) const
{
    if (!HasGrids() || season < 0 || season >= m_seasons)
        return;
    // The palette: 0 black, 1 white, the rest 0; value layers ramp between the first two.
    uint32_t palette[256] = {0x000000, 0xFFFFFF};
    switch (layer) {
    case 0:
        DrawCodes(bitmap, *surfaceMask, kSurfaceColours, 3);
        break;
    case 1:
        DrawValues(bitmap, *temperature[season], palette, 2);
        break;
    case 2:
        DrawValues(bitmap, *pressure[season], palette, 2);
        break;
    case 3:
        DrawCodes(bitmap, *windFlags[season], palette, 2);
        break;
    case 4:
        DrawValues(bitmap, *rain[season], palette, 2);
        break;
    case 5:
        DrawCodes(bitmap, *modelCodes, kClimateColours, 11);
        break;
    default:
        break;
    }
}

} // namespace kv
