#include "view/tools/ToolImageOverlay.h"

#include "base/MessageService.h"
#include "platform/CLocale.h"

namespace kv {

namespace {
AltColorWindow* g_altColorWindow = nullptr;
ColorLinkColorTarget* g_colorLinkTarget = nullptr;
} // namespace

AltColorWindow* SetAltColorWindow(AltColorWindow* window)
{
    AltColorWindow* previous = g_altColorWindow;
    g_altColorWindow = window;
    return previous;
}

AltColorWindow* GetAltColorWindow() { return g_altColorWindow; }

ColorLinkColorTarget* SetColorLinkColorTarget(ColorLinkColorTarget* target)
{
    ColorLinkColorTarget* previous = g_colorLinkTarget;
    g_colorLinkTarget = target;
    return previous;
}

ColorLinkColorTarget* GetColorLinkColorTarget() { return g_colorLinkTarget; }

std::string ColorLinkText(uint32_t rgb)
{
    return FormatC("%02X%02X%02X", rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

CToolColorPickerBase::CToolColorPickerBase(const char* status) { SetStatusText(status); }

bool CToolColorPickerBase::Activate(ToolEvent&)
{
    LoadToolCursor(kCursorPicker);
    return true;
}

bool CToolColorPickerBase::OnLButtonDown(ToolEvent& event)
{
    uint32_t colour = 0;
    if (!PickOverlayColour(event, colour))
        return true;
    if ((colour >> 24) == 0) {
        ShowMessage(kTransparentPickMessage);
        return true;
    }
    Picked(event, colour);
    return true;
}

} // namespace kv
