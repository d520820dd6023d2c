// Texts are read and written in the C numeric locale, whatever the user's locale is.
#pragma once

#include <clocale>
#include <string>
#include <locale.h>

namespace kv {

// The process-wide "C" locale object (made once, never freed).
locale_t CLocale();

// Switches the calling thread to the C locale for as long as the object lives.
class CLocaleScope {
public:
    CLocaleScope() : m_previous(uselocale(CLocale())) {}
    ~CLocaleScope() { uselocale(m_previous); }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t m_previous;
};

// strtod in the C locale.
double StrToDoubleC(const char* text, char** end);
// printf-style formatting in the C locale.
std::string FormatC(const char* format, ...) __attribute__((format(printf, 1, 2)));
// `value` in fixed notation with `decimals` places, or with as many more as it takes to read
// back (StrToDoubleC) as the same double: 2/3 needs 16. Values that fit in the places keep
// that form; very small ones that no 20 places hold are written "%.17g".
std::string FormatRoundTrip(double value, int decimals);

} // namespace kv
