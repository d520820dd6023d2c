// What the overlay list window and the overlay editor do to a document's overlays, without
// the windows: the rows the list shows, its buttons' actions on the selected rows and the
// editor's OK. Every change is made under OverlayLock(), marks the document modified, has
// the list refreshed and ends with view hint 13, which redraws the overlay layer.
#pragma once

#include "base/layers/ImageOverlay.h"

#include <string>
#include <vector>

namespace kv {

class CKVDoc;

// The redraw hint of the overlay layer.
constexpr int kHintOverlaysChanged = 13;

// Edits a working copy of one overlay (the modal editor); true on OK.
class OverlayEditor {
public:
    virtual ~OverlayEditor() = default;
    virtual bool Edit(ImageOverlay& copy) = 0;
};

// The editor's values as the user sees them; altitudes in the display unit.
struct OverlayEditFields {
    bool visible = true;
    std::string name;
    int width = 512;
    int height = 256;
    int opacity = 255;
    int mode = kOverlayAlways;
    double north = 90, west = -180, east = 180, south = -90;
    bool screenCoordinates = false;
    double softLow = 0, hardLow = 0, hardHigh = 0, softHigh = 0;
};

// Display unit texts and factor of the editor's altitudes.
const char* OverlayAltitudeUnit(bool metric);
OverlayEditFields OverlayFieldsFrom(const ImageOverlay& overlay, bool metric);
// The editor's OK after validation: pixels made (no pixels yet) or resampled (size
// changed), then the values stored, the four altitudes sorted ascending (in metres). False
// (copy unchanged) when the pixels cannot be had.
bool ApplyOverlayFields(ImageOverlay& copy, const OverlayEditFields& fields, bool metric);
// The opacity text: "%d%%" of opacity x 100 / 255, truncated.
std::string OpacityPercentText(int opacity);

class OverlayListActions {
public:
    struct Row {
        std::string name, visible, width, height;
        ImageOverlay* overlay = nullptr;
    };

    // `document` (may be null) is marked modified and gives the view; `list` is its list.
    OverlayListActions(ImageOverlayList& list, CKVDoc* document) : m_list(list), m_doc(document) {}

    std::vector<Row> Rows() const;
    // The "Active Overlay:" text.
    std::string ActiveText() const;

    // Each returns true when something changed. `selected` holds row indices.
    bool Add(OverlayEditor& editor);
    bool Edit(int row, OverlayEditor& editor);
    bool SetVisible(const std::vector<int>& selected, bool visible);
    bool SetActive(int row);
    // -1 up, +1 down; the index the overlay is at afterwards (row when it stays).
    int Move(int row, int direction);
    bool Delete(int row);

    // The editor's name counter for new overlays ("Untitled-%d" from 1, process-wide).
    static std::string NextUntitledName();

    ImageOverlayList& List() { return m_list; }

private:
    ImageOverlay* At(int row) const;
    void MakeActive(ImageOverlay* overlay);
    void Changed();

    ImageOverlayList& m_list;
    CKVDoc* m_doc;
};

} // namespace kv
