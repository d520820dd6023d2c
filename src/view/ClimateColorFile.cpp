#include "view/ClimateColorFile.h"

#include "base/color/CColorList.h"
#include "base/color/ClimateParms.h"
#include "platform/AtomicFile.h"
#include "platform/CLocale.h"

#include <cctype>
#include <climits>
#include <cstdio>

namespace kv {

namespace {

bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// "%d" at `pos`: leading white space, an optional sign, digits; false when there are no
// digits or the value leaves int.
bool ReadInt(std::string_view text, size_t& pos, int& value)
{
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const size_t digits = pos;
    long long magnitude = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        magnitude = magnitude * 10 + (text[pos] - '0');
        if (magnitude > static_cast<long long>(INT_MAX) + 1)
            return false;
        ++pos;
    }
    if (pos == digits)
        return false;
    const long long signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT_MAX)
        return false;
    value = static_cast<int>(signedValue);
    return true;
}

CColorList DefaultClassColors()
{
    CColorList list;
    ClimateParms::DefaultClimateColors(list);
    return list;
}

} // namespace

bool ParseClimateColorLine(std::string_view line, int& code, uint32_t& colour)
{
    int values[4];
    size_t pos = 0;
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (pos >= line.size() || line[pos] != ',')
                return false;
            ++pos;
        }
        if (!ReadInt(line, pos, values[i]))
            return false;
    }
    if (values[0] < 0 || values[0] >= kClimateClassCount)
        return false;
    code = values[0];
    colour = ColorOf(values[1], values[2], values[3]);
    return true;
}

int ReadClimateColorText(std::string_view text, CColorList& list)
{
    list.RemoveAll();
    bool given[kClimateClassCount] = {};
    int taken = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        int code;
        uint32_t colour;
        if (line.size() > static_cast<size_t>(kClimateColorLineMax) || !ParseClimateColorLine(line, code, colour))
            continue;
        list.SetAt(code, colour);
        given[code] = true;
        ++taken;
    }
    const CColorList defaults = DefaultClassColors();
    for (int code = 0; code < kClimateClassCount; ++code)
        if (!given[code])
            list.SetAt(code, defaults.GetColorAt(code));
    return taken;
}

int LoadClimateColorFile(const std::string& path, CColorList& list)
{
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr)
        return -1;
    // Lines are gathered one at a time; an overlong one is dropped as it is read, so the
    // file's size never decides what is held in memory.
    std::string text;
    std::string line;
    bool overlong = false;
    auto endLine = [&] {
        if (!overlong) {
            text += line;
            text += '\n';
        }
        line.clear();
        overlong = false;
    };
    for (int c; (c = std::fgetc(file)) != EOF;) {
        if (c == '\n') {
            endLine();
        } else if (!overlong) {
            line += static_cast<char>(c);
            overlong = line.size() > static_cast<size_t>(kClimateColorLineMax);
        }
    }
    endLine();
    std::fclose(file);
    return ReadClimateColorText(text, list);
}

uint32_t ClimateCodeColor(const ClimateParms& climate, int code)
{
    const CColorList& list = climate.ClimateList();
    if (code >= 0 && code < list.GetSize())
        return list.Stop(code).Color();
    return DefaultClassColors().GetColorAt(code);
}

std::string ClimateColorCellText(uint32_t colour)
{
    return FormatC("%02X%02X%02X", RedOf(colour), GreenOf(colour), BlueOf(colour));
}

std::string ClimateColorText(const ClimateParms& climate)
{
    std::string text;
    for (int code = 0; code < kClimateClassCount; ++code) {
        const uint32_t colour = ClimateCodeColor(climate, code);
        text += FormatC("%d, %d, %d, %d\n", code, RedOf(colour), GreenOf(colour), BlueOf(colour));
    }
    return text;
}

bool SaveClimateColorFile(const std::string& path, const ClimateParms& climate)
{
    AtomicFile out;
    if (!out.Open(path))
        return false;
    const std::string text = ClimateColorText(climate);
    if (std::fwrite(text.data(), 1, text.size(), out.File()) != text.size())
        return false;
    return out.Commit();
}

} // namespace kv
