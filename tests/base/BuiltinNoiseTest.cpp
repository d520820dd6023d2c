// The built-in gradient noise, its tables and octave weights, the two sums and the curves.
#include "base/Random.h"
#include "base/noise/BuiltinNoise.h"
#include "base/noise/BuiltinSources.h"

#include <bit>
#include <cfenv>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <utility>
#include <vector>

namespace {

// The generator's draws, worked from its formula.
std::vector<int> LcgDraws(uint32_t seed, int count)
{
    std::vector<int> out;
    for (int i = 0; i < count; ++i) {
        seed = seed * 214013u + 2531011u;
        out.push_back(static_cast<int>((seed >> 16) & 0x7FFF));
    }
    return out;
}

void RebuildFromSeed(uint32_t seed)
{
    kv::SRand(seed);
    kv::RebuildNoiseTables();
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();

} // namespace

TEST(BuiltinNoise, TablesComeFromTheCallersGenerator)
{
    const uint32_t seed = 9876;
    const std::vector<int> d = LcgDraws(seed, 3 * 512 + 511);
    RebuildFromSeed(seed);
    const kv::BuiltinNoiseTables& t = kv::GetNoiseTables();
    for (int i : {0, 1, 300, 511}) {
        const size_t b = static_cast<size_t>(i) * 3;
        const double x = d[b] - 16383, y = d[b + 1] - 16383, z = d[b + 2] - 16383;
        const double len = std::sqrt(x * x + y * y + z * z);
        EXPECT_DOUBLE_EQ(t.gradient[i][0], x / len) << i;
        EXPECT_DOUBLE_EQ(t.gradient[i][1], y / len) << i;
        EXPECT_DOUBLE_EQ(t.gradient[i][2], z / len) << i;
    }
    std::vector<int> perm(512);
    for (int i = 0; i < 512; ++i)
        perm[static_cast<size_t>(i)] = i;
    size_t next = 3 * 512;
    for (int k = 511; k >= 1; --k)
        std::swap(perm[static_cast<size_t>(k)], perm[static_cast<size_t>(d[next++] % 512)]);
    for (int i = 0; i < kv::kNoiseTableSize; ++i) {
        ASSERT_EQ(t.permutation[i], perm[static_cast<size_t>(i % 512)]) << i;
        ASSERT_EQ(t.gradient[i][1], t.gradient[i % 512][1]) << i;
    }
    // Creating either built-in rebuilds the same tables from the caller's generator.
    kv::SRand(seed);
    kv::TexParms p{};
    kv::BrownianNoiseSource().create(&p);
    EXPECT_EQ(kv::GetNoiseTables().permutation[17], perm[17]);
}

TEST(BuiltinNoise, ZeroAtLatticePointsAndCornerGradientNearThem)
{
    RebuildFromSeed(31);
    const kv::BuiltinNoiseTables& t = kv::GetNoiseTables();
    const int lattice[][3] = {{0, 0, 0}, {1, 1, 1}, {-3, 7, 511}, {512, -1024, 40}, {10000, 2, -9999}};
    for (const auto& q : lattice) {
        EXPECT_EQ(kv::GradientNoise3(q[0], q[1], q[2]), 0.0);
        // Beside a lattice point the noise is that corner's gradient dotted with the offset;
        // the corner's gradient is G[P[bx + by] + bz] (x and y added, not chained).
        const int bx = (q[0] + 10101010) & 511, by = (q[1] + 10101010) & 511, bz = (q[2] + 10101010) & 511;
        const double* g = t.gradient[t.permutation[bx + by] + bz];
        const double eps = 1e-5, dir[3] = {0.6, 0.2, -0.7};
        const double v = kv::GradientNoise3(q[0] + eps * dir[0], q[1] + eps * dir[1], q[2] + eps * dir[2]);
        EXPECT_NEAR(v / eps, g[0] * dir[0] + g[1] * dir[1] + g[2] * dir[2], 1e-3);
    }
}

TEST(BuiltinNoise, OctaveWeightsAreBuiltOncePerMark)
{
    struct Case {
        double H, lacunarity, octaves;
        int filled; // W[0..filled-1] set, the rest 0
    };
    const Case cases[] = {{0.5, 3.0, 6.5, 7}, {1.0, 2.0, 12.0, 13}, {0.8, 2.0, 40.0, 32},
                          {1.0, 2.0, 0.0, 1},  {1.0, 2.0, -2.0, 0}, {1.0, 2.0, kNaN, 0}};
    for (const Case& c : cases) {
        kv::MarkOctaveWeightsDirty();
        kv::FractalBrownianSum(0.1, 0.2, 0.3, c.H, c.lacunarity, c.octaves, -1);
        const double* w = kv::GetOctaveWeights();
        for (int i = 0; i < kv::kMaxOctaves; ++i) {
            const double expected = i < c.filled ? std::pow(c.lacunarity, -i * c.H) : 0.0;
            EXPECT_NEAR(w[i], expected, 1e-12 * (expected + 1e-300)) << c.octaves << " W[" << i << "]";
        }
    }
    // Without a new mark, other parameters leave the weights as they were (shared by both sums).
    kv::MarkOctaveWeightsDirty();
    kv::RidgedMultifractalSum(0.1, 0.2, 0.3, 1.0, 2.0, 12.0, 1.0, 1.0, -1);
    kv::FractalBrownianSum(0.1, 0.2, 0.3, 0.3, 5.0, 3.0, -1);
    EXPECT_EQ(kv::GetOctaveWeights()[1], 0.5);
    EXPECT_EQ(kv::GetOctaveWeights()[12], 1.0 / 4096.0);
}

TEST(BuiltinNoise, SumsFollowTheirFormulas)
{
    RebuildFromSeed(555);
    const double H = 0.9, lac = 1.7; // 32 octaves stay inside the lattice index range
    kv::MarkOctaveWeightsDirty();
    kv::ComputeOctaveWeights(H, lac, 31.0);
    const double* w = kv::GetOctaveWeights();
    const double p[3] = {0.37, -0.81, 0.44};
    auto fbm = [&](int n, uint32_t mask) {
        double sum = 0, f = 1;
        for (int i = 0; i < n; ++i, f *= lac)
            if ((mask >> i) & 1u)
                sum += kv::GradientNoise3(p[0] * f, p[1] * f, p[2] * f) * (i == 0 ? 1.0 : w[i]);
        return sum;
    };
    auto ridged = [&](int n, uint32_t mask, double offset, double gain) {
        double signal = 0, result = 0, f = 1;
        for (int i = 0; i < n; ++i, f *= lac) {
            const double weight = i == 0 ? 1.0 : std::fmin(1.0, std::fmax(0.0, signal * gain));
            if ((mask >> i) & 1u) {
                const double s = offset - std::fabs(kv::GradientNoise3(p[0] * f, p[1] * f, p[2] * f));
                signal = s * s * weight;
                result += signal * (i == 0 ? 1.0 : w[i]);
            }
        }
        return result;
    };
    struct Case {
        double octaves;
        int n;
        int32_t mask;
    };
    // The count is trunc(octaves) capped at 32; NaN and counts below 1 give octave 0 alone.
    const Case cases[] = {{12.0, 12, -1}, {12.9, 12, -1},  {1.0, 1, -1},    {0.0, 1, -1},    {-7.5, 1, -1},
                          {kNaN, 1, -1},  {1e300, 32, -1}, {32.0, 32, -1},  {8.0, 8, 0x35},  {8.0, 8, 0},
                          {10.0, 10, static_cast<int32_t>(0x80000000u | 0x3FEu)}};
    for (const Case& c : cases) {
        const uint32_t m = static_cast<uint32_t>(c.mask);
        const double f = kv::FractalBrownianSum(p[0], p[1], p[2], H, lac, c.octaves, c.mask);
        const double r = kv::RidgedMultifractalSum(p[0], p[1], p[2], H, lac, c.octaves, 1.05, 1.7, c.mask);
        // The lattice shift leaves about 2e-9 of resolution; the sums round toward zero.
        EXPECT_NEAR(f, fbm(c.n, m), 1e-8) << c.octaves << " mask " << c.mask;
        EXPECT_NEAR(r, ridged(c.n, m, 1.05, 1.7), 1e-8) << c.octaves << " mask " << c.mask;
        if (c.mask == 0) {
            EXPECT_EQ(f, 0.0);
            EXPECT_EQ(r, 0.0);
        }
        if ((m & 1u) == 0) { // no octave 0: the ridged weights are all 0
            EXPECT_EQ(r, 0.0);
        }
    }
    // Counts with the same whole part give identical sums.
    EXPECT_EQ(kv::FractalBrownianSum(p[0], p[1], p[2], H, lac, 12.0, -1),
              kv::FractalBrownianSum(p[0], p[1], p[2], H, lac, 12.9, -1));
    EXPECT_EQ(kv::RidgedMultifractalSum(p[0], p[1], p[2], H, lac, 1.0, 1.0, 1.0, -1),
              kv::RidgedMultifractalSum(p[0], p[1], p[2], H, lac, kNaN, 1.0, 1.0, -1));
}

TEST(BuiltinNoise, MarkedTablesAreDrawnAtTheFirstNoiseLookup)
{
    // A sum that looks up no noise (no mask bit among its octaves) leaves marked tables
    // marked and draws nothing from the caller's generator.
    const uint32_t seed = 2024;
    const std::vector<int> d = LcgDraws(seed, 3 * 512 + 511 + 1);
    struct Case {
        double octaves;
        int32_t mask;
    };
    const Case idle[] = {{12.0, 0}, {1.0, ~1}, {4.0, 0x30}, {0.0, 0x2}};
    for (const Case& c : idle) {
        kv::MarkNoiseTablesDirty();
        kv::SRand(seed);
        EXPECT_EQ(kv::FractalBrownianSum(0.3, 0.6, 0.9, 1.0, 2.0, c.octaves, c.mask), 0.0);
        EXPECT_EQ(kv::RidgedMultifractalSum(0.3, 0.6, 0.9, 1.0, 2.0, c.octaves, 1.0, 1.0, c.mask), 0.0);
        EXPECT_EQ(kv::Rand(), d[0]) << c.octaves << " mask " << c.mask;
    }
    // The first lookup, here at octave 3 of each sum, draws the whole tables (2047 draws).
    for (int which = 0; which < 2; ++which) {
        kv::MarkNoiseTablesDirty();
        kv::SRand(seed);
        if (which == 0)
            kv::FractalBrownianSum(0.3, 0.6, 0.9, 1.0, 2.0, 4.0, 0x8);
        else
            kv::RidgedMultifractalSum(0.3, 0.6, 0.9, 1.0, 2.0, 4.0, 1.0, 1.0, 0x8);
        EXPECT_EQ(kv::Rand(), d[3 * 512 + 511]) << which;
    }
}

TEST(BuiltinNoise, DefaultRidgedSignalsStayInUnitRange)
{
    RebuildFromSeed(12345);
    kv::MarkOctaveWeightsDirty();
    kv::TexParms d{};
    kv::RidgedMultifractalSource().defaults(&d);
    double weightSum = 0;
    kv::ComputeOctaveWeights(d.H, d.lacunarity, d.octaves);
    for (int i = 0; i < 12; ++i)
        weightSum += kv::GetOctaveWeights()[i];
    for (int k = 0; k < 200; ++k) {
        const double x = k * 0.173, y = k * -0.071 + 3.0, z = std::sin(k) * 5.0;
        const double one = kv::RidgedMultifractalSum(x, y, z, d.H, d.lacunarity, 1.0, 1.0, 1.0, -1);
        ASSERT_GE(one, 0.0);
        ASSERT_LE(one, 1.0);
        const double all = kv::RidgedMultifractalSum(x, y, z, d.H, d.lacunarity, d.octaves, 1.0, 1.0, -1);
        ASSERT_GE(all, 0.0);
        ASSERT_LE(all, weightSum);
    }
}

TEST(BuiltinNoise, SumsTruncateAndRestoreTheCallersRoundingMode)
{
    // 10101010 - 1e-10 rounds to the lattice point 10101010 to nearest, but to the number
    // just below it when truncating: the sums see a point a hair below the lattice line.
    RebuildFromSeed(8);
    EXPECT_EQ(kv::GradientNoise3(-1e-10, 0.0, 0.0), 0.0);
    const double below = kv::FractalBrownianSum(-1e-10, 0.0, 0.0, 1.0, 2.0, 1.0, -1);
    EXPECT_NE(below, 0.0);
    EXPECT_LT(std::fabs(below), 1e-8);

    for (int mode : {FE_UPWARD, FE_DOWNWARD, FE_TONEAREST}) {
        std::fesetround(mode);
        kv::FractalBrownianSum(0.4, 0.5, 0.6, 1.0, 2.0, 12.0, -1);
        EXPECT_EQ(std::fegetround(), mode);
        kv::RidgedMultifractalSum(0.4, 0.5, 0.6, 1.0, 2.0, 12.0, 1.0, 1.0, -1);
        EXPECT_EQ(std::fegetround(), mode);
    }
    std::fesetround(FE_TONEAREST);
}

TEST(BuiltinNoise, BiasAndGainCurves)
{
    for (double b : {0.2, 0.5, 0.8})
        EXPECT_NEAR(kv::BiasCurve(0.5, b), b, 1e-12); // the curve passes through (0.5, b)
    EXPECT_NEAR(kv::BiasCurve(0.3, 0.5), 0.3, 1e-12);
    EXPECT_NEAR(kv::BiasCurve(0.25, 0.25), 0.0625, 1e-12); // exponent 2
    struct Case {
        double t, g, expected;
    };
    const Case cases[] = {{0.0005, 0.3, 0.0}, {0.9995, 0.3, 1.0}, {0.5, 0.3, 0.5},
                          {0.25, 0.3, 0.35},  {0.75, 0.3, 0.65}, {0.25, 0.5, 0.25}};
    for (const Case& c : cases)
        EXPECT_NEAR(kv::GainCurve(c.t, c.g), c.expected, 1e-12) << c.t << " " << c.g;
}

TEST(BuiltinSources, RecordsAndSizeRules)
{
    struct Case {
        const kv::BuiltinSourceOps* ops;
        int id;
        const char* name;
        uint32_t extrasMask;
        double H, offset, gain;
    };
    const Case cases[] = {{&kv::RidgedMultifractalSource(), 0, "Ridged Multifractal", 3u, 1.0, 1.0, 1.0},
                          {&kv::BrownianNoiseSource(), 1, "Brownian Noise", 0u, 2.2, 0.0, 0.0}};
    for (const Case& c : cases) {
        std::vector<unsigned char> buf(2000, 0xCD);
        auto* info = reinterpret_cast<kv::TexInfo*>(buf.data());
        info->size = 0; // taken as the whole record
        c.ops->getInfo(info);
        EXPECT_EQ(info->size, kv::kTexInfoSize);
        EXPECT_EQ(info->id, c.id);
        EXPECT_STREQ(info->name, c.name);
        EXPECT_EQ(info->extrasMask, c.extrasMask);
        EXPECT_EQ(buf[kv::kTexInfoSize], 0xCD);
        if (c.extrasMask) {
            EXPECT_STREQ(info->extraNames[0], "Offset");
            EXPECT_STREQ(info->extraNames[1], "FGain");
        }

        kv::TexInfo small;
        std::memset(&small, 0x11, sizeof small);
        small.size = 8;
        c.ops->getInfo(&small);
        EXPECT_EQ(small.id, c.id);
        EXPECT_EQ(small.name[0], 0x11);

        kv::TexParms d;
        std::memset(&d, 0x22, sizeof d);
        d.size = 0;
        c.ops->defaults(&d);
        EXPECT_EQ(d.size, 128);
        EXPECT_EQ(d.H, c.H);
        EXPECT_EQ(d.lacunarity, 2.0);
        EXPECT_EQ(d.octaves, 12.0);
        EXPECT_EQ(d.point[1], 0.0);
        EXPECT_EQ(d.seed, 12345);
        EXPECT_EQ(d.octaveMask, -1);
        EXPECT_EQ(d.extras[0], c.offset);
        EXPECT_EQ(d.extras[1], c.gain);
        EXPECT_EQ(d.extras[7], 0.0);

        kv::TexParms part;
        std::memset(&part, 0x22, sizeof part);
        part.size = 24; // size, padding, H, lacunarity
        c.ops->defaults(&part);
        EXPECT_EQ(part.lacunarity, 2.0);
        EXPECT_NE(part.octaves, 12.0);
    }
}

TEST(BuiltinSources, EvaluateIsTheSumAsFloat)
{
    RebuildFromSeed(4);
    kv::TexParms p{};
    kv::RidgedMultifractalSource().defaults(&p);
    p.extras[1] = 0.6;
    p.point[0] = 1.1;
    p.point[1] = 2.2;
    p.point[2] = -0.3;
    kv::MarkOctaveWeightsDirty();
    float v = 0;
    kv::RidgedMultifractalSource().evaluate(&p, &v);
    EXPECT_EQ(v, static_cast<float>(kv::RidgedMultifractalSum(1.1, 2.2, -0.3, 1.0, 2.0, 12.0, 1.0, 0.6, -1)));
    p.octaveMask = 0x0F;
    kv::BrownianNoiseSource().evaluate(&p, &v);
    EXPECT_EQ(v, static_cast<float>(kv::FractalBrownianSum(1.1, 2.2, -0.3, 1.0, 2.0, 12.0, 0x0F)));
    EXPECT_EQ(p.point[0], 1.1);
}

namespace {

// Coordinates where the lattice arithmetic is at its limits: the int range of the shifted
// coordinate (10101010 is added before the conversion), lattice lines and points a hair
// off them, signed zeros, tiny, huge and infinite values, and NaNs of both signs.
std::vector<double> OddCoordinates()
{
    const double shift = 10101010.0;
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> v = {0.0, -0.0, 1.0, -1.0, 0.5, -1e-10, 1e-10, 4.9e-324, -4.9e-324, 511.0, 512.0,
                             -10101010.0, 2147483647.0 - shift, 2147483647.5 - shift, 2147483648.0 - shift,
                             2147483649.0 - shift, -2147483648.0 - shift, -2147483648.5 - shift,
                             -2147483649.0 - shift, 1e15, -1e15, 1e300, -1e300, inf, -inf, kNaN, -kNaN};
    return v;
}

struct PointSet {
    std::vector<double> x, y, z;
    void Add(double a, double b, double c)
    {
        x.push_back(a);
        y.push_back(b);
        z.push_back(c);
    }
    int Count() const { return static_cast<int>(x.size()); }
};

} // namespace

// The group sums run 1, 2 or 4 points per register; every lane count gives every point the
// single-point sum's bits (memcmp: signed zeros, infinities and NaN payloads included).
TEST(BuiltinNoise, GroupSumsEqualSinglePointSumsBitForBit)
{
    RebuildFromSeed(12345);
    struct Parms {
        double H, lacunarity, octaves, offset, gain;
        int32_t mask;
    };
    const Parms parms[] = {{1.0, 2.0, 12.0, 1.0, 1.0, -1},   // the defaults
                           {0.6, 2.3, 9.5, 1.05, 2.5, 0x1B5}, // gaps in the mask, weights clamped
                           {1.2, 1.9, 1.0, 0.7, 0.4, -1},    // octave 0 alone
                           {0.9, -3.1, 32.0, 1.0, 1.0, ~1}};  // negative lacunarity, no octave 0

    // Every combination of the odd coordinates, then a million points inside a few noise
    // cells, as a world samples them; the counts leave partial registers at the end.
    PointSet odd;
    const std::vector<double> c = OddCoordinates();
    for (double a : c)
        for (double b : c)
            for (double d : {0.25, -0.0, 2147483648.0 - 10101010.0, kNaN, -std::numeric_limits<double>::infinity()})
                odd.Add(a, b, d);
    PointSet many;
    uint64_t state = 0x9E3779B97F4A7C15ull;
    auto next = [&state] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(state >> 11) / 9007199254740992.0; // [0, 1)
    };
    for (int i = 0; i < (1 << 20) + 3; ++i)
        many.Add(next() * 8.0 - 4.0, next() * 8.0 - 4.0, next() * 8.0 - 4.0);

    std::vector<int> laneCounts = {1, 2};
    if (kv::NoiseLaneWidth() > 2)
        laneCounts.push_back(0); // the widest
    for (size_t p = 0; p < std::size(parms); ++p) {
        const Parms& q = parms[p];
        kv::MarkOctaveWeightsDirty();
        const PointSet& set = p == 0 ? many : odd;
        const int n = set.Count();
        std::vector<double> fbm(static_cast<size_t>(n)), ridged(static_cast<size_t>(n));
        for (int k = 0; k < n; ++k) {
            const auto u = static_cast<size_t>(k);
            fbm[u] = kv::FractalBrownianSum(set.x[u], set.y[u], set.z[u], q.H, q.lacunarity, q.octaves, q.mask);
            ridged[u] = kv::RidgedMultifractalSum(set.x[u], set.y[u], set.z[u], q.H, q.lacunarity, q.octaves,
                                                  q.offset, q.gain, q.mask);
            // Whatever NaNs met inside, a NaN sum is the one quiet NaN.
            for (double v : {fbm[u], ridged[u]}) {
                if (std::isnan(v)) {
                    ASSERT_EQ(std::bit_cast<uint64_t>(v), 0x7FF8000000000000ull) << p << " point " << k;
                }
            }
        }
        for (int lanes : laneCounts) {
            std::vector<double> out(static_cast<size_t>(n) + 1, 99.0);
            kv::FractalBrownianSums(n, set.x.data(), set.y.data(), set.z.data(), q.H, q.lacunarity, q.octaves,
                                    q.mask, out.data(), lanes);
            EXPECT_EQ(std::memcmp(out.data(), fbm.data(), sizeof(double) * static_cast<size_t>(n)), 0)
                << "fBm, parameters " << p << ", lanes " << lanes;
            EXPECT_EQ(out.back(), 99.0); // nothing written past the group
            kv::RidgedMultifractalSums(n, set.x.data(), set.y.data(), set.z.data(), q.H, q.lacunarity, q.octaves,
                                       q.offset, q.gain, q.mask, out.data(), lanes);
            EXPECT_EQ(std::memcmp(out.data(), ridged.data(), sizeof(double) * static_cast<size_t>(n)), 0)
                << "ridged, parameters " << p << ", lanes " << lanes;
        }
    }
}

// The group form of the built-in sources is the one-point TexEval on each point, the
// narrowing to float included (made in the caller's rounding mode, after the sum).
TEST(BuiltinSources, GroupEvaluationIsTexEvalOnEachPoint)
{
    RebuildFromSeed(77);
    const std::vector<double> c = OddCoordinates();
    PointSet points;
    for (int i = 0; i < 700; ++i) // past one chunk of the group form
        points.Add(std::sin(i * 0.37) * 3.0, i * 0.011 - 2.0, std::cos(i * 0.23) * 2.5);
    for (double v : c)
        points.Add(v, 0.3, -v);
    for (const kv::BuiltinSourceOps* ops : {&kv::RidgedMultifractalSource(), &kv::BrownianNoiseSource()}) {
        kv::TexParms parms{};
        ops->defaults(&parms);
        parms.octaveMask = 0x7FD;
        kv::MarkOctaveWeightsDirty();
        std::vector<float> many(static_cast<size_t>(points.Count()));
        ops->evaluateMany(&parms, points.Count(), points.x.data(), points.y.data(), points.z.data(), many.data());
        for (int k = 0; k < points.Count(); ++k) {
            const auto u = static_cast<size_t>(k);
            kv::TexParms local = parms;
            local.point[0] = points.x[u];
            local.point[1] = points.y[u];
            local.point[2] = points.z[u];
            float one = 0.0f;
            ops->evaluate(&local, &one);
            ASSERT_EQ(std::memcmp(&one, &many[u], sizeof one), 0) << k;
        }
    }
}
