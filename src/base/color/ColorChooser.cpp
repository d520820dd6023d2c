#include "base/color/ColorChooser.h"

#include "base/ServiceSlots.h"

namespace kv {

bool ColorChooser::PickSystemColor(uint32_t&)
{
    return false;
}

bool ColorChooser::PickPaletteIndex(int&)
{
    return false;
}

bool ColorChooser::IsShiftHeld()
{
    return false;
}

namespace {

// The chooser in force until the window side installs its own.
const std::shared_ptr<ColorChooser>& Default()
{
    static const std::shared_ptr<ColorChooser> chooser = std::make_shared<ColorChooser>();
    return chooser;
}

std::shared_ptr<ColorChooser>& Current()
{
    static std::shared_ptr<ColorChooser> chooser = Default();
    return chooser;
}

} // namespace

ColorChooser& GetColorChooser()
{
    return *Current();
}

std::shared_ptr<ColorChooser> SetColorChooser(std::shared_ptr<ColorChooser> chooser)
{
    if (!chooser)
        chooser = Default();
    std::swap(Current(), chooser);
    return chooser;
}

namespace {

const ServiceSlotRegistration kColorChooserSlot("ColorChooser", [] { return Current() != Default(); });

} // namespace

} // namespace kv
