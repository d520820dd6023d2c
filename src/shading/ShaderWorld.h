// What the shaders read of a world.
//
// The shaders sit below the world surface in the build, so they see it through this small
// interface. The world surface implements it; tests supply their own worlds. A shader reads
// only constant state through it while a render runs.
#pragma once

#include <cstdint>

namespace kv {

class ClimateParms;

// The raw-data colour of a world without a raw colour surface; drawn as black.
constexpr uint32_t kNoRawData = 0x80000000u;

class ShaderWorld {
public:
    virtual ~ShaderWorld() = default;
    // The world's lowest and highest altitude in metres.
    virtual void GetAltitudeRange(float& minAltitude, float& maxAltitude) const = 0;
    // The colour of imported data surface 2 at the point, or kNoRawData (as an int) when
    // the world does not take its raw data from that surface.
    virtual int SampleImportedSurface(double latitude, double longitude) const = 0;
    // The world's climate model and colour lists (never null for a real world).
    virtual const ClimateParms* GetClimateParms() const = 0;
    // The x coordinate of the origin of the world's fractal basis (its first "Position" value).
    virtual double GetBasisOriginX() const = 0;
};

} // namespace kv
