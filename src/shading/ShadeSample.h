// The per-point record that the surface sampler fills and a shader reads.
//
// Every field is 4 bytes wide, in a fixed order (92 bytes). Colours are packed 0x00BBGGRR.
// A shader reads only the sample it is given, so the sea level of a point travels here
// (waterLevel) rather than in the shared lighting parameters.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kv {

struct ShadeSample {
    float latitude = 0;       // degrees
    float longitude = 0;      // degrees
    float altitude = 0;       // metres
    float waterLevel = 0;     // metres: the water level of the point (channel 4, bilinear)
    float rainfall = 0;       // cm/yr
    float temperature = 0;    // Kelvin
    float climateCode = 0;    // 0..16
    uint32_t altitudeColor = 0;      // LightParms::AltitudeColor of the altitude at this water level
    float altitudeColorWeight = 0;   // how much of altitudeColor the climate shaders mix in
    float minAltitude = 0;    // of the world
    float maxAltitude = 0;    // of the world
    float ambient = 0;        // LightParms ambient
    float gamma = 0;          // LightParms exponent of the diffuse term
    float landNormal[3] = {0, 0, 1};   // with relief, not normalised
    float seaNormal[3] = {0, 0, 1};    // with all relief set to zero
    float lightVector[3] = {0, 0, 1};  // unit vector from the light azimuth and elevation
    int32_t flags = 0;        // the shader's flag word
};

static_assert(sizeof(ShadeSample) == 92);
static_assert(offsetof(ShadeSample, altitudeColor) == 28);
static_assert(offsetof(ShadeSample, altitudeColorWeight) == 32);
static_assert(offsetof(ShadeSample, gamma) == 48);
static_assert(offsetof(ShadeSample, landNormal) == 52);
static_assert(offsetof(ShadeSample, seaNormal) == 64);
static_assert(offsetof(ShadeSample, lightVector) == 76);
static_assert(offsetof(ShadeSample, flags) == 88);

// Flag-word bits that the sampler reads: the water level of the point, or the full climate
// (temperature, rainfall, climate code and water level).
constexpr int kShaderWantsWaterLevel = 0x8;
constexpr int kShaderWantsClimate = 0x70;
// The two flag words the shaders answer.
constexpr int kShaderFlagsWaterLevel = 0x7F8F;
constexpr int kShaderFlagsClimate = 0x7FFF;

// The weight of the altitude colour that the sampler hands to every shader (16/255).
constexpr float kAltitudeColorWeight = 16.0f / 255.0f;

} // namespace kv
