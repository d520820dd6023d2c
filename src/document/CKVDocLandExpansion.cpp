// Expand Land in Offset: ground under the water level raised just above it and the basins
// of those heights burnt into the land offset, pass after pass.
#include "document/CKVDoc.h"

#include "base/MessageService.h"
#include "base/Progress.h"
#include "base/layers/CSelection.h"
#include "document/DocumentCommands.h"
#include "document/StepProgress.h"
#include "document/TerrainDialogs.h"
#include "world/BasinFill.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

// What the one pass after the raise of the water cells leaves above them.
constexpr float kRaiseAboveWater = 0.1f;
constexpr uint8_t kWaterMask = 128;

bool IsFloatGridOf(const Grid2D* grid, int w, int h)
{
    return grid != nullptr && grid->ElementSize() == sizeof(float) && grid->Width() == static_cast<std::size_t>(w) &&
           grid->Height() == static_cast<std::size_t>(h);
}

// A pass count from the dialog: truncated, held to 1..cap.
int LandPasses(double value, int cap)
{
    const double t = std::trunc(std::clamp(value, 1.0, static_cast<double>(cap)));
    return static_cast<int>(t);
}

} // namespace

void CKVDoc::ExpandLandInOffset()
{
    DocCommandMemory& memory = DocCommandMemory::Remembered();
    CSingleEditDlg dialog;
    dialog.title = kLandExpansionTitle;
    dialog.prompt = kLandExpansionPrompt;
    dialog.value = static_cast<float>(memory.landExpansions);
    if (!GetTerrainDialogs().RunSingleEdit(dialog) || !std::isfinite(dialog.value))
        return;
    memory.landExpansions = LandPasses(dialog.value, kMaxLandExpansions);
    RunLandExpansion(memory.landExpansions);
}

bool CKVDoc::RunLandExpansion(int passes)
{
    passes = std::clamp(passes, 1, kMaxLandExpansions);
    int w = 0, h = 0;
    Grid2D* offset = m_world.Channel(kChannelLandOffset);
    const Grid2D* water = m_world.Channel(kChannelWaterLevel);
    if (m_world.GetGridSize(w, h) < 0 || w < 2 || h < 2 || !IsFloatGridOf(offset, w, h) ||
        !IsFloatGridOf(water, w, h))
        return false;

    Grid2DPtr level = Clone2D(water);
    Grid2DPtr filled = Alloc2D(static_cast<std::size_t>(w), static_cast<std::size_t>(h), sizeof(float));
    CSelection mask;
    if (!level || !filled || mask.Create(w, h) != CSelection::kOk) {
        ShowMessage(kLandExpansionMemoryMessage);
        return false;
    }
    RecordUndo(kLandExpansionStep, kChannelLandOffset);
    SetModifiedFlag(true);

    const CSelection& selection = m_world.selection;
    const bool weighted = selection.IsActive();
    const float* lv = level->DataAs<float>();
    const float* f = filled->DataAs<float>();
    uint8_t* cells = mask.Cells()->DataAs<uint8_t>();
    const std::size_t width = static_cast<std::size_t>(w);
    bool completed = true;
    {
        StepProgressScope progress;
        for (int pass = 1; pass <= passes && completed; ++pass) {
            GetStepProgress().SetTotalPos(pass * 100 / passes);
            Grid2DPtr z = ComputeHeightGrid(m_world, w, h, kHeightsProgressText);
            if (!z) {
                completed = false;
                break;
            }
            float* a = z->DataAs<float>();

            // The cells under water, closed by one cell.
            g_abortValue.store(0);
            ProgressBeginHook(kSecondaryProcessingText, 1);
            for (int r = 0; r < h; ++r) {
                const std::size_t row = static_cast<std::size_t>(r) * width;
                for (std::size_t c = 0; c < width; ++c)
                    cells[row + c] = lv[row + c] > a[row + c] ? kWaterMask : 0;
                ProgressStepHook(r, h);
                ProgressPollHook();
            }
            mask.Expand(1);
            mask.Contract(1);
            ProgressEndHook();
            if (AbortRequested()) {
                completed = false;
                break;
            }

            for (std::size_t i = 0; i < z->CellCount(); ++i)
                if (cells[i] != 0 && lv[i] > a[i])
                    a[i] = lv[i] + kRaiseAboveWater;

            if (!FillBasins(z.get(), level.get(), filled.get(), w, h, 0.0f)) {
                completed = false;
                break;
            }
            float* out = offset->DataAs<float>();
            for (int r = 0; r < h; ++r) {
                const std::size_t row = static_cast<std::size_t>(r) * width;
                for (int c = 0; c < w; ++c) {
                    const std::size_t i = row + static_cast<std::size_t>(c);
                    const float depth = f[i] - a[i];
                    out[i] = weighted ? static_cast<float>(out[i] + selection.GetWeightOrOne(c, r) * depth)
                                      : out[i] + depth;
                }
            }
        }
    }
    g_abortValue.store(0);
    UpdateAllViews(nullptr, kHintChannels);
    return completed;
}

} // namespace kv
