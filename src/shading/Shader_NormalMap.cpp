#include "shading/ShaderMath.h"
#include "shading/Shaders.h"
#include "base/color/LightParms.h"

namespace kv {

namespace {
constexpr ShaderDescriptor kDescriptor{kShaderNormalMap, 0, "&Normal Map", "Show Normal Map\nShow Normal Map", "", 0};

int ToByte(float v) {
    if (!(v > 0.0f)) {
        return 0;
    }
    return v >= 255.0f ? 255 : static_cast<int>(v);
}
} // namespace

Shader_NormalMap::Shader_NormalMap() : AltitudeMeasureShader(kDescriptor) {}

uint32_t Shader_NormalMap::Shade(const ShadeSample* sample) const {
    const shading::Vec3 n = shading::Normalise(shading::ChooseNormal(*sample, SeaOpacity()));
    return shading::Rgb(ToByte((n.x + 1.0f) * 128.0f), ToByte((n.y + 1.0f) * 128.0f), ToByte(128.0f - 128.0f * n.z));
}

} // namespace kv
