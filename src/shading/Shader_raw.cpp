#include "shading/ShaderWorld.h"
#include "shading/Shaders.h"

namespace kv {

namespace {
constexpr ShaderDescriptor kDescriptor{kShaderRaw, 0, "&Raw Data", "Show Raw Data\nRaw Data", "", 0};
} // namespace

Shader_raw::Shader_raw() : AltitudeMeasureShader(kDescriptor) {}

uint32_t Shader_raw::Shade(const ShadeSample* sample) const {
    if (m_world == nullptr) {
        return kNoRawData;
    }
    return static_cast<uint32_t>(m_world->SampleImportedSurface(sample->latitude, sample->longitude));
}

} // namespace kv
