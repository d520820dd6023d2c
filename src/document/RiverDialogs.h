// The two dialogs of Find Rivers as logic without a window: the resolution of the working
// grid, and the threshold that picks the river cells, with its preview overlay and the
// routing of the rivers on OK. The window side shows their controls over these classes
// and forwards the user's actions to them.
#pragma once

#include "base/grid/Grid2D.h"

#include <cstdint>
#include <string>

namespace kv {

class CKVDoc;
class ImageOverlay;

// What Find Rivers remembers from one run to the next while the program runs.
struct RiverSettings {
    static constexpr uint32_t kUnsetColour = 0xFFFFFFFF;
    int width = 1024;
    float threshold = 0.02f;
    uint32_t colour = kUnsetColour; // 0x00BBGGRR once chosen
    bool potentialFlow = false;
    bool keepOverlay = false;
};
RiverSettings& GetRiverSettings();

// "River Definition Resolution" (template 3018).
class CRiverEditSizeDlg {
public:
    static constexpr int kTemplate = 3018;
    static constexpr int kWidthEdit = 5652;
    static constexpr int kCustomRadio = 5651;

    struct Preset {
        int control;
        const char* text;
        int width;
    };
    static constexpr Preset kPresets[] = {
        {5649, "Very Coarse", 256}, {5650, "Coarse", 512}, {5653, "Medium", 1024},
        {5654, "Fine", 2048},       {5443, "Very Fine", 3072},
    };

    explicit CRiverEditSizeDlg(int initialWidth = 1024);

    // The radio button checked: the preset of the width, else "Custom".
    int CheckedControl() const;
    // The width edit box is enabled only for "Custom".
    bool WidthEditEnabled() const { return custom; }
    // A preset puts its width into the edit box and disables it; "Custom" enables it.
    void OnRadio(int control);

    int width;
    bool custom;
};

// "Select River Length" (template 3017). The grids, the mask and the preview are borrowed.
class CRiverThresholdDlg {
public:
    static constexpr int kTemplate = 3017;
    static constexpr int kSlider = 5648;
    static constexpr int kSliderMinimum = 10;
    static constexpr int kSliderMaximum = 2000;
    static constexpr int kPotentialFlowCheck = 5048;
    static constexpr int kPercentText = 5655;
    static constexpr int kKeepOverlayCheck = 5656;
    static constexpr int kSwatch = 5629;
    static constexpr int kSwatchText = 5630;
    static constexpr int kHandCursor = 516;
    static constexpr uint32_t kDefaultColour = 0xC04000;

    // Slider range, position from the threshold, the ranges of flow and reach, the preview.
    void OnInitDialog();
    // Thresholds the selected grid into the preview overlay (mask cells left alone), hint
    // 13, and the percentage text.
    void UpdatePreview();
    // The slider moved: threshold = position x 0.0001, then the preview unless busy.
    void OnHScroll(int position);
    // The potential-flow box changed.
    void OnPotentialFlow(bool checked);
    // A click in the swatch: the colour chooser on the current colour; on OK the new
    // colour and the preview. True when the colour changed.
    bool OnSwatchClicked();
    // "RRGGBB" of the colour, as the swatch shows it.
    std::string SwatchText() const;
    // The cursor over a point: the hand over the swatch, else the arrow (0).
    int CursorAt(bool overSwatch) const { return overSwatch ? kHandCursor : 0; }
    // Routes the rivers into the document (its river list erased first), rebuilding the
    // preview with the final threshold; hint 15. Marks the document modified.
    void OnOK();
    // Esc and the close box do nothing: the dialog ends only through OK.
    void OnCancel() {}

    // The cut of the selected grid: its range x the threshold.
    float Cut() const;
    const Grid2D* SelectedGrid() const { return potentialFlow ? reach : flow; }
    // 0xFF000000 | blue << 16 | green << 8 | red of the colour.
    uint32_t Pixel() const;

    float threshold = 0.02f;
    const Grid2D* waterLevel = nullptr;
    const Grid2D* altitude = nullptr;
    const Grid2D* flow = nullptr;
    const Grid2D* reach = nullptr;
    const Grid2D* directions = nullptr;
    const ImageOverlay* exclusionMask = nullptr;
    ImageOverlay* preview = nullptr;
    uint32_t colour = kDefaultColour; // 0x00BBGGRR
    bool busy = false;
    float flowMinimum = 0.0f, flowMaximum = 0.0f;
    float reachMinimum = 0.0f, reachMaximum = 0.0f;
    int sliderPosition = 200;
    bool potentialFlow = false;
    std::string percentText;
    bool keepOverlay = false;

    // The document whose river list OnOK replaces.
    CKVDoc* document = nullptr;
    // Set by OnOK: the routing's result (0, or -1 when the user stopped it).
    int routingResult = 0;

private:
    // Sends a hint to the document's views (the active document's without one).
    void Hint(int hint) const;
    // The mask's exclusion of every cell, made once per dialog.
    const Grid2D* Excluded();
    Grid2DPtr m_excluded;
    bool m_excludedMade = false;
};

} // namespace kv
