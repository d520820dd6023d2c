// The rulers: measure a path of one or more segments and show its length. CToolRuler sums
// great-circle angles on a spherical world; CToolPlanarRuler sums plain latitude/longitude
// distances on a planar one. A click starts (the second point follows the mouse), Shift or
// Ctrl+click adds a point, a plain click shows the readout.
#pragma once

#include "view/tools/CToolSelectBase.h"

#include <string>
#include <vector>

namespace kv {

class CToolRuler : public CToolSelectBase {
public:
    CToolRuler();
    bool OnLButtonDown(ToolEvent& event) override;
    bool OnMouseMove(ToolEvent& event) override;
    // The readout of a path (circumference in km, metric or miles).
    virtual std::string Readout(const std::vector<GeoPoint>& points, double circumference, bool metric) const;
};

class CToolPlanarRuler : public CToolRuler {
public:
    std::string Readout(const std::vector<GeoPoint>& points, double circumference, bool metric) const override;
};

} // namespace kv
