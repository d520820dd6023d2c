#include "document/MathTool.h"

#include "base/Progress.h"
#include "base/grid/Grid2D.h"
#include "world/RowEvaluation.h"
#include "world/SurfMap.h"
#include "world/SurfaceSampler.h"
#include "world/GridGeometry.h"

#include <algorithm>
#include <cmath>
#include <mutex>

namespace kv {

namespace {

std::mutex g_userBufferLock;
Grid2DPtr g_userBuffer;

int ChannelOfCode(int code)
{
    switch (code) {
    case kMathOffset: return kChannelLandOffset;
    case kMathRoughness: return kChannelRoughness;
    case kMathPrescale: return kChannelPrescale;
    case kMathTemperature: return kChannelTemperature;
    case kMathRainfall: return kChannelRainfall;
    case kMathWater: return kChannelWaterLevel;
    default: return -1;
    }
}

bool Fits(const Grid2D* g, int W, int H)
{
    return g && static_cast<int>(g->Width()) == W && static_cast<int>(g->Height()) == H && g->ElementSize() == sizeof(float);
}

} // namespace

void FreeMathUserBuffer()
{
    std::lock_guard lock(g_userBufferLock);
    g_userBuffer.reset();
}

bool HasMathUserBuffer()
{
    std::lock_guard lock(g_userBufferLock);
    return g_userBuffer != nullptr;
}

int RunMathTool(SurfMap& world, const SurfaceSampler* sampler, int destination, int source1, int operation,
                int source2, float constant)
{
    std::lock_guard lock(g_userBufferLock);
    CSelection& sel = world.selection;
    const int W = sel.GetWidth(), H = sel.GetHeight();
    if (W <= 0 || H <= 0)
        return kMathBadDestination;

    // 2. the user buffer
    if (destination == kMathUserBuffer || source1 == kMathUserBuffer || source2 == kMathUserBuffer) {
        if (!g_userBuffer) {
            if (source1 == kMathUserBuffer || source2 == kMathUserBuffer)
                return kMathNoUserBuffer;
            g_userBuffer = Alloc2D(W, H, sizeof(float));
            if (!g_userBuffer)
                return kMathUserBufferFailed;
        } else if (static_cast<int>(g_userBuffer->Width()) != W || static_cast<int>(g_userBuffer->Height()) != H) {
            g_userBuffer.reset();
            return kMathUserBufferSize;
        }
    }

    // 3. the selection as a grid of altitudes
    const bool active = sel.IsActive();
    Grid2DPtr selectionGrid;
    if (destination == kMathSelection || source1 == kMathSelection || source2 == kMathSelection) {
        float low = 0, high = 0;
        world.GetAltitudeRange(low, high);
        selectionGrid = Alloc2D(W, H, sizeof(float));
        if (!selectionGrid)
            return kMathBadDestination;
        if (active) {
            auto rows = selectionGrid->Rows<float>();
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < W; ++x)
                    rows[y][x] = static_cast<float>(low + sel.GetWeight(x, y) * (high - low));
        }
    }

    auto gridOf = [&](int code) -> Grid2D* {
        if (code == kMathSelection)
            return selectionGrid.get();
        if (code == kMathUserBuffer)
            return g_userBuffer.get();
        const int channel = ChannelOfCode(code);
        if (channel < 0)
            return nullptr;
        Grid2D* g = world.Channel(channel);
        return Fits(g, W, H) ? g : nullptr;
    };

    // 4. the destination
    if (destination < 0 || destination > kMathUserBuffer)
        return kMathBadDestination;
    Grid2D* dest = gridOf(destination);
    if (!dest)
        return kMathBadDestination;

    // 5. the operations of one source compare with the land offset
    if (operation == kMathCopy || operation == kMathMinimum || operation == kMathMaximum)
        source2 = kMathOffset;

    // 6. the altitude
    Grid2DPtr altitudeGrid;
    if ((source1 == kMathAltitude || source2 == kMathAltitude) && sampler) {
        altitudeGrid = Alloc2D(W, H, sizeof(float));
        if (altitudeGrid) {
            g_abortValue = 0;
            auto rows = altitudeGrid->Rows<float>();
            const int r = EvaluateRows(
                *sampler, H,
                [&](SurfaceSampler& s, int i) {
                    for (int j = 0; j < W; ++j) {
                        double lat = 0.0, lon = 0.0;
                        GridCellToLatLon(j, i, W, H, lat, lon);
                        rows[i][j] = s.GetAltitude(lat, lon);
                    }
                },
                "Calculating World Data");
            if (r < 0)
                return kMathAborted;
        }
    }

    // 7. the constant
    Grid2DPtr constantGrid;
    if (source1 == kMathConstant || source2 == kMathConstant) {
        constantGrid = Alloc2D(W, H, sizeof(float));
        if (constantGrid) {
            auto rows = constantGrid->Rows<float>();
            for (int y = 0; y < H; ++y)
                std::fill(rows[y], rows[y] + W, constant);
        }
    }

    // 8. the sources
    auto sourceOf = [&](int code) -> Grid2D* {
        if (code == kMathAltitude)
            return altitudeGrid.get();
        if (code == kMathConstant)
            return constantGrid.get();
        if (code < 0 || code > kMathConstant)
            return nullptr;
        return gridOf(code);
    };
    Grid2D* a = sourceOf(source1);
    if (!a)
        return kMathBadSource1;
    Grid2D* b = sourceOf(source2);
    if (!b)
        return kMathBadSource2;
    if (operation < kMathAdd || operation > kMathMaximum)
        return kMathBadOperation;

    // 9. the cells
    auto A = a->Rows<float>();
    auto B = b->Rows<float>();
    auto Dst = dest->Rows<float>();
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const double av = A[y][x], bv = B[y][x];
            double r = 0;
            switch (operation) {
            case kMathAdd: r = av + bv; break;
            case kMathSubtract: r = av - bv; break;
            case kMathMultiply: r = av * bv; break;
            case kMathDivide: r = av / (std::fabs(bv) < 0.00001 ? 1.0 : bv); break;
            case kMathExponent: r = std::pow(av, bv); break;
            case kMathCopy: r = av; break;
            case kMathMinimum: r = std::min(av, bv); break;
            case kMathMaximum: r = std::max(av, bv); break;
            }
            const double old = Dst[y][x];
            const double value = active ? old + sel.GetWeight(x, y) * (r - old) : r;
            const float stored = static_cast<float>(value);
            if (std::isfinite(stored))
                Dst[y][x] = stored;
        }
    }

    // 10. the selection rewritten from its grid
    if (destination == kMathSelection) {
        float low = 0, high = 0;
        world.GetAltitudeRange(low, high);
        // In single precision, as the grids are: the highest altitude gives 255.
        const float scale = 255.0f / (high - low + 1e-8f);
        auto rows = selectionGrid->Rows<float>();
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x) {
                const float v = std::clamp((rows[y][x] - low) * scale, 0.0f, 255.0f);
                sel.SetAt(x, y, static_cast<uint8_t>(v));
            }
        }
    }
    return 0;
}

} // namespace kv
