#include "view/tools/CToolAbsTemp.h"

#include "base/color/ClimateParms.h"
#include "view/ViewInput.h"
#include "view/tools/ToolFactory.h"
#include "world/SurfMap.h"

namespace kv {

CToolAbsTemp::CToolAbsTemp(const ToolCreateArgs& args) : CToolAbsPaint(args) {}

bool CToolAbsTemp::ApplyAt(ToolEvent& event)
{
    ViewInput* view = event.view ? event.view : View();
    SurfMap* world = view ? view->World() : nullptr;
    double latitude = 0.0, longitude = 0.0;
    if (world == nullptr || !view->PixelToLatLon(event.x, event.y, latitude, longitude))
        return ToolPaint::ApplyAt(event);
    const CursorInfo at = view->EvaluateAt(latitude, longitude);
    const double wanted = Settings().value + ClimateParms::kKelvinOffset;
    const double channel = world->SampleChannelCubic(kChannelTemperature, latitude, longitude);
    // The stroke paints the channel value; the tool keeps the temperature the user chose.
    view->SetToolAmount(GetId(), static_cast<float>(channel + (wanted - at.temperature)));
    const bool painted = ToolPaint::ApplyAt(event);
    view->SetToolAmount(GetId(), Settings().value);
    return painted;
}

} // namespace kv
