#include "view/tools/CToolSelectBase.h"

#include "base/MessageService.h"
#include "base/Progress.h"
#include "base/ViewHooks.h"
#include "base/layers/ImageOverlay.h"
#include "document/CKVDoc.h"
#include "document/DocumentServices.h"
#include "platform/ParallelFor.h"
#include "view/tools/MapEditTools.h"
#include "view/tools/ToolContext.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace kv {

namespace {
constexpr int kRowsPerPoll = 128;
constexpr int kHintSelectionChanged8 = 8;
} // namespace

uint8_t CombinePickedCell(uint8_t cell, bool matches, uint8_t alpha, int mode)
{
    switch (mode) {
    case 1: return matches ? std::max(cell, alpha) : cell;
    case 2: return matches ? std::min<uint8_t>(cell, static_cast<uint8_t>(255 - alpha)) : cell;
    // Shift and Ctrl together replace, as no modifier does: the picked colour alone.
    default: return matches ? 255 : 0;
    }
}

CToolSelectColorPicker::CToolSelectColorPicker()
    : CToolSelectFreehand({"Freehand Selection", 4, true, {kCursorPicker, 548, 547},
                           "Left click to pick an overlay color for the selection"})
{
}

bool CToolSelectColorPicker::OnLButtonDown(ToolEvent& event)
{
    uint32_t picked = 0;
    CKVDoc* doc = DocumentOf(event);
    if (!doc || !PickOverlayColour(event, picked))
        return false;
    if ((picked >> 24) == 0) {
        ShowMessage(kTransparentPickMessage);
        return true;
    }
    UpdateModeFromKeys(event);
    WaitCursorScope wait;
    doc->RecordSelectionUndo(m_name);
    CSelection& selection = doc->GetSelection();
    const SurfMap& world = doc->GetWorld();
    if (!selection.HasMask() || selection.GetWidth() < 1) {
        int w = 0, h = 0;
        world.GetGridDims(w, h);
        selection.Create(w, h);
    }
    Grid2D* cells = selection.Cells();
    const int width = selection.GetWidth(), height = selection.GetHeight();
    const uint32_t rgb = picked & 0x00FFFFFFu;
    const uint8_t alpha = static_cast<uint8_t>(picked >> 24);
    const int mode = m_mode;
    const ImageOverlayList& overlays = doc->GetOverlays();
    g_abortValue = 0;
    ProgressBeginHook(kProgressText);
    if (cells && width > 0 && height > 0) {
        std::lock_guard<std::recursive_mutex> lock(OverlayLock());
        const double rowScale = height > 1 ? 180.0 / (height - 1) : 0.0;
        const double columnScale = width > 1 ? 360.0 / (width - 1) : 0.0;
        std::vector<double> longitudes(static_cast<std::size_t>(width));
        for (int j = 0; j < width; ++j)
            longitudes[static_cast<std::size_t>(j)] = j * columnScale - 180.0;
        const OverlayRowCompositor compositor(overlays, longitudes);
        for (int first = 0; first < height; first += kRowsPerPoll) {
            const int rows = std::min(kRowsPerPoll, height - first);
            ParallelRows(rows, [&](int begin, int end) {
                std::vector<uint32_t> colours(static_cast<std::size_t>(width));
                for (int i = first + begin; i < first + end; ++i) {
                    uint8_t* row = cells->Row<uint8_t>(static_cast<std::size_t>(i));
                    compositor.Row(i * rowScale - 90.0, i, 0.0, colours.data());
                    for (int j = 0; j < width; ++j) {
                        const uint32_t c = colours[static_cast<std::size_t>(j)];
                        const bool matches = (c >> 24) != 0 && (c & 0x00FFFFFFu) == rgb;
                        row[j] = CombinePickedCell(row[j], matches, alpha, mode);
                    }
                }
            });
            ProgressStepHook(first + rows - 1, height);
            ProgressPollHook();
            if (AbortRequested())
                break;
        }
    }
    ProgressEndHook();
    if (selection.AnySelected())
        selection.SetActive(true);
    UpdateActiveDocViews(kHintSelectionChanged8);
    return true;
}

std::unique_ptr<MouseTool> MakeSelectColorPicker(const ToolCreateArgs&)
{
    return std::make_unique<CToolSelectColorPicker>();
}

} // namespace kv
