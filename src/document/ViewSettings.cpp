#include "document/ViewSettings.h"

#include "base/AppSettings.h"
#include "base/color/ClimateParms.h"
#include "base/text/CTokenizer.h"
#include "platform/Archive.h"
#include "shading/ShaderRegistry.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace kv {

namespace {

// The light parameters' keyword text, as the text writer produces it, in memory.
std::string LightText(const LightParms& light)
{
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* stream = open_memstream(&buffer, &size);
    if (stream == nullptr)
        CArchive::Throw(CArchiveException::generic, "view block: no memory for the light text");
    CTokenizer tokenizer;
    light.WriteText(stream, tokenizer);
    const bool failed = std::fclose(stream) != 0;
    std::string text(buffer != nullptr ? buffer : "", size);
    std::free(buffer);
    if (failed)
        CArchive::Throw(CArchiveException::generic, "view block: no memory for the light text");
    return text;
}

} // namespace

ViewSettings::ViewSettings()
{
    const AppSettings& profile = GetAppSettings();
    shaderId = profile.GetInt("Tools", "Map", kDefaultShaderId);
    hatchIndex = profile.GetInt("Bkgnd", "Hatch", kDefaultHatchIndex);
    hatchColor = static_cast<uint32_t>(profile.GetInt("Tools", "Fore", 0));
    backgroundColor = static_cast<uint32_t>(profile.GetInt("Tools", "Back", 0));
    // A hand-edited profile may hold anything: the same checks as a loaded block.
    if (hatchIndex < 0 || hatchIndex >= kHatchStyleCount)
        hatchIndex = kDefaultHatchIndex;
    if (!ShaderRegistry::IsRegisteredId(shaderId))
        shaderId = kDefaultShaderId;
    ClimateParms::DefaultTemperatureColors(temperatureColors);
    ClimateParms::DefaultRainfallColors(rainfallColors);
    ClimateParms::DefaultClimateColors(climateColors);
}

void ViewSettings::LendClimateLists(const ClimateParms& climate)
{
    climate.GetTemperatureList(temperatureColors);
    climate.GetRainfallList(rainfallColors);
    climate.GetClimateList(climateColors);
    light.temperatureList = &temperatureColors;
    light.rainfallList = &rainfallColors;
    light.climateList = &climateColors;
}

void ViewSettings::ClearLentLists()
{
    light.temperatureList = nullptr;
    light.rainfallList = nullptr;
    light.climateList = nullptr;
}

void ViewSettings::Serialize(CArchive& ar, ClimateParms& climate)
{
    LendClimateLists(climate);
    try {
        if (ar.IsStoring())
            Store(ar);
        else
            Load(ar, climate);
    } catch (...) {
        ClearLentLists();
        throw;
    }
    ClearLentLists();
}

void ViewSettings::Store(CArchive& ar)
{
    ar << kArchiveVersion << shaderId << secondSetting << hatchIndex << hatchColor << backgroundColor;
    double lat = 0, lon = 0, x = 0, y = 0, p1 = 0, p2 = 0, scale = 1;
    projection.GetCenter(lat, lon);
    projection.GetOffset(x, y);
    projection.GetConicParallels(p1, p2);
    projection.GetScale(scale);
    ar << static_cast<int32_t>(projection.GetProjectionId()) << lat << lon << x << y << p1 << p2 << scale;
    const std::string text = LightText(light);
    ar << static_cast<uint32_t>(text.size());
    ar.Write(text.data(), text.size());
    for (int32_t value : settings)
        ar << value;
    savedViews.Serialize(ar);
}

void ViewSettings::Load(CArchive& ar, ClimateParms& climate)
{
    int32_t version = 0;
    ar >> version;
    if (version <= 255)
        return;
    ar >> shaderId >> secondSetting >> hatchIndex >> hatchColor >> backgroundColor;
    if (hatchIndex < 0 || hatchIndex >= kHatchStyleCount)
        hatchIndex = kDefaultHatchIndex;
    if (!ShaderRegistry::IsRegisteredId(shaderId))
        shaderId = kDefaultShaderId;

    int32_t projectionId = 0;
    double lat = 0, lon = 0, x = 0, y = 0, p1 = 0, p2 = 0, scale = 1;
    ar >> projectionId >> lat >> lon >> x >> y >> p1 >> p2 >> scale;
    projection.SetProjection(projectionId);
    projection.SetCenter(lat, lon);
    projection.SetOffset(x, y);
    projection.SetConicParallels(p1, p2);
    projection.SetScale(scale);

    uint32_t length = 0;
    ar >> length;
    ar.Require(length);
    std::string text(length, '\0');
    ar.ReadExact(text.data(), text.size());
    // The text is taken as it reads: a text that is no light block leaves the light
    // parameters as the reading left them, and the fields after it still load.
    {
        CTokenizer tokenizer;
        if (tokenizer.OpenText(text, false) == 0) {
            light.ReadText(tokenizer);
            tokenizer.Close();
        }
    }
    climate.SetTemperatureList(temperatureColors);
    climate.SetRainfallList(rainfallColors);
    climate.SetClimateList(climateColors);

    for (int32_t& value : settings)
        ar >> value;
    if (version >= 257)
        savedViews.Serialize(ar);
}

} // namespace kv
