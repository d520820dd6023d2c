// What the map view and the off-screen images ask of the document they show: the world,
// its overlays, the latitude/longitude grids and rivers drawn into a layer, and the few
// edits the view starts itself (world shift, world settings, paint strokes).
//
// The document implements it; tests give a small one of their own. Everything is called
// on the user-interface thread, the layer drawing with the view's lock held.
#pragma once

#include <cstdint>
#include <string>

namespace kv {

class Canvas;
class ChannelBrush;
class DocumentView;
class ViewSettings;
class ImageOverlayList;
class SurfaceSampler;
class SurfMap;

// One latitude/longitude grid of the document as the off-screen image composes it.
struct ViewGridEntry {
    bool enabled = false;
    uint32_t colour = 0;           // 0x00BBGGRR
    double altitudeLimit = 0.0;    // drawn where the image value is at or below it
};

class ViewDocument {
public:
    virtual ~ViewDocument() = default;

    virtual SurfMap& World() = 0;
    // The settings of the document's first view (projection, lighting, shader, hatch),
    // which the view keeps there.
    virtual ViewSettings& Settings() = 0;
    // The view attaches itself while it exists.
    virtual void AttachView(DocumentView*) {}
    virtual void DetachView(DocumentView*) {}
    // What update hints name as their document.
    virtual const void* Identity() const { return this; }
    // The folder of the settings files ("Default.srf", "Default.lgt").
    virtual std::string SettingsFolder() const { return {}; }
    // The image overlays; null when the document has none.
    virtual ImageOverlayList* Overlays() = 0;

    // ---- latitude/longitude grids ----
    // True when the view composes a grid layer.
    virtual bool HasGrids() const = 0;
    // Draws every shown grid into the colour and mask canvases (white on the mask)
    // through the sampler, with the angular step in degrees.
    virtual void DrawGrids(Canvas& colour, Canvas& mask, SurfaceSampler& sampler, double step) = 0;
    virtual int GridCount() const = 0;
    virtual ViewGridEntry GridEntry(int index) const = 0;
    // Draws one grid's lines within its bounds, in its colour, into the canvas.
    virtual void DrawGridLines(int index, Canvas& canvas, SurfaceSampler& sampler) = 0;

    // ---- rivers ----
    // True when rivers are to be drawn: the document has river records and hides none.
    virtual bool ShowsRivers() const = 0;
    // Draws the river records into the canvas through the sampler for an image of the
    // given width.
    virtual void DrawRivers(Canvas& canvas, SurfaceSampler& sampler, int imageWidth) = 0;

    // ---- edits the view starts ----
    // Stores the world's latitude/longitude shift, recalculates (hint 2), marks modified.
    virtual void SetWorldShift(double latitudeShift, double longitudeShift) = 0;
    // Recomputes the world from its parameters and broadcasts hint 2.
    virtual void Recalculate() = 0;
    // Names the document "Untitled" without a file.
    virtual void SetUntitled() = 0;
    // One stroke point of a brush on a channel at a position; the undo step `stepName`
    // is recorded first when `strokeStart` is set. 0 on success.
    virtual int PaintChannel(int channel, const char* stepName, double latitude, double longitude,
                             ChannelBrush& brush, bool strokeStart) = 0;
};

} // namespace kv
