// The fixed 588-byte record that describes a shader to menus and prompts.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kv {

struct ShaderDescriptor {
    int32_t id;
    int32_t reserved1;
    char caption[64];   // menu caption
    char prompt[256];   // status-bar text, a line feed, tool-tip text
    char unused[256];   // always empty
    int32_t reserved2;
};

static_assert(sizeof(ShaderDescriptor) == 588);
static_assert(offsetof(ShaderDescriptor, caption) == 8);
static_assert(offsetof(ShaderDescriptor, prompt) == 72);
static_assert(offsetof(ShaderDescriptor, unused) == 328);
static_assert(offsetof(ShaderDescriptor, reserved2) == 584);

constexpr int kShaderDescriptorSize = static_cast<int>(sizeof(ShaderDescriptor));

} // namespace kv
