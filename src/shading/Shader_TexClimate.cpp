#include "shading/Shaders.h"

namespace kv {

namespace {
constexpr ShaderDescriptor kDescriptor{kShaderTexClimate, 0, "&Textured Climate",
                                       "Show Climate information as textures\nShow Textured Climate", "", 0};
} // namespace

Shader_TexClimate::Shader_TexClimate() : ClimateMeasureShader(kDescriptor) {}

} // namespace kv
