#include "view/shaders/TexShader.h"

#include <cstring>

namespace kv {

int TexShader::Init(ShaderWorld* world, LightParms* light) {
    m_world = world;
    m_light = light;
    return 0;
}

bool TexShader::GetDescriptor(void* buffer, int size) const {
    if (buffer == nullptr || size != kShaderDescriptorSize) {
        return false;
    }
    std::memcpy(buffer, &m_descriptor, sizeof(ShaderDescriptor));
    return true;
}

} // namespace kv
