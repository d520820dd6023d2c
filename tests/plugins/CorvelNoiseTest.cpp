// The core under the Corvel plug-ins: generator sequence, table draws and lattice noise.
#include "CorvelNoise.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace corvel = kv::corvel;

namespace {

std::vector<float> Draws(int32_t seed, int count)
{
    corvel::SeedUniformRandom(seed);
    std::vector<float> out(static_cast<size_t>(count));
    for (float& v : out)
        v = corvel::UniformRandom();
    return out;
}

double R(float u) { return ((static_cast<int>(static_cast<double>(u) * 32767.0) % 8192) - 4096) / 4096.0; }

} // namespace

// The published check of this generator: start values ij = 1802, kl = 9373, 20000 draws,
// then the next six draws times 2^24.
TEST(CorvelGenerator, KnownSequenceFromPublishedStartValues)
{
    // 614269505 mod 31329 = 1802 and 614269505 >> 16 = 9373.
    const std::vector<float> v = Draws(614269505, 20006);
    const double expected[6] = {6533892.0, 14220222.0, 7275067.0, 6172232.0, 8354498.0, 10633180.0};
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(static_cast<double>(v[20000 + k]) * 4096.0 * 4096.0, expected[k]) << k;
}

TEST(CorvelGenerator, SeedsMapToStartValues)
{
    struct Case {
        int32_t seed, sameAs;
        bool same;
    };
    const Case cases[] = {
        {5, 5 + 31329, true},                    // both below 65536: kl = 0, ij equal
        {5, -5, false},                          // -5 carries its sign bits in kl
        {-1, 5371 * 65536 + 18789, true},        // ij 1, kl 65535 mod 30082 = 5371
        {INT32_MIN, 2686 * 65536 + 13969, true}, // |seed| = 2^31 (64-bit): ij 6014, kl 32768 mod 30082
    };
    for (const Case& c : cases) {
        const std::vector<float> a = Draws(c.seed, 200), b = Draws(c.sameAs, 200);
        EXPECT_EQ(a == b, c.same) << c.seed << " vs " << c.sameAs;
        for (float x : a) {
            ASSERT_GE(x, 0.0f);
            ASSERT_LT(x, 1.0f);
        }
    }
}

TEST(CorvelNoise, TablesFollowTheDrawOrder)
{
    const int32_t seed = 12345;
    // Ten draws per entry (1-D, 2-D, 3-D, 4-D gradients), then 4095 shuffle draws.
    const std::vector<float> d = Draws(seed, 40960 + 4095);
    corvel::SeedUniformRandom(seed);
    corvel::BuildNoiseTables();
    const int32_t* p = corvel::PermutationTable();
    const double(*g)[3] = corvel::GradientTable();

    for (int entry : {0, 1, 2047, 4095}) {
        const size_t base = static_cast<size_t>(entry) * 10 + 3;
        const double x = R(d[base]), y = R(d[base + 1]), z = R(d[base + 2]);
        const double len = std::sqrt(x * x + y * y + z * z);
        EXPECT_DOUBLE_EQ(g[entry][0], x / len) << entry;
        EXPECT_DOUBLE_EQ(g[entry][1], y / len) << entry;
        EXPECT_DOUBLE_EQ(g[entry][2], z / len) << entry;
    }

    std::vector<int> perm(corvel::kLattice);
    for (int i = 0; i < corvel::kLattice; ++i)
        perm[static_cast<size_t>(i)] = i;
    size_t next = 40960;
    for (int i = corvel::kLattice - 1; i >= 1; --i) {
        const int j = static_cast<int>(static_cast<double>(d[next++]) * 32767.0) % 4096;
        std::swap(perm[static_cast<size_t>(i)], perm[static_cast<size_t>(j)]);
    }
    for (int i = 0; i < corvel::kTableSize; ++i) {
        ASSERT_EQ(p[i], perm[static_cast<size_t>(i % corvel::kLattice)]) << i;
        ASSERT_EQ(g[i][0], g[i % corvel::kLattice][0]) << i;
    }
}

TEST(CorvelNoise, LatticeZerosPeriodAndCornerGradients)
{
    corvel::SeedUniformRandom(777);
    corvel::MarkNoiseTablesDirty();
    EXPECT_EQ(corvel::GradientNoise3(0.25, 0.5, 0.75), corvel::GradientNoise3(0.25, 0.5, 0.75));
    const int32_t* p = corvel::PermutationTable();
    const double(*g)[3] = corvel::GradientTable();

    const int lattice[][3] = {{0, 0, 0}, {1, 2, 3}, {-7, 4095, 12}, {4096, -4096, 100}, {-65535, 3, 9}};
    for (const auto& q : lattice) {
        EXPECT_EQ(corvel::GradientNoise3(q[0], q[1], q[2]), 0.0);
        // Near a lattice point the noise is the dot product of that corner's gradient
        // with the offset: gradient g3[p[p[bx] + by] + bz].
        const int bx = (q[0] + 65536) & 4095, by = (q[1] + 65536) & 4095, bz = (q[2] + 65536) & 4095;
        const double* grad = g[p[p[bx] + by] + bz];
        const double eps = 1e-6, d[3] = {0.3, -0.5, 0.8};
        const double v = corvel::GradientNoise3(q[0] + eps * d[0], q[1] + eps * d[1], q[2] + eps * d[2]);
        EXPECT_NEAR(v / eps, grad[0] * d[0] + grad[1] * d[1] + grad[2] * d[2], 1e-4);
    }
    for (double x : {0.1, 17.37, 300.9}) {
        const double a = corvel::GradientNoise3(x, 2.25, -3.5);
        EXPECT_NEAR(corvel::GradientNoise3(x + 4096.0, 2.25, -3.5), a, 1e-9);
        EXPECT_NEAR(corvel::GradientNoise3(x, 2.25 + 4096.0, -3.5 - 4096.0), a, 1e-9);
        EXPECT_LE(std::fabs(a), 1.5);
    }
}
