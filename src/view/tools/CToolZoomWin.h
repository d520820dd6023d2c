// The click-drag-release zoom tool: a click zooms in by 2 about the point (out with
// Shift), a drag zooms to the marquee.
#pragma once

#include "view/tools/CToolZoomPW2.h"

namespace kv {

class CToolZoomWin : public CToolZoomPW2 {
public:
    static constexpr const char* kStatusText =
        "Click image to zoom in; Click and drag for marquee zoom; Shift+Click to zoom out.";
    // A release within this squared distance of the press is a click.
    static constexpr int kClickDistanceSquared = 3;

    CToolZoomWin();

    bool OnLButtonDown(ToolEvent& event) override { return Begin(event); }
    bool OnLButtonUp(ToolEvent& event) override { return End(event); }

protected:
    bool End(ToolEvent& event) override;
};

} // namespace kv
