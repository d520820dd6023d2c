// A grid overlay and a river overlay that differ from the defaults in every field, as seeds
// of the malformed-input tests and the fuzz targets.
#pragma once

#include "world/CRectGrid.h"
#include "world/RiverVectorOverlay.h"

// Three grids: one hidden, one without meridians, altitudes below, on and at the default.
inline kv::CRectGrid SampleGridOverlay()
{
    kv::CRectGrid overlay;
    overlay.polarEndcap = 15.0;
    overlay.subdivisionLevel = 4;
    overlay.adaptive = 0;
    for (int i = 0; i < 3; ++i) {
        kv::RectInfo g;
        g.show = i != 1;
        g.colour = 0x00336699u + static_cast<uint32_t>(i);
        g.latSpacing = 10.0 * (i + 1);
        g.lonSpacing = i == 2 ? 0.0 : 15.0 + i;
        g.lineWidth = 25 * i;
        g.west = -170.0 + i;
        g.south = -80.0 + i;
        g.altitude = i == 0 ? kv::RectInfo::kDefaultAltitude : -250.5 * i;
        overlay.grids.push_back(g);
    }
    return overlay;
}

// Three rivers of 1, 3 and 5 points with their own colours and levels.
inline kv::RiverVectorOverlay SampleRiverOverlay()
{
    kv::RiverVectorOverlay overlay;
    for (int i = 0; i < 3; ++i) {
        kv::RiverPath r;
        r.colour = 0x00FF0000u >> (8 * i);
        r.level = i;
        for (int k = 0; k <= 2 * i; ++k)
            r.points.push_back({10.0 * k - 45.0, 20.0 * k + i});
        overlay.rivers.push_back(r);
    }
    return overlay;
}
