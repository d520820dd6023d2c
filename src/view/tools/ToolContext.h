// What the map-editing tools reach through an event: the view's host (document, pixel and
// map conversions, mouse capture, the feedback target), and the XOR figures they share.
#pragma once

#include "view/ViewInput.h"
#include "view/tools/FeedbackCanvas.h"
#include "view/tools/MouseTool.h"

#include <cstdint>
#include <vector>

namespace kv {

class CKVDoc;

inline ToolHost* HostOf(const ToolEvent& event) { return event.view ? &event.view->Host() : nullptr; }

inline CKVDoc* DocumentOf(const ToolEvent& event)
{
    ToolHost* host = HostOf(event);
    return host ? host->EditedDocument() : nullptr;
}

inline bool PixelToLatLon(const ToolEvent& event, int x, int y, double& latitude, double& longitude)
{
    ToolHost* host = HostOf(event);
    if (!host) {
        latitude = longitude = 0.0;
        return false;
    }
    return host->PixelToLatLon(x, y, latitude, longitude);
}

inline bool LatLonToPixel(const ToolEvent& event, double latitude, double longitude, int& x, int& y)
{
    ToolHost* host = HostOf(event);
    if (!host) {
        x = y = 0;
        return false;
    }
    return host->LatLonToPixel(latitude, longitude, x, y);
}

inline void CaptureMouse(const ToolEvent& event, bool capture)
{
    if (ToolHost* host = HostOf(event))
        host->CaptureMouse(capture);
}

// Wheel input in notches: deltas below a notch add up until a whole one is there.
class WheelNotches {
public:
    // The whole `perNotch` steps the delta completes (truncated toward zero).
    int Take(int delta, int perNotch = 1)
    {
        m_rest += static_cast<long long>(delta) * perNotch;
        const long long steps = m_rest / kWheelNotch;
        m_rest -= steps * kWheelNotch;
        return static_cast<int>(steps);
    }

private:
    long long m_rest = 0;
};

// The colour that overlays show at a clicked pixel: 0 off the map (the point is not set).
// Takes the overlay lock while it reads.
bool PickOverlayColour(const ToolEvent& event, uint32_t& colour);
// The message of a transparent pick.
constexpr const char* kTransparentPickMessage =
    "The overlays are all transparent at that point.\nPlease pick a non-transparent color.";

} // namespace kv
