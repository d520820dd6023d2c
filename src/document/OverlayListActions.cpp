#include "document/OverlayListActions.h"

#include "base/DisplayUnits.h"
#include "base/MessageService.h"
#include "base/ViewHooks.h"
#include "base/grid/GridFilters.h"
#include "document/CKVDoc.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>

namespace kv {

namespace {

std::atomic<int> g_untitledCounter{1};

std::string Decimal(int v)
{
    return std::to_string(v);
}

} // namespace

const char* OverlayAltitudeUnit(bool metric)
{
    return metric ? "m" : "ft";
}

OverlayEditFields OverlayFieldsFrom(const ImageOverlay& overlay, bool metric)
{
    OverlayEditFields f;
    f.visible = overlay.visible;
    f.name = overlay.name;
    f.width = overlay.width;
    f.height = overlay.height;
    f.opacity = overlay.opacity;
    f.mode = overlay.mode;
    f.north = overlay.north;
    f.west = overlay.west;
    f.east = overlay.east;
    f.south = overlay.south;
    f.screenCoordinates = overlay.screenCoordinates;
    const double k = metric ? 1.0 : kFeetPerMetre;
    f.softLow = overlay.softLow * k;
    f.hardLow = overlay.hardLow * k;
    f.hardHigh = overlay.hardHigh * k;
    f.softHigh = overlay.softHigh * k;
    return f;
}

bool ApplyOverlayFields(ImageOverlay& copy, const OverlayEditFields& f, bool metric)
{
    std::lock_guard<std::recursive_mutex> lock(OverlayLock());
    if (!copy.HasPixels()) {
        ImageOverlay staged;
        if (!staged.SetGeometry(f.width, f.height, f.west, f.north, f.east, f.south))
            return false;
        copy.pixels = std::move(staged.pixels);
    } else if (f.width != copy.width || f.height != copy.height) {
        if (ResizeColorGrid(copy.pixels, f.width, f.height) != 0)
            return false;
    }
    copy.visible = f.visible;
    copy.name = f.name;
    copy.mode = f.mode;
    copy.west = f.west;
    copy.north = f.north;
    copy.east = f.east;
    copy.south = f.south;
    copy.screenCoordinates = f.screenCoordinates;
    copy.width = f.width;
    copy.height = f.height;
    double alt[4] = {f.softLow, f.hardLow, f.hardHigh, f.softHigh};
    std::sort(alt, alt + 4);
    const double k = metric ? 1.0 : kMetresPerFoot;
    copy.softLow = static_cast<float>(alt[0] * k);
    copy.hardLow = static_cast<float>(alt[1] * k);
    copy.hardHigh = static_cast<float>(alt[2] * k);
    copy.softHigh = static_cast<float>(alt[3] * k);
    copy.opacity = static_cast<uint8_t>(std::clamp(f.opacity, 0, 255));
    return true;
}

std::string OpacityPercentText(int opacity)
{
    return Decimal(opacity * 100 / 255) + "%";
}

std::string OverlayListActions::NextUntitledName()
{
    return "Untitled-" + Decimal(g_untitledCounter.fetch_add(1));
}

std::vector<OverlayListActions::Row> OverlayListActions::Rows() const
{
    std::vector<Row> rows;
    std::lock_guard<std::recursive_mutex> lock(OverlayLock());
    for (int i = 0; i < m_list.Count(); ++i) {
        ImageOverlay* o = m_list.At(i);
        rows.push_back({o->name, o->visible ? "Yes" : "No", Decimal(o->width), Decimal(o->height), o});
    }
    return rows;
}

std::string OverlayListActions::ActiveText() const
{
    const ImageOverlay* active = m_list.GetActive();
    return active ? active->name : "<No active Overlay; no overlay tools usable>";
}

ImageOverlay* OverlayListActions::At(int row) const
{
    return row >= 0 && row < m_list.Count() ? m_list.At(row) : nullptr;
}

void OverlayListActions::MakeActive(ImageOverlay* overlay)
{
    m_list.SetActive(overlay);
    if (m_doc != nullptr && m_doc->GetFirstView() != nullptr)
        m_doc->GetFirstView()->SetActiveOverlay(overlay);
}

void OverlayListActions::Changed()
{
    if (m_doc != nullptr)
        m_doc->SetModifiedFlag();
    m_list.RefreshDialog();
    UpdateActiveDocViews(kHintOverlaysChanged);
}

bool OverlayListActions::Add(OverlayEditor& editor)
{
    ImageOverlay copy;
    copy.name = NextUntitledName();
    if (!editor.Edit(copy))
        return false;
    {
        std::lock_guard<std::recursive_mutex> lock(OverlayLock());
        m_list.Add(std::make_unique<ImageOverlay>(copy));
        if (m_list.Count() == 1)
            MakeActive(m_list.At(0));
    }
    Changed();
    return true;
}

bool OverlayListActions::Edit(int row, OverlayEditor& editor)
{
    ImageOverlay* target = At(row);
    if (target == nullptr) {
        ShowMessage("Please select an entry to edit");
        return false;
    }
    ImageOverlay copy;
    {
        std::lock_guard<std::recursive_mutex> lock(OverlayLock());
        copy = *target;
    }
    if (!editor.Edit(copy))
        return false;
    {
        std::lock_guard<std::recursive_mutex> lock(OverlayLock());
        *target = copy;
    }
    Changed();
    return true;
}

bool OverlayListActions::SetVisible(const std::vector<int>& selected, bool visible)
{
    std::vector<ImageOverlay*> targets;
    for (int row : selected)
        if (ImageOverlay* o = At(row))
            targets.push_back(o);
    if (targets.empty()) {
        ShowMessage(visible ? "Please select an entry to show" : "Please select an entry to hide");
        return false;
    }
    {
        std::lock_guard<std::recursive_mutex> lock(OverlayLock());
        for (ImageOverlay* o : targets)
            o->visible = visible;
    }
    Changed();
    return true;
}

bool OverlayListActions::SetActive(int row)
{
    ImageOverlay* target = At(row);
    if (target == nullptr) {
        ShowMessage("Please select an entry to set active");
        return false;
    }
    {
        std::lock_guard<std::recursive_mutex> lock(OverlayLock());
        MakeActive(target);
        target->visible = true;
    }
    Changed();
    return true;
}

int OverlayListActions::Move(int row, int direction)
{
    if (At(row) == nullptr) {
        ShowMessage("Please select an entry to move");
        return row;
    }
    const int other = row + (direction < 0 ? -1 : 1);
    const bool moved = m_list.Swap(row, other);
    if (moved && m_doc != nullptr)
        m_doc->SetModifiedFlag();
    m_list.RefreshDialog();
    UpdateActiveDocViews(kHintOverlaysChanged);
    return moved ? other : row;
}

bool OverlayListActions::Delete(int row)
{
    ImageOverlay* target = At(row);
    if (target == nullptr) {
        ShowMessage("Please select an entry to delete");
        return false;
    }
    if (!AskYesNo("Delete overlay \"" + target->name + "\""))
        return false;
    {
        std::lock_guard<std::recursive_mutex> lock(OverlayLock());
        if (m_list.GetActive() == target)
            MakeActive(nullptr);
        m_list.Remove(target);
    }
    Changed();
    return true;
}

} // namespace kv
