#include "shading/ShaderMath.h"
#include "shading/Shaders.h"
#include "base/color/LightParms.h"

namespace kv {

namespace {
constexpr ShaderDescriptor kDescriptor{kShaderImgClimate, 0, "&Image Climate",
                                       "Show Image Climate Shading\nShow Image Climate", "", 0};

// A position clamped into the picture: below 0 gives 0; at or past the last pixel gives the
// one before it, so the bilinear sample always has a right and lower neighbour.
float ClampToImage(float v, float sizeMinus1) {
    if (v < 0.0f) {
        return 0.0f;
    }
    if (v >= sizeMinus1) {
        // A picture one pixel wide has no pixel before the last: use pixel 0.
        return sizeMinus1 >= 1.0f ? sizeMinus1 - 1.0f : 0.0f;
    }
    return v;
}
} // namespace

Shader_ImgClimate::Shader_ImgClimate() : ClimateMeasureShader(kDescriptor) {}

uint32_t Shader_ImgClimate::ColorAt(const ShadeSample& sample, const ClimateImage* image) {
    if (!(sample.altitude > sample.waterLevel)) {
        return sample.altitudeColor;
    }
    if (image == nullptr) {
        return 0;
    }
    // Temperature in degrees Fahrenheit as a fraction of 100 across the picture,
    // rainfall as a fraction of 300 cm/yr down it.
    float x = (sample.temperature - 273.15f + 17.777779f) * 0.018f * image->widthMinus1;
    float y = sample.rainfall * image->heightMinus1 * 0.0033333334f;
    x = ClampToImage(x, image->widthMinus1);
    y = ClampToImage(y, image->heightMinus1);
    return image->image.SampleBilinear(x, y);
}

uint32_t Shader_ImgClimate::Shade(const ShadeSample* sample) const {
    uint32_t color = sample->altitudeColor;
    if (sample->altitude > sample->waterLevel) {
        const auto image = m_image.Read();
        color = ColorAt(*sample, image.get());
    }
    return shading::MixedAndLit(color, *sample, SeaOpacity());
}

void Shader_ImgClimate::ShadeMany(const ShadeSample* samples, int count, uint32_t* colours) const {
    // One read of the picture for the group: a swap waits for it.
    const auto image = m_image.Read();
    const ClimateImage* picture = image.get();
    shading::MixedAndLitColors(samples, count, SeaOpacity(), colours,
                               [picture](const ShadeSample& s) { return ColorAt(s, picture); });
}

int Shader_ImgClimate::SetImage(int enabled, const std::string& path) {
    std::lock_guard<std::mutex> lock(m_settingsMutex);
    m_image.Replace(nullptr);
    m_enabled = enabled != 0 ? 1 : 0;
    m_path = path;
    if (m_enabled == 0 || m_path.empty()) {
        return 0;
    }
    auto loaded = std::make_unique<ClimateImage>();
    const int result = loaded->image.LoadImageFile(m_path);
    if (result < 0) {
        return result;
    }
    loaded->widthMinus1 = static_cast<float>(loaded->image.GetWidth() - 1);
    loaded->heightMinus1 = static_cast<float>(loaded->image.GetHeight() - 1);
    m_image.Replace(std::move(loaded));
    return 0;
}

void Shader_ImgClimate::GetImage(int& enabled, std::string& path) const {
    std::lock_guard<std::mutex> lock(m_settingsMutex);
    enabled = m_enabled;
    path = m_path;
}

bool Shader_ImgClimate::IsImageLoaded() const {
    return static_cast<bool>(m_image.Read());
}

} // namespace kv
