// Burn In, the world's altitude on a grid, the selection's distance ramp and the seasonal
// climate model on the active document.
#include "document/CKVDoc.h"

#include "base/MessageService.h"
#include "base/Progress.h"
#include "document/AshgroveClimateModel.h"
#include "document/DocumentContext.h"
#include "world/AltitudeGrid.h"
#include "world/ProfiledMound.h"
#include "world/SurfaceSampler.h"

#include <algorithm>

namespace kv {

// ---------------------------------------------------------------- altitude grids

bool CKVDoc::EvaluateHeightGrid(Grid2D& grid, const char* progressText)
{
    SurfaceSampler* sampler = GetSampler();
    if (sampler == nullptr)
        return false;
    return EvaluateHeightGrid(*sampler, grid, progressText);
}

bool CKVDoc::EvaluateHeightGrid(const SurfaceSampler& sampler, Grid2D& grid, const char* progressText)
{
    if (grid.ElementSize() != sizeof(float))
        return false;
    AltitudeGridProgress progress;
    progress.text = progressText;
    progress.totalFactor = 2; // the rows report against twice the height, as they always have
    EvaluateAltitudeGrid(sampler, grid, progress);
    return !AbortRequested();
}

// ---------------------------------------------------------------- burn in

void CKVDoc::BurnIn()
{
    int w = 0, h = 0;
    if (m_world.GetGridSize(w, h) < 0)
        return; // no grids: nothing to burn into
    SurfaceSampler* sampler = GetSampler();
    Grid2DPtr t = Alloc2D(static_cast<std::size_t>(w), static_cast<std::size_t>(h), sizeof(float));
    if (sampler == nullptr || !t) {
        ShowMessage(kBurnInMemoryMessage);
        return;
    }
    AltitudeGridProgress progress;
    progress.text = kBurnInProgressText;
    progress.totalFactor = 2;
    progress.stopOnAbort = false; // Burn In cannot be stopped
    EvaluateAltitudeGrid(*sampler, *t, progress);

    // Roughness 0 and the offset the altitude, whatever the selection, inside each grid.
    GridRows<const float> altitude = static_cast<const Grid2D&>(*t).Rows<float>();
    for (int channel : {kChannelRoughness, kChannelLandOffset}) {
        Grid2D* grid = m_world.Channel(channel);
        if (grid == nullptr || grid->ElementSize() != sizeof(float))
            continue;
        const int gw = std::min(w, static_cast<int>(grid->Width())), gh = std::min(h, static_cast<int>(grid->Height()));
        GridRows<float> out = grid->Rows<float>();
        for (int r = 0; r < gh; ++r)
            for (int c = 0; c < gw; ++c)
                out[r][c] = channel == kChannelRoughness ? 0.0f : altitude[r][c];
    }
    if (m_world.surfaceType == kImportedSurfaceType) {
        m_world.surface1.UnmapFile();
        m_world.surfaceType = 0;
    }
    SetModifiedFlag(true);
}

void CKVDoc::OnBurnIn()
{
    if (!AskYesNo(kBurnInQuestion))
        return;
    BurnIn();
    UpdateAllViews(nullptr, kHintChannels);
}

// ---------------------------------------------------------------- distance

void CKVDoc::OnDistanceSelection()
{
    // The step is recorded only when the ramp is written.
    if (DistanceSelectionRamp(m_world, [this] { RecordSelectionUndo(kDistanceSelectionStep); }))
        UpdateAllViews(nullptr, kHintSelection);
}

// ---------------------------------------------------------------- climate model

void AshgroveClimateModel::Run(int width, int height)
{
    CKVDoc* doc = GetActiveDoc();
    if (doc == nullptr)
        return;
    RunOn(doc->GetWorld(), width, height,
          [doc](Grid2D& grid, const char* text) { return doc->EvaluateHeightGrid(grid, text); });
}

} // namespace kv
