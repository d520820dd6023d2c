#include "shading/Shaders.h"

namespace kv {

namespace {
constexpr ShaderDescriptor kDescriptor{kShaderClimate, 0, "&Climate",
                                       "Show Climate information\nShow Climate", "", 0};
} // namespace

Shader_climate::Shader_climate() : ClimateMeasureShader(kDescriptor) {}

} // namespace kv
