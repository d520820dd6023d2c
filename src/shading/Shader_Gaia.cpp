#include <algorithm>
#include <cmath>
#include <numbers>

#include "shading/ShaderMath.h"
#include "shading/ShaderWorld.h"
#include "shading/Shaders.h"
#include "base/color/LightParms.h"

namespace kv {

namespace {
constexpr ShaderDescriptor kDescriptor{kShaderGaia, 0, "&Gaia", "Show Gaia Shading\nShow Gaia", "", 0};

// Where the noise field sits relative to the world's own origin, and how large it is.
constexpr double kNoiseOriginFactor[3] = {0.24, 0.47, 1.42};
constexpr double kNoiseScale = 7.0;
// Above this polar index the point is ice.
constexpr double kIceIndex = 0.85;
constexpr double kPolarIndexScale = 1.2;
constexpr double kPolarLandShift = 0.8;
constexpr uint32_t kIceColor = 0xFFFFFF;

// Land stops as red, green, blue fractions of full intensity.
constexpr double kLandStops[9][3] = {
    {0.75, 0.65, 0.2}, {0.5, 0.39, 0.2},  {0.5, 0.39, 0.2},   {0.2, 0.3, 0.0},  {0.085, 0.2, 0.04},
    {0.065, 0.22, 0.04}, {0.5, 0.42, 0.28}, {0.6, 0.6, 0.63}, {1.0, 1.0, 1.0},
};
constexpr int kSeaStops[3][3] = {{25, 51, 127}, {25, 51, 127}, {25, 78, 127}};

int FractionToByte(double f) { return static_cast<int>(255.0 * f); }

double Clamp01(double t) {
    if (!(t > 0.0)) {
        return 0.0;
    }
    return t > 1.0 ? 1.0 : t;
}

// num / den; with a zero denominator the position at the end that the point lies on.
double RatioOrNearerEnd(double num, double den) {
    if (den != 0.0) {
        return num / den;
    }
    return num > 0.0 ? 1.0 : 0.0;
}
} // namespace

Shader_Gaia::Shader_Gaia() : AltitudeMeasureShader(kDescriptor) {}

int Shader_Gaia::Init(ShaderWorld* world, LightParms* light) {
    TexShader::Init(world, light);
    const double s = world != nullptr ? world->GetBasisOriginX() : 0.0;
    m_noise.SetUnitBasis(kNoiseOriginFactor[0] * s, kNoiseOriginFactor[1] * s, kNoiseOriginFactor[2] * s, kNoiseScale);
    m_noise.Bind();

    m_landColors.ResetDefaults();
    for (const auto& stop : kLandStops) {
        m_landColors.Add(shading::Rgb(FractionToByte(stop[0]), FractionToByte(stop[1]), FractionToByte(stop[2])));
    }
    m_seaColors.ResetDefaults();
    for (const auto& stop : kSeaStops) {
        m_seaColors.Add(shading::Rgb(stop[0], stop[1], stop[2]));
    }
    return 0;
}

uint32_t Shader_Gaia::ColorAt(const ShadeSample& sample, bool& seaSurface) const {
    const double altitude = sample.altitude;
    const double seaLevel = sample.waterLevel;

    // Under a see-through sea the surface of the water is lit; under an opaque one the floor.
    seaSurface = seaLevel >= altitude && SeaOpacity() < shading::kOpaqueSea;

    const double n = m_noise.Evaluate(sample.latitude, sample.longitude) * m_noiseAmplitude;
    const double polar = (n + 1.0 - std::cos(sample.latitude * (std::numbers::pi / 180.0))) * kPolarIndexScale;

    uint32_t color;
    if (polar > kIceIndex) {
        color = kIceColor;
        seaSurface = true;
    } else if (seaLevel >= altitude) {
        const double seaLowest = m_light != nullptr ? m_light->seaLowest : -1.0;
        const double t = n + 1.0 - RatioOrNearerEnd(seaLevel - altitude, seaLevel - seaLowest);
        color = m_seaColors.Interpolate(Clamp01(t));
    } else {
        const double low = m_light != nullptr ? m_light->landLow : 0.0;
        const double high = m_light != nullptr ? m_light->landHigh : 1.0;
        const double t = RatioOrNearerEnd(altitude - low, high - low) + kPolarLandShift * polar;
        color = m_landColors.Interpolate(Clamp01(t));
    }
    return color;
}

uint32_t Shader_Gaia::Shade(const ShadeSample* sample) const {
    bool seaSurface = false;
    const uint32_t color = ColorAt(*sample, seaSurface);
    const shading::Vec3 normal = shading::Normalise(shading::ToVec(seaSurface ? sample->seaNormal : sample->landNormal));
    return shading::LitColor(color, shading::LightFactor(normal, *sample));
}

void Shader_Gaia::ShadeMany(const ShadeSample* samples, int count, uint32_t* colours) const {
    uint32_t color[shading::kShadeChunk];
    bool seaSurface[shading::kShadeChunk];
    float light[shading::kShadeChunk];
    for (int first = 0; first < count; first += shading::kShadeChunk) {
        const int n = std::min(count - first, shading::kShadeChunk);
        const ShadeSample* s = samples + first;
        for (int i = 0; i < n; ++i) {
            color[i] = ColorAt(s[i], seaSurface[i]);
        }
        shading::LightFactors(
            s, n, [&](int i) { return seaSurface[i] ? s[i].seaNormal : s[i].landNormal; }, light);
        shading::LitColorsByLight(color, light, n, colours + first);
    }
}

} // namespace kv
