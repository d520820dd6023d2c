// The lighting steps that the shaders share.
//
// All arithmetic is single precision, as the sample is: the truncations to bytes depend on it.
#pragma once

#include <cmath>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
inline const float* ChosenNormal(const ShadeSample& s, double seaOpacity) {
    const bool seaSurface = s.waterLevel > s.altitude && seaOpacity >= kOpaqueSea;
    return seaSurface ? s.seaNormal : s.landNormal;
}
inline Vec3 ChooseNormal(const ShadeSample& s, double seaOpacity) { return ToVec(ChosenNormal(s, seaOpacity)); }

// Step 2: a unit vector. A zero vector stays zero (it then faces no light at all).
inline Vec3 Normalise(Vec3 n) {
    const float length2 = n.x * n.x + n.y * n.y + n.z * n.z;
    if (!(length2 > 0.0f)) {
        return {0.0f, 0.0f, 0.0f};
    }
    const float inv = 1.0f / std::sqrt(length2);
    return {n.x * inv, n.y * inv, n.z * inv};
}

// Step 3 in parts: the normal's facing toward the light (0 facing away), its power by the
// gamma, and L in 0..1 from that power.
inline float LightFacing(Vec3 n, const ShadeSample& s) {
    const float d = n.x * s.lightVector[0] + n.y * s.lightVector[1] + n.z * s.lightVector[2];
    return d > 0.0f ? d : 0.0f;
}
inline float LightFromPower(float e, const ShadeSample& s) {
    float light = s.ambient + e;
    if (!(light > 0.0f)) {
        light = 0.0f;
    } else if (light > 1.0f) {
        light = 1.0f;
    }
    return light;
}

// Step 3: the light factor L in 0..1 for a unit normal.
inline float LightFactor(Vec3 n, const ShadeSample& s) {
    if (s.ambient >= kFullAmbient) {
        return 1.0f;
    }
    return LightFromPower(std::pow(LightFacing(n, s), s.gamma), s);
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

// The points a shader's ShadeMany takes at a time.
constexpr int kShadeChunk = 32;

#if defined(__SSE2__)
// The x, y and z of four samples' vectors (landNormal, seaNormal or lightVector), a lane per
// sample. Each vector is read as four floats, the fourth dropped: it lies inside the sample.
inline void VectorLanes(const float* a, const float* b, const float* c, const float* d, __m128& x, __m128& y,
                        __m128& z) {
    __m128 r0 = _mm_loadu_ps(a), r1 = _mm_loadu_ps(b), r2 = _mm_loadu_ps(c), r3 = _mm_loadu_ps(d);
    _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
    x = r0;
    y = r1;
    z = r2;
}
#endif

// LightFactor(Normalise(normal), s[i]) of n samples, normalOf(i) giving the normal (a sample's
// landNormal or seaNormal), each part over all of them before the next (the points do not
// depend on each other, so the processor overlaps them); the same values.
template <class NormalOf>
inline void LightFactors(const ShadeSample* s, int n, NormalOf&& normalOf, float* light) {
    int i = 0;
#if defined(__SSE2__)
    // Normalise and LightFacing four samples at a time: the same products, sums, root and
    // quotient in each lane (a zero or NaN length gives a zero normal, a facing that is not
    // above zero gives 0).
    const __m128 zero = _mm_setzero_ps(), one = _mm_set1_ps(1.0f);
    for (; i + 4 <= n; i += 4) {
        __m128 x, y, z, lx, ly, lz;
        VectorLanes(normalOf(i), normalOf(i + 1), normalOf(i + 2), normalOf(i + 3), x, y, z);
        VectorLanes(s[i].lightVector, s[i + 1].lightVector, s[i + 2].lightVector, s[i + 3].lightVector, lx, ly, lz);
        const __m128 length2 = _mm_add_ps(_mm_add_ps(_mm_mul_ps(x, x), _mm_mul_ps(y, y)), _mm_mul_ps(z, z));
        const __m128 usable = _mm_cmpgt_ps(length2, zero);
        const __m128 inv = _mm_div_ps(one, _mm_sqrt_ps(length2));
        x = _mm_and_ps(_mm_mul_ps(x, inv), usable);
        y = _mm_and_ps(_mm_mul_ps(y, inv), usable);
        z = _mm_and_ps(_mm_mul_ps(z, inv), usable);
        const __m128 d = _mm_add_ps(_mm_add_ps(_mm_mul_ps(x, lx), _mm_mul_ps(y, ly)), _mm_mul_ps(z, lz));
        _mm_storeu_ps(light + i, _mm_and_ps(d, _mm_cmpgt_ps(d, zero)));
    }
#endif
    for (; i < n; ++i) {
        light[i] = LightFacing(Normalise(ToVec(normalOf(i))), s[i]);
    }
    for (int i = 0; i < n; ++i) {
        light[i] = std::pow(light[i], s[i].gamma);
    }
    for (int i = 0; i < n; ++i) {
        light[i] = s[i].ambient >= kFullAmbient ? 1.0f : LightFromPower(light[i], s[i]);
    }
}

// LitColor of n colours, each by its light (LightFactors' values, inside 0..1, so every
// channel's product stays a byte).
inline void LitColorsByLight(const uint32_t* colour, const float* light, int n, uint32_t* lit) {
    int i = 0;
#if defined(__SSE2__)
    // Four colours at a time, a point's channels in one set of lanes: the same products of
    // the channels by the light, cut toward zero.
    const __m128i zero = _mm_setzero_si128();
    const __m128i rgb = _mm_set1_epi32(0xFFFFFF);
    auto channels = [](__m128i words, __m128 byLight) {
        return _mm_cvttps_epi32(_mm_mul_ps(_mm_cvtepi32_ps(words), byLight));
    };
    for (; i + 4 <= n; i += 4) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(colour + i));
        const __m128i low = _mm_unpacklo_epi8(bytes, zero), high = _mm_unpackhi_epi8(bytes, zero);
        const __m128 l = _mm_loadu_ps(light + i);
        const __m128i p0 = channels(_mm_unpacklo_epi16(low, zero), _mm_shuffle_ps(l, l, 0x00));
        const __m128i p1 = channels(_mm_unpackhi_epi16(low, zero), _mm_shuffle_ps(l, l, 0x55));
        const __m128i p2 = channels(_mm_unpacklo_epi16(high, zero), _mm_shuffle_ps(l, l, 0xAA));
        const __m128i p3 = channels(_mm_unpackhi_epi16(high, zero), _mm_shuffle_ps(l, l, 0xFF));
        const __m128i packed = _mm_packus_epi16(_mm_packs_epi32(p0, p1), _mm_packs_epi32(p2, p3));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(lit + i), _mm_and_si128(packed, rgb));
    }
#endif
    for (; i < n; ++i) {
        lit[i] = LitColor(colour[i], light[i]);
    }
}

// Step 5 with steps 1-3: the shader's colour mixed with the altitude colour, then lit.
inline uint32_t MixedAndLit(uint32_t color, const ShadeSample& s, double seaOpacity) {
    return LitColor(MixColor(color, s.altitudeColor, s.altitudeColorWeight), StandardLight(s, seaOpacity));
}

// ShadeMany of a shader that lights a colour of its own with the usual normal:
// colours[i] = LitColor(colorOf(samples[i]), StandardLight(samples[i], seaOpacity)).
template <class ColorOf>
inline void LitColors(const ShadeSample* samples, int count, double seaOpacity, uint32_t* colours, ColorOf&& colorOf) {
    float light[kShadeChunk];
    uint32_t colour[kShadeChunk];
    for (int first = 0; first < count; first += kShadeChunk) {
        const int n = count - first < kShadeChunk ? count - first : kShadeChunk;
        const ShadeSample* s = samples + first;
        LightFactors(s, n, [&](int i) { return ChosenNormal(s[i], seaOpacity); }, light);
        for (int i = 0; i < n; ++i) {
            colour[i] = colorOf(s[i]);
        }
        LitColorsByLight(colour, light, n, colours + first);
    }
}

// The same for a shader that mixes its colour with the altitude colour (MixedAndLit).
template <class ColorOf>
inline void MixedAndLitColors(const ShadeSample* samples, int count, double seaOpacity, uint32_t* colours,
                              ColorOf&& colorOf) {
    LitColors(samples, count, seaOpacity, colours, [&](const ShadeSample& s) {
        return MixColor(colorOf(s), s.altitudeColor, s.altitudeColorWeight);
    });
}

} // namespace kv::shading
