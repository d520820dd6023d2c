// The shader ids: the small integer a view holds to choose its shader.
#pragma once

namespace kv {

enum ShaderId : int {
    kShaderRaw = 0,
    kShaderAltitude = 1,
    kShaderClimate = 2,
    kShaderTemperature = 3,
    kShaderRainfall = 4,
    kShaderGaia = 8,
    kShaderImgClimate = 9,
    kShaderNormalMap = 10,
    kShaderBumpMap = 11,
    kShaderTexClimate = 12,
};

constexpr int kShaderSlots = 256;

} // namespace kv
