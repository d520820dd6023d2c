#include "base/noise/BuiltinNoise.h"

#include "base/Random.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cfenv>
#include <climits>
#include <cmath>
#include <mutex>

#if defined(__x86_64__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kv {

namespace {

BuiltinNoiseTables g_tables;
double g_weights[kMaxOctaves];
std::atomic<bool> g_tablesDirty{true};
std::atomic<bool> g_weightsDirty{true};
// Taken only while a rebuild is due, never on the path of an ordinary evaluation.
std::mutex g_rebuildMutex;

constexpr double kLatticeShift = 10101010.0;
constexpr int kLatticeMask = kNoiseLattice - 1;

// Rounds toward zero for the lifetime of the object, then restores the caller's mode.
// The octave sums are defined under this mode; this file is compiled with
// -frounding-math so that no arithmetic is folded or moved across the switch.
class TruncatingRounding {
public:
    TruncatingRounding() : m_saved(std::fegetround()) { std::fesetround(FE_TOWARDZERO); }
    ~TruncatingRounding() { std::fesetround(m_saved); }
    TruncatingRounding(const TruncatingRounding&) = delete;
    TruncatingRounding& operator=(const TruncatingRounding&) = delete;

private:
    int m_saved;
};

// The integer part of t. Outside the int range (or NaN) the conversion would be
// undefined in C++; give INT_MIN there, which is what the processor's conversion yields.
// With SSE2 that conversion is used directly, which has no branch to mispredict.
inline int IntegerPart(double t)
{
#if defined(__SSE2__)
    return _mm_cvttsd_si32(_mm_set_sd(t));
#else
    if (t >= -2147483648.0 && t < 2147483648.0)
        return static_cast<int>(t);
    return INT_MIN;
#endif
}

// The octave count of a sum: trunc(octaves) limited to 0..kMaxOctaves, decided while the
// value is still a double (NaN and negative counts give 0, like any count below 1).
inline int OctaveCount(double octaves)
{
    if (!(octaves > 0.0))
        return 0;
    if (octaves >= kMaxOctaves)
        return kMaxOctaves;
    return static_cast<int>(octaves);
}

inline double SCurve(double t) { return t * t * (3.0 - 2.0 * t); }
inline double Lerp(double w, double a, double b) { return a + w * (b - a); }

// Two doubles side by side (one SSE register on x86-64). Each lane is rounded on its own
// exactly as a scalar double operation, so pairing lanes changes no bit of the result.
typedef double Pair __attribute__((vector_size(16)));

inline Pair SCurve(Pair t) { return t * t * (3.0 - 2.0 * t); }

struct LatticeAxis {
    int b0, b1;
    double r0, r1;
};

inline LatticeAxis Axis(double c)
{
    const double t = c + kLatticeShift;
    const int i = IntegerPart(t);
    LatticeAxis a;
    a.b0 = i & kLatticeMask;
    a.b1 = (a.b0 + 1) & kLatticeMask;
    a.r0 = t - i;
    a.r1 = a.r0 - 1.0;
    return a;
}

// Axis(x) and Axis(y) side by side.
inline void AxesXY(double x, double y, LatticeAxis& ax, LatticeAxis& ay)
{
#if defined(__SSE2__)
    const __m128d t = _mm_add_pd(_mm_set_pd(y, x), _mm_set1_pd(kLatticeShift));
    // Per lane the truncating conversion of IntegerPart, INT_MIN outside the int range.
    const __m128i i = _mm_cvttpd_epi32(t);
    const __m128d r0 = _mm_sub_pd(t, _mm_cvtepi32_pd(i));
    const __m128d r1 = _mm_sub_pd(r0, _mm_set1_pd(1.0));
    const int ix = _mm_cvtsi128_si32(i);
    const int iy = _mm_cvtsi128_si32(_mm_shuffle_epi32(i, 1));
    ax.b0 = ix & kLatticeMask;
    ax.b1 = (ax.b0 + 1) & kLatticeMask;
    ay.b0 = iy & kLatticeMask;
    ay.b1 = (ay.b0 + 1) & kLatticeMask;
    ax.r0 = _mm_cvtsd_f64(r0);
    ay.r0 = _mm_cvtsd_f64(_mm_unpackhi_pd(r0, r0));
    ax.r1 = _mm_cvtsd_f64(r1);
    ay.r1 = _mm_cvtsd_f64(_mm_unpackhi_pd(r1, r1));
#else
    ax = Axis(x);
    ay = Axis(y);
#endif
}

// Dot products of the gradients at two corners with the offsets (x, y, z): x g[0] + y g[1]
// + z g[2] in that order in each lane.
inline Pair DotPair(const double* g, const double* h, Pair x, Pair y, Pair z)
{
    const Pair g0 = {g[0], h[0]};
    const Pair g1 = {g[1], h[1]};
    const Pair g2 = {g[2], h[2]};
    return x * g0 + y * g1 + z * g2;
}

// The noise itself, on tables that are known to be built. The eight corner products and
// the x and y interpolations run two at a time: the lanes hold the rows y0 and y1 first,
// then the layers z0 and z1; every value is formed by the same operations, in the same
// order, as in the corner-by-corner form a + w (b - a).
[[gnu::always_inline]] inline double Noise3(double x, double y, double z)
{
    const BuiltinNoiseTables& T = g_tables;
    LatticeAxis ax, ay;
    AxesXY(x, y, ax, ay);
    const LatticeAxis az = Axis(z);
    // Corner hashes: x and y lattice indices are added, not chained.
    const int h00 = T.permutation[ax.b0 + ay.b0];
    const int h10 = T.permutation[ax.b1 + ay.b0];
    const int h01 = T.permutation[ax.b0 + ay.b1];
    const int h11 = T.permutation[ax.b1 + ay.b1];
    const Pair sxy = SCurve(Pair{ax.r0, ay.r0});
    const double sx = sxy[0], sy = sxy[1], sz = SCurve(az.r0);

    const Pair x0 = {ax.r0, ax.r0};
    const Pair x1 = {ax.r1, ax.r1};
    const Pair ys = {ay.r0, ay.r1};
    const Pair z0 = {az.r0, az.r0};
    const Pair z1 = {az.r1, az.r1};
    const Pair wx = {sx, sx};

    // (a0, b0): the x interpolations at rows y0 and y1 of layer z0; (a1, b1) of layer z1.
    Pair u = DotPair(T.gradient[h00 + az.b0], T.gradient[h01 + az.b0], x0, ys, z0);
    Pair v = DotPair(T.gradient[h10 + az.b0], T.gradient[h11 + az.b0], x1, ys, z0);
    const Pair ab0 = u + wx * (v - u);
    u = DotPair(T.gradient[h00 + az.b1], T.gradient[h01 + az.b1], x0, ys, z1);
    v = DotPair(T.gradient[h10 + az.b1], T.gradient[h11 + az.b1], x1, ys, z1);
    const Pair ab1 = u + wx * (v - u);

    // (c, d): the y interpolations of both layers.
    const Pair a = {ab0[0], ab1[0]};
    const Pair b = {ab0[1], ab1[1]};
    const Pair wy = {sy, sy};
    const Pair cd = a + wy * (b - a);

    return Lerp(sz, cd[0], cd[1]);
}

// Draws the tables from the calling thread's generator.
void BuildTables()
{
    BuiltinNoiseTables& T = g_tables;
    for (int i = 0; i < kNoiseLattice; ++i) {
        T.permutation[i] = i;
        const double x = Rand() - 16383;
        const double y = Rand() - 16383;
        const double z = Rand() - 16383;
        const double length = std::sqrt(x * x + y * y + z * z);
        // Three draws of exactly 16383 would give a zero vector; leave it zero.
        const double divisor = length > 0.0 ? length : 1.0;
        T.gradient[i][0] = x / divisor;
        T.gradient[i][1] = y / divisor;
        T.gradient[i][2] = z / divisor;
    }
    for (int k = kNoiseLattice - 1; k >= 1; --k) {
        const int r = Rand() % kNoiseLattice;
        const int swap = T.permutation[k];
        T.permutation[k] = T.permutation[r];
        T.permutation[r] = swap;
    }
    for (int n = 0; n < kNoiseLattice + 2; ++n) {
        T.permutation[kNoiseLattice + n] = T.permutation[n];
        for (int c = 0; c < 3; ++c)
            T.gradient[kNoiseLattice + n][c] = T.gradient[n][c];
    }
}

inline void EnsureTables()
{
    if (!g_tablesDirty.load(std::memory_order_acquire))
        return;
    std::lock_guard<std::mutex> lock(g_rebuildMutex);
    if (g_tablesDirty.load(std::memory_order_relaxed)) {
        BuildTables();
        g_tablesDirty.store(false, std::memory_order_release);
    }
}

inline bool MaskBit(uint32_t mask, int i) { return ((mask >> i) & 1u) != 0; }

} // namespace

double GradientNoise3(double x, double y, double z)
{
    EnsureTables();
    return Noise3(x, y, z);
}

void ComputeOctaveWeights(double H, double lacunarity, double octaves)
{
    if (!g_weightsDirty.load(std::memory_order_acquire))
        return;
    std::lock_guard<std::mutex> lock(g_rebuildMutex);
    if (!g_weightsDirty.load(std::memory_order_relaxed))
        return;
    // n = min(octaves, 31); NaN octaves give no weights.
    const double n = std::isnan(octaves) ? -1.0 : std::fmin(octaves, kMaxOctaves - 1);
    for (double& w : g_weights)
        w = 0.0;
    double f = 1.0;
    for (int i = 0; i < kMaxOctaves && i <= n; ++i) {
        g_weights[i] = std::pow(f, -H);
        f = std::pow(lacunarity, i + 1);
    }
    g_weightsDirty.store(false, std::memory_order_release);
}

namespace {

// True when a sum of `count` octaves looks up the noise at all: octave 0 whenever its bit
// is set, octaves 1..count-1 when theirs are.
inline bool LooksUpNoise(int count, uint32_t bits)
{
    const uint32_t used = count >= kMaxOctaves ? ~0u : ((1u << count) - 1u) | 1u;
    return (bits & used) != 0;
}

// The frame of both sums: weights when marked, then truncating rounding for the sum itself
// (tables rebuilt inside it when marked); `sum` gets the octave count and the mask bits.
// Marked tables are drawn by the first noise lookup, so a sum that looks up nothing leaves
// them marked and the caller's generator untouched.
template <typename Sum>
inline double RunOctaveSum(double H, double lacunarity, double octaves, int32_t mask, Sum&& sum)
{
    ComputeOctaveWeights(H, lacunarity, octaves);
    TruncatingRounding rounding;
    const int count = OctaveCount(octaves);
    const uint32_t bits = static_cast<uint32_t>(mask);
    if (LooksUpNoise(count, bits))
        EnsureTables();
    return sum(count, bits);
}

} // namespace

namespace {

// Where two different NaNs meet in one operation, which of them the result carries is up
// to the operand order the compiler picked; a sum that is NaN is therefore given one NaN,
// so that every way of computing it (one point or several side by side) agrees on its bits.
constexpr uint64_t kSumNaNBits = 0x7FF8000000000000ull;
inline double SettledNaN(double sum) { return sum != sum ? std::bit_cast<double>(kSumNaNBits) : sum; }

// The sums of one point with `octaves` octaves (already counted) and the mask's bits,
// under the truncating mode, on built tables and weights.
inline double FbmPoint(double x, double y, double z, double lacunarity, int octaves, uint32_t bits)
{
    double sum = 0.0;
    if (MaskBit(bits, 0))
        sum = Noise3(x, y, z);
    for (int i = 1; i < octaves; ++i) {
        x *= lacunarity;
        y *= lacunarity;
        z *= lacunarity;
        if (MaskBit(bits, i))
            sum += Noise3(x, y, z) * g_weights[i];
    }
    return SettledNaN(sum);
}

inline double RidgedPoint(double x, double y, double z, double lacunarity, int octaves, double offset, double gain,
                          uint32_t bits)
{
    double signal = 0.0;
    double result = 0.0;
    if (MaskBit(bits, 0)) {
        const double s = offset - std::fabs(Noise3(x, y, z));
        signal = s * s;
        result = signal;
    }
    for (int i = 1; i < octaves; ++i) {
        x *= lacunarity;
        y *= lacunarity;
        z *= lacunarity;
        // The weight comes from the signal of the last octave that contributed.
        double weight = signal * gain;
        if (weight > 1.0)
            weight = 1.0;
        if (weight < 0.0)
            weight = 0.0;
        if (MaskBit(bits, i)) {
            const double s = offset - std::fabs(Noise3(x, y, z));
            signal = s * s * weight;
            result += signal * g_weights[i];
        }
    }
    return SettledNaN(result);
}

#if defined(__x86_64__)

// Two points per register: the instruction set every x86-64 processor has.
namespace pairs {

struct Lanes {
    static constexpr int kWidth = 2;
    using V = __m128d;
    using I = __m128i; // the low two of four

    static V Set1(double v) { return _mm_set1_pd(v); }
    static V Load(const double* p) { return _mm_loadu_pd(p); }
    static void Store(double* p, V v) { _mm_storeu_pd(p, v); }
    // The lanes of Axis(c): the truncating conversion gives INT_MIN outside the int range.
    static void Axis(V c, I& b0, I& b1, V& r0, V& r1)
    {
        const V t = _mm_add_pd(c, _mm_set1_pd(kLatticeShift));
        const I i = _mm_cvttpd_epi32(t);
        r0 = _mm_sub_pd(t, _mm_cvtepi32_pd(i));
        r1 = _mm_sub_pd(r0, _mm_set1_pd(1.0));
        const I mask = _mm_set1_epi32(kLatticeMask);
        b0 = _mm_and_si128(i, mask);
        b1 = _mm_and_si128(_mm_add_epi32(b0, _mm_set1_epi32(1)), mask);
    }
    static I Add(I a, I b) { return _mm_add_epi32(a, b); }
    static int Lane0(I i) { return _mm_cvtsi128_si32(i); }
    static int Lane1(I i) { return _mm_cvtsi128_si32(_mm_shuffle_epi32(i, 1)); }
    static I Permute(I i)
    {
        const int* p = g_tables.permutation;
        return _mm_set_epi32(0, 0, p[Lane1(i)], p[Lane0(i)]);
    }
    static void Gradient(I i, V& g0, V& g1, V& g2)
    {
        const double* a = g_tables.gradient[Lane0(i)];
        const double* b = g_tables.gradient[Lane1(i)];
        g0 = _mm_set_pd(b[0], a[0]);
        g1 = _mm_set_pd(b[1], a[1]);
        g2 = _mm_set_pd(b[2], a[2]);
    }
    static V Abs(V v) { return _mm_andnot_pd(_mm_set1_pd(-0.0), v); }
    static V SettledNaN(V v)
    {
        const V nan = _mm_cmpunord_pd(v, v);
        const V settled = _mm_castsi128_pd(_mm_set1_epi64x(static_cast<long long>(kSumNaNBits)));
        return _mm_or_pd(_mm_and_pd(nan, settled), _mm_andnot_pd(nan, v));
    }
    static V ClampUnit(V w)
    {
        const V one = _mm_set1_pd(1.0);
        const V above = _mm_cmpgt_pd(w, one);
        w = _mm_or_pd(_mm_and_pd(above, one), _mm_andnot_pd(above, w));
        return _mm_andnot_pd(_mm_cmplt_pd(w, _mm_setzero_pd()), w); // +0 where below 0
    }
};

#include "base/noise/NoiseLanes.inc"

} // namespace pairs

// Four points per register, for processors with AVX2 (chosen at run time; the rest of
// the program keeps to the base instruction set). No fused multiply-add is enabled.
// Every function down to the end of the namespace, lambdas included, is compiled for AVX2:
// GCC takes that from its target pragma, clang from an attribute pushed onto each function.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

namespace quads {

struct Lanes {
    static constexpr int kWidth = 4;
    using V = __m256d;
    // Lattice indices as plain ints: every use of them is a table lookup by address.
    struct I {
        alignas(16) int v[4];
    };

    static V Set1(double v) { return _mm256_set1_pd(v); }
    static V Load(const double* p) { return _mm256_loadu_pd(p); }
    static void Store(double* p, V v) { _mm256_storeu_pd(p, v); }
    static void Axis(V c, I& b0, I& b1, V& r0, V& r1)
    {
        const V t = _mm256_add_pd(c, _mm256_set1_pd(kLatticeShift));
        const __m128i i = _mm256_cvttpd_epi32(t);
        r0 = _mm256_sub_pd(t, _mm256_cvtepi32_pd(i));
        r1 = _mm256_sub_pd(r0, _mm256_set1_pd(1.0));
        const __m128i mask = _mm_set1_epi32(kLatticeMask);
        const __m128i lo = _mm_and_si128(i, mask);
        _mm_store_si128(reinterpret_cast<__m128i*>(b0.v), lo);
        _mm_store_si128(reinterpret_cast<__m128i*>(b1.v), _mm_and_si128(_mm_add_epi32(lo, _mm_set1_epi32(1)), mask));
    }
    static I Add(const I& a, const I& b) { return I{{a.v[0] + b.v[0], a.v[1] + b.v[1], a.v[2] + b.v[2], a.v[3] + b.v[3]}}; }
    static I Permute(const I& i)
    {
        const int* p = g_tables.permutation;
        return I{{p[i.v[0]], p[i.v[1]], p[i.v[2]], p[i.v[3]]}};
    }
    // Four gradient rows loaded four doubles wide (the fourth belongs to the next row: the
    // highest entry looked up is 1022 of 1026) and transposed into their components; plain
    // loads, as on some processors the gather instructions cost more than the loads.
    static void Gradient(const I& i, V& g0, V& g1, V& g2)
    {
        const V r0 = _mm256_loadu_pd(g_tables.gradient[i.v[0]]);
        const V r1 = _mm256_loadu_pd(g_tables.gradient[i.v[1]]);
        const V r2 = _mm256_loadu_pd(g_tables.gradient[i.v[2]]);
        const V r3 = _mm256_loadu_pd(g_tables.gradient[i.v[3]]);
        const V t0 = _mm256_unpacklo_pd(r0, r1); // r0[0] r1[0] r0[2] r1[2]
        const V t1 = _mm256_unpackhi_pd(r0, r1); // r0[1] r1[1] r0[3] r1[3]
        const V t2 = _mm256_unpacklo_pd(r2, r3);
        const V t3 = _mm256_unpackhi_pd(r2, r3);
        g0 = _mm256_permute2f128_pd(t0, t2, 0x20);
        g1 = _mm256_permute2f128_pd(t1, t3, 0x20);
        g2 = _mm256_permute2f128_pd(t0, t2, 0x31);
    }
    static V Abs(V v) { return _mm256_andnot_pd(_mm256_set1_pd(-0.0), v); }
    static V SettledNaN(V v)
    {
        const V settled = _mm256_castsi256_pd(_mm256_set1_epi64x(static_cast<long long>(kSumNaNBits)));
        return _mm256_blendv_pd(v, settled, _mm256_cmp_pd(v, v, _CMP_UNORD_Q));
    }
    static V ClampUnit(V w)
    {
        const V one = _mm256_set1_pd(1.0);
        const V zero = _mm256_setzero_pd();
        w = _mm256_blendv_pd(w, one, _mm256_cmp_pd(w, one, _CMP_GT_OQ));
        return _mm256_blendv_pd(w, zero, _mm256_cmp_pd(w, zero, _CMP_LT_OQ));
    }
};

#include "base/noise/NoiseLanes.inc"

} // namespace quads

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

int WidestLanes()
{
    static const int width = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") ? 4 : 2;
    }();
    return width;
}

#else

int WidestLanes() { return 1; }

#endif

// The lane count a group runs with: the one asked for when the processor has it, else
// the widest it has (0 asks for the widest).
int GroupLanes(int lanes)
{
    const int widest = WidestLanes();
    return lanes == 1 || lanes == 2 ? std::min(lanes, widest) : widest;
}

} // namespace

double FractalBrownianSum(double x, double y, double z, double H, double lacunarity, double octaves,
                          int32_t mask)
{
    return RunOctaveSum(H, lacunarity, octaves, mask, [&](int count, uint32_t bits) {
        return FbmPoint(x, y, z, lacunarity, count, bits);
    });
}

double RidgedMultifractalSum(double x, double y, double z, double H, double lacunarity, double octaves,
                             double offset, double gain, int32_t mask)
{
    return RunOctaveSum(H, lacunarity, octaves, mask, [&](int count, uint32_t bits) {
        return RidgedPoint(x, y, z, lacunarity, count, offset, gain, bits);
    });
}

int NoiseLaneWidth() { return WidestLanes(); }

void FractalBrownianSums(int count, const double* x, const double* y, const double* z, double H, double lacunarity,
                         double octaves, int32_t mask, double* out, int lanes)
{
    if (count <= 0)
        return;
    RunOctaveSum(H, lacunarity, octaves, mask, [&](int octaveCount, uint32_t bits) {
        switch (GroupLanes(lanes)) {
#if defined(__x86_64__)
        case 4:
            quads::FbmLanes(count, x, y, z, lacunarity, octaveCount, bits, out);
            break;
        case 2:
            pairs::FbmLanes(count, x, y, z, lacunarity, octaveCount, bits, out);
            break;
#endif
        default:
            for (int k = 0; k < count; ++k)
                out[k] = FbmPoint(x[k], y[k], z[k], lacunarity, octaveCount, bits);
        }
        return 0.0;
    });
}

void RidgedMultifractalSums(int count, const double* x, const double* y, const double* z, double H,
                            double lacunarity, double octaves, double offset, double gain, int32_t mask, double* out,
                            int lanes)
{
    if (count <= 0)
        return;
    RunOctaveSum(H, lacunarity, octaves, mask, [&](int octaveCount, uint32_t bits) {
        switch (GroupLanes(lanes)) {
#if defined(__x86_64__)
        case 4:
            quads::RidgedLanes(count, x, y, z, lacunarity, octaveCount, offset, gain, bits, out);
            break;
        case 2:
            pairs::RidgedLanes(count, x, y, z, lacunarity, octaveCount, offset, gain, bits, out);
            break;
#endif
        default:
            for (int k = 0; k < count; ++k)
                out[k] = RidgedPoint(x[k], y[k], z[k], lacunarity, octaveCount, offset, gain, bits);
        }
        return 0.0;
    });
}

void MarkNoiseTablesDirty() { g_tablesDirty.store(true, std::memory_order_release); }
void MarkOctaveWeightsDirty() { g_weightsDirty.store(true, std::memory_order_release); }

void RebuildNoiseTables()
{
    MarkOctaveWeightsDirty();
    MarkNoiseTablesDirty();
    GradientNoise3(1.0, 1.0, 1.0);
}

double BiasCurve(double t, double b)
{
    return std::pow(t, std::log(b) / std::log(0.5));
}

double GainCurve(double t, double g)
{
    if (t < 0.001)
        return 0.0;
    if (t > 0.999)
        return 1.0;
    const double p = std::log(1.0 - g) / std::log(0.5);
    if (t < 0.5)
        return std::pow(2.0 * t, p) / 2.0;
    return 1.0 - std::pow(2.0 - 2.0 * t, p) / 2.0;
}

const BuiltinNoiseTables& GetNoiseTables()
{
    EnsureTables();
    return g_tables;
}

const double* GetOctaveWeights() { return g_weights; }

} // namespace kv
