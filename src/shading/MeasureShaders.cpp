// The legend answers shared by the altitude-measured and the climate-measured shaders.
#include "shading/ShaderMath.h"
#include "shading/ShaderWorld.h"
#include "shading/Shaders.h"
#include "base/color/ClimateParms.h"
#include "base/DisplayUnits.h"
#include "base/color/LightParms.h"

namespace kv {

namespace {
// A class code from a float value, clamped to the class range before the conversion (a NaN
// or huge value must not reach the integer conversion).
int ClassCode(float value) {
    if (!(value > 0.0f)) {
        return 0;
    }
    return value >= 16.0f ? 16 : static_cast<int>(value);
}
} // namespace

uint32_t AltitudeMeasureShader::ValueToColor(float value) const {
    return m_light != nullptr ? m_light->AltitudeColor(value) : 0;
}

void AltitudeMeasureShader::GetRange(float* low, float* high) const {
    float lo = 0.0f;
    float hi = 1.0f;
    if (m_world != nullptr) {
        m_world->GetAltitudeRange(lo, hi);
    }
    *low = lo;
    *high = hi;
}

void AltitudeMeasureShader::GetUnits(std::string& units) const {
    units = IsMetric() ? "m" : "ft";
}

float AltitudeMeasureShader::ToDisplayUnits(float value) const {
    return IsMetric() ? value : value * static_cast<float>(kFeetPerMetre);
}

uint32_t ClimateMeasureShader::Shade(const ShadeSample* sample) const {
    const ClimateParms* climate = Climate();
    const uint32_t color = climate != nullptr ? climate->ClimateColor(ClassCode(sample->climateCode)) : 0;
    return shading::MixedAndLit(color, *sample, SeaOpacity());
}

void ClimateMeasureShader::ShadeMany(const ShadeSample* samples, int count, uint32_t* colours) const {
    const ClimateParms* climate = Climate();
    shading::MixedAndLitColors(samples, count, SeaOpacity(), colours, [climate](const ShadeSample& s) {
        return climate != nullptr ? climate->ClimateColor(ClassCode(s.climateCode)) : 0u;
    });
}

uint32_t ClimateMeasureShader::ValueToColor(float value) const {
    const ClimateParms* climate = Climate();
    return climate != nullptr ? climate->ClimateColor(ClassCode(value)) : 0;
}

void ClimateMeasureShader::GetRange(float* low, float* high) const {
    double lo = 0.0;
    double hi = 16.0;
    if (const ClimateParms* climate = Climate()) {
        climate->GetClassRange(lo, hi);
    }
    *low = static_cast<float>(lo);
    *high = static_cast<float>(hi);
}

void ClimateMeasureShader::GetUnits(std::string& units) const {
    units.clear();
}

} // namespace kv
