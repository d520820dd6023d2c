// Find Rivers and the river overlay commands of the document.
#include "document/CKVDoc.h"

#include "base/MessageService.h"
#include "base/Progress.h"
#include "base/grid/Grid2D.h"
#include "base/layers/ImageOverlay.h"
#include "document/RiverDialogs.h"
#include "document/TerrainDialogs.h"
#include "shading/ShaderRegistry.h"
#include "world/BasinFill.h"
#include "world/RiverGrids.h"
#include "world/RowEvaluation.h"
#include "world/SurfaceSampler.h"
#include "projection/ProjectionParms.h"
#include "world/GridGeometry.h"

#include <mutex>

namespace kv {

RiverSettings& GetRiverSettings()
{
    static RiverSettings settings;
    return settings;
}

namespace {

// The working grids of one Find Rivers run, all W x H.
struct RiverWorkGrids {
    Grid2DPtr altitude, waterLevel, rainfall, filled, directions, flow, reach;

    RiverWorkGrids(int w, int h)
    {
        const auto cw = static_cast<std::size_t>(w), ch = static_cast<std::size_t>(h);
        altitude = Alloc2D(cw, ch, sizeof(float));
        waterLevel = Alloc2D(cw, ch, sizeof(float));
        rainfall = Alloc2D(cw, ch, sizeof(float));
        filled = Alloc2D(cw, ch, sizeof(float));
        directions = Alloc2D(cw, ch, sizeof(std::uint8_t));
        flow = Alloc2D(cw, ch, sizeof(float));
        reach = Alloc2D(cw, ch, sizeof(float));
    }
    bool Complete() const { return altitude && waterLevel && rainfall && filled && directions && flow && reach; }
};

bool IsUnsetColour(uint32_t colour) { return (colour >> 24) == 0xFF; }

} // namespace

void CKVDoc::RemoveRiverChannelsOverlay()
{
    std::lock_guard<std::recursive_mutex> lock(OverlayLock());
    if (ImageOverlay* preview = m_overlays.FindByName(kRiverChannelsOverlay))
        m_overlays.Remove(preview);
}

void CKVDoc::OnFindRivers()
{
    RiverSettings& settings = GetRiverSettings();
    // A stale abort from an earlier command must not stop this one.
    g_abortValue.store(0);

    CRiverEditSizeDlg sizeDialog(settings.width);
    if (!GetTerrainDialogs().RunRiverEditSize(sizeDialog))
        return;
    const int w = sizeDialog.width;
    if (w < SurfMap::kMinGridWidth || w > SurfMap::kMaxGridWidth) {
        ShowMessage(kRiverWidthMessage);
        return;
    }
    settings.width = w;
    const int h = w / 2;

    RiverWorkGrids grids(w, h);
    if (!grids.Complete()) {
        ShowMessage(kRiverMemoryMessage);
        return;
    }

    // The world sampled at every cell: altitude, then rainfall and water level there.
    const GridRows<float> altitude = grids.altitude->Rows<float>();
    const GridRows<float> waterLevel = grids.waterLevel->Rows<float>();
    const GridRows<float> rainfall = grids.rainfall->Rows<float>();
    ProjectionParms projection;
    const SurfaceSampler prototype(&projection, &m_world, nullptr, 1);
    auto sampleRow = [&](SurfaceSampler& sampler, int r) {
        const auto row = static_cast<std::size_t>(r);
        const double latitude = GridRowLatitude(r, h);
        for (int c = 0; c < w; ++c) {
            const double longitude = GridColumnLongitude(c, w);
            const float a = sampler.GetAltitude(latitude, longitude);
            altitude[row][c] = a;
            float rain = 0.0f, temperature = 0.0f;
            int climateClass = 0;
            sampler.GetClimate(latitude, longitude, a, rain, temperature, climateClass, &waterLevel[row][c]);
            rainfall[row][c] = rain;
        }
    };
    bool done = EvaluateRows(prototype, h, sampleRow, kHeightsProgressText) == 0;
    done = done && FillBasins(grids.altitude.get(), grids.waterLevel.get(), grids.filled.get(), w, h, 0.0f);
    ImageOverlay* preview = nullptr;
    if (done) {
        Copy2D(grids.altitude.get(), grids.filled.get());
        grids.filled.reset();
        FindRiverDirections(*grids.altitude, *grids.waterLevel, *grids.directions);

        RemoveRiverChannelsOverlay();
        {
            std::lock_guard<std::recursive_mutex> lock(OverlayLock());
            preview = m_overlays.AddNamed(kRiverChannelsOverlay, w, h, true);
            if (preview != nullptr && !preview->HasPixels()) {
                m_overlays.Remove(preview);
                preview = nullptr;
            }
            if (preview != nullptr) {
                preview->mode = kOverlayLand;
                preview->Fill(0);
            }
        }
        if (preview == nullptr) {
            ShowMessage(kRiverMemoryMessage);
            done = false;
        }
    }
    if (done && AccumulateRiverFlow(*grids.directions, *grids.rainfall, *grids.flow, *grids.reach) != kRiverOk) {
        // Stopped while the flow was summed: the command ends here, the rivers stay.
        RemoveRiverChannelsOverlay();
        done = false;
    }
    if (done) {
        if (!m_rivers.rivers.empty()) {
            m_rivers.rivers.clear();
            SetModifiedFlag(true);
        }
        // Without a remembered colour the dialog starts at the colour of ground just
        // below sea level; the remembered one stays unset unless another is chosen.
        const uint32_t startColour = IsUnsetColour(settings.colour) ? GetShaderRegistry().ValueToColor(1, -0.001f)
                                                                     : settings.colour;
        CRiverThresholdDlg dialog;
        dialog.threshold = settings.threshold;
        dialog.colour = startColour;
        dialog.potentialFlow = settings.potentialFlow;
        dialog.keepOverlay = settings.keepOverlay;
        dialog.waterLevel = grids.waterLevel.get();
        dialog.altitude = grids.altitude.get();
        dialog.flow = grids.flow.get();
        dialog.reach = grids.reach.get();
        dialog.directions = grids.directions.get();
        dialog.exclusionMask = m_overlays.FindByName(kRiverExclusionMask);
        dialog.preview = preview;
        dialog.document = this;
        GetTerrainDialogs().RunRiverThreshold(dialog);

        preview->visible = false;
        settings.threshold = dialog.threshold;
        if (dialog.colour != startColour)
            settings.colour = dialog.colour;
        settings.potentialFlow = dialog.potentialFlow;
        settings.keepOverlay = dialog.keepOverlay;
        if (!settings.keepOverlay)
            RemoveRiverChannelsOverlay();
    }
    UpdateAllViews(nullptr, kHintRiverChannelsRemoved);
    g_abortValue.store(0);
}

void CKVDoc::OnClearRiverOverlays()
{
    if (m_overlays.FindByName(kRiverChannelsOverlay) != nullptr) {
        RemoveRiverChannelsOverlay();
        UpdateAllViews(nullptr, kHintRiverChannelsRemoved);
    }
    if (!m_rivers.rivers.empty()) {
        m_rivers.rivers.clear();
        SetModifiedFlag(true);
        UpdateAllViews(nullptr, kHintRivers);
    }
}

bool CKVDoc::CanClearRiverOverlays() const
{
    return !m_rivers.rivers.empty() || m_overlays.FindByName(kRiverChannelsOverlay) != nullptr;
}

void CKVDoc::OnToggleRiverOverlays()
{
    m_riversHidden = !m_riversHidden;
    SetModifiedFlag(true);
    UpdateAllViews(nullptr, kHintRivers);
}

bool CKVDoc::HasRiverExclusionMask() const { return m_overlays.FindByName(kRiverExclusionMask) != nullptr; }

void CKVDoc::OnEnableRiverExclusionMask()
{
    ImageOverlay* mask = m_overlays.FindByName(kRiverExclusionMask);
    if (mask == nullptr) {
        int w = 0, h = 0;
        std::lock_guard<std::recursive_mutex> lock(OverlayLock());
        if (m_world.GetGridSize(w, h) >= 0)
            mask = m_overlays.AddNamed(kRiverExclusionMask, w, h, true);
        if (mask != nullptr && !mask->HasPixels()) {
            m_overlays.Remove(mask);
            mask = nullptr;
        }
        if (mask == nullptr) {
            ShowMessage(kRiverMaskMessage);
            return;
        }
        mask->mode = kOverlayLand;
        mask->opacity = kRiverMaskOpacity;
    }
    mask->visible = true;
    m_overlays.SetActive(mask);
    if (m_view != nullptr)
        m_view->SetActiveOverlay(mask);
    m_overlays.RefreshDialog();
}

void CKVDoc::OnRemoveRiverExclusionMask()
{
    if (ImageOverlay* mask = m_overlays.FindByName(kRiverExclusionMask)) {
        if (m_view != nullptr && m_overlays.GetActive() == mask)
            m_view->SetActiveOverlay(nullptr);
        std::lock_guard<std::recursive_mutex> lock(OverlayLock());
        m_overlays.Remove(mask);
    }
    m_overlays.RefreshDialog();
}

} // namespace kv
