// One noise source, built as two libraries: with CORVEL_RMF the ridged multifractal
// (source id 19), with CORVEL_FBM fractional Brownian motion (source id 18).
//
// The library keeps one configuration in static state and allocates nothing. Once a
// configuration is created and its tables are built (by the first TexEval), TexEval
// writes only the caller's record, so evaluations on separate records may run at once;
// TexCreate, TexDestroy and the first TexEval after them must not overlap other calls.
#include "CorvelNoise.h"
#include "base/noise/TexRecords.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstring>

#if defined(CORVEL_RMF) == defined(CORVEL_FBM)
#error "build with exactly one of CORVEL_RMF and CORVEL_FBM"
#endif

#define CORVEL_EXPORT extern "C" __attribute__((visibility("default")))

namespace kv::corvel {

namespace {

constexpr int kMaxOctaves = 12;
constexpr int kWeightCount = 32;

#if defined(CORVEL_RMF)
const TexInfo kInfo = {kTexInfoSize, 19, "Corvel Ridged Multifractal", 3u, {"Offset", "FGain"}};
#else
const TexInfo kInfo = {kTexInfoSize, 18, "Corvel Fractional Brownian Motion (fBm)", 0u, {}};
#endif

bool g_needCreate = true;
double g_weights[kWeightCount];
TexParms g_defaults;
bool g_defaultsFilled = false;

void SetTexDefaults()
{
    g_defaults = TexParms{};
    g_defaults.size = kTexParmsSize;
    g_defaults.H = 2.2;
    g_defaults.lacunarity = 2.0;
    g_defaults.octaves = 12.0;
    g_defaults.seed = 12345;
    g_defaults.octaveMask = -1;
    g_defaultsFilled = true;
}

// Rounds toward zero for the lifetime of the object, then restores the caller's mode.
class TruncatingRounding {
public:
    TruncatingRounding() : m_saved(std::fegetround()) { std::fesetround(FE_TOWARDZERO); }
    ~TruncatingRounding() { std::fesetround(m_saved); }
    TruncatingRounding(const TruncatingRounding&) = delete;
    TruncatingRounding& operator=(const TruncatingRounding&) = delete;

private:
    int m_saved;
};

// trunc(octaves) capped at 12, decided on the double so that NaN, negative and huge
// counts never reach a conversion; every count below 1 sums octave 0 alone.
inline int OctaveCount(double octaves)
{
    if (!(octaves >= 1.0))
        return 0;
    if (octaves >= kMaxOctaves)
        return kMaxOctaves;
    return static_cast<int>(octaves);
}

inline bool MaskBit(uint32_t mask, int i) { return ((mask >> i) & 1u) != 0; }

inline void ScalePoint(double* p, double lacunarity)
{
    p[0] *= lacunarity;
    p[1] *= lacunarity;
    p[2] *= lacunarity;
}

inline double Noise(const double* p) { return GradientNoise3(p[0], p[1], p[2]); }

#if defined(CORVEL_RMF)
double OctaveSum(TexParms& r, int n)
{
    const uint32_t mask = static_cast<uint32_t>(r.octaveMask);
    const double offset = r.extras[0];
    const double gain = r.extras[1];
    double signal = 0.0;
    if (MaskBit(mask, 0)) {
        const double s = offset - std::fabs(Noise(r.point));
        signal = s * s;
    }
    double result = signal;
    for (int i = 1; i < n; ++i) {
        ScalePoint(r.point, r.lacunarity);
        double weight = signal * gain;
        if (weight > 1.0)
            weight = 1.0;
        if (weight < 0.0)
            weight = 0.0;
        if (MaskBit(mask, i)) {
            const double s = offset - std::fabs(Noise(r.point));
            signal = s * s * weight;
            result = result + signal * g_weights[i];
        }
    }
    return result;
}
#else
double OctaveSum(TexParms& r, int n)
{
    const uint32_t mask = static_cast<uint32_t>(r.octaveMask);
    double result = 0.0;
    if (MaskBit(mask, 0))
        result = Noise(r.point);
    for (int i = 1; i < n; ++i) {
        ScalePoint(r.point, r.lacunarity);
        if (MaskBit(mask, i))
            result = result + Noise(r.point) * g_weights[i];
    }
    return result;
}
#endif

} // namespace

} // namespace kv::corvel

using kv::TexInfo;
using kv::TexParms;

CORVEL_EXPORT void TexGetInfo(TexInfo* info)
{
    const uint32_t size = static_cast<uint32_t>(info->size);
    std::memcpy(info, &kv::corvel::kInfo, std::min<uint32_t>(size, kv::kTexInfoSize));
}

CORVEL_EXPORT void TexCreate(TexParms* parms)
{
    using namespace kv::corvel;
    if (!g_needCreate)
        return;
    if (parms->octaves > 12.0)
        parms->octaves = 12.0;
    const double octaves = parms->octaves;
    for (double& w : g_weights)
        w = 0.0;
    if (octaves >= 0.0) {
        double f = 1.0;
        for (int i = 0; i < kWeightCount && i <= octaves; ++i) {
            g_weights[i] = std::pow(f, -parms->H);
            f *= parms->lacunarity;
        }
    }
    MarkNoiseTablesDirty();
    SeedUniformRandom(parms->seed);
    g_needCreate = false;
}

CORVEL_EXPORT void TexDestroy(TexParms*)
{
    kv::corvel::g_needCreate = true;
}

CORVEL_EXPORT void TexEval(TexParms* parms, float* out)
{
    using namespace kv::corvel;
    if (g_needCreate)
        TexCreate(parms);
    const int n = OctaveCount(parms->octaves);
    double sum;
    {
        TruncatingRounding rounding;
        sum = OctaveSum(*parms, n);
    }
    *out = static_cast<float>(sum);
}

CORVEL_EXPORT void TexDefault(TexParms* parms)
{
    using namespace kv::corvel;
    if (!g_defaultsFilled)
        SetTexDefaults();
    if (parms->size == 0)
        parms->size = kv::kTexParmsSize;
    const uint32_t size = static_cast<uint32_t>(parms->size);
    std::memcpy(parms, &g_defaults, std::min<uint32_t>(size, kv::kTexParmsSize));
}
