#include "world/ProfiledMound.h"

#include "base/color/LightParms.h"
#include "base/Random.h"
#include "world/RemapCurve.h"
#include "world/SurfMap.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

constexpr float kMoundSeed = 3;
// Noise percent / 100 per unit of the generator's 0..32767 output.
constexpr float kNoisePerDraw = 3.051851e-7f;
constexpr float kSelectedStart = 65535.0f;
constexpr float kDistanceBlurSigma = 1.0f;

} // namespace

bool ProfiledMound(SurfMap& world, const RemapCurve& profile, float minimum, float maximum, float noisePercent,
                   int operation)
{
    CSelection& selection = world.selection;
    const Grid2D* cells = selection.Cells();
    // Without a selection in force every cell would be written: the mound needs one.
    if (!selection.HasMask() || cells == nullptr || !selection.IsActive())
        return false;
    const int w = selection.GetWidth(), h = selection.GetHeight();
    Grid2DPtr g = Alloc2D(static_cast<std::size_t>(w), static_cast<std::size_t>(h), sizeof(float));
    if (!g)
        return false;
    GridRows<float> d = g->Rows<float>();
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c)
            d[r][c] = selection.GetAt(c, r) != 0 ? kSelectedStart : 0.0f;
    CSelection::DistanceSweeps(*g);

    float m = d[0][0];
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c)
            m = std::max(m, d[r][c]);
    if (std::fabs(m) < 1e-6f)
        m = 1.0f;

    SRand(kMoundSeed);
    const float range = maximum - minimum;
    const float amplitude = range * noisePercent * kNoisePerDraw;
    for (int r = h - 1; r >= 0; --r) {
        for (int c = w - 1; c >= 0; --c) {
            const float dist = d[r][c] / m;
            const float t = std::clamp(dist, 0.0f, 1.0f);
            const float v = minimum + range * profile.Evaluate(t) + static_cast<float>(Rand()) * dist * amplitude;
            const float old = world.GetCellValue(c, r, -1);
            world.SetCellValue(c, r, static_cast<float>(CombineValues(operation, old, v)), -1);
        }
    }
    return true;
}

bool DistanceSelectionRamp(SurfMap& world, const std::function<void()>& beforeChange)
{
    int w = 0, h = 0;
    world.GetGridSize(w, h);
    Grid2DPtr distance = Alloc2D(static_cast<std::size_t>(std::max(w, 0)), static_cast<std::size_t>(std::max(h, 0)),
                                 sizeof(float));
    if (!distance)
        return false;
    float largest = 0.0f;
    if (world.selection.DistanceFill(*distance, &largest, kDistanceBlurSigma) != CSelection::kOk ||
        !(largest > 0.0f) || !std::isfinite(largest))
        return false;
    if (beforeChange)
        beforeChange();
    GridRows<const float> dist = static_cast<const Grid2D&>(*distance).Rows<float>();
    for (int r = 0; r < h; ++r) {
        for (int c = 0; c < w; ++c) {
            float x = dist[r][c] / largest * 255.0f;
            if (x > 0.0f && x < 1.0f)
                x = 1.0f;
            else if (x > 255.0f)
                x = 255.0f;
            world.selection.SetAt(c, r, static_cast<uint8_t>(x));
        }
    }
    return true;
}

} // namespace kv
