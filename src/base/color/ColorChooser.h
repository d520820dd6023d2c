// What the window side lends the core when the user picks a colour: the system colour
// dialog, the 256-colour palette picker and whether Shift is held. Until the window
// side installs its own, the defaults show nothing: every pick is cancelled and Shift
// is up, so the core runs and tests without a display.
#pragma once

#include <cstdint>
#include <memory>

namespace kv {

class ColorChooser {
public:
    virtual ~ColorChooser() = default;
    // The system colour dialog, fully open, starting at `colour` (0x00BBGGRR).
    // True with the chosen colour in `colour`; false (colour untouched) on cancel.
    virtual bool PickSystemColor(uint32_t& colour);
    // The palette picker preselected at `index` (0..255: the entry nearest the current
    // colour). True with the chosen index; false on cancel.
    virtual bool PickPaletteIndex(int& index);
    // Whether the Shift key is held right now.
    virtual bool IsShiftHeld();
};

// The chooser in force.
ColorChooser& GetColorChooser();
// Installs `chooser` (null puts the default back) and returns the one it replaces.
std::shared_ptr<ColorChooser> SetColorChooser(std::shared_ptr<ColorChooser> chooser);

inline bool IsShiftHeld() { return GetColorChooser().IsShiftHeld(); }

} // namespace kv
