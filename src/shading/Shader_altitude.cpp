#include "shading/ShaderMath.h"
#include "shading/Shaders.h"
#include "base/color/LightParms.h"

namespace kv {

namespace {
constexpr ShaderDescriptor kDescriptor{kShaderAltitude, 0, "&Altitude",
                                       "Show Altitude information\nShow Altitude", "", 0};
} // namespace

Shader_altitude::Shader_altitude() : AltitudeMeasureShader(kDescriptor) {}

uint32_t Shader_altitude::Shade(const ShadeSample* sample) const {
        return shading::LitColor(sample->altitudeColor, shading::StandardLight(*sample, SeaOpacity()));
}

void Shader_altitude::ShadeMany(const ShadeSample* samples, int count, uint32_t* colours) const {
    shading::LitColors(samples, count, SeaOpacity(), colours, [](const ShadeSample& s) { return s.altitudeColor; });
}

} // namespace kv
