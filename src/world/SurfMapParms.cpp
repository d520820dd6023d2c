// The world parameters as text: the "FracParms" ... "FracParmsEnd" block of world
// parameter files, and the values of the command line's "temp=", "rain=" and "parms=".
#include "world/SurfMapParms.h"

#include "platform/AtomicFile.h"
#include "platform/CLocale.h"
#include "base/text/CExpression.h"
#include "base/text/CTokenizer.h"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <algorithm>
#include <cstdlib>
#include <vector>

namespace kv {

namespace {

constexpr int kProceduralHead = 5; // H, lacunarity, octaves, extras 1 and 2; extras 3 to 8 follow

std::string JoinDoubles(const double* values, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += FormatC(i ? ", %0.5f" : "%0.5f", values[i]);
    return text;
}

} // namespace

// ---------------------------------------------------------------------------------------
// The text block

bool SurfMap::UsableLacunarity(double value)
{
    constexpr double kSmallestWritten = 0.000005; // "%0.5f" writes 0.00001
    return std::isfinite(value) && value >= kSmallestWritten;
}

int SurfMap::WriteParms(std::FILE* file, const CTokenizer& tokenizer) const
{
    if (file == nullptr)
        return -1;
    auto key = [&](int id) { return tokenizer.GetKeywordName(id); };
    const TexParms& p = sourceParms;
    double procedural[3 + kTexExtraCount] = {p.H, p.lacunarity, p.octaves};
    std::copy(p.extras, p.extras + kTexExtraCount, procedural + 3);
    double climateDoubles[ClimateParms::kModelDoubleCount];
    for (int i = 0; i < ClimateParms::kModelDoubleCount; ++i)
        climateDoubles[i] = climate.GetModelDouble(i);

    std::string text;
    text += FormatC("%s\n", key(kw::FracParms).c_str());
    text += FormatC("%s %d, %d\n", key(kw::Type).c_str(), basisId, sphericalMapping);
    text += FormatC("%s %d\n", key(kw::Seed).c_str(), p.seed);
    text += key(kw::Procedural) + " " + JoinDoubles(procedural, 3 + kTexExtraCount) + "\n";
    text += FormatC("%s %0.5f, %0.5f, %d, %d\n", key(kw::Axis).c_str(), axisLongitude, axisLatitude, axisRotate,
                    axisShiftsGrids);
    text += FormatC("%s %0.5f, %0.5f, %0.5f\n", key(kw::Position).c_str(), originX, originY, originZ);
    text += FormatC("%s %0.5f, %0.5f, %0.5f\n", key(kw::Range).c_str(), scaleX, scaleY, scaleZ);
    text += FormatC("%s %0.5f, %0.5f, %0.5f, %0.5f, %0.5f, %0.5f, %d\n", key(kw::World).c_str(), waterPercent,
                    shelfAltitude, maxAltitude, minAltitude, landSize, circumference, shapingOn);
    text += FormatC("%s %0.5f, %0.5f, %d, %d, %d\n", key(kw::Misc).c_str(), exponentAbove, exponentBelow,
                    mirrorLatitude, mirrorLongitude, randomOrigin);
    text += key(kw::Climate) + " " + JoinDoubles(climateDoubles, ClimateParms::kModelDoubleCount) + "\n";
    text += FormatC("%s\n", key(kw::FracParmsEnd).c_str());
    std::fputs(text.c_str(), file);
    return std::ferror(file) ? -1 : 0;
}

int SurfMap::ReadParms(CTokenizer& tokenizer)
{
    // Values are separated by commas (blanks are accepted too). A value whose expression
    // does not parse, or that overflows ("1e400" would be written back as "inf", which
    // no reader takes for a number), leaves its field as it was.
    auto stepOverComma = [&] {
        if (tokenizer.GetToken() == kTokComma)
            tokenizer.NextToken();
    };
    auto commaFollows = [&] { return tokenizer.GetToken() == kTokComma; };
    auto readDouble = [&](double& field) {
        stepOverComma();
        const double value = ReadExpressionDouble(tokenizer);
        if (!ExpressionError() && std::isfinite(value))
            field = value;
    };
    // Integers take the whole int range: the block writes INT_MIN as such (a "parms=" list
    // can leave it in the seed or randomOrigin), so it must read back as INT_MIN, where
    // the expression reader's int form would stop at -2147483647.
    auto readInt = [&](int& field) {
        stepOverComma();
        const double value = ReadExpressionDouble(tokenizer);
        if (ExpressionError())
            return;
        field = std::isnan(value) || value >= static_cast<double>(INT_MAX) ? INT_MAX
                : value <= static_cast<double>(INT_MIN) ? INT_MIN
                                                        : static_cast<int>(value);
    };

    TexParms& p = sourceParms;
    if (tokenizer.GetToken() == kw::FracParms)
        tokenizer.NextToken();
    for (;;) {
        const int token = tokenizer.GetToken();
        if (token == kTokEnd)
            return -1;
        if (token == kw::FracParmsEnd) {
            tokenizer.NextToken();
            return 0;
        }
        tokenizer.NextToken();
        switch (token) {
        case kw::Type:
            readInt(basisId);
            if (commaFollows())
                readInt(sphericalMapping);
            break;
        case kw::Seed:
            readInt(p.seed);
            break;
        case kw::Procedural: {
            double head[kProceduralHead] = {p.H, p.lacunarity, p.octaves, p.extras[0], p.extras[1]};
            for (double& v : head)
                readDouble(v);
            p.H = head[0];
            if (SurfMap::UsableLacunarity(head[1]))
                p.lacunarity = head[1];
            p.octaves = head[2];
            p.extras[0] = head[3];
            p.extras[1] = head[4];
            if (commaFollows())
                for (int i = 2; i < kTexExtraCount; ++i)
                    readDouble(p.extras[i]);
            break;
        }
        case kw::Position:
            readDouble(originX);
            readDouble(originY);
            readDouble(originZ);
            break;
        case kw::Range:
            readDouble(scaleX);
            readDouble(scaleY);
            readDouble(scaleZ);
            break;
        case kw::World:
            readDouble(waterPercent);
            readDouble(shelfAltitude);
            readDouble(maxAltitude);
            readDouble(minAltitude);
            readDouble(landSize);
            readDouble(circumference);
            readInt(shapingOn);
            break;
        case kw::Axis:
            readDouble(axisLongitude);
            readDouble(axisLatitude);
            if (commaFollows()) {
                readInt(axisRotate);
                if (commaFollows())
                    readInt(axisShiftsGrids);
            }
            break;
        case kw::Climate:
            for (int i = 0; i < ClimateParms::kModelDoubleCount; ++i) {
                double v = climate.GetModelDouble(i);
                readDouble(v);
                climate.SetModelDouble(i, v);
            }
            break;
        case kw::Misc:
            readDouble(exponentAbove);
            readDouble(exponentBelow);
            readInt(mirrorLatitude);
            readInt(mirrorLongitude);
            readInt(randomOrigin);
            break;
        default:
            break; // anything else is stepped over
        }
    }
}

int SurfMap::WriteParmsFile(const std::string& path) const
{
    AtomicFile file;
    if (!file.Open(path))
        return -1;
    const CTokenizer spelling;
    if (WriteParms(file.File(), spelling) != 0 || !file.Commit())
        return -2;
    return 0;
}

int SurfMap::ReadParmsFile(const std::string& path)
{
    CTokenizer tokenizer;
    if (tokenizer.Open(path, false) != 0)
        return -2;
    return ReadParms(tokenizer);
}

// ---------------------------------------------------------------------------------------
// Command-line values

namespace {

// atof that saturates: no number gives 0, an overflow the largest double of its sign.
double ToDouble(const std::string& item)
{
    const double v = StrToDoubleC(item.c_str(), nullptr);
    if (std::isnan(v))
        return 0.0;
    if (std::isinf(v))
        return v > 0 ? DBL_MAX : -DBL_MAX;
    return v;
}

// atoi that saturates at the int range.
int ToInt(const std::string& item)
{
    const long long v = std::strtoll(item.c_str(), nullptr, 10);
    if (v > INT_MAX)
        return INT_MAX;
    if (v < INT_MIN)
        return INT_MIN;
    return static_cast<int>(v);
}

// The comma-separated items of `text` up to the first missing one (an empty or blank
// item, or the end).
std::vector<std::string> ListItems(const std::string& text)
{
    std::vector<std::string> items;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (item.find_first_not_of(" \t\r\n") == std::string::npos)
            break;
        items.push_back(std::move(item));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return items;
}

// Notes in `reading` how the items of one list were taken: `integer(k)` says whether
// item k converts as an int; `slots` is how many items the list has room for.
template <class IsInteger>
void NoteReading(ParmsReading* reading, const std::string& listText, const std::vector<std::string>& items,
                 std::size_t slots, IsInteger integer)
{
    if (!reading)
        return;
    const std::size_t used = std::min(items.size(), slots);
    for (std::size_t k = 0; k < used; ++k) {
        const char* text = items[k].c_str();
        char* end = nullptr;
        std::string value;
        if (integer(k)) {
            std::strtoll(text, &end, 10);
            value = std::to_string(ToInt(items[k]));
        } else {
            StrToDoubleC(text, &end);
            value = FormatC("%g", ToDouble(items[k]));
        }
        const std::string item = "item " + std::to_string(k + 1) + " \"" + items[k] + "\"";
        if (end == text) {
            reading->unread.push_back(item + " is not a number: read as 0");
            continue;
        }
        ++reading->numbers;
        std::string rest(end);
        if (rest.find_first_not_of(" \t\r\n") != std::string::npos)
            reading->unread.push_back(item + ": read as " + value + ", \"" + rest + "\" ignored");
    }
    // Everything after the last item taken: an empty item ended the list, or it is longer
    // than the values it can set.
    std::size_t at = 0;
    for (std::size_t k = 0; k < used && at != std::string::npos; ++k) {
        at = listText.find(',', at);
        if (at != std::string::npos)
            ++at;
    }
    if (at == std::string::npos || listText.find_first_not_of(" \t\r\n,", at) == std::string::npos)
        return;
    if (items.size() > slots)
        reading->unread.push_back("the values after item " + std::to_string(slots) + " ignored (the list sets " +
                                  std::to_string(slots) + ")");
    else
        reading->unread.push_back("the values after item " + std::to_string(used) +
                                  " ignored (an empty item ends the list)");
}

// One item of a "parms=" list: where it goes and how it converts.
struct ParmSlot {
    double* real = nullptr;
    int* whole = nullptr;
};

} // namespace

int ParseTempRainParam(SurfMap& world, const std::string& text, ParmsReading* reading)
{
    ClimateParms& climate = world.climate;
    const std::string temp = "temp=", rain = "rain=";
    const auto reals = [](std::size_t) { return false; };
    if (text.compare(0, temp.size(), temp) == 0) {
        const std::vector<std::string> items = ListItems(text.substr(temp.size()));
        NoteReading(reading, text.substr(temp.size()), items, 3, reals);
        if (items.size() > 0) {
            climate.fixedMeanTemperature = ToDouble(items[0]);
            climate.useFixedTemperature = 1;
        }
        if (items.size() > 1)
            climate.latitudeRange = ToDouble(items[1]);
        if (items.size() > 2)
            climate.temperatureNoise = ToDouble(items[2]);
    } else if (text.compare(0, rain.size(), rain) == 0) {
        const std::vector<std::string> items = ListItems(text.substr(rain.size()));
        NoteReading(reading, text.substr(rain.size()), items, 2, reals);
        if (items.size() > 0)
            climate.rainfallNoise = ToDouble(items[0]);
        if (items.size() > 1)
            climate.rainfallBase = ToDouble(items[1]);
    } else {
        TexParms& p = world.sourceParms;
        double lacunarity = p.lacunarity;
        auto d = [](double& field) { return ParmSlot{&field, nullptr}; };
        auto i = [](int& field) { return ParmSlot{nullptr, &field}; };
        const ParmSlot slots[] = {
            i(p.seed), d(world.circumference), d(world.waterPercent), d(world.maxAltitude), d(world.minAltitude),
            d(world.landSize), i(world.randomOrigin), d(world.originX), d(world.originY), d(world.originZ),
            d(world.scaleX), d(world.scaleY), d(world.scaleZ), i(world.shapingOn), d(world.shelfAltitude),
            i(world.basisId), d(p.H), d(lacunarity), d(p.octaves), d(p.extras[0]), d(p.extras[1]),
            d(p.extras[2]), d(p.extras[3]), d(p.extras[4]), d(p.extras[5]), d(p.extras[6]), d(p.extras[7]),
            d(world.axisLongitude), d(world.axisLatitude), d(world.exponentAbove), d(world.exponentBelow),
            i(world.mirrorLatitude), i(world.mirrorLongitude), d(climate.solarFactor), d(climate.heatFactor),
            d(climate.albedo), d(climate.axialTilt), d(climate.latitudeRange), d(climate.temperatureNoise),
            d(climate.rainfallNoise), d(climate.rainfallBase)};
        const std::vector<std::string> items = ListItems(text);
        NoteReading(reading, text, items, std::size(slots), [&](std::size_t k) { return slots[k].whole != nullptr; });
        for (std::size_t k = 0; k < items.size() && k < std::size(slots); ++k) {
            if (slots[k].real)
                *slots[k].real = ToDouble(items[k]);
            else
                *slots[k].whole = ToInt(items[k]);
        }
        if (SurfMap::UsableLacunarity(lacunarity))
            p.lacunarity = lacunarity;
    }
    world.sphericalMapping = 1;
    return 0;
}

} // namespace kv
