// The eighteen projections that ship with the program: their ids, creator functions and
// the one table of them that the registry registers from (and the tests and benchmarks
// walk). Each projection reports its id from the constant here.
#pragma once

#include "projection/MapProject.h"

#include <span>

namespace kv {

// Ids of the built-in projections, as stored in documents and profiles (16 and 17 unused).
enum BuiltinProjectionId : int {
    kMapAzimuthalEquidistant = 1,
    kMapEquirectangular = 2,
    kMapGnomonic = 3,
    kMapHammer = 4,
    kMapLambertAzimuthalEqualArea = 5,
    kMapMercator = 6,
    kMapMillerCylindrical = 7,
    kMapMollweide = 8,
    kMapOrthographic = 9,
    kMapSinusoidal = 10,
    kMapStereographic = 11,
    kMapVanDerGrinten = 12,
    kMapWagnerIV = 13,
    kMapPointy = 14,
    kMapWagnerVII = 15,
    kMapAlbersEqualAreaConic = 18,
    kMapEquidistantConic = 19,
    kMapLambertConformalConic = 20,
};

MapProject* CreateMapAzimuthalEquidistant();
MapProject* CreateMapEquirectangular();
MapProject* CreateMapGnomonic();
MapProject* CreateMapHammer();
MapProject* CreateMapLambertAzimuthalEqualArea();
MapProject* CreateMapMercator();
MapProject* CreateMapMillerCylindrical();
MapProject* CreateMapMollweide();
MapProject* CreateMapOrthographic();
MapProject* CreateMapSinusoidal();
MapProject* CreateMapStereographic();
MapProject* CreateMapVanDerGrinten();
MapProject* CreateMapWagnerIV();
MapProject* CreateMapPointy();
MapProject* CreateMapWagnerVII();
MapProject* CreateMapAlbersEqualAreaConic();
MapProject* CreateMapEquidistantConic();
MapProject* CreateMapLambertConformalConic();

struct BuiltinProjection {
    int id;
    ProjectionCreator create;
    // The PROJ operation with the same formulas on the sphere (what the reference tests and
    // the benchmark run beside ours), null when PROJ has none; and whether it has an inverse.
    const char* projTwin;
    bool projTwinInverts;
};

// The built-ins in registration order (increasing id).
std::span<const BuiltinProjection> BuiltinProjections();

// The entry of an id; null when no built-in has it.
const BuiltinProjection* FindBuiltinProjection(int id);

} // namespace kv
