#include "base/color/ColorChooser.h"

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

std::shared_ptr<ColorChooser>& Current()
{
    static std::shared_ptr<ColorChooser> chooser = std::make_shared<ColorChooser>();
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
        chooser = std::make_shared<ColorChooser>();
    std::swap(Current(), chooser);
    return chooser;
}

} // namespace kv
