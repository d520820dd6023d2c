#include "platform/CLocale.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace kv {

locale_t CLocale()
{
    static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return loc;
}

double StrToDoubleC(const char* text, char** end)
{
    return strtod_l(text, end, CLocale());
}

std::string FormatC(const char* format, ...)
{
    CLocaleScope scope;
    char small[256];
    va_list ap;
    va_start(ap, format);
    int n = std::vsnprintf(small, sizeof small, format, ap);
    va_end(ap);
    if (n < 0)
        return std::string();
    if (static_cast<size_t>(n) < sizeof small)
        return std::string(small, static_cast<size_t>(n));
    std::vector<char> big(static_cast<size_t>(n) + 1);
    va_start(ap, format);
    std::vsnprintf(big.data(), big.size(), format, ap);
    va_end(ap);
    return std::string(big.data(), static_cast<size_t>(n));
}

std::string FormatRoundTrip(double value, int decimals)
{
    if (!std::isfinite(value))
        return FormatC("%.*f", decimals, value);
    for (int places = decimals; places <= 20; ++places) {
        std::string text = FormatC("%.*f", places, value);
        if (StrToDoubleC(text.c_str(), nullptr) == value)
            return text;
    }
    return FormatC("%.17g", value);
}

} // namespace kv
