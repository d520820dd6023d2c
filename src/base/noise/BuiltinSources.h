// The two noise sources carried by the program itself: id 0 "Ridged Multifractal" and
// id 1 "Brownian Noise". Each offers the five operations of the source interface.
#pragma once

#include "base/noise/TexRecords.h"

namespace kv {

constexpr int kRidgedMultifractalId = 0;
constexpr int kBrownianNoiseId = 1;

// The values of one configuration at `count` points (x[k], y[k], z[k]) into out[k], each
// what `evaluate` gives at that point; `parms` is only read.
using SourceEvalManyFn = void (*)(const TexParms* parms, int count, const double* x, const double* y,
                                  const double* z, float* out);

struct BuiltinSourceOps {
    TexGetInfoFn getInfo;
    TexCreateFn create;
    TexDestroyFn destroy;
    TexEvalFn evaluate;
    TexDefaultFn defaults;
    SourceEvalManyFn evaluateMany; // the built-ins' group form of `evaluate`
};

const BuiltinSourceOps& RidgedMultifractalSource();
const BuiltinSourceOps& BrownianNoiseSource();

// The parameter block a new world surface starts with (and the private noise surfaces
// that repeat it): H 1, lacunarity 2, 13 octaves, seed 12345, every octave, the default extras.
TexParms DefaultSurfaceParms();

} // namespace kv
