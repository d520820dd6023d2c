// Image overlays: named 32-bit colour rasters laid over the world between longitude and
// latitude bounds, drawn over the shaded map (optionally only over land, sea or an
// altitude band), painted with the image brush and filled through the selection.
//
// A pixel is 0xAABBGGRR: alpha in the top byte, the colour bytes below it. Row 0 lies at
// the southern bound, column 0 at the western bound.
//
// The map view reads overlay pixels on its render worker while the user-interface thread
// may change them, so every change of a pixel grid's memory or contents happens under
// OverlayLock(); the view holds the same lock while it composites (CompositeAt does not
// take it itself).
#pragma once

#include "base/grid/Grid2D.h"
#include "base/Undo.h"
#include "base/ViewHooks.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace kv {

class CArchive;
class CSelection;
class ImageOverlayList;

// The one process-wide lock of overlay pixels (recursive: a holder may call the
// operations that take it).
std::recursive_mutex& OverlayLock();

// Display modes of an overlay against the value the caller passes (the altitude).
enum OverlayMode : int {
    kOverlayAlways = 0,
    kOverlayLand = 1,       // value > 0
    kOverlaySea = 2,        // value <= 0
    kOverlayHardRange = 3,  // hard low <= value < hard high
    kOverlaySoftRange = 4,  // ramps in from soft low and out to soft high
};

class ImageOverlay : public CUndoable {
public:
    static constexpr int32_t kArchiveVersion = 257;
    // Largest side and pixel count accepted (from archives, dialogs and files).
    static constexpr int kMaxSide = 32767;
    static constexpr int64_t kMaxPixels = int64_t(1) << 27;

    ImageOverlay();
    ImageOverlay(const ImageOverlay& other);
    ImageOverlay& operator=(const ImageOverlay& other);
    ~ImageOverlay() override;

    // (Re)allocates width x height transparent black pixels when there are none or their
    // size differs. False (pixels unchanged) when a side is below 1 or the size is above
    // the limits, or memory cannot be had.
    bool AllocatePixels();
    bool SetGeometry(int w, int h, double westBound, double northBound, double eastBound, double southBound);
    // Every pixel = colour; false without pixels.
    bool Fill(uint32_t colour);
    // Blends the colour into each pixel by the selection weight at the pixel's point; an
    // inactive or missing selection fills everything. False without pixels or, with an
    // active selection, for an overlay below 2 x 2 pixels.
    bool FillSelection(uint32_t colour, const CSelection* selection);

    // The pixel at a point: x = trunc((lon - west) / (east - west) x (width - 1)), y the
    // same from south to north. The pair is produced also when the point lies outside
    // (the result is then false); equal bounds on an axis give 0 there and false.
    bool LatLonToPixel(double latitude, double longitude, int& x, int& y) const;
    // Its two halves: the column of a longitude and the row of a latitude, each true when
    // inside the overlay on its axis.
    bool LongitudeToColumn(double longitude, int& x) const;
    bool LatitudeToRow(double latitude, int& y) const;
    // The overlay's colour at a point for a value, with mode and opacity applied; false
    // (colour 0) when hidden, without pixels, below 2 x 2 pixels or outside the bounds.
    bool SampleAt(double latitude, double longitude, double value, int viewColumn, int viewRow,
                  uint32_t& colour) const;
    // One of its pixels for a value, with mode and opacity applied (alpha 0 when hidden).
    uint32_t ShadePixel(uint32_t pixel, double value) const;

    bool CreateUndoData(int channel, int extra, std::unique_ptr<UndoData>& out) override;
    bool RestoreUndoData(UndoData& data) override;

    // Version 257; reads 256 (without the limits and the two flags after them) and
    // keeps its values for anything below 256. A bad record raises the archive error.
    void Serialize(CArchive& ar);

    bool HasPixels() const { return pixels != nullptr; }
    // This object's own number, unique in the run: never copied or assigned, so a saved
    // copy names the overlay it came from even after a rename.
    uint64_t Identity() const { return m_identity; }
    uint32_t* PixelRow(int row) { return pixels->Row<uint32_t>(static_cast<std::size_t>(row)); }
    const uint32_t* PixelRow(int row) const { return pixels->Row<uint32_t>(static_cast<std::size_t>(row)); }

    bool visible = true;
    std::string name;
    uint8_t opacity = 255;
    Grid2DPtr pixels;
    int width = 512;
    int height = 256;
    int mode = kOverlayAlways;
    double west = -180, north = 90, east = 180, south = -90;
    bool firstFlag = false;
    float softLow = -9144.0f, softHigh = 9144.0f, hardLow = -9144.0f, hardHigh = 9144.0f;
    bool screenCoordinates = false;
    bool secondFlag = false;

private:
    uint64_t m_identity;
};

// Saved state of one overlay: a whole copy. It restores into the same overlay of the active
// overlay list, whatever its name is now; once that overlay is gone, into the overlay of the
// saved name (made anew when none has that name), so an overlay deleted after the record
// was taken comes back.
class ImageOverlayUndoData : public UndoData {
public:
    bool Capture(CUndoable& owner, int channel, int extra) override;
    CUndoable* Target() override;
    const ImageOverlay& Saved() const { return m_copy; }

private:
    ImageOverlay m_copy;
    uint64_t m_identity = 0;
};

// The window that lists the overlays (a modeless dialog of the GUI).
class OverlayListWindow {
public:
    virtual ~OverlayListWindow() = default;
    // Makes the window; false when it cannot be made.
    virtual bool Create() = 0;
    virtual bool Exists() const = 0;
    virtual bool IsVisible() const = 0;
    virtual void Show(int showCommand) = 0;
    // Rebuilds the rows (name, visible, width, height) and shows the active overlay.
    virtual void FillList() = 0;
};
using OverlayListWindowFactory = std::unique_ptr<OverlayListWindow> (*)(ImageOverlayList& owner);
// The GUI installs the factory; without one a list has no window.
void SetOverlayListWindowFactory(OverlayListWindowFactory factory);

// The overlays of a document, in drawing order: the last is drawn on top.
class ImageOverlayList {
public:
    static constexpr int32_t kArchiveVersion = 256;

    ImageOverlayList();
    ~ImageOverlayList();
    ImageOverlayList(const ImageOverlayList&) = delete;
    ImageOverlayList& operator=(const ImageOverlayList&) = delete;

    // Takes ownership.
    void Add(std::unique_ptr<ImageOverlay> overlay);
    ImageOverlay* AddNew();
    ImageOverlay* AddNamed(const std::string& name, int w, int h, bool isVisible);
    // Removes the overlay when it is in the list; true then. The overlay is deleted in
    // either case (the caller hands over an overlay it owns or one of the list's).
    bool Remove(ImageOverlay* overlay);
    void RemoveAll();
    // Exchanges the places of two overlays; false (nothing changed) when an index is
    // outside the list.
    bool Swap(int first, int second);
    ImageOverlay* FindByName(const std::string& name) const;
    // The overlay of that identity in the list; null when it is not (any more) there.
    ImageOverlay* FindByIdentity(uint64_t identity) const;
    void SetAllVisible(bool flag);
    bool AnyVisible() const;
    void SetActive(ImageOverlay* overlay) { m_active = overlay; }
    ImageOverlay* GetActive() const { return m_active; }
    int Count() const { return static_cast<int>(m_overlays.size()); }
    ImageOverlay* At(int index) const { return m_overlays[static_cast<std::size_t>(index)].get(); }

    void RefreshDialog();
    bool IsDialogVisible() const;
    void ShowDialog(int showCommand);

    // The colour of all visible overlays at a point, alpha in the top byte (0: nothing).
    // The caller holds OverlayLock().
    uint32_t CompositeAt(double latitude, double longitude, double value, int viewColumn, int viewRow) const;

    void Serialize(CArchive& ar);

private:
    std::vector<std::unique_ptr<ImageOverlay>> m_overlays;
    ImageOverlay* m_active = nullptr;
    std::unique_ptr<OverlayListWindow> m_window;
};

// CompositeAt over whole rows of a latitude/longitude grid: column j lies at longitudes[j]
// and view column j. The overlays' column lookups are made once, so a row costs table
// reads and the blending. The list must not change while it is in use; the caller holds
// OverlayLock().
class OverlayRowCompositor {
public:
    OverlayRowCompositor(const ImageOverlayList& list, const std::vector<double>& longitudes);
    // out[j] = list.CompositeAt(latitude, longitudes[j], value, j, row) for every column
    // (row and columns not negative).
    void Row(double latitude, int row, double value, uint32_t* out) const;

private:
    struct Layer {
        const ImageOverlay* overlay = nullptr;
        std::vector<int> columns; // the pixel column of each grid column, -1 outside
        bool plain = false;       // shown at every value: alpha[] gives its opacity
        uint8_t alpha[256] = {};  // a pixel's alpha scaled by the overlay's opacity
    };
    std::vector<Layer> m_layers; // the visible overlays, top first
    int m_width = 0;
};

// Where overlay undo records find the active document's overlay list. The document layer
// installs the lookup; without one there is no list and such records are not applied.
using ActiveOverlayListLookup = ImageOverlayList* (*)();
void SetActiveOverlayListLookup(ActiveOverlayListLookup lookup);
ImageOverlayList* GetActiveOverlayList();

// What a brush stamp changed, sent with hint 13 so a view redraws only the map pixels that
// show it: the overlay's placement (copied, so the hint never points at an overlay that may
// be gone by the time it is handled) and the inclusive box of overlay pixels written.
// `whole` asks for a full redraw (a stamp wrapped round the overlay's edge, or an overlay
// placed by screen position).
class OverlayStampHint final : public HintObject {
public:
    double west = 0.0, east = 0.0, south = 0.0, north = 0.0;
    int width = 0, height = 0;
    int col0 = 0, row0 = 0, col1 = -1, row1 = -1;
    bool whole = true;
};

// The overlay paint brush: a stamp of width x height cells.
class ImageBrush {
public:
    static constexpr int kSoftEdge = 0x1000;
    static constexpr int kElliptical = 0x2000;
    static constexpr int kWrapColumns = 0x100000;
    static constexpr int kWrapRows = 0x200000;

    ImageBrush();
    virtual ~ImageBrush();

    // Both store and rebuild the stamp; they return the rebuild's result.
    int SetParameters(int w, int h, int flagBits, uint32_t colourValue, float hardnessValue, float strengthValue);
    int SetColor(uint32_t colourValue);
    void GetSize(int& w, int& h) const { w = m_width; h = m_height; }
    // Stamps the brush centred on the overlay pixel of the point; 0.
    // `stamped`, when given, receives what was written.
    int StampAt(ImageOverlay& overlay, double latitude, double longitude, const CSelection* selection,
                OverlayStampHint* stamped = nullptr) const;

    const Grid2D* Weights() const { return m_weights.get(); }
    const Grid2D* Shape() const { return m_shape.get(); }
    uint32_t Colour() const { return m_colour; }
    int Flags() const { return m_flags; }
    float Hardness() const { return m_hardness; }
    float Strength() const { return m_strength; }

private:
    // 0, or -2 / -3 when the weights / the shape cannot be allocated (no stamp then).
    int Rebuild();

    uint32_t m_colour = 0xFFFFFF;
    int m_width = 11;
    int m_height = 11;
    float m_hardness = 0.5f;
    int m_flags = 0x103000;
    Grid2DPtr m_weights;
    Grid2DPtr m_shape;
    float m_strength = 1.0f;
};

} // namespace kv
