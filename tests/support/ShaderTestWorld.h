// A world for shader tests: a fixed altitude range, a settable raw colour and basis origin,
// and the default climate model.
#pragma once

#include "shading/ShadeSample.h"
#include "shading/ShaderWorld.h"
#include "base/color/ClimateParms.h"
#include "base/color/LightParms.h"

namespace kv {

class TestWorld : public ShaderWorld {
public:
    void GetAltitudeRange(float& minAltitude, float& maxAltitude) const override {
        minAltitude = minAlt;
        maxAltitude = maxAlt;
    }
    int SampleImportedSurface(double latitude, double longitude) const override {
        lastLatitude = latitude;
        lastLongitude = longitude;
        return rawColor;
    }
    const ClimateParms* GetClimateParms() const override { return &climate; }
    double GetBasisOriginX() const override { return originX; }

    float minAlt = -9144.0f;
    float maxAlt = 9144.0f;
    int rawColor = static_cast<int>(kv::kNoRawData);
    double originX = -10.0;
    ClimateParms climate;
    mutable double lastLatitude = 0;
    mutable double lastLongitude = 0;
};

// A sample as the sampler fills it for an unlit render: normals and light all (0, 0, 1).
inline ShadeSample UnlitSample() {
    ShadeSample s;
    s.ambient = 0.25f;
    s.gamma = 2.0f / 3.0f;
    s.altitudeColorWeight = 16.0f / 255.0f;
    s.minAltitude = -9144.0f;
    s.maxAltitude = 9144.0f;
    return s;
}

inline void SetVec(float v[3], float x, float y, float z) {
    v[0] = x;
    v[1] = y;
    v[2] = z;
}

} // namespace kv
