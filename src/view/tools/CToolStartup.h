// The start-up guide's tool: while a start-up file is shown, its three hot rectangles
// page forward, back, or close the guide.
#pragma once

#include "view/tools/MouseTool.h"

namespace kv {

class ToolHost;

class CToolStartup : public MouseTool {
public:
    enum Hit { kNone = 0, kPrevious = 1, kNext = 2, kClose = 3 };

    CToolStartup() = default;
    // Restores the arrow cursor.
    ~CToolStartup() override;

    bool OnMouseMove(ToolEvent& event) override;
    bool OnLButtonUp(ToolEvent& event) override;

    // Which rectangle of the current page holds (x, y); kNone when none does or the page
    // cannot be read.
    static int HitTest(ToolHost& host, int x, int y);
};

} // namespace kv
