// The settings of the document's first view as the world file keeps them: shader, hatch
// and background, projection, lighting with its three climate colour lists, four further
// settings and the saved views. The document owns one; the view core and the window view
// keep their settings in it, so a document writes the same view block with or without a
// window.
#pragma once

#include "base/color/CColorList.h"
#include "base/color/LightParms.h"
#include "document/CViewInfo.h"
#include "projection/ProjectionParms.h"

#include <cstdint>

namespace kv {

class CArchive;
class ClimateParms;

class ViewSettings {
public:
    static constexpr int32_t kArchiveVersion = 257;
    // Hatch styles 0..5 (back-diagonal, cross, diagonal-cross, forward-diagonal,
    // horizontal, vertical).
    static constexpr int kHatchStyleCount = 6;
    static constexpr int kDefaultHatchIndex = 2;
    static constexpr int kDefaultShaderId = 1;
    static constexpr int kSettingCount = 4;

    // The defaults: the profile's Tools\Map, Bkgnd\Hatch, Tools\Fore and Tools\Back, the
    // default projection and lighting, the four further settings 0 (a loaded block's are
    // kept as read).
    ViewSettings();

    // The view block. Storing and loading lend copies of the climate's temperature,
    // rainfall and climate-class lists to the light parameters (loading gives them back to
    // the climate) and clear the lent pointers when done, also when the block is damaged.
    // A damaged block raises the archive error; a block of version 255 or less reads nothing
    // more. Loaded settings are checked: a hatch index outside 0..5 becomes 2, a shader id
    // that no shader has becomes 1.
    void Serialize(CArchive& ar, ClimateParms& climate);

    // The land and sea colour counts that the new-world wizard carries (settings 2 and 3).
    int& LandColorCount() { return settings[2]; }
    int& SeaColorCount() { return settings[3]; }

    int32_t shaderId = kDefaultShaderId;
    int32_t secondSetting = 0;
    int32_t hatchIndex = kDefaultHatchIndex;
    uint32_t hatchColor = 0;
    uint32_t backgroundColor = 0;
    ProjectionParms projection;
    LightParms light;
    int32_t settings[kSettingCount] = {0, 0, 0, 0};
    // The view's copies of the document's climate colour lists.
    CColorList temperatureColors;
    CColorList rainfallColors;
    CColorList climateColors;
    CViewInfoList savedViews;

private:
    void Store(CArchive& ar);
    void Load(CArchive& ar, ClimateParms& climate);
    void LendClimateLists(const ClimateParms& climate);
    void ClearLentLists();
};

} // namespace kv
