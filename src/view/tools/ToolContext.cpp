#include "view/tools/ToolContext.h"

#include "base/layers/ImageOverlay.h"
#include "document/CKVDoc.h"

#include <mutex>

namespace kv {

bool PickOverlayColour(const ToolEvent& event, uint32_t& colour)
{
    colour = 0;
    double latitude = 0.0, longitude = 0.0;
    CKVDoc* doc = DocumentOf(event);
    if (!doc || !PixelToLatLon(event, event.x, event.y, latitude, longitude))
        return false;
    std::lock_guard<std::recursive_mutex> lock(OverlayLock());
    colour = doc->GetOverlays().CompositeAt(latitude, longitude, 0.0, event.x, event.y);
    return true;
}

} // namespace kv
