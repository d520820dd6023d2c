// Basins filled into the land offset or kept as lakes.
#include "document/CKVDoc.h"

#include "base/Progress.h"
#include "world/BasinFill.h"

namespace kv {

namespace {

bool IsChannelOfSize(const Grid2D* grid, int w, int h)
{
    return grid != nullptr && grid->ElementSize() == sizeof(float) && grid->Width() == static_cast<std::size_t>(w) &&
           grid->Height() == static_cast<std::size_t>(h);
}

// The cells of two grids of one size as flat arrays, with the selection weight of each.
template <class Body>
void ForEachCell(int w, int h, const CSelection& selection, Body body)
{
    const bool weighted = selection.IsActive();
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c)
            body(static_cast<std::size_t>(r) * static_cast<std::size_t>(w) + static_cast<std::size_t>(c),
                 weighted ? selection.GetWeightOrOne(c, r) : 1.0, weighted);
}

} // namespace

void CKVDoc::FillOffsetBasins()
{
    int w = 0, h = 0;
    Grid2D* offset = m_world.Channel(kChannelLandOffset);
    const Grid2D* water = m_world.Channel(kChannelWaterLevel);
    if (m_world.GetGridSize(w, h) < 0 || !IsChannelOfSize(offset, w, h) || !IsChannelOfSize(water, w, h))
        return;
    Grid2DPtr z = ComputeHeightGrid(m_world, w, h, kHeightsProgressText);
    if (!z) {
        g_abortValue.store(0);
        return;
    }
    Grid2DPtr level = Clone2D(water);
    Grid2DPtr filled = Alloc2D(z->Width(), z->Height(), sizeof(float));
    if (level && filled && FillBasins(z.get(), level.get(), filled.get(), w, h, 0.0f)) {
        RecordUndo(kFillOffsetStep, kChannelLandOffset);
        SetModifiedFlag(true);
        float* out = offset->DataAs<float>();
        const float* f = filled->DataAs<float>();
        const float* a = z->DataAs<float>();
        ForEachCell(w, h, m_world.selection, [&](std::size_t i, double weight, bool weighted) {
            const float depth = f[i] - a[i];
            out[i] = weighted ? static_cast<float>(out[i] + weight * depth) : out[i] + depth;
        });
    }
    g_abortValue.store(0);
    UpdateAllViews(nullptr, kHintChannels);
}

void CKVDoc::FillLakeBasins()
{
    int w = 0, h = 0;
    Grid2D* water = m_world.Channel(kChannelWaterLevel);
    if (m_world.GetGridSize(w, h) < 0 || !IsChannelOfSize(water, w, h))
        return;
    Grid2DPtr z = ComputeHeightGrid(m_world, w, h, kHeightsProgressText);
    if (!z) {
        g_abortValue.store(0);
        return;
    }
    // Recorded before the fill: an aborted fill leaves the step.
    RecordUndo(kFillLakesStep, kChannelWaterLevel);
    SetModifiedFlag(true);
    Grid2DPtr filled = Alloc2D(z->Width(), z->Height(), sizeof(float));
    if (filled && FillBasins(z.get(), water, filled.get(), w, h, 0.0f)) {
        float* out = water->DataAs<float>();
        const float* f = filled->DataAs<float>();
        const float* a = z->DataAs<float>();
        ForEachCell(w, h, m_world.selection, [&](std::size_t i, double weight, bool weighted) {
            if (!weighted) {
                if (f[i] > a[i])
                    out[i] = f[i];
                return;
            }
            const float value = f[i] - a[i] > 0.0f ? f[i] : out[i];
            out[i] = static_cast<float>(out[i] + weight * (value - out[i]));
        });
    }
    g_abortValue.store(0);
    UpdateAllViews(nullptr, kHintChannels);
}

} // namespace kv
