// The two noise sources carried by the program itself: id 0 "Ridged Multifractal" and
// id 1 "Brownian Noise". Each offers the five operations of the source interface.
#pragma once

#include "base/noise/TexRecords.h"

namespace kv {

constexpr int kRidgedMultifractalId = 0;
constexpr int kBrownianNoiseId = 1;

struct BuiltinSourceOps {
    TexGetInfoFn getInfo;
    TexCreateFn create;
    TexDestroyFn destroy;
    TexEvalFn evaluate;
    TexDefaultFn defaults;
};

const BuiltinSourceOps& RidgedMultifractalSource();
const BuiltinSourceOps& BrownianNoiseSource();

// The parameter block a new world surface starts with (and the private noise surfaces
// that repeat it): H 1, lacunarity 2, 13 octaves, seed 12345, every octave, the default extras.
TexParms DefaultSurfaceParms();

} // namespace kv
