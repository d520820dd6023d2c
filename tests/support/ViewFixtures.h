// A document for the view and off-screen image tests: a recalculated default world, no
// overlays, and grids and rivers drawn as short fixed lines when switched on, with the
// edits the view starts recorded.
#pragma once

#include "WorldFixtures.h"

#include "base/raster/Canvas.h"
#include "base/raster/VideoBuffer.h"
#include "document/ViewSettings.h"
#include "view/ViewDocument.h"
#include "world/SurfMap.h"
#include "world/SurfaceSampler.h"

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace kvtest {

struct TestViewDocument : kv::ViewDocument {
    TestViewDocument() { RecalculateWorld(world); }

    kv::SurfMap& World() override { return world; }
    kv::ViewSettings& Settings() override { return settings; }
    // No overlays unless a test lends a list.
    kv::ImageOverlayList* Overlays() override { return overlayList; }

    bool HasGrids() const override { return grids; }
    // One horizontal line across row 3 in red, white on the mask.
    void DrawGrids(kv::Canvas& colour, kv::Canvas& mask, kv::SurfaceSampler&, double step) override
    {
        gridStep = step;
        colour.SelectPen(kv::Pen::Solid(0x0000FF));
        colour.MoveTo(0, 3);
        colour.LineTo(colour.Target().GetWidth(), 3);
        mask.SelectPen(kv::Pen::Solid(0xFFFFFF));
        mask.MoveTo(0, 3);
        mask.LineTo(mask.Target().GetWidth(), 3);
    }
    int GridCount() const override { return static_cast<int>(entries.size()); }
    kv::ViewGridEntry GridEntry(int index) const override { return entries[static_cast<size_t>(index)]; }
    // Grid i draws column i + 1 in its colour.
    void DrawGridLines(int index, kv::Canvas& canvas, kv::SurfaceSampler&) override
    {
        canvas.SelectPen(kv::Pen::Solid(entries[static_cast<size_t>(index)].colour));
        canvas.MoveTo(index + 1, 0);
        canvas.LineTo(index + 1, canvas.Target().GetHeight());
        gridOrder.push_back(index);
    }

    bool ShowsRivers() const override { return rivers; }
    // One vertical river down column 2 in 0x00204080.
    void DrawRivers(kv::Canvas& canvas, kv::SurfaceSampler&, int imageWidth) override
    {
        riverWidth = imageWidth;
        canvas.SelectPen(kv::Pen::Solid(0x00204080));
        canvas.MoveTo(2, 0);
        canvas.LineTo(2, canvas.Target().GetHeight());
    }

    void SetWorldShift(double latitudeShift, double longitudeShift) override
    {
        world.axisLatitude = latitudeShift;
        world.axisLongitude = longitudeShift;
    }
    void Recalculate() override { ++recalculations; }
    void SetUntitled() override { untitled = true; }
    int PaintChannel(int channel, const char* stepName, double, double, kv::ChannelBrush&, bool strokeStart) override
    {
        painted.push_back({channel, stepName, strokeStart});
        return 0;
    }

    struct Paint {
        int channel;
        std::string step;
        bool start;
    };

    kv::SurfMap world;
    kv::ViewSettings settings;
    bool grids = false;
    bool rivers = false;
    std::vector<kv::ViewGridEntry> entries;
    std::vector<int> gridOrder;
    double gridStep = 0.0;
    int riverWidth = 0;
    int recalculations = 0;
    bool untitled = false;
    std::vector<Paint> painted;
    kv::ImageOverlayList* overlayList = nullptr;
};

// Calls `step` until it returns true, for at most a minute; false when it never did.
template <class Step>
bool WaitUntil(Step step)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < end) {
        if (step())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

} // namespace kvtest
