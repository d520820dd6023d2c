#include "projection/builtin/BuiltinProjections.h"

#include <array>

namespace kv {

std::span<const BuiltinProjection> BuiltinProjections()
{
    static constexpr std::array<BuiltinProjection, 18> kTable = {{
        {kMapAzimuthalEquidistant, CreateMapAzimuthalEquidistant, "aeqd", true},
        {kMapEquirectangular, CreateMapEquirectangular, "eqc", true},
        {kMapGnomonic, CreateMapGnomonic, "gnom", true},
        {kMapHammer, CreateMapHammer, "hammer", true},
        {kMapLambertAzimuthalEqualArea, CreateMapLambertAzimuthalEqualArea, "laea", true},
        {kMapMercator, CreateMapMercator, "merc", true},
        {kMapMillerCylindrical, CreateMapMillerCylindrical, "mill", true},
        {kMapMollweide, CreateMapMollweide, "moll", true},
        {kMapOrthographic, CreateMapOrthographic, "ortho", true},
        {kMapSinusoidal, CreateMapSinusoidal, "sinu", true},
        {kMapStereographic, CreateMapStereographic, "stere", true},
        {kMapVanDerGrinten, CreateMapVanDerGrinten, "vandg", true},
        {kMapWagnerIV, CreateMapWagnerIV, "wag4", true},
        {kMapPointy, CreateMapPointy, nullptr, false},
        {kMapWagnerVII, CreateMapWagnerVII, "wag7", false},
        {kMapAlbersEqualAreaConic, CreateMapAlbersEqualAreaConic, "aea", true},
        {kMapEquidistantConic, CreateMapEquidistantConic, "eqdc", true},
        {kMapLambertConformalConic, CreateMapLambertConformalConic, "lcc", true},
    }};
    return kTable;
}

const BuiltinProjection* FindBuiltinProjection(int id)
{
    for (const BuiltinProjection& p : BuiltinProjections())
        if (p.id == id)
            return &p;
    return nullptr;
}

} // namespace kv
