#include "base/noise/BuiltinSources.h"

#include "base/noise/BuiltinNoise.h"

#include <algorithm>
#include <cstring>

namespace kv {

namespace {

const TexInfo kRidgedInfo = {kTexInfoSize, kRidgedMultifractalId, "Ridged Multifractal", 3u, {"Offset", "FGain"}};
const TexInfo kBrownianInfo = {kTexInfoSize, kBrownianNoiseId, "Brownian Noise", 0u, {}};

const TexParms kRidgedDefaults = {kTexParmsSize, 0, 1.0, 2.0, 12.0, {0.0, 0.0, 0.0}, 12345, -1,
                                  {1.0, 1.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0}};
const TexParms kBrownianDefaults = {kTexParmsSize, 0, 2.2, 2.0, 12.0, {0.0, 0.0, 0.0}, 12345, -1, {}};

// Copies min(size, full) bytes of `from` over `to`, where size is the record's first field
// read as an unsigned count and 0 stands for the whole record.
void CopyRecordPrefix(void* to, const void* from, int32_t sizeField, uint32_t full)
{
    uint32_t size = static_cast<uint32_t>(sizeField);
    if (size == 0)
        size = full;
    std::memcpy(to, from, std::min(size, full));
}

void RidgedGetInfo(TexInfo* info) { CopyRecordPrefix(info, &kRidgedInfo, info->size, kTexInfoSize); }
void BrownianGetInfo(TexInfo* info) { CopyRecordPrefix(info, &kBrownianInfo, info->size, kTexInfoSize); }
void RidgedDefault(TexParms* parms) { CopyRecordPrefix(parms, &kRidgedDefaults, parms->size, kTexParmsSize); }
void BrownianDefault(TexParms* parms) { CopyRecordPrefix(parms, &kBrownianDefaults, parms->size, kTexParmsSize); }

// Both built-ins share one set of tables and weights: creating either rebuilds the
// tables at once (from the caller's generator) and leaves the weights to the next sum.
void BuiltinCreate(TexParms*) { RebuildNoiseTables(); }

void BuiltinDestroy(TexParms*)
{
    MarkOctaveWeightsDirty();
    MarkNoiseTablesDirty();
}

void RidgedEvaluate(TexParms* p, float* out)
{
    *out = static_cast<float>(RidgedMultifractalSum(p->point[0], p->point[1], p->point[2], p->H, p->lacunarity,
                                                    p->octaves, p->extras[0], p->extras[1], p->octaveMask));
}

void BrownianEvaluate(TexParms* p, float* out)
{
    *out = static_cast<float>(
        FractalBrownianSum(p->point[0], p->point[1], p->point[2], p->H, p->lacunarity, p->octaves, p->octaveMask));
}

// The group forms run the sums a chunk at a time into doubles and narrow them to float
// after the sum has given the caller's rounding mode back, as the one-point forms do.
constexpr int kChunk = 256;

template <typename Sums>
void EvaluateInChunks(int count, const double* x, const double* y, const double* z, float* out, Sums&& sums)
{
    double values[kChunk];
    for (int first = 0; first < count; first += kChunk) {
        const int n = std::min(kChunk, count - first);
        sums(n, x + first, y + first, z + first, values);
        for (int k = 0; k < n; ++k)
            out[first + k] = static_cast<float>(values[k]);
    }
}

void RidgedEvaluateMany(const TexParms* p, int count, const double* x, const double* y, const double* z, float* out)
{
    EvaluateInChunks(count, x, y, z, out, [p](int n, const double* px, const double* py, const double* pz, double* v) {
        RidgedMultifractalSums(n, px, py, pz, p->H, p->lacunarity, p->octaves, p->extras[0], p->extras[1],
                               p->octaveMask, v);
    });
}

void BrownianEvaluateMany(const TexParms* p, int count, const double* x, const double* y, const double* z, float* out)
{
    EvaluateInChunks(count, x, y, z, out, [p](int n, const double* px, const double* py, const double* pz, double* v) {
        FractalBrownianSums(n, px, py, pz, p->H, p->lacunarity, p->octaves, p->octaveMask, v);
    });
}

const BuiltinSourceOps kRidgedOps = {RidgedGetInfo,  BuiltinCreate, BuiltinDestroy,
                                     RidgedEvaluate, RidgedDefault, RidgedEvaluateMany};
const BuiltinSourceOps kBrownianOps = {BrownianGetInfo,  BuiltinCreate,   BuiltinDestroy,
                                       BrownianEvaluate, BrownianDefault, BrownianEvaluateMany};

} // namespace

const BuiltinSourceOps& RidgedMultifractalSource() { return kRidgedOps; }
const BuiltinSourceOps& BrownianNoiseSource() { return kBrownianOps; }

TexParms DefaultSurfaceParms()
{
    TexParms parms{};
    parms.size = kTexParmsSize;
    parms.H = 1.0;
    parms.lacunarity = 2.0;
    parms.octaves = 13.0;
    parms.seed = 12345;
    parms.octaveMask = -1;
    const double extras[kTexExtraCount] = {1.0, 2.0, 0.0, 1.0, 1.0, 1.0, 1.0, 1.0};
    for (int i = 0; i < kTexExtraCount; ++i)
        parms.extras[i] = extras[i];
    return parms;
}

} // namespace kv
