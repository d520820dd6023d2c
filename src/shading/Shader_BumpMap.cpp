#include "shading/ShaderMath.h"
#include "shading/Shaders.h"
#include "base/color/LightParms.h"

namespace kv {

namespace {
constexpr ShaderDescriptor kDescriptor{kShaderBumpMap, 0, "&Bump Map", "Show Bump Map\nShow Bump Map", "", 0};
} // namespace

Shader_BumpMap::Shader_BumpMap() : AltitudeMeasureShader(kDescriptor) {}

uint32_t Shader_BumpMap::Shade(const ShadeSample* sample) const {
        float v = sample->altitude;
    if (sample->waterLevel > sample->altitude && SeaOpacity() >= shading::kOpaqueSea) {
        v = sample->waterLevel;
    }
    // Single precision throughout: at the default maximum altitude the quotient rounds to
    // exactly 1 and the grey is 255.
    v = v / (sample->maxAltitude + 0.0001f);
    if (!(v > 0.0f)) {
        v = 0.0f;
    } else if (v > 1.0f) {
        v = 1.0f;
    }
    const int grey = static_cast<int>(255.0f * v);
    return shading::Rgb(grey, grey, grey);
}

} // namespace kv
