#include "gui/app/CmdLineInfo.h"

#include "base/raster/VideoBuffer.h"
#include "shading/ShaderRegistry.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace kv {

namespace {

enum class Key { ImgWidth, Bump, Mdr, Normal, Image, Parms, Startup, Color, ColorType, None };

struct KeyName {
    const char* text;
    Key key;
};

// In the order they are tried: the first key the parameter begins with is taken.
constexpr KeyName kKeys[] = {
    {"imgwidth=", Key::ImgWidth}, {"bump=", Key::Bump},       {"mdr=", Key::Mdr},
    {"normal=", Key::Normal},     {"image=", Key::Image},     {"parms=", Key::Parms},
    {"startup=", Key::Startup},   {"color=", Key::Color},     {"colortype=", Key::ColorType},
};

bool StartsWithNoCase(const std::string& text, const char* prefix)
{
    size_t i = 0;
    for (; prefix[i]; ++i) {
        if (i >= text.size() || std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    }
    return true;
}

bool EqualsNoCase(const std::string& text, const char* word)
{
    return StartsWithNoCase(text, word) && text.size() == std::char_traits<char>::length(word);
}

const KeyName* FindKey(const std::string& text)
{
    for (const KeyName& k : kKeys) {
        if (StartsWithNoCase(text, k.text))
            return &k;
    }
    return nullptr;
}

// A whole decimal integer (optional sign, digits, nothing else) within the int range.
bool ParseWholeInt(const std::string& text, int& value)
{
    if (text.empty())
        return false;
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(begin, &end, 10);
    if (end == begin || *end != '\0' || errno == ERANGE || v < INT_MIN || v > INT_MAX)
        return false;
    // strtoll accepts leading blanks: a value is digits only.
    if (std::isspace(static_cast<unsigned char>(text[0])))
        return false;
    value = static_cast<int>(v);
    return true;
}

} // namespace

int CCmdLineInfo::MaxImageWidth()
{
    // Width w makes a w x (w / 2) image of 4 bytes a pixel.
    int lo = kMinImageWidth, hi = INT_MAX;
    auto fits = [](long long w) {
        const long long h = w / 2;
        return h > 0 && static_cast<unsigned long long>(w) * static_cast<unsigned long long>(h) * 4ull <=
                            kVideoBufferMaxBytes;
    };
    while (lo < hi) {
        const int mid = lo + (hi - lo + 1) / 2;
        if (fits(mid))
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

void CCmdLineInfo::ParseParam(const std::string& argument)
{
    std::string text;
    bool option = false;
    if (!argument.empty() && argument[0] == '-') {
        option = true;
        text = argument.substr(1);
    } else if (!argument.empty() && argument[0] == '/') {
        const std::string rest = argument.substr(1);
        if (EqualsNoCase(rest, "default") || FindKey(rest)) {
            option = true;
            text = rest;
        }
    } else if (FindKey(argument)) {
        option = true;
        text = argument;
    }
    if (!option) {
        if (!argument.empty())
            files.push_back(argument);
        return;
    }
    if (text.size() <= 1) {
        ignored.push_back(argument);
        return;
    }
    if (EqualsNoCase(text, "default")) {
        parameterDefault = true;
        return;
    }
    const KeyName* key = FindKey(text);
    if (!key) {
        ignored.push_back(argument);
        return;
    }
    const std::string value = text.substr(std::char_traits<char>::length(key->text));
    switch (key->key) {
    case Key::ImgWidth: {
        if (value.empty())
            break;
        int w = 0;
        const int maxWidth = MaxImageWidth();
        if (!ParseWholeInt(value, w) || w < kMinImageWidth || w > maxWidth) {
            errors.push_back("Invalid image width \"" + value + "\": give a whole number of pixels from " +
                             std::to_string(kMinImageWidth) + " to " + std::to_string(maxWidth));
            break;
        }
        imageWidth = w;
        break;
    }
    case Key::Bump: bumpPath = value; break;
    case Key::Mdr: mdrPath = value; break;
    case Key::Normal: normalPath = value; break;
    case Key::Image: imagePath = value; break;
    case Key::Parms:
        if (!value.empty()) {
            parms = value;
            hasParms = true;
        }
        break;
    case Key::Startup:
        if (!value.empty())
            startupFile = value;
        break;
    case Key::Color:
        if (!value.empty())
            colorFile = value;
        break;
    case Key::ColorType: {
        if (value.empty())
            break;
        int t = 0;
        if (!ParseWholeInt(value, t) || !ShaderRegistry::IsRegisteredId(t)) {
            std::string ids;
            for (int id : ShaderRegistry::RegisteredIds())
                ids += (ids.empty() ? "" : ", ") + std::to_string(id);
            errors.push_back("Invalid colour type \"" + value + "\": give one of the shader numbers " + ids);
            break;
        }
        colorType = t;
        break;
    }
    case Key::None: break;
    }
}

CCmdLineInfo CCmdLineInfo::Parse(const std::vector<std::string>& arguments)
{
    CCmdLineInfo info;
    for (const std::string& a : arguments)
        info.ParseParam(a);
    return info;
}

} // namespace kv
