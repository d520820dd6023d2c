#include "shading/TexShader.h"

#include <cstring>

#include "shading/ShaderWorld.h"
#include "base/color/LightParms.h"

namespace kv {

int TexShader::Init(ShaderWorld* world, LightParms* light) {
    m_world = world;
    m_light = light;
    return 0;
}

const ClimateParms* TexShader::Climate() const {
    return m_world != nullptr ? m_world->GetClimateParms() : nullptr;
}

void TexShader::ShadeMany(const ShadeSample* samples, int count, uint32_t* colours) const {
    for (int i = 0; i < count; ++i) {
        colours[i] = Shade(&samples[i]);
    }
}

double TexShader::SeaOpacity() const {
    return m_light != nullptr ? m_light->seaOpacity : 0.0;
}

bool TexShader::GetDescriptor(void* buffer, int size) const {
    if (buffer == nullptr || size != kShaderDescriptorSize) {
        return false;
    }
    std::memcpy(buffer, &m_descriptor, sizeof(ShaderDescriptor));
    return true;
}

} // namespace kv
