// Creator functions of the eighteen projections that ship with the program, and the
// table the registry registers them from.
#pragma once

#include "projection/MapProject.h"

#include <span>

namespace kv {

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

// The creators in registration order (ids 1-15, 18-20).
std::span<const ProjectionCreator> BuiltinProjectionCreators();

} // namespace kv
