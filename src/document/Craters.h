// Impact craters stamped into the land offset channel.
//
// A crater's shape comes from an empirical profile of bowl depth, rim, ejecta and central
// peak as functions of its diameter in kilometres. Drawing takes the crater's extent: the
// radius in degrees of arc of the disc it affects, twice its diameter.
#pragma once

#include "base/grid/Grid2D.h"

#include <cstdint>
#include <vector>

namespace kv {

class SurfMap;
class SurfaceSampler;

// Height in km at distance r (km) from the centre of a crater of diameter D (km).
double CraterProfile(double r, double D);

// Extent (degrees of arc) of a crater of diameter D km on a planet of the given
// circumference, and back.
double CraterExtentFromDiameter(double diameterKm, double circumferenceKm);
double CraterDiameterFromExtent(double extentDegrees, double circumferenceKm);

// Stamps one crater after another into a world's land offset channel. The marks grid is
// kept between craters and cleared only where a crater marked it.
class CraterStamper {
public:
    static constexpr int kProfileEntries = 2048;
    static constexpr int kMaxRingPoints = 5000;
    static constexpr double kMaxExtent = 180.0;

    // `sampler` gives the raw basis inside the crater (null: 0).
    CraterStamper(SurfMap& world, const SurfaceSampler* sampler);

    // One pass (spherical rings or rings in grid degrees). A non-finite or non-positive
    // extent draws nothing; one above 180 is clamped. With `progress` the pass shows its
    // text (diameter in km, else miles) and polls between rings and rows, but the crater is
    // always drawn whole; 0, -1 when Esc was asked for, -2 without an offset channel or
    // memory.
    int Draw(float latitude, float longitude, float extent, bool spherical, bool progress, bool metric);

    // The ring count and the points of ring k, as the passes use them (for tests).
    static int RingCount(double extent, int gridWidth);
    static int RingPoints(int k, double latitudeRadians, double rhoRadians, bool spherical);

private:
    void Mark(int col, int row, float d);
    void ClearMarks();

    SurfMap& m_world;
    const SurfaceSampler* m_sampler;
    Grid2DPtr m_marks;
    std::vector<int32_t> m_marked; // cells marked by the current crater (index row x W + col)
    float m_table[kProfileEntries];
};

// The remembered settings of Planetary Bombardment (diameters in km).
struct BombardmentSettings {
    double largest = 310.68558;
    double smallest = 6.2137117;
    int count = 250;
    double sizeExponent = 50.0;
    int largestFirst = 1;
    int smoothingInterval = 10000;
    double smoothingAmount = 1.0;

    // The process-wide settings kept between uses.
    static BombardmentSettings& Remembered();
};

// The craters' extents in km (twice the diameters), drawn from the calling thread's
// generator in order; sorted largest first when asked. A count below 0 gives none.
std::vector<float> BombardmentSizes(const BombardmentSettings& settings);

} // namespace kv
