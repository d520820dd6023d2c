#include "shading/ShaderMath.h"
#include "shading/ShaderWorld.h"
#include "shading/Shaders.h"
#include "base/color/ClimateParms.h"
#include "base/DisplayUnits.h"
#include "base/color/LightParms.h"

namespace kv {

namespace {
constexpr ShaderDescriptor kDescriptor{kShaderTemperature, 0, "&Temperature",
                                       "Show Temperature information\nShow Temperature", "", 0};
// The legend spans -40 C .. +65 C.
constexpr float kLowestKelvin = 233.15f;
constexpr float kHighestKelvin = 338.15f;
} // namespace

Shader_temperature::Shader_temperature() : TexShader(kDescriptor) {}

uint32_t Shader_temperature::Shade(const ShadeSample* sample) const {
    const ClimateParms* climate = Climate();
    const uint32_t color = climate != nullptr ? climate->TemperatureColor(sample->temperature) : 0;
    return shading::MixedAndLit(color, *sample, SeaOpacity());
}

void Shader_temperature::ShadeMany(const ShadeSample* samples, int count, uint32_t* colours) const {
    const ClimateParms* climate = Climate();
    shading::MixedAndLitColors(samples, count, SeaOpacity(), colours, [climate](const ShadeSample& s) {
        return climate != nullptr ? climate->TemperatureColor(s.temperature) : 0u;
    });
}

uint32_t Shader_temperature::ValueToColor(float kelvin) const {
    const ClimateParms* climate = Climate();
    return climate != nullptr ? climate->TemperatureColor(kelvin) : 0;
}

void Shader_temperature::GetRange(float* low, float* high) const {
    *low = kLowestKelvin;
    *high = kHighestKelvin;
}

void Shader_temperature::GetUnits(std::string& units) const {
    units.assign(1, IsMetric() ? 'C' : 'F');
}

float Shader_temperature::ToDisplayUnits(float kelvin) const {
    const float celsius = kelvin - 273.15f;
    return IsMetric() ? celsius : celsius * 1.8f + 32.0f;
}

} // namespace kv
