// The shader interface: turns one ShadeSample into a colour and answers the legend questions.
//
// Shade is called from render threads and from the user-interface thread at the same time:
// it reads only the sample it is given and the shader's own state, which does not change
// while a render runs (the image of the image-climate shader is swapped safely, see there).
#pragma once

#include <cstdint>
#include <string>

#include "shading/ShadeSample.h"
#include "shading/ShaderDescriptor.h"

namespace kv {

class ClimateParms;
class LightParms;
class ShaderWorld;

class TexShader {
public:
    explicit TexShader(const ShaderDescriptor& descriptor) : m_descriptor(descriptor) {}
    // The registry frees its shaders through this base.
    virtual ~TexShader() = default;
    TexShader(const TexShader&) = delete;
    TexShader& operator=(const TexShader&) = delete;

    // Keeps both pointers (not owned) for the life of the shader. Returns 0.
    virtual int Init(ShaderWorld* world, LightParms* light);
    // Called just before the registry frees the shader. Returns 0.
    virtual int Release() { return 0; }
    // The colour of one point, 0x00BBGGRR.
    virtual uint32_t Shade(const ShadeSample* sample) const = 0;
    // The colour of a value in the shader's own measure (legend, colour key).
    virtual uint32_t ValueToColor(float value) const = 0;
    // The range of values that the legend spans.
    virtual void GetRange(float* low, float* high) const = 0;
    // The unit text of the displayed value, by the display-unit setting.
    virtual void GetUnits(std::string& units) const = 0;
    // A value converted to the unit that GetUnits names.
    virtual float ToDisplayUnits(float value) const = 0;
    // Spare entries kept for callers that probe them; they do nothing.
    virtual int Hook7(intptr_t) { return 0; }
    // Copies the descriptor when size is exactly the descriptor's size; false otherwise.
    virtual bool GetDescriptor(void* buffer, int size) const;
    virtual bool Hook9(intptr_t, intptr_t) { return true; }
    virtual bool Hook10(intptr_t, intptr_t) { return true; }
    // Which inputs the shader needs (kShaderFlagsWaterLevel or kShaderFlagsClimate).
    virtual int GetFlags() const = 0;
    // The colours of `count` points, each what Shade gives it (a render hands its points
    // over in groups).
    virtual void ShadeMany(const ShadeSample* samples, int count, uint32_t* colours) const;

    const ShaderDescriptor& Descriptor() const { return m_descriptor; }
    ShaderWorld* World() const { return m_world; }
    LightParms* Light() const { return m_light; }

protected:
    // The world's climate model, or null without a world.
    const ClimateParms* Climate() const;
    // The lighting's sea opacity (0 without lighting).
    double SeaOpacity() const;

    ShaderWorld* m_world = nullptr;
    LightParms* m_light = nullptr;

private:
    const ShaderDescriptor& m_descriptor;
};

} // namespace kv
