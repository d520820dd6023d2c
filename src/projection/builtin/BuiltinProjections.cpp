#include "projection/builtin/BuiltinProjections.h"

#include <array>

namespace kv {

std::span<const ProjectionCreator> BuiltinProjectionCreators()
{
    static const std::array<ProjectionCreator, 18> kCreators = {
        CreateMapAzimuthalEquidistant,
        CreateMapEquirectangular,
        CreateMapGnomonic,
        CreateMapHammer,
        CreateMapLambertAzimuthalEqualArea,
        CreateMapMercator,
        CreateMapMillerCylindrical,
        CreateMapMollweide,
        CreateMapOrthographic,
        CreateMapSinusoidal,
        CreateMapStereographic,
        CreateMapVanDerGrinten,
        CreateMapWagnerIV,
        CreateMapPointy,
        CreateMapWagnerVII,
        CreateMapAlbersEqualAreaConic,
        CreateMapEquidistantConic,
        CreateMapLambertConformalConic,
    };
    return kCreators;
}

} // namespace kv
