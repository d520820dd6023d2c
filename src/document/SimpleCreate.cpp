#include "document/SimpleCreate.h"

#include "base/AppSettings.h"
#include "base/DisplayUnits.h"

#include <cmath>

namespace kv {

namespace {

constexpr const char* kSection = "Simple";

double ReadThousandths(const AppSettings& p, const char* key, double current)
{
    const int stored = p.GetInt(kSection, key, static_cast<int>(std::lround(current * 1000.0)));
    return stored * 0.001;
}

void WriteThousandths(const AppSettings& p, const char* key, double value)
{
    const double t = std::round(value * 1000.0);
    p.WriteInt(kSection, key, std::isfinite(t) ? static_cast<int>(std::fmax(-2147483648.0, std::fmin(t, 2147483647.0))) : 0);
}

// Held within the table's first and last entries (a value between entries stays).
template <size_t N>
int WithinTable(const int (&table)[N], int value)
{
    return value < table[0] ? table[0] : value > table[N - 1] ? table[N - 1] : value;
}

template <size_t N>
int IndexOf(const int (&table)[N], int value)
{
    for (size_t i = 0; i < N; ++i)
        if (table[i] == value)
            return static_cast<int>(i);
    return 0;
}

} // namespace

void SimpleCreateSettings::Read(const AppSettings& p)
{
    mountainPeak = ReadThousandths(p, "MtnPeak", mountainPeak);
    mountainBase = ReadThousandths(p, "MtnBase", mountainBase);
    hillTop = ReadThousandths(p, "HillTop", hillTop);
    hillBase = ReadThousandths(p, "HillBase", hillBase);
    shallow = ReadThousandths(p, "Shallow", shallow);
    abyss = ReadThousandths(p, "Abyss", abyss);
    trench = ReadThousandths(p, "Trench", trench);
    resolution = WithinTable(kResolutions, p.GetInt(kSection, "Res", resolution));
    rays = WithinTable(kRays, p.GetInt(kSection, "Rays", rays));
    climatesOnly = p.GetInt(kSection, "Climate", climatesOnly);
    landScale = p.GetInt(kSection, "LandScale", static_cast<int>(landScale));
    seaScale = p.GetInt(kSection, "SeaScale", static_cast<int>(seaScale));
}

void SimpleCreateSettings::Write(const AppSettings& p) const
{
    WriteThousandths(p, "MtnPeak", mountainPeak);
    WriteThousandths(p, "MtnBase", mountainBase);
    WriteThousandths(p, "HillTop", hillTop);
    WriteThousandths(p, "HillBase", hillBase);
    WriteThousandths(p, "Shallow", shallow);
    WriteThousandths(p, "Abyss", abyss);
    WriteThousandths(p, "Trench", trench);
    p.WriteInt(kSection, "Res", resolution);
    p.WriteInt(kSection, "Rays", rays);
    p.WriteInt(kSection, "Climate", climatesOnly);
}

int SimpleCreateSettings::ResolutionIndex(int r) { return IndexOf(kResolutions, r); }
int SimpleCreateSettings::RaysIndex(int r) { return IndexOf(kRays, r); }

void SimpleCreateSettings::ToDisplayUnits(bool metric)
{
    if (metric)
        return;
    for (double* v : {&mountainPeak, &mountainBase, &hillTop, &hillBase, &shallow, &abyss, &trench})
        *v *= kFeetPerMetre;
}

void SimpleCreateSettings::FromDisplayUnits(bool metric)
{
    if (metric)
        return;
    for (double* v : {&mountainPeak, &mountainBase, &hillTop, &hillBase, &shallow, &abyss, &trench})
        *v *= kMetresPerFoot;
}

} // namespace kv
