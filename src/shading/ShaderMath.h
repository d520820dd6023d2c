// The lighting steps that the shaders share.
//
// All arithmetic is single precision, as the sample is: the truncations to bytes depend on it.
#pragma once

#include <cmath>
#include <cstdint>

#include "shading/ShadeSample.h"

namespace kv::shading {

// From this ambient up a point is drawn unshaded (L = 1 whatever the normal).
constexpr float kFullAmbient = 254.0f / 255.0f;
// From this sea opacity up the sea surface, not the sea floor, is lit.
constexpr double kOpaqueSea = 0.5;

struct Vec3 {
    float x, y, z;
};

inline Vec3 ToVec(const float v[3]) { return {v[0], v[1], v[2]}; }

// Step 1: the sea-surface normal where the point is under water and the sea is drawn opaque,
// otherwise the land normal.
inline Vec3 ChooseNormal(const ShadeSample& s, double seaOpacity) {
    const bool seaSurface = s.waterLevel > s.altitude && seaOpacity >= kOpaqueSea;
    return ToVec(seaSurface ? s.seaNormal : s.landNormal);
}

// Step 2: a unit vector. A zero vector stays zero (it then faces no light at all).
inline Vec3 Normalise(Vec3 n) {
    const float length2 = n.x * n.x + n.y * n.y + n.z * n.z;
    if (!(length2 > 0.0f)) {
        return {0.0f, 0.0f, 0.0f};
    }
    const float inv = 1.0f / std::sqrt(length2);
    return {n.x * inv, n.y * inv, n.z * inv};
}

// Step 3: the light factor L in 0..1 for a unit normal.
inline float LightFactor(Vec3 n, const ShadeSample& s) {
    if (s.ambient >= kFullAmbient) {
        return 1.0f;
    }
    const float d = n.x * s.lightVector[0] + n.y * s.lightVector[1] + n.z * s.lightVector[2];
    const float e = std::pow(d > 0.0f ? d : 0.0f, s.gamma);
    float light = s.ambient + e;
    if (!(light > 0.0f)) {
        light = 0.0f;
    } else if (light > 1.0f) {
        light = 1.0f;
    }
    return light;
}

inline int Red(uint32_t c) { return static_cast<int>(c & 0xFF); }
inline int Green(uint32_t c) { return static_cast<int>((c >> 8) & 0xFF); }
inline int Blue(uint32_t c) { return static_cast<int>((c >> 16) & 0xFF); }
inline uint32_t Rgb(int r, int g, int b) {
    return static_cast<uint32_t>(r) | (static_cast<uint32_t>(g) << 8) | (static_cast<uint32_t>(b) << 16);
}

// Step 4: each byte times L, truncated toward zero.
inline uint32_t LitColor(uint32_t color, float light) {
    return Rgb(static_cast<int>(static_cast<float>(Red(color)) * light),
               static_cast<int>(static_cast<float>(Green(color)) * light),
               static_cast<int>(static_cast<float>(Blue(color)) * light));
}

// Step 5 without the light: each channel trunc(C (1 - w) + A w).
inline uint32_t MixColor(uint32_t color, uint32_t altitudeColor, float weight) {
    const float keep = 1.0f - weight;
    auto mix = [&](int c, int a) {
        return static_cast<int>(static_cast<float>(c) * keep + static_cast<float>(a) * weight);
    };
    return Rgb(mix(Red(color), Red(altitudeColor)), mix(Green(color), Green(altitudeColor)),
               mix(Blue(color), Blue(altitudeColor)));
}

// Steps 1-3 with the usual normal choice.
inline float StandardLight(const ShadeSample& s, double seaOpacity) {
    return LightFactor(Normalise(ChooseNormal(s, seaOpacity)), s);
}

// Step 5 with steps 1-3: the shader's colour mixed with the altitude colour, then lit.
inline uint32_t MixedAndLit(uint32_t color, const ShadeSample& s, double seaOpacity) {
    return LitColor(MixColor(color, s.altitudeColor, s.altitudeColorWeight), StandardLight(s, seaOpacity));
}

} // namespace kv::shading
