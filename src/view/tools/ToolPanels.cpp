#include "view/tools/ToolPanels.h"

#include "platform/CLocale.h"

#include <cctype>
#include <cfloat>
#include <cmath>

namespace kv {

bool ParsePanelNumber(const std::string& text, double& value)
{
    std::size_t first = 0, last = text.size();
    while (first < last && std::isspace(static_cast<unsigned char>(text[first])))
        ++first;
    while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1])))
        --last;
    if (first == last)
        return false;
    const std::string trimmed = text.substr(first, last - first);
    // Only plain decimal numbers: no hexadecimal, "nan" or "inf" spellings.
    for (char c : trimmed)
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
            return false;
    char* end = nullptr;
    const double parsed = StrToDoubleC(trimmed.c_str(), &end);
    if (end != trimmed.c_str() + trimmed.size() || !std::isfinite(parsed) || std::fabs(parsed) > FLT_MAX)
        return false;
    value = parsed;
    return true;
}

bool ParsePanelInt(const std::string& text, int minimum, int maximum, int& value)
{
    double parsed = 0.0;
    if (!ParsePanelNumber(text, parsed) || parsed != std::floor(parsed) || parsed < minimum || parsed > maximum)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

} // namespace kv
