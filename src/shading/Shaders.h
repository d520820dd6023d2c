// The ten shaders of the registry, one class per shader id. Each is implemented in its own
// file (Shader_<name>.cpp).
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "shading/ShaderIds.h"
#include "shading/SwapGuard.h"
#include "shading/TexShader.h"
#include "shading/UnitNoiseSurface.h"
#include "base/color/CColorList.h"
#include "base/raster/VideoBuffer.h"

namespace kv {

template <class Shader>
std::unique_ptr<TexShader> CreateShader() {
    return std::make_unique<Shader>();
}

// The measures a shader shows in its legend.
class AltitudeMeasureShader : public TexShader {
public:
    using TexShader::TexShader;
    uint32_t ValueToColor(float value) const override;      // the lighting's altitude colour
    void GetRange(float* low, float* high) const override;  // the world's altitude range
    void GetUnits(std::string& units) const override;       // "m" / "ft"
    float ToDisplayUnits(float value) const override;       // metres or feet
    int GetFlags() const override { return kShaderFlagsWaterLevel; }
};

class ClimateMeasureShader : public TexShader {
public:
    using TexShader::TexShader;
    uint32_t Shade(const ShadeSample* sample) const override;  // climate colour, mixed and lit
    void ShadeMany(const ShadeSample* samples, int count, uint32_t* colours) const override;
    uint32_t ValueToColor(float value) const override;         // climate colour of a class code
    void GetRange(float* low, float* high) const override;     // the climate class range
    void GetUnits(std::string& units) const override;          // empty
    float ToDisplayUnits(float value) const override { return value; }
    int GetFlags() const override { return kShaderFlagsClimate; }
};

// Id 0: the colour of the world's second imported data surface, unlit.
class Shader_raw : public AltitudeMeasureShader {
public:
    Shader_raw();
    uint32_t Shade(const ShadeSample* sample) const override;
    uint32_t ValueToColor(float) const override { return 0; }
    int GetFlags() const override { return kShaderFlagsClimate; }
};

// Id 1: the lighting's altitude colour, lit.
class Shader_altitude : public AltitudeMeasureShader {
public:
    Shader_altitude();
    uint32_t Shade(const ShadeSample* sample) const override;
    void ShadeMany(const ShadeSample* samples, int count, uint32_t* colours) const override;
};

// Id 2: the climate class colour mixed with the altitude colour, lit.
class Shader_climate : public ClimateMeasureShader {
public:
    Shader_climate();
};

// Id 3: the temperature colour mixed with the altitude colour, lit.
class Shader_temperature : public TexShader {
public:
    Shader_temperature();
    uint32_t Shade(const ShadeSample* sample) const override;
    void ShadeMany(const ShadeSample* samples, int count, uint32_t* colours) const override;
    uint32_t ValueToColor(float kelvin) const override;
    void GetRange(float* low, float* high) const override;
    void GetUnits(std::string& units) const override;
    float ToDisplayUnits(float kelvin) const override;
    int GetFlags() const override { return kShaderFlagsClimate; }
};

// Id 4: the rainfall colour mixed with the altitude colour, lit.
class Shader_rainfall : public TexShader {
public:
    Shader_rainfall();
    uint32_t Shade(const ShadeSample* sample) const override;
    void ShadeMany(const ShadeSample* samples, int count, uint32_t* colours) const override;
    uint32_t ValueToColor(float rainfall) const override;
    void GetRange(float* low, float* high) const override;
    void GetUnits(std::string& units) const override;
    float ToDisplayUnits(float rainfall) const override;
    int GetFlags() const override { return kShaderFlagsClimate; }
};

// Id 8: ice caps and vegetation from latitude, altitude and a private noise field.
class Shader_Gaia : public AltitudeMeasureShader {
public:
    Shader_Gaia();
    // Places the noise field by the world's origin, binds its source and rebuilds the lists.
    int Init(ShaderWorld* world, LightParms* light) override;
    uint32_t Shade(const ShadeSample* sample) const override;
    void ShadeMany(const ShadeSample* samples, int count, uint32_t* colours) const override;

    const CColorList& LandColors() const { return m_landColors; }
    const CColorList& SeaColors() const { return m_seaColors; }
    const UnitNoiseSurface& NoiseSurface() const { return m_noise; }
    double NoiseAmplitude() const { return m_noiseAmplitude; }

private:
    // The point's colour before lighting, and whether the sea surface (not the floor) is lit.
    uint32_t ColorAt(const ShadeSample& sample, bool& seaSurface) const;

    CColorList m_landColors;
    CColorList m_seaColors;
    double m_noiseAmplitude = 0.1;
    UnitNoiseSurface m_noise;
};

// Id 9: a picture indexed by temperature (across) and rainfall (down) colours the land.
class Shader_ImgClimate : public ClimateMeasureShader {
public:
    Shader_ImgClimate();
    uint32_t Shade(const ShadeSample* sample) const override;
    void ShadeMany(const ShadeSample* samples, int count, uint32_t* colours) const override;

    // Frees the current image, stores the settings and, when enabled with a path, loads the
    // picture. Safe while other threads shade: the old picture is freed after their reads.
    // Returns 0, or the negative result of a failed load.
    int SetImage(int enabled, const std::string& path);
    void GetImage(int& enabled, std::string& path) const;
    bool IsImageLoaded() const;

private:
    struct ClimateImage {
        VideoBuffer image;
        float widthMinus1 = 0;
        float heightMinus1 = 0;
    };
    // The point's colour before mixing and lighting: from the picture on land (0 without
    // one), the altitude colour under water.
    static uint32_t ColorAt(const ShadeSample& sample, const ClimateImage* image);

    mutable std::mutex m_settingsMutex;  // the enabled flag and the path (user-interface side)
    int m_enabled = 1;
    std::string m_path;
    SwapGuard<ClimateImage> m_image;
};

// Id 10: the unit normal written as a colour.
class Shader_NormalMap : public AltitudeMeasureShader {
public:
    Shader_NormalMap();
    uint32_t Shade(const ShadeSample* sample) const override;
};

// Id 11: the altitude as a grey level, 0 at sea level and below, 255 at the world maximum.
class Shader_BumpMap : public AltitudeMeasureShader {
public:
    Shader_BumpMap();
    uint32_t Shade(const ShadeSample* sample) const override;
};

// Id 12: the climate shading under the name of textured climate.
class Shader_TexClimate : public ClimateMeasureShader {
public:
    Shader_TexClimate();
};

} // namespace kv
