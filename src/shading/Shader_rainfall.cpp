#include "shading/ShaderMath.h"
#include "shading/ShaderWorld.h"
#include "shading/Shaders.h"
#include "base/color/ClimateParms.h"
#include "base/DisplayUnits.h"
#include "base/color/LightParms.h"

namespace kv {

namespace {
constexpr ShaderDescriptor kDescriptor{kShaderRainfall, 0, "&Rainfall",
                                       "Show Rainfall information\nShow Rainfall", "", 0};
constexpr float kHighestRainfall = 250.0f;  // cm/yr
} // namespace

Shader_rainfall::Shader_rainfall() : TexShader(kDescriptor) {}

uint32_t Shader_rainfall::Shade(const ShadeSample* sample) const {
    const ClimateParms* climate = Climate();
    const uint32_t color = climate != nullptr ? climate->RainfallColor(sample->rainfall) : 0;
    return shading::MixedAndLit(color, *sample, SeaOpacity());
}

void Shader_rainfall::ShadeMany(const ShadeSample* samples, int count, uint32_t* colours) const {
    const ClimateParms* climate = Climate();
    shading::MixedAndLitColors(samples, count, SeaOpacity(), colours, [climate](const ShadeSample& s) {
        return climate != nullptr ? climate->RainfallColor(s.rainfall) : 0u;
    });
}

uint32_t Shader_rainfall::ValueToColor(float rainfall) const {
    const ClimateParms* climate = Climate();
    return climate != nullptr ? climate->RainfallColor(rainfall) : 0;
}

void Shader_rainfall::GetRange(float* low, float* high) const {
    *low = 0.0f;
    *high = kHighestRainfall;
}

void Shader_rainfall::GetUnits(std::string& units) const {
    units = IsMetric() ? "cm/yr" : "in/yr";
}

float Shader_rainfall::ToDisplayUnits(float rainfall) const {
    return IsMetric() ? rainfall : rainfall * static_cast<float>(kInchesPerCm);
}

} // namespace kv
