// Incise Flow, Remap Altitudes and the profiled mound.
#include "document/CKVDoc.h"

#include "base/Progress.h"
#include "document/MoundDialogs.h"
#include "document/ProcessCurvesDlg.h"
#include "document/TerrainDialogs.h"
#include "world/BasinFill.h"
#include "world/IncisedFlow.h"
#include "world/ProfiledMound.h"
#include "world/SurfaceSampler.h"

#include <vector>

namespace kv {

namespace {

bool IsFloatGrid(const Grid2D* grid, int w, int h)
{
    return grid != nullptr && grid->ElementSize() == sizeof(float) && grid->Width() == static_cast<std::size_t>(w) &&
           grid->Height() == static_cast<std::size_t>(h);
}

} // namespace

// ---------------------------------------------------------------- incise flow

int CKVDoc::InciseFlow(float blur, float amount, float flowExponent, float effectBlend)
{
    const InciseFlowSettings settings{blur, amount, flowExponent, effectBlend};
    if (!settings.IsFinite())
        return kInciseStopped;
    int w = 0, h = 0;
    if (m_world.GetGridSize(w, h) < 0 || !IsFloatGrid(m_world.Channel(kChannelLandOffset), w, h) ||
        !IsFloatGrid(m_world.Channel(kChannelWaterLevel), w, h))
        return kInciseStopped;
    Grid2DPtr z = ComputeHeightGrid(m_world, w, h, kHeightsProgressText);
    if (!z)
        return kInciseStopped;
    Grid2DPtr f = Alloc2D(z->Width(), z->Height(), sizeof(float));
    if (!f || AbortRequested())
        return kInciseStopped;
    if (!FillBasins(z.get(), m_world.Channel(kChannelWaterLevel), f.get(), w, h, 0.0f))
        return kInciseStopped;
    Grid2DPtr n = Alloc2D(z->Width(), z->Height(), sizeof(int32_t));
    Grid2DPtr e = Alloc2D(z->Width(), z->Height(), sizeof(float));
    if (!n || !e)
        return kInciseStopped;
    const InciseFlowGrids grids{z.get(), f.get(), m_world.Channel(kChannelWaterLevel),
                                m_world.Channel(kChannelLandOffset), n.get(), e.get()};
    return IncisePasses(grids, m_world.selection, settings);
}

void CKVDoc::OnInciseFlow()
{
    InciseFlowProcessDlg dialog;
    dialog.settings = RememberedInciseFlow();
    if (!GetTerrainDialogs().RunInciseFlow(dialog))
        return;
    RememberedInciseFlow() = dialog.settings;
    const InciseFlowSettings& s = dialog.settings;
    RecordUndo(kInciseFlowStep, kChannelLandOffset);
    InciseFlow(s.blur, s.amount, s.flowExponent, s.effectBlend);
    g_abortValue.store(0);
    SetModifiedFlag(true);
    UpdateAllViews(nullptr, kHintChannels);
}

// ---------------------------------------------------------------- remap altitudes

void CKVDoc::OnRemapAltitudes()
{
    RemapMemory& memory = RememberedRemap();
    ProcessCurvesDlg dialog;
    m_world.GetAltitudeRange(dialog.worldLowest, dialog.worldHighest);
    if (!memory.used) {
        memory.lower = dialog.worldLowest;
        memory.upper = dialog.worldHighest;
        memory.used = true;
    }
    dialog.curve = memory.curve;
    dialog.exponent = memory.exponent;
    dialog.lower = memory.lower;
    dialog.upper = memory.upper;
    dialog.showLimits = true;
    if (!GetTerrainDialogs().RunProcessCurves(dialog))
        return;
    memory.curve = dialog.curve;
    memory.exponent = dialog.exponent;
    memory.lower = dialog.lower;
    memory.upper = dialog.upper;
    RecordUndo(kRemapAltitudesStep, kChannelLandOffset);
    const std::vector<double> curve(memory.curve.samples.begin(), memory.curve.samples.end());
    SurfaceSampler* sampler = GetSampler();
    if (sampler != nullptr)
        m_world.RemapAltitudes(memory.lower, memory.upper, curve, *sampler);
    g_abortValue.store(0);
    SetModifiedFlag(true);
    UpdateAllViews(nullptr, kHintChannels);
}

// ---------------------------------------------------------------- profiled mound

void CKVDoc::OnProfiledMound()
{
    CMoundEditDlg dialog = RememberedProfiledMound();
    if (!GetTerrainDialogs().RunMoundEdit(dialog))
        return;
    RememberedProfiledMound() = dialog;
    // The step records the channel the mound writes (the default channel, 1 unless set).
    RecordUndo(kProfiledMoundStep, m_world.defaultChannel >= 0 ? m_world.defaultChannel : kChannelLandOffset);
    ProfiledMound(m_world, dialog.profile, dialog.minimum, dialog.maximum, dialog.noise, dialog.operation);
    SetModifiedFlag(true);
    UpdateAllViews(nullptr, kHintChannels);
}

} // namespace kv
