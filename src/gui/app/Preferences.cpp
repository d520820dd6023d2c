#include "gui/app/Preferences.h"

#include "base/AppSettings.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace kv {

namespace {
constexpr const char* kSection = "Settings";
}

int Preferences::Read(const AppSettings& p)
{
    DT = p.GetInt(kSection, "DT", DT);
    ZS = p.GetInt(kSection, "ZS", ZS);
    RF = p.GetInt(kSection, "RF", RF);
    RS = p.GetInt(kSection, "RS", RS);
    CD = p.GetInt(kSection, "CD", CD);
    DR = std::clamp(p.GetInt(kSection, "DR", DR), kMinRate, kMaxRate);
    AD = p.GetInt(kSection, "AD", AD);
    XS = std::clamp(p.GetInt(kSection, "XS", XS), kMinResolution, kMaxResolution);
    YS = std::clamp(p.GetInt(kSection, "YS", YS), kMinResolution, kMaxResolution);
    V123 = p.GetInt(kSection, "123", V123);
    // RI is stored as hundredths; the stored number is taken as unsigned.
    const int stored = p.GetInt(kSection, "RI", static_cast<int>(std::trunc(RI * 100.0f)));
    const double ri = static_cast<double>(static_cast<uint32_t>(stored)) * 0.01;
    RI = static_cast<float>(std::min(ri, static_cast<double>(kMaxRiverImportance)));
    return 0;
}

int Preferences::Write(const AppSettings& p) const
{
    p.WriteInt(kSection, "DT", DT);
    p.WriteInt(kSection, "ZS", ZS);
    p.WriteInt(kSection, "RF", RF);
    p.WriteInt(kSection, "RS", RS);
    p.WriteInt(kSection, "CD", CD);
    p.WriteInt(kSection, "DR", DR);
    p.WriteInt(kSection, "AD", AD);
    p.WriteInt(kSection, "XS", XS);
    p.WriteInt(kSection, "YS", YS);
    p.WriteInt(kSection, "123", V123);
    const double hundredths = std::trunc(static_cast<double>(RI) * 100.0);
    p.WriteInt(kSection, "RI", std::isfinite(hundredths)
                                   ? static_cast<int>(std::clamp(hundredths, -2147483648.0, 2147483647.0))
                                   : 0);
    return 0;
}

} // namespace kv
