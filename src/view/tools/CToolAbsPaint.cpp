#include "view/tools/CToolAbsPaint.h"

#include "base/color/ClimateParms.h"

#include "view/ViewInput.h"
#include "view/tools/ToolFactory.h"

namespace kv {

CToolAbsPaint::CToolAbsPaint(const ToolCreateArgs& args) : ToolPaint(args) {}

void CToolAbsPaint::SetPicking(bool picking)
{
    if (picking == m_picking)
        return;
    if (picking) {
        m_savedCursor = GetCursor();
        LoadToolCursor(kCursorPicker);
    } else {
        ChangeCursor(m_savedCursor);
    }
    m_picking = picking;
}

bool CToolAbsPaint::OnKeyDown(ToolEvent& event)
{
    if (event.keyCode != kKeyShift)
        return ToolPaint::OnKeyDown(event);
    SetPicking(true);
    return true;
}

bool CToolAbsPaint::OnKeyUp(ToolEvent& event)
{
    if (event.keyCode != kKeyShift)
        return ToolPaint::OnKeyUp(event);
    SetPicking(false);
    return true;
}

bool CToolAbsPaint::OnMouseMove(ToolEvent& event)
{
    SetPicking((event.keyFlags & kToolFlagShift) != 0);
    return ToolPaint::OnMouseMove(event);
}

bool CToolAbsPaint::OnLButtonDown(ToolEvent& event)
{
    SetPicking((event.keyFlags & kToolFlagShift) != 0);
    if (!m_picking)
        return ToolPaint::OnLButtonDown(event);
    ViewInput* view = event.view ? event.view : View();
    double latitude, longitude;
    if (!view || !view->PixelToLatLon(event.x, event.y, latitude, longitude))
        return true;
    const float value = PickValue(event, latitude, longitude);
    // The picked value is the tool's: shown in the panel and painted by the next strokes.
    MutableSettings().value = value;
    view->SetToolAmount(GetId(), value);
    UpdatePanel();
    return true;
}

float CToolAbsPaint::PickValue(ToolEvent& event, double latitude, double longitude)
{
    ViewInput* view = event.view ? event.view : View();
    if (Row().pick == PaintPick::One || !view)
        return 1.0f;
    const CursorInfo at = view->EvaluateAt(latitude, longitude);
    switch (Row().pick) {
    case PaintPick::Altitude: return at.altitude;
    case PaintPick::ClimateCode: return static_cast<float>(at.climate);
    // The sampler gives Kelvin; the tool's value is in Celsius, as its panel shows it (in
    // Celsius or Fahrenheit) and paints it.
    case PaintPick::Temperature: return static_cast<float>(at.temperature - ClimateParms::kKelvinOffset);
    case PaintPick::Rainfall: return at.rainfall;
    default: return 1.0f;
    }
}

} // namespace kv
